#pragma once

#include "ui/GdiPlusInclude.h"

#include <memory>

// Outline of a rounded rectangle (left, top, right, bottom are the stroke's
// centre line) with corner radius `radius`, built from integer GDI+ arcs and
// lines: top-left arc, top edge, top-right arc, right edge, bottom-right arc,
// bottom edge, bottom-left arc, left edge (drawn from its top down). The
// figure is left open; stroked, it still looks closed.
//
// The radius is clamped to 0..min(width, height) / 2 so that a small or
// collapsed rectangle still gives a sane outline; a rectangle whose right or
// bottom lies before its left or top gives an empty path.
std::unique_ptr<Gdiplus::GraphicsPath> BuildRoundRectPath(const RECT& rect, int radius);
