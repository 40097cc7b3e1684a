#include "ui/CImageButton.h"

#include "ui/CPicture.h"
#include "ui/DrawPicture.h"
#include "ui/LoadPngImage.h"
#include "ui/UiFont.h"

#include <strsafe.h>

namespace {

// "宋体" (SimSun), the skin's caption face; where it cannot be created,
// CreateUiFont's fallbacks keep the caption visible.
const wchar_t kCaptionFace[] = L"\u5B8B\u4F53";

template <typename T>
T* FirstOf(const std::unique_ptr<T>& a, const std::unique_ptr<T>& b)
{
    return a ? a.get() : b.get();
}

template <typename T>
T* FirstOf(const std::unique_ptr<T>& a, const std::unique_ptr<T>& b, const std::unique_ptr<T>& c)
{
    return a ? a.get() : FirstOf(b, c);
}

std::unique_ptr<Gdiplus::SolidBrush> BrushIfVisible(Gdiplus::ARGB color)
{
    if ((color >> 24) == 0)
        return nullptr;
    return std::unique_ptr<Gdiplus::SolidBrush>(new Gdiplus::SolidBrush(Gdiplus::Color(color)));
}

} // namespace

CImageButton::CImageButton(HWND ownerWindow, int id, const RECT& rect, const wchar_t* caption)
    : id(id),
      rect(rect),
      font(CreateUiFont(kCaptionFace, 9.0f, GB2312_CHARSET)),
      ownerWindow(ownerWindow),
      normalTextBrush(new Gdiplus::SolidBrush(Gdiplus::Color(0xFF000000)))
{
    SetText(caption);
}

CImageButton::~CImageButton() = default;

void CImageButton::SetRect(const RECT* newRect)
{
    if (newRect)
        rect = *newRect;
}

bool CImageButton::HitTestPart(POINT)
{
    return false;
}

RECT CImageButton::GetPartRect()
{
    return RECT{0, 0, 0, 0};
}

void CImageButton::SetText(const wchar_t* caption)
{
    StringCchCopyW(text, ARRAYSIZE(text), caption ? caption : L"");
}

void CImageButton::SetTipText(const wchar_t* tip)
{
    StringCchCopyW(tipText, ARRAYSIZE(tipText), tip ? tip : L"");
}

void CImageButton::SetImages(int normal, int hover, int pressed, int disabled)
{
    if (normal == 0)
        return;
    normalImage = LoadPremultipliedPng(normal);
    hoverImage = LoadPremultipliedPng(hover);
    pressedImage = LoadPremultipliedPng(pressed);
    disabledImage = LoadPremultipliedPng(disabled);
}

void CImageButton::SetImageStrip(int resourceId)
{
    stripImage = LoadPngImage(resourceId);
    normalImage.reset();
    hoverImage.reset();
    if (!stripImage)
        return;
    // Integer halves: an odd last column belongs to neither frame.
    const int frameWidth = static_cast<int>(stripImage->GetWidth()) / 2;
    const int height = static_cast<int>(stripImage->GetHeight());
    normalImage = CPicture::From(CropImage(stripImage.get(), 0, frameWidth, height));
    hoverImage = CPicture::From(CropImage(stripImage.get(), frameWidth, frameWidth, height));
}

