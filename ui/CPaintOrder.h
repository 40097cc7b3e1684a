#pragma once

#include "ui/GdiPlusInclude.h"

#include <windows.h>

#include <functional>
#include <memory>

class CElementStore;
class CPointerInput;

// What a painter draws, in which order: the background fill, the owner's
// background hook, the images, the buttons as the pointer leaves them (held
// subdivided buttons once more on top), the owner's foreground hook. Both
// rendering paths draw through it. Used on the thread of the painter's
// window.
class CPaintOrder {
public:
    using PaintCallback = std::function<void(Gdiplus::Graphics&)>;

    CPaintOrder(const CElementStore& elements, const CPointerInput& pointer);
    CPaintOrder(const CPaintOrder&) = delete;
    CPaintOrder& operator=(const CPaintOrder&) = delete;
    ~CPaintOrder();

    // Fills the background with `argb` from now on.
    void SetBackColor(Gdiplus::ARGB argb);
    // The brush for backColor, unless there is one or the colour is clear.
    void MakeBackBrush();
    // `update` (layout units) null draws everything. `copyFirst`: the
    // update area is transparent (or wholly under the first picture), so
    // that picture may be copied in, not blended.
    void DrawAll(Gdiplus::Graphics& graphics, const RECT& client, const RECT* update, bool copyFirst);
    // Whether DrawAll's first picture in `area` is copied over all of it,
    // so that the old pixels there need no clearing.
    bool CopiedOver(const RECT& area) const;
    // A digest of everything that decides how the elements look, other than
    // the pointer: a change the painter was not told of still redraws all.
    unsigned long long Look() const;

    bool fillBackground = true;
    std::unique_ptr<Gdiplus::SolidBrush> backBrush;
    Gdiplus::ARGB backColor = 0xFFFAFAFA;
    PaintCallback onPaintBackground;
    PaintCallback onPaintForeground;

private:
    const CElementStore& elements;
    const CPointerInput& pointer;
};
