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
