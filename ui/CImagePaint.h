#pragma once

#include "ui/CBuiltInButtons.h"
#include "ui/CButtonHooks.h"
#include "ui/CElementStore.h"
#include "ui/CPaintOrder.h"
#include "ui/CPointerInput.h"
#include "ui/CRenderTarget.h"
#include "ui/GdiPlusInclude.h"
#include "ui/LayeredWindow.h"

#include <functional>
#include <memory>
#include <vector>

class CImageButton;
class CImageStatic;

// Skin engine of an image window, and the one face its window classes see.
// Within it `elements` keeps the windowless images and buttons, `order`
// draws them, `input` follows the pointer (hot and pressed button, caption
// drag) and `builtIns` runs the close, minimise and maximise buttons. It
// paints through WM_PAINT into a memory DC, or for layered windows into a
// 32-bit DIB kept between updates and pushed with UpdateLayeredWindow. A
// pointer change redraws the buttons whose look it changed; a changed
// element list redraws all. Element rectangles are in 96-DPI units;
// `target` maps them to the window's pixels. Used on the thread of its
// window only.
class CImagePaint : private CPointerInput::Host {
    // Declared first: the public fields below are names for their state.
    CElementStore elements;
    CButtonHooks hooks;
    CPointerInput input{elements, hooks, *this};
    CPaintOrder order{elements, input};

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
    bool Click(CImageButton* button) override;

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
    bool& captured = input.captured;
    bool& leftPressed = input.leftPressed;
    RECT& pressedRect = input.pressedRect;
    bool& rightPressed = input.rightPressed;
    bool& tracking = input.tracking;
    RECT& rightPressedRect = input.rightPressedRect;
    bool& dragEnabled = input.dragEnabled;
    bool& fillBackground = order.fillBackground;
    std::unique_ptr<Gdiplus::SolidBrush>& backBrush = order.backBrush;
    Gdiplus::ARGB& backColor = order.backColor;
    RECT& captionRect = input.captionRect;
    POINT& mousePos = input.mousePos;
    BYTE alpha = 255;
    RECT erasedRect = {0, 0, 0, 0};
    CImageButton*& hotButton = input.hotButton;  // not owned
    std::vector<std::unique_ptr<CImageStatic>>& images = elements.images;
    std::vector<std::unique_ptr<CImageButton>>& buttons = elements.buttons;
    ButtonCallback& onButtonDown = hooks.onButtonDown;
    ButtonCallback& onButtonClick = hooks.onButtonClick;
    ButtonCallback& onButtonHover = hooks.onButtonHover;
    ButtonCallback& onButtonRightDown = hooks.onButtonRightDown;
    ButtonCallback& onButtonRightClick = hooks.onButtonRightClick;
    PaintCallback& onPaintBackground = order.onPaintBackground;
    PaintCallback& onPaintForeground = order.onPaintForeground;
    HWND ownerWindow = nullptr;

private:
    // The pointer's side of the painter.
    HWND Window() const override { return ownerWindow; }
    POINT CursorInClient() const override;
    // Invalidates the rectangles (layout units); a layered window renders
    // them at once, in one push.
    void Repaint(const std::vector<RECT>& rects) override;

    bool OnEraseBackground();
    void OnShowWindow(bool shown);
    // Every pixel again after a change of scale.
    void Rescaled();
    // Callbacks may destroy the window: after each one this tells.
    bool WindowAlive() const;
    // Redraws what the target has pending into the kept surface and pushes.
    void RenderPending();
    // An element changed: the next render is a whole one.
    void ElementsChanged();
    RECT LayoutClient() const;

    CRenderTarget target;
    // Set by FixDpi: no look-up or WM_DPICHANGED changes the scale then.
    UINT fixedDpi = 0;
    CBuiltInButtons builtIns{elements, target};
    // order.Look() when the elements were last drawn.
    unsigned long long drawnLook = 0;
};
