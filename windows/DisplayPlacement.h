#pragma once

#include <windows.h>

// Where windows go on a monitor and at what scale. Sizes laid out in
// 96-DPI units become device pixels at a DPI; the arithmetic is pure, the
// monitor look-ups ask the system.

// One monitor: its whole rectangle, the part left to windows (without
// taskbars and the like) and its DPI, all in screen pixels.
struct MonitorArea {
    RECT monitor;
    RECT work;
    UINT dpi;
};

// The monitor nearest to a screen point, to a window, and the primary one.
MonitorArea MonitorAt(POINT screenPoint);
MonitorArea MonitorOf(HWND window);
MonitorArea PrimaryMonitor();

// The monitor's DPI, or a lower one where `layoutSize` at the monitor's
// would not fit the work area: the largest at which it still does. Never
// below a quarter of 96, however small the work area.
UINT FittingDpi(SIZE layoutSize, const RECT& work, UINT monitorDpi);

// The device pixels covering a layout rectangle at `dpi`, rounded outwards
// as the painters round it.
RECT ScaleToDpi(const RECT& layout, UINT dpi);

// Top-left corner of a `size` window centred in the work area; a window
// larger than the area starts at its left or top edge.
POINT CentredOrigin(SIZE size, const RECT& work);
