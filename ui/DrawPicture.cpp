#include "ui/DrawPicture.h"

#include "ui/CPicture.h"

#include <cmath>

namespace {

bool Untransformed(const Gdiplus::Graphics& graphics)
{
    Gdiplus::Matrix transform;
    return graphics.GetTransform(&transform) == Gdiplus::Ok && transform.IsIdentity() != FALSE;
}

// The factor of a transform that only scales both axes alike; 0 otherwise.
Gdiplus::REAL UniformScale(const Gdiplus::Matrix& transform)
{
    Gdiplus::REAL e[6] = {};
    if (transform.GetElements(e) != Gdiplus::Ok)
        return 0;
    if (e[1] != 0 || e[2] != 0 || e[4] != 0 || e[5] != 0 || e[0] != e[3] || e[0] <= 0)
        return 0;
    return e[0];
}

// Copies `image` into (x, y, width, height) pixel for pixel, inside the clip.
void CopyPicture(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int width,
                 int height)
{
    Gdiplus::Rect drawn(x, y, width, height);
    Gdiplus::Rect visible;
    if (graphics.GetVisibleClipBounds(&visible) == Gdiplus::Ok && !drawn.Intersect(visible))
        return;
    const Gdiplus::InterpolationMode interpolation = graphics.GetInterpolationMode();
    const Gdiplus::PixelOffsetMode offset = graphics.GetPixelOffsetMode();
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.DrawImage(image, drawn, drawn.X - x, drawn.Y - y, drawn.Width, drawn.Height, Gdiplus::UnitPixel);
    graphics.SetInterpolationMode(interpolation);
    graphics.SetPixelOffsetMode(offset);
}

// Under a scaling transform: the picture resampled once for this scale
// (nearest neighbour at whole factors, a high-quality filter otherwise),
// then copied at its place in device pixels. False when `image` is not a
// picture that keeps copies.
bool DrawScaled(Gdiplus::Graphics& graphics, Gdiplus::Image* image, Gdiplus::REAL scale, int x, int y,
                int width, int height)
{
    auto* picture = dynamic_cast<CPicture*>(image);
    if (!picture || width <= 0 || height <= 0)
        return false;
    const int left = static_cast<int>(std::lround(x * scale));
    const int top = static_cast<int>(std::lround(y * scale));
    const int right = static_cast<int>(std::lround((x + width) * scale));
    const int bottom = static_cast<int>(std::lround((y + height) * scale));
    Gdiplus::Matrix transform;
    graphics.GetTransform(&transform);
    graphics.ResetTransform();
    const Gdiplus::InterpolationMode interpolation = graphics.GetInterpolationMode();
    const Gdiplus::PixelOffsetMode offset = graphics.GetPixelOffsetMode();
    const bool whole = std::floor(scale) == scale;
    graphics.SetInterpolationMode(whole ? Gdiplus::InterpolationModeNearestNeighbor
                                        : Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    Gdiplus::Bitmap* scaled = picture->ScaledFor(graphics, left, top, right - left, bottom - top);
    if (scaled)
        CopyPicture(graphics, scaled, left, top, right - left, bottom - top);
    else
        graphics.DrawImage(image, left, top, right - left, bottom - top);
    graphics.SetInterpolationMode(interpolation);
    graphics.SetPixelOffsetMode(offset);
    graphics.SetTransform(&transform);
    return true;
}

} // namespace

void DrawPicture(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int width,
                 int height)
{
    if (!image)
        return;
    {
        Gdiplus::Matrix transform;
        const Gdiplus::REAL scale =
            graphics.GetTransform(&transform) == Gdiplus::Ok ? UniformScale(transform) : 0;
        if (scale != 0 && scale != 1 && DrawScaled(graphics, image, scale, x, y, width, height))
            return;
    }
    if (static_cast<int>(image->GetWidth()) != width || static_cast<int>(image->GetHeight()) != height) {
        auto* picture = dynamic_cast<CPicture*>(image);
        Gdiplus::Bitmap* scaled = picture && width > 0 && height > 0 && Untransformed(graphics)
                                      ? picture->ScaledFor(graphics, x, y, width, height)
                                      : nullptr;
        if (!scaled) {
            graphics.DrawImage(image, x, y, width, height);
            return;
        }
        image = scaled;
    }
    CopyPicture(graphics, image, x, y, width, height);
}
