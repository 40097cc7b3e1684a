#include "ui/CPicture.h"

#include "ui/CLayeredSurface.h"

#include <cstring>
#include <utility>

CPicture::CPicture(int width, int height) : Gdiplus::Bitmap(width, height, PixelFormat32bppPARGB) {}

CPicture::~CPicture() = default;

std::unique_ptr<Gdiplus::Bitmap> CPicture::From(std::unique_ptr<Gdiplus::Bitmap> source)
{
    if (!source)
        return source;
    const INT width = static_cast<INT>(source->GetWidth());
    const INT height = static_cast<INT>(source->GetHeight());
    std::unique_ptr<CPicture> copy(new CPicture(width, height));
    if (copy->GetLastStatus() != Gdiplus::Ok)
        return source;
    copy->SetResolution(source->GetHorizontalResolution(), source->GetVerticalResolution());
    const Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData target = {};
    if (copy->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &target) != Gdiplus::Ok)
        return source;
    // The source converts straight into the copy's pixels.
    Gdiplus::BitmapData read = target;
    const bool converted =
        source->LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                         PixelFormat32bppPARGB, &read) == Gdiplus::Ok &&
        source->UnlockBits(&read) == Gdiplus::Ok;
    copy->UnlockBits(&target);
    if (!converted)
        return source;
    return copy;
}

Gdiplus::Bitmap* CPicture::ScaledFor(const Gdiplus::Graphics& graphics, int x, int y, int width,
                                     int height)
{
    const Gdiplus::InterpolationMode interpolation = graphics.GetInterpolationMode();
    const Gdiplus::PixelOffsetMode offset = graphics.GetPixelOffsetMode();
    const RECT place = {x, y, x + width, y + height};
    if (scaled && EqualRect(&place, &scaledPlace) && scaledInterpolation == interpolation &&
        scaledOffset == offset)
        return scaled.get();
    scaled.reset();
    if (x < 0 || y < 0 || width <= 0 || height <= 0)
        return nullptr;

    // Resampled into a transparent 32-bpp DIB at the very place it is
    // drawn (GDI+ may sample a little differently elsewhere), so blending
    // the copy there gives the pixels blending the picture would.
    CLayeredSurface canvas(x + width, y + height);
    std::unique_ptr<Gdiplus::Bitmap> copy(new Gdiplus::Bitmap(width, height, PixelFormat32bppPARGB));
    if (!canvas.ok() || copy->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    {
        Gdiplus::Graphics g(canvas.dc());
        g.SetInterpolationMode(interpolation);
        g.SetPixelOffsetMode(offset);
        if (g.DrawImage(this, x, y, width, height) != Gdiplus::Ok)
            return nullptr;
        g.Flush(Gdiplus::FlushIntentionSync);
    }
    GdiFlush();
    const Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData target = {};
    if (copy->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &target) != Gdiplus::Ok)
        return nullptr;
    for (int row = 0; row < height; ++row)
        std::memcpy(static_cast<BYTE*>(target.Scan0) + static_cast<size_t>(row) * target.Stride,
                    canvas.Row(y + row) + x, static_cast<size_t>(width) * 4);
    copy->UnlockBits(&target);
    scaled = std::move(copy);
    scaledPlace = place;
    scaledInterpolation = interpolation;
    scaledOffset = offset;
    return scaled.get();
}