std::unique_ptr<Gdiplus::Bitmap> CImageButton::CropImage(Gdiplus::Image* source, int x, int width, int height)
{
    if (!source || width <= 0 || height <= 0)
        return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> frame(new Gdiplus::Bitmap(width, height, PixelFormat32bppARGB));
    if (frame->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    Gdiplus::TextureBrush brush(source, Gdiplus::WrapModeTile, x, 0, width, height);
    Gdiplus::Graphics graphics(frame.get());
    graphics.FillRectangle(&brush, 0, 0, width, height);
    return frame;
}

CImageButton* CImageButton::SetTextColors(Gdiplus::ARGB normal, Gdiplus::ARGB hover, Gdiplus::ARGB pressed)
{
    normalTextBrush = BrushIfVisible(normal);
    hoverTextBrush = BrushIfVisible(hover);
    pressedTextBrush = BrushIfVisible(pressed);
    return this;
}

CImageButton::State CImageButton::StateAt(const RECT& drawRect, POINT cursor, int pressed) const
{
    if (forcePressed)
        return Pressed;
    if (!PtInRect(&drawRect, cursor))
        return Normal;
    return pressed ? Pressed : Hover;
}

RECT CImageButton::PaintBounds() const
{
    RECT bounds = rect;
    if (drawMode == DrawMode::State && imageOffsetX != 0) {
        // Drawn at its own size from the offset, whichever state shows.
        for (const auto* image : {&normalImage, &hoverImage, &pressedImage}) {
            if (!*image)
                continue;
            const RECT picture = {rect.left + imageOffsetX, rect.top + imageOffsetY,
                                  rect.left + imageOffsetX + static_cast<LONG>((*image)->GetWidth()),
                                  rect.top + imageOffsetY + static_cast<LONG>((*image)->GetHeight())};
            UnionRect(&bounds, &bounds, &picture);
        }
    }
    if (hasIcon && (normalIcon || hoverIcon)) {
        RECT icon = iconRect;
        OffsetRect(&icon, rect.left, rect.top);
        UnionRect(&bounds, &bounds, &icon);
    }
    return bounds;
}

void CImageButton::Draw(Gdiplus::Graphics& graphics, POINT cursor, int pressed, const RECT* overrideRect)
{
    if (!visible)
        return;
    const RECT d = (overrideRect && overrideRect->right != overrideRect->left) ? *overrideRect : rect;
    const int left = d.left;
    const int top = d.top;
    const int width = d.right - d.left;
    const int height = d.bottom - d.top;
    const State state = StateAt(d, cursor, pressed);

    Gdiplus::Image* image = nullptr;
    Gdiplus::SolidBrush* textBrush = nullptr;
    Gdiplus::Brush* background = nullptr;
    Gdiplus::Pen* border = nullptr;
    Gdiplus::Image* icon = nullptr;
    switch (state) {
    case Normal:
        image = normalImage.get();
        textBrush = normalTextBrush.get();
        background = normalBackgroundBrush.get();
        border = normalBorderPen.get();
        icon = normalIcon.get();
        break;
    case Hover:
        image = FirstOf(hoverImage, normalImage);
        textBrush = FirstOf(hoverTextBrush, normalTextBrush);
        background = FirstOf(hoverBackgroundBrush, normalBackgroundBrush);
        border = FirstOf(hoverBorderPen, normalBorderPen);
        icon = FirstOf(hoverIcon, normalIcon);
        break;
    case Pressed:
        image = FirstOf(pressedImage, hoverImage, normalImage);
        textBrush = FirstOf(pressedTextBrush, normalTextBrush);
        background = FirstOf(pressedBackgroundBrush, normalBackgroundBrush);
        border = FirstOf(pressedBorderPen, normalBorderPen);
        icon = FirstOf(hoverIcon, normalIcon);
        break;
    }

    if (background) {
        if (border)
            graphics.FillRectangle(background, left + 1, top + 1, width - 2, height - 2);
        else
            graphics.FillRectangle(background, left, top, width, height);
    }

    Gdiplus::Image* normal = normalImage.get();
    switch (drawMode) {
    case DrawMode::State:
        if (image) {
            if (imageOffsetX != 0)
                DrawPicture(graphics, image, left + imageOffsetX, top + imageOffsetY,
                            static_cast<INT>(image->GetWidth()), static_cast<INT>(image->GetHeight()));
            else
                DrawPicture(graphics, image, left, top, width, height);
        }
        break;
    case DrawMode::StateThenNormal:
        if (image)
            DrawPicture(graphics, image, left, top, width, height);
        if (normal && normal != image)
            DrawPicture(graphics, normal, left, top, width, height);
        break;
    case DrawMode::NormalThenState:
        if (normal && normal != image)
            DrawPicture(graphics, normal, left, top, width, height);
        if (image)
            DrawPicture(graphics, image, left, top, width, height);
        break;
    default:
        break;
    }

    if (hasIcon && icon)
        DrawPicture(graphics, icon, static_cast<INT>(left + iconRect.left), static_cast<INT>(top + iconRect.top),
                    static_cast<INT>(iconRect.right - iconRect.left),
                    static_cast<INT>(iconRect.bottom - iconRect.top));

    RECT textRect = d;
    DrawText(graphics, &textRect, textBrush);

    if (border) {
        const int l = left;
        const int t = top;
        const int r = left + width;
        const int b = top + height;
        const Gdiplus::Point outline[9] = {{l, t + 1},     {l + 1, t},     {r - 2, t},     {r - 1, t + 1}, {r - 1, b - 2},
                                           {r - 2, b - 1}, {l + 1, b - 1}, {l, b - 2},     {l, t + 1}};
        graphics.DrawLines(border, outline, 9);
    }
}

Gdiplus::RectF CImageButton::CaptionLayout(const RECT& textRect) const
{
    RECT r = textRect;
    if (hasIcon && normalIcon)
        r.left += iconRect.right - 1;
    r.left += textMargin.left;
    r.top += textMargin.top;
    r.right -= textMargin.right;
    r.bottom -= textMargin.bottom + 1;

    int bandHeight = r.bottom - r.top;
    int offset = 0;
    if (textLineHeight != 0 && textLineHeight < bandHeight) {
        offset = (bandHeight - textLineHeight) / 2;
        bandHeight = textLineHeight;
    }
    return Gdiplus::RectF(static_cast<Gdiplus::REAL>(r.left), static_cast<Gdiplus::REAL>(r.top + offset),
                          static_cast<Gdiplus::REAL>(r.right - r.left), static_cast<Gdiplus::REAL>(bandHeight));
}

void CImageButton::DrawText(Gdiplus::Graphics& graphics, RECT* textRect, Gdiplus::Brush* brush)
{
    if (!showText || text[0] == L'\0' || !textRect || !brush)
        return;
    Gdiplus::StringFormat format(0, LANG_NEUTRAL);
    format.SetAlignment(static_cast<Gdiplus::StringAlignment>(textAlign));
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format.SetTrimming(Gdiplus::StringTrimmingEllipsisWord);
    const Gdiplus::Font* face = customFont ? customFont : font.get();
    if (face)
        DrawScaledString(graphics, text, *face, CaptionLayout(*textRect), format, brush, scaledFont);
}
