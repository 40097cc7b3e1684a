#pragma once

#include "ui/GdiPlusInclude.h"

// Draws `image` into (x, y, width, height) as Graphics::DrawImage does. A
// picture drawn at its own size (a stretched CPicture: its scaled copy)
// goes over pixel for pixel (nearest neighbour, half-pixel offset) and only
// inside the clip: the same pixels, and a small redraw of a large window
// reads no more of the picture than it needs.
void DrawPicture(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int width,
                 int height);
