#include "ui/CShadowCtrl.h"

#include "base/ScopedHandles.h"

CShadowCtrl::CShadowCtrl()
{
    SetWindowClassName(L"ShadowCtrl");
}

// The pens go with their unique_ptrs; the base closes a live window.
CShadowCtrl::~CShadowCtrl() = default;

void CShadowCtrl::OnCreate(CREATESTRUCTW*)
{
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_CLIPCHILDREN);
    LONG_PTR exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    exStyle = (exStyle & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW)) | WS_EX_TOOLWINDOW;
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, exStyle);

    RecreateShadowPens(outlinePens, outlineColors);

    updateLayeredWindow = MakeLayered(hwnd);
}

void CShadowCtrl::OnDestroy()
{
    for (auto& pen : outlinePens)
        pen.reset();
}

void CShadowCtrl::OnShowWindow(BOOL show, UINT)
{
    if (show)
        Redraw(255);
}

void CShadowCtrl::SetMenuColors()
{
    for (int i = 0; i < 3; ++i)
        outlineColors[i] = kMenuShadowColors[i];
    RecreateShadowPens(outlinePens, outlineColors);
}

void CShadowCtrl::Render(HDC dc, const RECT& client) const
{
    Gdiplus::Graphics graphics(dc);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    StrokeShadowOutlines(graphics, client, shadowSize, cornerRadius, outlinePens);
}

void CShadowCtrl::Redraw(BYTE alpha)
{
    if (!updateLayeredWindow)
        return;
    RECT client = {};
    if (!hwnd || !GetClientRect(hwnd, &client))
        return;
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    // Nothing to show, and a zero-sized DIB cannot be created.
    if (width <= 0 || height <= 0)
        return;

    ScopedWindowDc windowDc(hwnd);
    ScopedMemoryDc memoryDc(CreateCompatibleDC(windowDc.get()));
    if (!memoryDc)
        return;
    void* bits = nullptr;
    // A fresh DIB section is zero-filled: fully transparent.
    ScopedBitmap dib = CreateArgbDib(width, height, &bits);
    if (!dib)
        return;
    ScopedSelect selected(memoryDc.get(), dib.get());
    SetBkMode(memoryDc.get(), TRANSPARENT);

    // Render's Graphics is gone before the bits are handed over, so nothing
    // it batched can be missing from the window.
    Render(memoryDc.get(), client);

    PushLayered(updateLayeredWindow, hwnd, memoryDc.get(), width, height, alpha);
}

void CShadowCtrl::PlaceAround(HWND owner)
{
    if (!hwnd || !IsWindow(hwnd) || !owner)
        return;
    RECT ownerRect = {};
    if (!GetWindowRect(owner, &ownerRect))
        return;
    const RECT r = ShadowWindowRect(ownerRect, shadowSize);
    MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    Redraw(255);
}
