#include "ui/CPaintOrder.h"

#include "ui/CElementStore.h"
#include "ui/CImageButton.h"
#include "ui/CImageStatic.h"
#include "ui/CPointerInput.h"

namespace {

bool Intersects(const RECT& a, const RECT& b)
{
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

// An image that draws its picture and nothing else, without filtering.
bool PictureOnly(const CImageStatic& image)
{
    return image.visible && image.image && !image.smooth && !image.backgroundBrush &&
           image.text[0] == L'\0';
}

// FNV-1a over the bytes of each value mixed in.
class Digest {
public:
    template <typename T>
    void Add(const T& value)
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
        for (size_t i = 0; i < sizeof(T); ++i)
            hash = (hash ^ bytes[i]) * 1099511628211ULL;
    }
    void AddText(const wchar_t* text)
    {
        for (; *text; ++text)
            Add(*text);
        Add(L'\0');
    }
    unsigned long long value() const { return hash; }

private:
    unsigned long long hash = 14695981039346656037ULL;
};

} // namespace

CPaintOrder::CPaintOrder(const CElementStore& elements, const CPointerInput& pointer)
    : elements(elements), pointer(pointer)
{
}

CPaintOrder::~CPaintOrder() = default;

void CPaintOrder::SetBackColor(Gdiplus::ARGB argb)
{
    backBrush = std::make_unique<Gdiplus::SolidBrush>(Gdiplus::Color(argb));
    fillBackground = true;
}

void CPaintOrder::MakeBackBrush()
{
    if (!backBrush && (backColor >> 24) != 0)
        backBrush = std::make_unique<Gdiplus::SolidBrush>(Gdiplus::Color(backColor));
}

void CPaintOrder::DrawAll(Gdiplus::Graphics& graphics, const RECT& client, const RECT* update,
                          bool copyFirst)
{
    // Until something is drawn, a picture lands on transparent pixels:
    // copying it in gives what blending would, for less work.
    bool blank = copyFirst;
    if (fillBackground && backBrush) {
        graphics.FillRectangle(backBrush.get(), static_cast<INT>(client.left - 1),
                               static_cast<INT>(client.top - 1),
                               static_cast<INT>(client.right - client.left + 1),
                               static_cast<INT>(client.bottom - client.top + 1));
        blank = false;
    }
    if (onPaintBackground) {
        const PaintCallback callback = onPaintBackground;
        callback(graphics);
        blank = false;
    }
    // Indexes, not iterators: a paint hook may have changed the lists.
    const RECT none = {0, 0, 0, 0};
    const CElementStore::Images& images = elements.images;
    for (size_t i = 0; i < images.size(); ++i) {
        CImageStatic& image = *images[i];
        if (update && !Intersects(image.rect, *update))
            continue;
        if (blank && PictureOnly(image)) {
            graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
            image.Draw(graphics, &none);
            graphics.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
        } else {
            image.Draw(graphics, &none);
        }
        blank = false;
    }
    // The pointer is read at each button: a hook may have moved it.
    const CElementStore::Buttons& buttons = elements.buttons;
    for (size_t i = 0; i < buttons.size(); ++i) {
        CImageButton& button = *buttons[i];
        if (!update || Intersects(button.PaintBounds(), *update))
            button.Draw(graphics, pointer.mousePos, pointer.leftPressed ? 1 : 0, &none);
    }
    // Subdivided buttons held down lie above all others.
    for (size_t i = 0; i < buttons.size(); ++i) {
        CImageButton& button = *buttons[i];
        if (button.kind == ButtonKind::Parts && button.forcePressed &&
            (!update || Intersects(button.PaintBounds(), *update)))
            button.Draw(graphics, pointer.mousePos, pointer.leftPressed ? 1 : 0, &none);
    }
    if (onPaintForeground) {
        const PaintCallback callback = onPaintForeground;
        callback(graphics);
    }
}

bool CPaintOrder::CopiedOver(const RECT& area) const
{
    if ((fillBackground && backBrush) || onPaintBackground)
        return false;
    // DrawAll copies the first image it meets here when it is a bare
    // picture; at its own size it then writes every pixel it covers.
    for (const auto& image : elements.images) {
        if (!Intersects(image->rect, area))
            continue;
        const RECT& r = image->rect;
        RECT covered;
        return PictureOnly(*image) && static_cast<LONG>(image->image->GetWidth()) == r.right - r.left &&
               static_cast<LONG>(image->image->GetHeight()) == r.bottom - r.top &&
               IntersectRect(&covered, &r, &area) && EqualRect(&covered, &area);
    }
    return false;
}

unsigned long long CPaintOrder::Look() const
{
    Digest digest;
    digest.Add(fillBackground);
    digest.Add(backBrush.get());
    for (const auto& image : elements.images) {
        digest.Add(image.get());
        digest.Add(image->rect);
        digest.Add(image->visible);
        digest.Add(image->image.get());
        digest.Add(image->smooth);
        digest.Add(image->backgroundBrush.get());
        digest.AddText(image->text);
    }
    for (const auto& button : elements.buttons) {
        digest.Add(button.get());
        digest.Add(button->rect);
        digest.Add(button->visible);
        digest.Add(button->kind);
        digest.Add(button->drawMode);
        digest.Add(button->forcePressed);
        digest.Add(button->imageOffsetX);
        digest.Add(button->imageOffsetY);
        digest.Add(button->hasIcon);
        digest.Add(button->iconRect);
        digest.Add(button->showText);
        digest.Add(button->normalImage.get());
        digest.Add(button->hoverImage.get());
        digest.Add(button->pressedImage.get());
        digest.Add(button->disabledImage.get());
        digest.Add(button->normalIcon.get());
        digest.Add(button->hoverIcon.get());
        digest.Add(button->customFont);
        digest.Add(button->font.get());
        digest.Add(button->normalTextBrush.get());
        digest.Add(button->hoverTextBrush.get());
        digest.Add(button->pressedTextBrush.get());
        digest.AddText(button->text);
    }
    return digest.value();
}
