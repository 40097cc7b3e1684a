#pragma once

#include "ui/GdiPlusInclude.h"

#include <memory>

// A regular GDI+ font of `family` at `points` (unit point). When GDI+ does
// not know the family (Wine's GDI+ has no "Tahoma" although GDI maps it to
// an installed face), the face GDI substitutes for it is used, then "宋体",
// then a face with Chinese glyphs, then any installed family, so text is
// never silently dropped. Null only when no family at all can be created.
// `charset` steers GDI's substitute towards a face with the text's glyphs
// (a face without them makes every string a slow, glyph-by-glyph search).
std::unique_ptr<Gdiplus::Font> CreateUiFont(const wchar_t* family, Gdiplus::REAL points,
                                            BYTE charset = DEFAULT_CHARSET);

// `font` as text must be drawn with through `graphics` for a layout drawn
// `scale` times its 96-DPI size: `font` itself when it already comes out at
// that size there (always at 96 DPI and scale 1), else a copy at the scaled
// pixel size, made once and kept in `kept` (by whoever owns `font`).
const Gdiplus::Font& FontForScale(const Gdiplus::Graphics& graphics, const Gdiplus::Font& font,
                                  Gdiplus::REAL scale, std::unique_ptr<Gdiplus::Font>& kept);

// DrawString of a layout rectangle under a scaling transform: the text is
// set in device pixels with a font created at the scaled size, not drawn
// at 96 DPI and stretched.
void DrawScaledString(Gdiplus::Graphics& graphics, const wchar_t* text, const Gdiplus::Font& font,
                      const Gdiplus::RectF& layout, const Gdiplus::StringFormat& format,
                      const Gdiplus::Brush* brush, std::unique_ptr<Gdiplus::Font>& kept);
