#include "ui/CLayeredSurface.h"

#include <algorithm>
#include <cstring>

CLayeredSurface::CLayeredSurface(int width, int height) : w(width), h(height)
{
    if (width <= 0 || height <= 0)
        return;
    void* pixels = nullptr;
    dib = CreateArgbDib(width, height, &pixels);
    memoryDc.reset(CreateCompatibleDC(nullptr));
    if (!dib || !memoryDc || !pixels)
        return;
    oldBitmap = SelectObject(memoryDc.get(), dib.get());
    if (!oldBitmap)
        return;
    SetBkMode(memoryDc.get(), TRANSPARENT);
    bits = static_cast<uint32_t*>(pixels);
}

CLayeredSurface::~CLayeredSurface()
{
    // The bitmap leaves the DC before either is deleted.
    if (oldBitmap)
        SelectObject(memoryDc.get(), oldBitmap);
}

void CLayeredSurface::Clear(const RECT& rect)
{
    if (!bits)
        return;
    const int left = std::max(0, static_cast<int>(rect.left));
    const int right = std::min(w, static_cast<int>(rect.right));
    const int top = std::max(0, static_cast<int>(rect.top));
    const int bottom = std::min(h, static_cast<int>(rect.bottom));
    if (left >= right || top >= bottom)
        return;
    // GDI may still be writing to the bits.
    GdiFlush();
    for (int y = top; y < bottom; ++y)
        std::memset(Row(y) + left, 0, static_cast<size_t>(right - left) * sizeof(uint32_t));
}
