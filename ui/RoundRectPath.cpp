#include "ui/RoundRectPath.h"

#include <algorithm>

std::unique_ptr<Gdiplus::GraphicsPath> BuildRoundRectPath(const RECT& rect, int radius)
{
    auto path = std::make_unique<Gdiplus::GraphicsPath>(Gdiplus::FillModeAlternate);
    const INT l = rect.left;
    const INT t = rect.top;
    const INT r = rect.right;
    const INT b = rect.bottom;
    if (r < l || b < t)
        return path;

    // Arcs wider than half a side would overlap; negative ones are invalid.
    const INT a = std::max(0, std::min<INT>(radius, std::min(r - l, b - t) / 2));
    if (a == 0) {
        // GDI+ rejects zero-sized arcs; plain corners keep the same order.
        path->AddLine(l, t, r, t);
        path->AddLine(r, t, r, b);
        path->AddLine(r, b, l, b);
        path->AddLine(l, t, l, b);
        return path;
    }
    const INT d = 2 * a;
    path->AddArc(l, t, d, d, 180.0f, 90.0f);
    path->AddLine(l + a, t, r - a, t);
    path->AddArc(r - d, t, d, d, 270.0f, 90.0f);
    path->AddLine(r, t + a, r, b - a);
    path->AddArc(r - d, b - d, d, d, 0.0f, 90.0f);
    path->AddLine(r - a, b, l + a, b);
    path->AddArc(l, b - d, d, d, 90.0f, 90.0f);
    path->AddLine(l, t + a, l, b - a);
    return path;
}
