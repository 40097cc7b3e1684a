#include "ui/CImagePaint.h"

#include "ui/CImageButton.h"
#include "ui/CSanDC.h"

#include <windowsx.h>

#include <utility>

namespace {

Gdiplus::Rect ToRect(const RECT& r)
{
    return Gdiplus::Rect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

POINT PointOf(LPARAM lParam)
{
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

} // namespace

CImagePaint::CImagePaint() = default;

CImagePaint::~CImagePaint()
{
    Reset();
}

CImageButton* CImagePaint::AddButton(int id, const RECT& rect, int normalId, int hoverId,
                                     int pressedId, int disabledId)
{
    CImageButton* button =
        elements.AddButton(ownerWindow, id, rect, normalId, hoverId, pressedId, disabledId);
    ElementsChanged();
    return button;
}

CImageButton* CImagePaint::FindButton(int id) const
{
    return elements.FindButton(id);
}

bool CImagePaint::RemoveButton(int id)
{
    const CImageButton* button = elements.FindButton(id);
    if (!button)
        return false;
    input.Forget(button);
    elements.RemoveButton(id);
    ElementsChanged();
    return true;
}

CImageStatic* CImagePaint::AddImage(const RECT& rect, int resourceId, int id, bool smooth)
{
    CImageStatic* image = elements.AddImage(rect, resourceId, id, smooth);
    ElementsChanged();
    return image;
}

CImageStatic* CImagePaint::FindImage(int id) const
{
    return elements.FindImage(id);
}

bool CImagePaint::RemoveImage(int id)
{
    if (!elements.RemoveImage(id))
        return false;
    ElementsChanged();
    return true;
}

void CImagePaint::SetBackColor(Gdiplus::ARGB argb)
{
    order.SetBackColor(argb);
    ElementsChanged();
}

void CImagePaint::SetOnButtonDown(ButtonCallback callback)
{
    hooks.onButtonDown = std::move(callback);
}
void CImagePaint::SetOnButtonClick(ButtonCallback callback)
{
    hooks.onButtonClick = std::move(callback);
}
void CImagePaint::SetOnButtonHover(ButtonCallback callback)
{
    hooks.onButtonHover = std::move(callback);
}
void CImagePaint::SetOnButtonRightDown(ButtonCallback callback)
{
    hooks.onButtonRightDown = std::move(callback);
}
void CImagePaint::SetOnButtonRightClick(ButtonCallback callback)
{
    hooks.onButtonRightClick = std::move(callback);
}
void CImagePaint::SetOnPaintBackground(PaintCallback callback)
{
    order.onPaintBackground = std::move(callback);
}
void CImagePaint::SetOnPaintForeground(PaintCallback callback)
{
    order.onPaintForeground = std::move(callback);
}

void CImagePaint::EnableLayered()
{
    if (layered || !ownerWindow || !IsWindow(ownerWindow))
        return;
    order.fillBackground = false;
    layered = true;
    alpha = 255;
    if (fixedDpi == 0)
        target.LookUpScale(ownerWindow);
    const UpdateLayeredWindowFn system = MakeLayered(ownerWindow);
    if (!updateLayeredWindow)
        updateLayeredWindow = system;
    if (!updateLayeredWindowIndirect)
        updateLayeredWindowIndirect = LayeredIndirectFunction();
    UpdateLayered();
}

void CImagePaint::FixDpi(UINT dpi)
{
    fixedDpi = dpi;
    const bool changed = dpi != 0 ? target.SetDpi(dpi) : target.LookUpScale(ownerWindow);
    if (changed)
        Rescaled();
}

void CImagePaint::Rescaled()
{
    if (layered)
        UpdateLayered();
    else if (WindowAlive())
        InvalidateRect(ownerWindow, nullptr, TRUE);
}

void CImagePaint::LeaveLayered()
{
    if (!layered || !WindowAlive())
        return;
    layered = false;
    target.Drop();
    SetWindowLongPtrW(ownerWindow, GWL_EXSTYLE,
                      GetWindowLongPtrW(ownerWindow, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    RedrawWindow(ownerWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void CImagePaint::UpdateLayered()
{
    target.InvalidateWhole();
    RenderPending();
}

void CImagePaint::ElementsChanged()
{
    target.InvalidateWhole();
}

void CImagePaint::RenderPending()
{
    if (!layered || !updateLayeredWindow || !WindowAlive() || !target.Pending())
        return;
    const unsigned long long look = order.Look();
    if (look != drawnLook)
        target.InvalidateWhole();
    drawnLook = look;
    const HWND window = ownerWindow;
    CRenderTarget::PushFunctions push;
    push.update = updateLayeredWindow;
    push.indirect = updateLayeredWindowIndirect;
    target.Render(
        window, push, alpha,
        [this](Gdiplus::Graphics& graphics, const RECT* area) {
            order.DrawAll(graphics, LayoutClient(), area, true);
        },
        [this](const RECT& area) { return target.Unscaled() && order.CopiedOver(area); },
        [this, window] { return IsWindow(window) && ownerWindow == window; });
}

RECT CImagePaint::LayoutClient() const
{
    RECT client = {0, 0, 0, 0};
    if (ownerWindow)
        GetClientRect(ownerWindow, &client);
    return target.ToLayout(client);
}

POINT CImagePaint::CursorInClient() const
{
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(ownerWindow, &cursor);
    return target.ToLayout(cursor);
}

void CImagePaint::Reset()
{
    // A window created again by the same owner starts without stale
    // press, capture or tracking state.
    input.Reset();
    elements.Clear();
    ownerWindow = nullptr;
    order.backBrush.reset();
    layered = false;
    target.Drop();
    drawnLook = 0;
}

bool CImagePaint::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        if (fixedDpi == 0)
            target.LookUpScale(ownerWindow);
        order.MakeBackBrush();
        return false;
    case WM_DPICHANGED:
        // The window takes its new rectangle itself; every pixel is redrawn.
        if (fixedDpi == 0 && target.SetDpi(LOWORD(wParam)))
            Rescaled();
        return false;
    case WM_DESTROY:
        Reset();
        return false;
    case WM_SIZE:
        Relayout(RECT{0, 0, target.ToLayoutLength(GET_X_LPARAM(lParam)),
                      target.ToLayoutLength(GET_Y_LPARAM(lParam))});
        return false;
    case WM_PAINT:
        Paint();
        return false;
    case WM_ERASEBKGND:
        return OnEraseBackground();
    case WM_SHOWWINDOW:
        OnShowWindow(wParam != 0);
        return false;
    case WM_SETCURSOR:
        return input.OnSetCursor();
    case WM_MOUSEMOVE:
        return input.OnMouseMove(target.ToLayout(PointOf(lParam)));
    case WM_LBUTTONDOWN:
        return input.OnLeftDown(target.ToLayout(PointOf(lParam)), lParam);
    case WM_LBUTTONUP:
        return input.OnLeftUp(target.ToLayout(PointOf(lParam)));
    case WM_LBUTTONDBLCLK:
        if (input.TogglesMaximize(target.ToLayout(PointOf(lParam))))
            ToggleMaximize();
        return false;
    case WM_RBUTTONDOWN:
        return input.OnRightDown(target.ToLayout(PointOf(lParam)));
    case WM_RBUTTONUP:
        return input.OnRightUp(target.ToLayout(PointOf(lParam)));
    case WM_MOUSELEAVE:
        return input.OnMouseLeave();
    case WM_CAPTURECHANGED:
        return input.OnCaptureChanged(reinterpret_cast<HWND>(lParam));
    case WM_CANCELMODE:
        return input.OnCancelMode();
    default:
        return false;
    }
}

bool CImagePaint::Click(CImageButton* button)
{
    const int id = button ? button->id : 0;
    if (hooks.onButtonClick) {
        if (!CButtonHooks::Run(hooks.onButtonClick, button))
            return false;
        // The hook may have removed the button or closed the window.
        if (button)
            button = elements.FindButton(id);
    }
    return builtIns.Press(ownerWindow, button);
}

void CImagePaint::ToggleMaximize()
{
    builtIns.ToggleMaximize(ownerWindow);
}

void CImagePaint::Relayout(const RECT& clientRect)
{
    elements.Relayout(clientRect.right, clientRect.bottom);
    if (layered) {
        UpdateLayered();
    } else if (WindowAlive()) {
        const RECT device = target.ToDevice(clientRect);
        InvalidateRect(ownerWindow, &device, TRUE);
    }
}

void CImagePaint::Paint()
{
    if (!ownerWindow)
        return;
    const HWND window = ownerWindow;
    // Elements changed since the last paint: all of the window is redrawn.
    const unsigned long long look = order.Look();
    if (look != drawnLook)
        InvalidateRect(window, nullptr, FALSE);
    drawnLook = look;
    RECT update = {0, 0, 0, 0};
    GetUpdateRect(window, &update, FALSE);
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(window, &ps);
    // Nothing began, so there is nothing to end.
    if (!dc)
        return;
    RECT client;
    GetClientRect(window, &client);
    // An empty update (the erase sent from inside BeginPaint) has nothing
    // to copy; skip building a client-sized buffer for it.
    if (!IsRectEmpty(&update)) {
        CSanDC buffer(dc, client, update);
        if (buffer.memoryDc) {
            SetBkMode(buffer.memoryDc.get(), TRANSPARENT);
            Gdiplus::Graphics graphics(buffer.memoryDc.get());
            graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
            // Only the update reaches the window; drawing stops there too.
            graphics.SetClip(ToRect(update));
            target.Apply(graphics);
            const RECT area = target.ToLayout(update);
            order.DrawAll(graphics, target.ToLayout(client), &area, false);
        }
    }
    EndPaint(window, &ps);
}

bool CImagePaint::OnEraseBackground()
{
    RECT client = {0, 0, 0, 0};
    if (ownerWindow)
        GetClientRect(ownerWindow, &client);
    if (!EqualRect(&client, &erasedRect)) {
        Paint();
        erasedRect = client;
    }
    return true;
}

void CImagePaint::OnShowWindow(bool shown)
{
    if (shown) {
        if (layered)
            UpdateLayered();
    } else {
        input.mousePos = POINT{-1, -1};
    }
}

bool CImagePaint::WindowAlive() const
{
    return ownerWindow && IsWindow(ownerWindow);
}

void CImagePaint::Repaint(const std::vector<RECT>& rects)
{
    // Never without a window: InvalidateRect(NULL, ...) would repaint the
    // whole desktop.
    if (rects.empty() || !WindowAlive())
        return;
    for (const RECT& rect : rects)
        target.Invalidate(ownerWindow, layered, rect);
    if (layered)
        RenderPending();
}
