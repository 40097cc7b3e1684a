#pragma once

#include "ui/CPointerTracker.h"

#include <windows.h>

#include <vector>

class CButtonHooks;
class CElementStore;
class CImageButton;

// The pointer over a painter's buttons: the hot button, the left and right
// presses and the capture they hold, tracking for the leave notice, the
// hand over links and the caption that drags the window. A change repaints
// the buttons whose look it changed. Points are in layout units. Used on
// the thread of the painter's window.
class CPointerInput {
public:
    // What the pointer needs of its painter.
    class Host {
    public:
        // Null once the painter let its window go; may be destroyed.
        virtual HWND Window() const = 0;
        // In layout units of the client area.
        virtual POINT CursorInClient() const = 0;
        // The left-click action; false when the click was consumed (or the
        // window closed).
        virtual bool Click(CImageButton* button) = 0;
        // Rectangles in layout units.
        virtual void Repaint(const std::vector<RECT>& rects) = 0;

    protected:
        ~Host() = default;
    };

    CPointerInput(const CElementStore& elements, const CButtonHooks& hooks, Host& host);
    CPointerInput(const CPointerInput&) = delete;
    CPointerInput& operator=(const CPointerInput&) = delete;

    // Each answers true when the message was consumed.
    bool OnMouseMove(POINT point);
    // `devicePoint` is the message's lParam, for the caption drag.
    bool OnLeftDown(POINT point, LPARAM devicePoint);
    bool OnLeftUp(POINT point);
    bool OnRightDown(POINT point);
    bool OnRightUp(POINT point);
    bool OnMouseLeave();
    bool OnCaptureChanged(HWND newCapture);
    bool OnCancelMode();
    bool OnSetCursor();
    // Whether a double click at `point` toggles maximise.
    bool TogglesMaximize(POINT point) const;
    // A button leaving the list stops being hot.
    void Forget(const CImageButton* button);
    // Drops press, capture, tracking and the hot button, for a window
    // created again by the same owner.
    void Reset();

    CImageButton* hotButton = nullptr;  // not owned
    POINT mousePos = {-1, -1};
    bool leftPressed = false;
    RECT pressedRect = {0, 0, 0, 0};
    bool rightPressed = false;
    RECT rightPressedRect = {0, 0, 0, 0};
    bool captured = false;
    bool tracking = false;
    bool dragEnabled = false;
    // Of zero size: the top of the client area, off the buttons, drags.
    RECT captionRect = {0, 0, 0, 0};

private:
    // Hooks may destroy the window: after each one this tells.
    bool WindowAlive() const;
    // Ends a press (the mouse released elsewhere or taken away) and
    // repaints the button that looked pressed.
    void EndPress();
    // Buttons whose look changed since `tracker` noted the state, and `also`.
    void RepaintChange(const CImageButton* also = nullptr, const CImageButton* andAlso = nullptr);

    const CElementStore& elements;
    const CButtonHooks& hooks;
    Host& host;
    CPointerTracker tracker;
};
