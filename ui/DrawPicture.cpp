#include "ui/DrawPicture.h"

#include "ui/CPicture.h"

namespace {

bool Untransformed(const Gdiplus::Graphics& graphics)
{
    Gdiplus::Matrix transform;
    return graphics.GetTransform(&transform) == Gdiplus::Ok && transform.IsIdentity() != FALSE;
}

} // namespace

void DrawPicture(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int width,
                 int height)
{
    if (!image)
        return;
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
