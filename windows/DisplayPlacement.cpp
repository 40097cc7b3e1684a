#include "windows/DisplayPlacement.h"

#include "base/ScopedHandles.h"
#include "ui/CRenderTarget.h"

#include <algorithm>

namespace {

constexpr UINT kLayoutDpi = 96;
constexpr UINT kSmallestDpi = kLayoutDpi / 4;

// shcore's GetDpiForMonitor with MDT_EFFECTIVE_DPI (0); shcore is not on
// every system this program runs on.
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

GetDpiForMonitorFn DpiForMonitorFunction()
{
    static const GetDpiForMonitorFn function = [] {
        const HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<GetDpiForMonitorFn>(GetProcAddress(shcore, "GetDpiForMonitor"))
                      : nullptr;
    }();
    return function;
}

UINT SystemDpi()
{
    ScopedWindowDc screen(nullptr);
    const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kLayoutDpi;
}

MonitorArea Describe(HMONITOR monitor)
{
    MonitorArea area = {};
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (monitor && GetMonitorInfoW(monitor, &info)) {
        area.monitor = info.rcMonitor;
        area.work = info.rcWork;
    } else {
        SetRect(&area.monitor, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area.work, 0))
            area.work = area.monitor;
    }
    UINT x = 0;
    UINT y = 0;
    const GetDpiForMonitorFn function = DpiForMonitorFunction();
    area.dpi = monitor && function && SUCCEEDED(function(monitor, 0, &x, &y)) && x != 0 ? x : SystemDpi();
    return area;
}

// The largest DPI at which `layout` units still fit in `device` pixels,
// given that sizes round up.
UINT LargestFitting(LONG layout, LONG device)
{
    if (layout <= 0)
        return UINT(-1);
    if (device <= 0)
        return 0;
    return static_cast<UINT>(static_cast<long long>(device) * kLayoutDpi / layout);
}

} // namespace

MonitorArea MonitorAt(POINT screenPoint)
{
    return Describe(MonitorFromPoint(screenPoint, MONITOR_DEFAULTTONEAREST));
}

MonitorArea MonitorOf(HWND window)
{
    return Describe(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

MonitorArea PrimaryMonitor()
{
    return Describe(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
}

UINT FittingDpi(SIZE layoutSize, const RECT& work, UINT monitorDpi)
{
    UINT dpi = monitorDpi != 0 ? monitorDpi : kLayoutDpi;
    dpi = std::min(dpi, LargestFitting(layoutSize.cx, work.right - work.left));
    dpi = std::min(dpi, LargestFitting(layoutSize.cy, work.bottom - work.top));
    return std::max(dpi, kSmallestDpi);
}

RECT ScaleToDpi(const RECT& layout, UINT dpi)
{
    CRenderTarget scale;
    scale.SetDpi(dpi);
    return scale.ToDevice(layout);
}

POINT CentredOrigin(SIZE size, const RECT& work)
{
    const LONG spareX = work.right - work.left - size.cx;
    const LONG spareY = work.bottom - work.top - size.cy;
    return POINT{work.left + std::max(spareX / 2, 0L), work.top + std::max(spareY / 2, 0L)};
}
