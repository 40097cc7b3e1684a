#include "ui/ShadowOutlines.h"

#include "ui/RoundRectPath.h"

std::array<ShadowOutline, 3> ShadowOutlineLayout(const RECT& client, int shadowSize,
                                                 int cornerRadius)
{
    const int s = shadowSize;
    const int r = cornerRadius;
    const RECT& c = client;
    return {{
        {{c.left + s - 5, c.top + s - 5, c.right + 4 - s, c.bottom + 4 - s}, r + 1},
        {{c.left + s - 3, c.top + s - 3, c.right + 2 - s, c.bottom + 2 - s}, r + 1},
        {{c.left + s, c.top + s, c.right - 1 - s, c.bottom - 1 - s}, r - 1},
    }};
}

RECT ShadowWindowRect(const RECT& ownerRect, int shadowSize)
{
    RECT r = ownerRect;
    if (!IsRectEmpty(&r))
        InflateRect(&r, shadowSize, shadowSize);
    return r;
}

void RecreateShadowPens(ShadowPens& pens, const ShadowColors& colors)
{
    for (int i = 0; i < 3; ++i) {
        pens[i].reset();
        pens[i] = std::make_unique<Gdiplus::Pen>(Gdiplus::Color(colors[i]),
                                                 static_cast<Gdiplus::REAL>(kShadowPenWidths[i]));
    }
}

void StrokeShadowOutlines(Gdiplus::Graphics& graphics, const RECT& client, int shadowSize,
                          int cornerRadius, const ShadowPens& pens)
{
    const auto outlines = ShadowOutlineLayout(client, shadowSize, cornerRadius);
    for (int i = 0; i < 3; ++i) {
        if (!pens[i])
            continue;
        const auto path = BuildRoundRectPath(outlines[i].rect, outlines[i].radius);
        graphics.DrawPath(pens[i].get(), path.get());
    }
}
