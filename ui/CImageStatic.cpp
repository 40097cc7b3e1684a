#include "ui/CImageStatic.h"

#include "ui/DrawPicture.h"
#include "ui/UiFont.h"

#include <strsafe.h>

namespace {

// "宋体" (SimSun), the skin's caption face; where it cannot be created,
// CreateUiFont's fallbacks keep the caption visible.
const wchar_t kCaptionFace[] = L"\u5B8B\u4F53";

} // namespace

CImageStatic::CImageStatic()
    : textBrush(new Gdiplus::SolidBrush(Gdiplus::Color(0xFF000000))),
      font(CreateUiFont(kCaptionFace, 9.0f, GB2312_CHARSET))
{
}

CImageStatic::CImageStatic(int id, const RECT& rect, bool smooth) : CImageStatic()
{
    this->id = id;
    this->rect = rect;
    this->smooth = smooth;
}

CImageStatic::~CImageStatic() = default;

void CImageStatic::SetText(const wchar_t* caption)
{
    StringCchCopyW(text, ARRAYSIZE(text), caption ? caption : L"");
}

void CImageStatic::Draw(Gdiplus::Graphics& graphics, const RECT* overrideRect) const
{
    if (!visible)
        return;
    const RECT r = (overrideRect && overrideRect->right != overrideRect->left) ? *overrideRect : rect;
    const int left = r.left;
    const int top = r.top;
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;

    if (backgroundBrush)
        graphics.FillRectangle(backgroundBrush.get(), left - 1, top - 1, width + 1, height + 1);

    if (image) {
        if (!smooth) {
            DrawPicture(graphics, image.get(), left, top, width, height);
        } else {
            // Mirrored wrap: the filter samples mirrored pixels beyond the
            // source edges instead of transparent ones, so a stretched strip
            // keeps full strength at its borders.
            Gdiplus::ImageAttributes attributes;
            attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY, Gdiplus::Color(0xFF000000), FALSE);
            const Gdiplus::Rect destination(left, top, width, height);
            graphics.DrawImage(image.get(), destination, 0, 0, static_cast<INT>(image->GetWidth()),
                               static_cast<INT>(image->GetHeight()), Gdiplus::UnitPixel, &attributes);
        }
    }

    if (text[0] != L'\0' && textBrush) {
        Gdiplus::StringFormat format(0, LANG_NEUTRAL);
        format.SetAlignment(static_cast<Gdiplus::StringAlignment>(textAlign));
        format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
        format.SetTrimming(Gdiplus::StringTrimmingEllipsisWord);
        const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(r.left + textOffsetX), static_cast<Gdiplus::REAL>(r.top),
                                    static_cast<Gdiplus::REAL>(width), static_cast<Gdiplus::REAL>(height));
        if (const Gdiplus::Font* face = customFont ? customFont : font.get())
            DrawScaledString(graphics, text, *face, layout, format, textBrush.get(), scaledFont);
    }
}
