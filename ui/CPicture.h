#pragma once

#include "ui/GdiPlusInclude.h"

#include <memory>

// A picture converted once into premultiplied 32bppPARGB, the form GDI+
// blends from, so that no draw converts it again. It keeps a copy scaled to
// the place it was last stretched to: a button whose picture is a column
// wider than the art then draws as cheaply as one drawn at its own size.
class CPicture : public Gdiplus::Bitmap {
public:
    CPicture(int width, int height);
    ~CPicture() override;
    CPicture(const CPicture&) = delete;
    CPicture& operator=(const CPicture&) = delete;

    // `source` converted; `source` itself when it cannot be.
    static std::unique_ptr<Gdiplus::Bitmap> From(std::unique_ptr<Gdiplus::Bitmap> source);
    // The picture resampled into (x, y, width, height) as `graphics` would
    // draw it there (its interpolation and pixel offset), made on first use;
    // null when it cannot be made.
    Gdiplus::Bitmap* ScaledFor(const Gdiplus::Graphics& graphics, int x, int y, int width, int height);

private:
    std::unique_ptr<Gdiplus::Bitmap> scaled;
    RECT scaledPlace = {0, 0, 0, 0};
    Gdiplus::InterpolationMode scaledInterpolation = Gdiplus::InterpolationModeInvalid;
    Gdiplus::PixelOffsetMode scaledOffset = Gdiplus::PixelOffsetModeInvalid;
};
