#include "ui/UiFont.h"

#include "base/ScopedHandles.h"

#include <cmath>
#include <cwchar>
#include <initializer_list>

namespace {

std::unique_ptr<Gdiplus::Font> TryFamily(const wchar_t* family, Gdiplus::REAL points)
{
    if (!family || !family[0])
        return nullptr;
    std::unique_ptr<Gdiplus::Font> font(
        new Gdiplus::Font(family, points, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint));
    if (font->GetLastStatus() != Gdiplus::Ok || !font->IsAvailable())
        return nullptr;
    return font;
}

// The face GDI really selects for `family` in `charset` (its substitution
// table applies; an empty family asks for any face of the charset).
bool GdiFaceFor(const wchar_t* family, wchar_t (&face)[LF_FACESIZE], BYTE charset = DEFAULT_CHARSET)
{
    LOGFONTW logFont = {};
    logFont.lfHeight = -12;
    logFont.lfCharSet = charset;
    for (int i = 0; i < LF_FACESIZE - 1 && family[i]; ++i)
        logFont.lfFaceName[i] = family[i];
    ScopedFont gdiFont(CreateFontIndirectW(&logFont));
    if (!gdiFont)
        return false;
    ScopedWindowDc screen(nullptr);
    if (!screen.get())
        return false;
    ScopedSelect select(screen.get(), gdiFont.get());
    return GetTextFaceW(screen.get(), LF_FACESIZE, face) > 0;
}

std::unique_ptr<Gdiplus::Font> FirstInstalled(Gdiplus::REAL points)
{
    Gdiplus::InstalledFontCollection installed;
    const INT count = installed.GetFamilyCount();
    if (count <= 0)
        return nullptr;
    std::unique_ptr<Gdiplus::FontFamily[]> families(new Gdiplus::FontFamily[count]);
    INT found = 0;
    installed.GetFamilies(count, families.get(), &found);
    for (INT i = 0; i < found; ++i) {
        wchar_t name[LF_FACESIZE] = {};
        if (families[i].GetFamilyName(name) != Gdiplus::Ok)
            continue;
        if (auto font = TryFamily(name, points))
            return font;
    }
    return nullptr;
}

} // namespace

std::unique_ptr<Gdiplus::Font> CreateUiFont(const wchar_t* family, Gdiplus::REAL points, BYTE charset)
{
    if (auto font = TryFamily(family, points))
        return font;
    wchar_t face[LF_FACESIZE] = {};
    if (family && GdiFaceFor(family, face, charset)) {
        if (auto font = TryFamily(face, points))
            return font;
    }
    if (auto font = TryFamily(L"宋体", points))
        return font;
    // The captions are Chinese: a face that has the glyphs before any face.
    for (const wchar_t* chinese : {L"SimSun", L"NSimSun", L"Microsoft YaHei", L"SimHei"}) {
        if (auto font = TryFamily(chinese, points))
            return font;
    }
    if (GdiFaceFor(L"", face, GB2312_CHARSET)) {
        if (auto font = TryFamily(face, points))
            return font;
    }
    return FirstInstalled(points);
}

namespace {

// The em size of `font` in pixels on a 96-DPI device; 0 when its unit
// does not say.
Gdiplus::REAL LayoutEmPixels(const Gdiplus::Font& font)
{
    switch (font.GetUnit()) {
    case Gdiplus::UnitPoint:
        return font.GetSize() * 96 / 72;
    case Gdiplus::UnitPixel:
    case Gdiplus::UnitWorld:
        return font.GetSize();
    default:
        return 0;
    }
}

// The same for `graphics`, whose DPI turns points into pixels.
Gdiplus::REAL EmPixelsOn(const Gdiplus::Graphics& graphics, const Gdiplus::Font& font)
{
    if (font.GetUnit() == Gdiplus::UnitPoint)
        return font.GetSize() * const_cast<Gdiplus::Graphics&>(graphics).GetDpiY() / 72;
    return font.GetSize();
}

// The factor of a transform that only scales both axes alike; 0 otherwise.
Gdiplus::REAL UniformScaleOf(const Gdiplus::Graphics& graphics)
{
    Gdiplus::Matrix transform;
    Gdiplus::REAL e[6] = {};
    if (graphics.GetTransform(&transform) != Gdiplus::Ok || transform.GetElements(e) != Gdiplus::Ok)
        return 0;
    if (e[1] != 0 || e[2] != 0 || e[4] != 0 || e[5] != 0 || e[0] != e[3] || e[0] <= 0)
        return 0;
    return e[0];
}

} // namespace

const Gdiplus::Font& FontForScale(const Gdiplus::Graphics& graphics, const Gdiplus::Font& font,
                                  Gdiplus::REAL scale, std::unique_ptr<Gdiplus::Font>& kept)
{
    const Gdiplus::REAL wanted = LayoutEmPixels(font) * scale;
    if (wanted <= 0 || std::fabs(EmPixelsOn(graphics, font) - wanted) < 0.01f)
        return font;
    if (kept && kept->GetUnit() == Gdiplus::UnitPixel && std::fabs(kept->GetSize() - wanted) < 0.01f)
        return *kept;
    Gdiplus::FontFamily family;
    if (font.GetFamily(&family) != Gdiplus::Ok)
        return font;
    std::unique_ptr<Gdiplus::Font> sized(
        new Gdiplus::Font(&family, wanted, font.GetStyle(), Gdiplus::UnitPixel));
    if (sized->GetLastStatus() != Gdiplus::Ok)
        return font;
    kept = std::move(sized);
    return *kept;
}

void DrawScaledString(Gdiplus::Graphics& graphics, const wchar_t* text, const Gdiplus::Font& font,
                      const Gdiplus::RectF& layout, const Gdiplus::StringFormat& format,
                      const Gdiplus::Brush* brush, std::unique_ptr<Gdiplus::Font>& kept)
{
    const Gdiplus::REAL scale = UniformScaleOf(graphics);
    if (scale == 0 || (scale == 1 && &FontForScale(graphics, font, 1, kept) == &font)) {
        graphics.DrawString(text, -1, &font, layout, &format, brush);
        return;
    }
    Gdiplus::Matrix transform;
    graphics.GetTransform(&transform);
    graphics.ResetTransform();
    const Gdiplus::RectF device(layout.X * scale, layout.Y * scale, layout.Width * scale,
                                layout.Height * scale);
    graphics.DrawString(text, -1, &FontForScale(graphics, font, scale, kept), device, &format, brush);
    graphics.SetTransform(&transform);
}
