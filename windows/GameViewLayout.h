#pragma once

#include <windows.h>

// Where things lie in the game window, in device pixels: the layout's
// 96-DPI sizes meet the window's scale here.

struct GameViewState {
    bool gameView = false;
    bool fullScreen = false;
    bool maximised = false;
    UINT dpi = 96;
};

// A 96-DPI length at `dpi`, to the nearest pixel.
int ScaledLength(int length, UINT dpi);

// The page's rectangle in a client area: all of it in the login view and
// in full screen; below the title bar in the game view, inside a one-unit
// border unless maximised.
RECT GamePageArea(const RECT& client, const GameViewState& state, int titleHeight);

// The shadow window's rectangle around the game window's.
RECT ShadowRectAround(const RECT& window, int shadowSize);
