#pragma once

#include "base/ScopedHandles.h"

#include <windows.h>

#include <cstdint>

// The picture a layered window shows, kept between updates so that a
// change redraws only what changed: a zero-filled (transparent) bottom-up
// 32-bpp DIB selected into a memory DC of its own, for one size.
class CLayeredSurface {
public:
    CLayeredSurface(int width, int height);
    ~CLayeredSurface();
    CLayeredSurface(const CLayeredSurface&) = delete;
    CLayeredSurface& operator=(const CLayeredSurface&) = delete;

    bool ok() const { return bits != nullptr; }
    HDC dc() const { return memoryDc.get(); }
    int width() const { return w; }
    int height() const { return h; }
    // Makes `rect` (cut to the surface) transparent again.
    void Clear(const RECT& rect);
    // Row `y` (0 at the top) of the pixels, premultiplied 0xAARRGGBB.
    uint32_t* Row(int y) { return bits + static_cast<size_t>(h - 1 - y) * w; }

private:
    int w;
    int h;
    uint32_t* bits = nullptr;
    ScopedBitmap dib;
    ScopedMemoryDc memoryDc;
    HGDIOBJ oldBitmap = nullptr;
};
