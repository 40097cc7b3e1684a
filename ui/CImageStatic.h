#pragma once

#include "ui/GdiPlusInclude.h"

#include <memory>

// Windowless picture element: a PNG stretched into a rectangle, with an
// optional background fill and caption. Owned by a painter's image list or a
// menu row, which keep it in place on resize through the anchors.
class CImageStatic {
public:
    CImageStatic();
    CImageStatic(int id, const RECT& rect, bool smooth);
    CImageStatic(const CImageStatic&) = delete;
    CImageStatic& operator=(const CImageStatic&) = delete;
    virtual ~CImageStatic();

    // Draws into `overrideRect` when its right differs from its left (menu
    // rows pass their own positions), else into `rect`. Null means empty.
    void Draw(Gdiplus::Graphics& graphics, const RECT* overrideRect) const;

    // Copies `caption` (cut to 255 characters; null = empty).
    void SetText(const wchar_t* caption);

    int rightAnchor = -1;
    int bottomAnchor = -1;
    int fixedLeft = -1;
    int fixedTop = -1;
    std::unique_ptr<Gdiplus::SolidBrush> textBrush;
    std::unique_ptr<Gdiplus::Brush> backgroundBrush;
    int textOffsetX = 0;
    bool smooth = false;
    RECT rect = {0, 0, 0, 0};
    std::unique_ptr<Gdiplus::Image> image;
    int id = 0;
    wchar_t text[256] = {};
    std::unique_ptr<Gdiplus::Font> font;
    Gdiplus::Font* customFont = nullptr;  // borrowed
    // The text's font at the drawing scale, when that differs: a cache
    // that const drawing fills.
    mutable std::unique_ptr<Gdiplus::Font> scaledFont;
    bool visible = true;
    int textAlign = Gdiplus::StringAlignmentCenter;
};
