#pragma once

#include <windows.h>

class HtmlWindowProxy;

// Full screen of the game window: the whole of its monitor, topmost, the
// page over the whole client area; leaving returns to the exact rectangle
// it left. The browser window is placed and focused by requests, so this
// never waits for the browser thread. Owning thread: the game window's
// (main).
class FullScreenMode {
public:
    bool on() const { return active; }
    // Enters full screen for `game`.
    void Enter(HWND game, HtmlWindowProxy& browser);
    // Covers the monitor again (its scale or size changed).
    void Refit(HWND game);
    // Returns `game` to where it was.
    void Leave(HWND game);

private:
    static RECT MonitorRect(HWND game);
    // Moves and sizes the window without redrawing the browser's: Wine
    // erases child windows of other threads from here, waiting for them.
    static void Place(HWND game, HWND insertAfter, const RECT& rect);

    bool active = false;
    RECT savedRect = {0, 0, 0, 0};
};
