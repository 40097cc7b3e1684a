#pragma once

#include "ui/CPointerTracker.h"
#include "ui/CRenderTarget.h"
#include "ui/GdiPlusInclude.h"
#include "ui/LayeredWindow.h"

#include <functional>
#include <memory>
#include <vector>

class CImageButton;
class CImageStatic;

// Skin engine of an image window: keeps its windowless images and buttons,
// paints them (WM_PAINT into a memory DC, or for layered windows a 32-bit
// DIB kept between updates and pushed with UpdateLayeredWindow), tracks the
// hot and pressed button, drags the window by its caption area and runs the
// built-in close, minimise and maximise buttons. A pointer change redraws
// the buttons whose look it changed; a changed element list redraws all.
// Element rectangles are in 96-DPI units; `target` maps them to the
// window's pixels. Used on the thread of its window only.
class CImagePaint {
public:
    using ButtonCallback = std::function<bool(CImageButton*)>;
    using PaintCallback = std::function<void(Gdiplus::Graphics&)>;
    using UpdateLayeredWindowFn = ::UpdateLayeredWindowFn;
    using UpdateLayeredWindowIndirectFn = ::UpdateLayeredWindowIndirectFn;

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

    // Keeps an UpdateLayeredWindow set beforehand (tests watch pushes so).
    void EnableLayered();
    // Whether the layered window's last push reached the screen: a layered
    // window the system never took a picture from is invisible.
    bool OnScreen() const { return layered && target.HasSurface(); }
    // Back to painting through WM_PAINT, for a window whose push failed.
    void LeaveLayered();
    // Redraws the whole window into its kept DIB and pushes it to the screen.
    void UpdateLayered();
    void Reset();
    // True when the message was consumed.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ToggleMaximize();
    // Keeps anchored elements in place for a new client size, then repaints.
    void Relayout(const RECT& clientRect);
    // The WM_PAINT path: draws what intersects the update rectangle.
    void Paint();
    // The window's scale (96 = 1): its monitor's DPI unless fixed.
    UINT Dpi() const { return target.Dpi(); }
    // Draws at `dpi` whatever the monitor says, for a window that chose its
    // size for that scale itself; 0 follows the monitor again.
    void FixDpi(UINT dpi);
    // Device pixels in layout units.
    RECT ToLayout(const RECT& device) const { return target.ToLayout(device); }

    UpdateLayeredWindowFn updateLayeredWindow = nullptr;
    // Pushes of a changed rectangle; null pushes all through the above.
    UpdateLayeredWindowIndirectFn updateLayeredWindowIndirect = nullptr;
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
    bool OnLeftDown(POINT point, LPARAM devicePoint);
    bool OnLeftUp(POINT point);
    bool OnRightDown(POINT point);
    bool OnRightUp(POINT point);
    bool OnMouseLeave();
    bool OnCaptureChanged(HWND newCapture);
    bool OnCancelMode();
    bool OnEraseBackground();
    bool OnSetCursor();
    void OnShowWindow(bool shown);
    // Every pixel again after a change of scale.
    void Rescaled();

    // Callbacks may run nested loops, remove elements or destroy the
    // window: after each one these tell what is still there.
    bool WindowAlive() const;
    bool Holds(const CImageButton* button) const;
    CImageButton* HotButtonAt(POINT point) const;
    // Ends a press (the mouse released elsewhere or taken away) and
    // repaints the button that looked pressed.
    void EndPress();
    // Invalidates the rectangles (layout units); a layered window renders
    // them at once, in one push.
    void Repaint(const std::vector<RECT>& rects);
    // Buttons whose look changed since `pointer` noted the state, and `also`.
    void RepaintPointerChange(const CImageButton* also = nullptr, const CImageButton* andAlso = nullptr);
    // Redraws what the target has pending into the kept surface and pushes.
    void RenderPending();
    // An element changed: the next render is a whole one.
    void ElementsChanged();
    // A digest of everything that decides how the elements look, other than
    // the pointer: a change the painter was not told of still redraws all.
    unsigned long long Look() const;
    RECT LayoutClient() const;
    POINT CursorInClient() const;
    // Whether DrawAll's first picture in `area` is copied over all of it,
    // so that the old pixels there need no clearing.
    bool CopiedOver(const RECT& area) const;
    // Drawing order shared by both paths; `update` null draws everything.
    // `copyFirst`: the update area is transparent (or wholly under the
    // first picture), so that picture may be copied in, not blended.
    void DrawAll(Gdiplus::Graphics& graphics, const RECT& client, const RECT* update, bool copyFirst);

    CRenderTarget target;
    // Set by FixDpi: no look-up or WM_DPICHANGED changes the scale then.
    UINT fixedDpi = 0;
    CPointerTracker pointer;
    // Look() when the elements were last drawn.
    unsigned long long drawnLook = 0;
};
