#pragma once

#include "ui/GdiPlusInclude.h"

#include <array>
#include <memory>

// The soft shadow drawn around a window: three translucent rounded outlines,
// faint outside, strong along the window's border. Shared by the shadow
// window and by the back window when it serves as the game window's shadow.

struct ShadowOutline {
    RECT rect;   // stroke centre line, client coordinates
    int radius;  // corner radius
};

using ShadowPens = std::unique_ptr<Gdiplus::Pen>[3];
using ShadowColors = Gdiplus::ARGB[3];

// Grey 0x8A8A8A at alpha 15, 50 and 100; menus use the lighter 0x9E9E9E.
constexpr Gdiplus::ARGB kShadowColors[3] = {0x0F8A8A8A, 0x328A8A8A, 0x648A8A8A};
constexpr Gdiplus::ARGB kMenuShadowColors[3] = {0x0F9E9E9E, 0x329E9E9E, 0x649E9E9E};
constexpr int kShadowPenWidths[3] = {2, 2, 4};

// Where the three outlines run inside a shadow window's client rectangle,
// outermost first.
std::array<ShadowOutline, 3> ShadowOutlineLayout(const RECT& client, int shadowSize,
                                                 int cornerRadius);

// The shadow window's rectangle for an owner window rectangle: grown by
// `shadowSize` on every side, or left as it is when it is empty.
RECT ShadowWindowRect(const RECT& ownerRect, int shadowSize);

// Replaces the three pens by new ones in `colors` (widths 2, 2 and 4).
void RecreateShadowPens(ShadowPens& pens, const ShadowColors& colors);

// Strokes the three outlines for `client`; a missing pen skips its outline.
void StrokeShadowOutlines(Gdiplus::Graphics& graphics, const RECT& client, int shadowSize,
                          int cornerRadius, const ShadowPens& pens);
