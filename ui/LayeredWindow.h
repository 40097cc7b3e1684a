#pragma once

#include <windows.h>

// UpdateLayeredWindow's signature. Painters keep a pointer to it so tests
// can watch what reaches the screen.
using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                            BLENDFUNCTION*, DWORD);
// UpdateLayeredWindowIndirect's, kept the same way.
using UpdateLayeredWindowIndirectFn = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);

// Gives `window` the layered style and returns the system's
// UpdateLayeredWindow; null (and the style unchanged) when user32 has none.
UpdateLayeredWindowFn MakeLayered(HWND window);

// The system's UpdateLayeredWindowIndirect, or null where user32 has none.
UpdateLayeredWindowIndirectFn LayeredIndirectFunction();

// Pushes the width x height 32-bit picture selected into `memoryDc` to
// `window` at its current place, blended with per-pixel alpha. False when
// there is no function or the system refused the picture.
bool PushLayered(UpdateLayeredWindowFn update, HWND window, HDC memoryDc, int width, int height,
                 BYTE alpha);

// Like PushLayered, telling the system that only `dirty` changed, so it
// copies no more than that. Without `indirect`, or when it refuses, the
// whole picture goes through `update`. False when neither took it.
bool PushLayeredDirty(UpdateLayeredWindowIndirectFn indirect, UpdateLayeredWindowFn update,
                      HWND window, HDC memoryDc, int width, int height, BYTE alpha,
                      const RECT& dirty);
