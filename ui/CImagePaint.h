#pragma once

#include "ui/LayeredWindow.h"
#include "ui/GdiPlusInclude.h"

#include <functional>
#include <memory>
#include <vector>

class CImageButton;
class CImageStatic;

// Skin engine of an image window: keeps its windowless images and buttons,
// paints them (WM_PAINT into a memory DC, or a 32-bit DIB pushed with
// UpdateLayeredWindow for layered windows), tracks the hot and pressed
// button, drags the window by its caption area and runs the built-in close,
// minimise and maximise buttons.
class CImagePaint {
public:
    using ButtonCallback = std::function<bool(CImageButton*)>;
    using PaintCallback = std::function<void(Gdiplus::Graphics&)>;
    using UpdateLayeredWindowFn = ::UpdateLayeredWindowFn;

    CImagePaint();
    CImagePaint(const CImagePaint&) = delete;
    CImagePaint& operator=(const CImagePaint&) = delete;

    virtual ~CImagePaint();
    // The left-click action: the click callback, then the built-in ids.
    // False when the click was consumed (or the window closed).
    virtual bool Click(CImageButton* button);

    // Add-or-replace by id: an existing element keeps its object and place
    // in the draw order.
    CImageButton* AddButton(int id, const RECT& rect, int normalId, int hoverId, int pressedId,
                            int disabledId);
    CImageButton* FindButton(int id) const;
    bool RemoveButton(int id);
    CImageStatic* AddImage(const RECT& rect, int resourceId, int id, bool smooth);
    CImageStatic* FindImage(int id) const;
    bool RemoveImage(int id);
    void SetBackColor(Gdiplus::ARGB argb);

    void SetOnButtonDown(ButtonCallback callback);
    void SetOnButtonClick(ButtonCallback callback);
    void SetOnButtonHover(ButtonCallback callback);
    void SetOnButtonRightDown(ButtonCallback callback);
    void SetOnButtonRightClick(ButtonCallback callback);
    void SetOnPaintBackground(PaintCallback callback);
    void SetOnPaintForeground(PaintCallback callback);

    void EnableLayered();
    // Renders the whole window into a DIB and pushes it to the screen.
    void UpdateLayered();
    void Reset();
    // True when the message was consumed.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ToggleMaximize();
    // Keeps anchored elements in place for a new client size, then repaints.
    void Relayout(const RECT& clientRect);
    // The WM_PAINT path: draws what intersects the update rectangle.
    void Paint();

    UpdateLayeredWindowFn updateLayeredWindow = nullptr;
    bool layered = false;
    bool captured = false;
    bool leftPressed = false;
    RECT pressedRect = {0, 0, 0, 0};
    bool rightPressed = false;
    bool tracking = false;
    RECT rightPressedRect = {0, 0, 0, 0};
    bool dragEnabled = false;
    bool fillBackground = true;
    std::unique_ptr<Gdiplus::SolidBrush> backBrush;
    Gdiplus::ARGB backColor = 0xFFFAFAFA;
    RECT captionRect = {0, 0, 0, 0};
    POINT mousePos = {-1, -1};
    BYTE alpha = 255;
    RECT erasedRect = {0, 0, 0, 0};
    CImageButton* hotButton = nullptr;  // not owned
    std::vector<std::unique_ptr<CImageStatic>> images;
    std::vector<std::unique_ptr<CImageButton>> buttons;
    ButtonCallback onButtonDown;
    ButtonCallback onButtonClick;
    ButtonCallback onButtonHover;
    ButtonCallback onButtonRightDown;
    ButtonCallback onButtonRightClick;
    PaintCallback onPaintBackground;
    PaintCallback onPaintForeground;
    HWND ownerWindow = nullptr;

private:
    bool OnMouseMove(POINT point);
    bool OnLeftDown(POINT point);
    bool OnLeftUp(POINT point);
    bool OnRightDown(POINT point);
    bool OnRightUp(POINT point);
    bool OnMouseLeave();
    bool OnEraseBackground();
    bool OnSetCursor();
    void OnShowWindow(bool shown);

    // Callbacks may run nested loops, remove elements or destroy the
    // window: after each one these tell what is still there.
    bool WindowAlive() const;
    bool Holds(const CImageButton* button) const;
    CImageButton* HotButtonAt(POINT point) const;
    void Repaint(const RECT& rect);
    // Drawing order shared by both paths; `update` null draws everything.
    void DrawAll(Gdiplus::Graphics& graphics, const RECT& client, const RECT* update);
};
