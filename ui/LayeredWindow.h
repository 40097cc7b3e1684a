#pragma once

#include <windows.h>

// UpdateLayeredWindow's signature. Painters keep a pointer to it so tests
// can watch what reaches the screen.
using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                            BLENDFUNCTION*, DWORD);

// Gives `window` the layered style and returns the system's
// UpdateLayeredWindow; null (and the style unchanged) when user32 has none.
UpdateLayeredWindowFn MakeLayered(HWND window);

// Pushes the width x height 32-bit picture selected into `memoryDc` to
// `window` at its current place, blended with per-pixel alpha.
void PushLayered(UpdateLayeredWindowFn update, HWND window, HDC memoryDc, int width, int height,
                 BYTE alpha);
