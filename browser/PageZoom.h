#pragma once

#include <windows.h>

#include <exdisp.h>

// The page zoom the window asked for, as the control's optical zoom
// (OLECMDID_OPTICAL_ZOOM). It is kept to be applied again: a new document
// may start at the control's default zoom. Until one is asked for the
// control keeps its own. Owning thread: the browser thread.
class PageZoom {
public:
    // What the control takes, in percent.
    static constexpr int MinPercent = 10;
    static constexpr int MaxPercent = 1000;

    PageZoom() = default;
    PageZoom(const PageZoom&) = delete;
    PageZoom& operator=(const PageZoom&) = delete;

    // Keeps `percent`, brought into what the control takes, and applies it
    // to `browser` when there is one (a control without a document may
    // refuse it; the next page gets it).
    void Ask(int percent, IWebBrowser2* browser);
    // Applies the kept zoom again, when one was asked for.
    void Reapply(IWebBrowser2* browser) const;

private:
    static void Apply(IWebBrowser2* browser, int percent);

    int percent = 100;
    bool asked = false;
};
