#include "ui/CRenderTarget.h"

#include "base/ScopedHandles.h"
#include "ui/CLayeredSurface.h"

#include <utility>

namespace {

constexpr int kLayoutDpi = 96;

// Floor and ceiling of a * b / c for c > 0, negative a included.
int MulDivFloor(int a, int b, int c)
{
    const long long n = static_cast<long long>(a) * b;
    long long q = n / c;
    if ((n % c) != 0 && n < 0)
        --q;
    return static_cast<int>(q);
}

int MulDivCeil(int a, int b, int c)
{
    return -MulDivFloor(-a, b, c);
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// Not in every user32 this program runs on.
GetDpiForWindowFn DpiForWindowFunction()
{
    static const GetDpiForWindowFn function = [] {
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        return user32 ? reinterpret_cast<GetDpiForWindowFn>(GetProcAddress(user32, "GetDpiForWindow"))
                      : nullptr;
    }();
    return function;
}

} // namespace

CRenderTarget::CRenderTarget() = default;

CRenderTarget::~CRenderTarget() = default;

bool CRenderTarget::LookUpScale(HWND window)
{
    if (!window || !IsWindow(window))
        return false;
    UINT value = 0;
    if (const GetDpiForWindowFn function = DpiForWindowFunction())
        value = function(window);
    if (value == 0) {
        ScopedWindowDc dc(window);
        if (dc.get())
            value = static_cast<UINT>(GetDeviceCaps(dc.get(), LOGPIXELSX));
    }
    return SetDpi(value);
}

bool CRenderTarget::SetDpi(UINT newDpi)
{
    if (newDpi == 0 || newDpi == dpi)
        return false;
    dpi = newDpi;
    // Every kept pixel was drawn at the old scale.
    Drop();
    return true;
}

RECT CRenderTarget::ToDevice(const RECT& layout) const
{
    const int d = static_cast<int>(dpi);
    return RECT{MulDivFloor(layout.left, d, kLayoutDpi), MulDivFloor(layout.top, d, kLayoutDpi),
                MulDivCeil(layout.right, d, kLayoutDpi), MulDivCeil(layout.bottom, d, kLayoutDpi)};
}

RECT CRenderTarget::ToLayout(const RECT& device) const
{
    const int d = static_cast<int>(dpi);
    return RECT{MulDivFloor(device.left, kLayoutDpi, d), MulDivFloor(device.top, kLayoutDpi, d),
                MulDivCeil(device.right, kLayoutDpi, d), MulDivCeil(device.bottom, kLayoutDpi, d)};
}

POINT CRenderTarget::ToLayout(POINT device) const
{
    if (device.x == -1 && device.y == -1)
        return device;
    const int d = static_cast<int>(dpi);
    return POINT{MulDivFloor(device.x, kLayoutDpi, d), MulDivFloor(device.y, kLayoutDpi, d)};
}

int CRenderTarget::ToLayoutLength(int device) const
{
    const int d = static_cast<int>(dpi);
    return MulDivFloor(device * 2 + 1, kLayoutDpi, d * 2);
}

void CRenderTarget::Apply(Gdiplus::Graphics& graphics) const
{
    if (dpi == kLayoutDpi)
        return;
    const Gdiplus::REAL scale = static_cast<Gdiplus::REAL>(dpi) / kLayoutDpi;
    graphics.ScaleTransform(scale, scale);
}

void CRenderTarget::Invalidate(HWND window, bool layered, const RECT& layout)
{
    if (IsRectEmpty(&layout))
        return;
    if (layered) {
        UnionRect(&dirty, &dirty, &layout);
        return;
    }
    if (window) {
        const RECT device = ToDevice(layout);
        InvalidateRect(window, &device, TRUE);
    }
}

void CRenderTarget::Drop()
{
    surface.reset();
    whole = true;
    SetRectEmpty(&dirty);
}

void CRenderTarget::Render(HWND window, const PushFunctions& push, BYTE alpha, const DrawFunction& draw,
                           const CoverFunction& covered, const std::function<bool()>& stillOurs)
{
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return;
    // Held aside while drawing: a paint hook may reset the painter or render
    // from inside, and the DC has to outlive the Graphics drawing into it.
    std::unique_ptr<CLayeredSurface> held = std::move(surface);
    bool all = whole;
    if (!held || held->width() != width || held->height() != height) {
        held.reset();
        held = std::make_unique<CLayeredSurface>(width, height);
        all = true;  // a new surface holds nothing yet
    }
    if (!held->ok())
        return;

    const RECT layoutClient = ToLayout(client);
    RECT device = client;
    RECT layoutArea = layoutClient;
    if (!all) {
        RECT changed;
        if (!IntersectRect(&changed, &dirty, &layoutClient)) {
            SetRectEmpty(&dirty);
            surface = std::move(held);
            return;
        }
        const RECT scaled = ToDevice(changed);
        IntersectRect(&device, &scaled, &client);
        layoutArea = ToLayout(device);
    }
    // What hooks invalidate while drawing is theirs to render.
    whole = false;
    SetRectEmpty(&dirty);

    if (!covered || !covered(layoutArea))
        held->Clear(device);
    {
        Gdiplus::Graphics graphics(held->dc());
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        if (!all)
            graphics.SetClip(Gdiplus::Rect(device.left, device.top, device.right - device.left,
                                           device.bottom - device.top));
        Apply(graphics);
        draw(graphics, &layoutArea);
        graphics.Flush(Gdiplus::FlushIntentionSync);
    }
    // A paint hook may have closed the window, or rendered it anew from
    // inside; either way this picture is done with.
    if (!stillOurs() || surface)
        return;
    surface = std::move(held);
    const bool pushed = all ? PushLayered(push.update, window, surface->dc(), width, height, alpha)
                            : PushLayeredDirty(push.indirect, push.update, window, surface->dc(), width,
                                               height, alpha, device);
    // The screen holds whatever it held before: the next push must be whole.
    if (!pushed)
        Drop();
}
