#pragma once

#include "ui/GdiPlusInclude.h"
#include "base/ScopedHandles.h"

#include <cstdint>
#include <memory>

// A 32-bpp top-down DIB section with a memory DC and a GDI+ Graphics over
// it, for rendering elements the way a layered window does and reading the
// result back. Needs GDI+ started on the thread.
class DibCanvas {
public:
    DibCanvas(int width, int height);
    ~DibCanvas();
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    bool ok() const { return bits != nullptr && graphicsPtr != nullptr; }
    int width() const { return w; }
    int height() const { return h; }
    HDC dc() const { return memoryDc.get(); }
    Gdiplus::Graphics& graphics() { return *graphicsPtr; }

    // Sets every pixel to `argb` (0xAARRGGBB), bypassing GDI+ blending.
    void Clear(uint32_t argb);
    // Flushes pending drawing and returns the pixel as 0xAARRGGBB; 0 outside.
    uint32_t Pixel(int x, int y);
    // Flushes GDI+ and GDI so the bits are current.
    void Flush();
    // Writes the canvas to a PNG file, for looking at a rendering.
    bool SavePng(const wchar_t* path);

private:
    int w;
    int h;
    uint32_t* bits = nullptr;
    ScopedMemoryDc memoryDc;
    ScopedBitmap dib;
    HGDIOBJ oldBitmap = nullptr;
    std::unique_ptr<Gdiplus::Graphics> graphicsPtr;
};

// Channel helpers for 0xAARRGGBB values.
inline int AlphaOf(uint32_t c) { return static_cast<int>(c >> 24); }
inline int RedOf(uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
inline int GreenOf(uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
inline int BlueOf(uint32_t c) { return static_cast<int>(c & 0xFF); }
// True when every channel of `a` and `b` differs by at most `tolerance`.
bool ColorNear(uint32_t a, uint32_t b, int tolerance);
