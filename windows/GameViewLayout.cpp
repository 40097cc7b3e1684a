#include "windows/GameViewLayout.h"

int ScaledLength(int length, UINT dpi)
{
    return MulDiv(length, static_cast<int>(dpi ? dpi : 96), 96);
}

RECT GamePageArea(const RECT& client, const GameViewState& state, int titleHeight)
{
    RECT r = client;
    if (!state.gameView || state.fullScreen)
        return r;
    if (!state.maximised) {
        const int border = ScaledLength(1, state.dpi);
        r.left += border;
        r.right -= border;
        r.bottom -= border;
    }
    r.top += ScaledLength(titleHeight, state.dpi);
    if (r.bottom < r.top)
        r.bottom = r.top;
    if (r.right < r.left)
        r.right = r.left;
    return r;
}

RECT ShadowRectAround(const RECT& window, int shadowSize)
{
    RECT around = window;
    if (!IsRectEmpty(&around))
        InflateRect(&around, shadowSize, shadowSize);
    return around;
}
