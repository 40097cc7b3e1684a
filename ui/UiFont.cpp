#include "ui/UiFont.h"

#include "base/ScopedHandles.h"

#include <cwchar>
#include <initializer_list>

namespace {

std::unique_ptr<Gdiplus::Font> TryFamily(const wchar_t* family, Gdiplus::REAL points)
{
    if (!family || !family[0])
        return nullptr;
    // In pixels of the 96-DPI layout, whatever the DC's DPI: the painter's
    // scale then sizes text like everything else, once.
    const Gdiplus::REAL pixels = points * 96 / 72;
    std::unique_ptr<Gdiplus::Font> font(
        new Gdiplus::Font(family, pixels, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel));
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
