#include "windows/FullScreenMode.h"

#include "browser/HtmlWindowProxy.h"

void FullScreenMode::Enter(HWND game, HtmlWindowProxy& browser)
{
    active = true;
    SetForegroundWindow(game);
    SwitchToThisWindow(game, TRUE);
    // The browser thread takes the focus itself: this thread never waits
    // for a page that is busy.
    browser.TakeFocus();
    GetWindowRect(game, &savedRect);
    Place(game, HWND_TOPMOST, MonitorRect(game));
    RECT client = {0, 0, 0, 0};
    GetClientRect(game, &client);
    browser.Layout(client);
}

void FullScreenMode::Refit(HWND game)
{
    if (active)
        Place(game, HWND_TOPMOST, MonitorRect(game));
}

void FullScreenMode::Leave(HWND game)
{
    active = false;
    Place(game, HWND_NOTOPMOST, savedRect);
}

RECT FullScreenMode::MonitorRect(HWND game)
{
    // The monitor the game window is on, not always the primary one.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromWindow(game, MONITOR_DEFAULTTONEAREST), &monitor))
        return monitor.rcMonitor;
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void FullScreenMode::Place(HWND game, HWND insertAfter, const RECT& rect)
{
    SetWindowPos(game, insertAfter, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_DEFERERASE);
    // This window only: the browser thread repaints its own.
    RedrawWindow(game, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_NOCHILDREN);
}
