#include "DibCanvas.h"

#include "Screenshot.h"

#include <cstdlib>
#include <vector>

DibCanvas::DibCanvas(int width, int height) : w(width), h(height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 is the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    dib.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    memoryDc.reset(CreateCompatibleDC(nullptr));
    if (!dib || !memoryDc || !pixels)
        return;
    bits = static_cast<uint32_t*>(pixels);
    oldBitmap = SelectObject(memoryDc.get(), dib.get());
    SetBkMode(memoryDc.get(), TRANSPARENT);
    graphicsPtr = std::make_unique<Gdiplus::Graphics>(memoryDc.get());
    graphicsPtr->SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    Clear(0);
}

DibCanvas::~DibCanvas()
{
    graphicsPtr.reset();
    if (oldBitmap)
        SelectObject(memoryDc.get(), oldBitmap);
}

void DibCanvas::Flush()
{
    if (graphicsPtr)
        graphicsPtr->Flush(Gdiplus::FlushIntentionSync);
    GdiFlush();
}

void DibCanvas::Clear(uint32_t argb)
{
    if (!bits)
        return;
    Flush();
    for (int i = 0; i < w * h; ++i)
        bits[i] = argb;
}

uint32_t DibCanvas::Pixel(int x, int y)
{
    if (!bits || x < 0 || y < 0 || x >= w || y >= h)
        return 0;
    Flush();
    return bits[y * w + x];
}

bool DibCanvas::SavePng(const wchar_t* path)
{
    if (!bits)
        return false;
    Flush();
    CLSID png;
    if (!PngEncoderClsid(png))
        return false;
    Gdiplus::Bitmap copy(w, h, w * 4, PixelFormat32bppARGB, reinterpret_cast<BYTE*>(bits));
    return copy.Save(path, &png, nullptr) == Gdiplus::Ok;
}

bool ColorNear(uint32_t a, uint32_t b, int tolerance)
{
    return std::abs(AlphaOf(a) - AlphaOf(b)) <= tolerance && std::abs(RedOf(a) - RedOf(b)) <= tolerance &&
           std::abs(GreenOf(a) - GreenOf(b)) <= tolerance && std::abs(BlueOf(a) - BlueOf(b)) <= tolerance;
}
