#pragma once

#include "ui/GdiPlusInclude.h"
#include "ui/LayeredWindow.h"

#include <windows.h>

#include <functional>
#include <memory>

class CLayeredSurface;

// Where a painter's layout meets the screen. Layout is in 96-DPI units;
// the target holds the window's one scale factor (its monitor's DPI / 96),
// maps rectangles and points across, and for layered windows owns the kept
// surface, the union of what changed since the last push, and the push.
// Used on the thread of the window it draws.
class CRenderTarget {
public:
    struct PushFunctions {
        UpdateLayeredWindowFn update = nullptr;
        UpdateLayeredWindowIndirectFn indirect = nullptr;
    };
    // Draws the elements meeting `area` (layout units; null: everything).
    using DrawFunction = std::function<void(Gdiplus::Graphics&, const RECT* area)>;
    // Whether the first picture drawn in `area` covers all of it, so its old
    // pixels need no clearing.
    using CoverFunction = std::function<bool(const RECT& area)>;

    CRenderTarget();
    ~CRenderTarget();
    CRenderTarget(const CRenderTarget&) = delete;
    CRenderTarget& operator=(const CRenderTarget&) = delete;

    // The window's DPI: GetDpiForWindow where the system has it, else the
    // DC's LOGPIXELSX. Returns whether the scale changed.
    bool LookUpScale(HWND window);
    bool SetDpi(UINT newDpi);
    UINT Dpi() const { return dpi; }
    bool Unscaled() const { return dpi == 96; }

    // Device pixels covering a layout rectangle, and the layout rectangle
    // covering device pixels (both rounded outwards).
    RECT ToDevice(const RECT& layout) const;
    RECT ToLayout(const RECT& device) const;
    POINT ToLayout(POINT device) const;
    // A device length in layout units, to the nearest.
    int ToLayoutLength(int device) const;
    // Sets the one transform that turns layout units into device pixels.
    void Apply(Gdiplus::Graphics& graphics) const;

    // Layered: adds `layout` to what the next render redraws. Otherwise it
    // invalidates the window there.
    void Invalidate(HWND window, bool layered, const RECT& layout);
    // The next render redraws everything.
    void InvalidateWhole() { whole = true; }
    bool WholePending() const { return whole || !surface; }
    bool Pending() const { return WholePending() || !IsRectEmpty(&dirty); }

    // Redraws what is pending into the kept surface and pushes it. `stillOurs`
    // is asked after drawing: drawing runs hooks that may close the window
    // or render anew from inside. A push the system refuses drops the
    // surface, so that the next render is whole.
    void Render(HWND window, const PushFunctions& push, BYTE alpha, const DrawFunction& draw,
                const CoverFunction& covered, const std::function<bool()>& stillOurs);
    // Forgets the surface and what was pending.
    void Drop();
    // Whether a surface is kept: the last push reached the screen.
    bool HasSurface() const { return surface != nullptr; }

private:
    UINT dpi = 96;
    bool whole = true;
    RECT dirty = {0, 0, 0, 0};  // layout units
    std::unique_ptr<CLayeredSurface> surface;
};
