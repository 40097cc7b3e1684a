#pragma once

#include "windows/COfflinePanel.h"
#include "windows/OfflineRetry.h"

#include <windows.h>

#include <string>

class CImagePaint;
class HtmlWindowProxy;

// The game window's answer to a page that cannot be reached: the panel in
// place of the page, the retry schedule and its timer. Owning thread: the
// game window's (main); it only asks the browser thread, never waits.
class OfflineView {
public:
    // The next automatic retry while the page cannot be reached.
    static constexpr UINT_PTR RetryTimer = 5565;
    static constexpr int kNavNoHistory = 2;

    // Everything it acts on belongs to the game window and outlives it.
    void Attach(HWND window, CImagePaint& painter, HtmlWindowProxy& page);

    // The top-level navigation to `url` failed: the page is hidden behind
    // the panel over `pageArea` (client pixels) and a retry scheduled.
    void OnNavigateFailed(const std::wstring& url, const RECT& pageArea);
    // A navigation completed: the panel goes and the page comes back.
    void OnPageLoaded();
    // The retry timer fired or "重试" was pressed.
    void RetryNow();
    void Layout(const RECT& pageArea);
    void Paint(Gdiplus::Graphics& graphics) const { panel.Paint(graphics); }
    // The window is going: no retry outlives it.
    void Stop();

    bool shown() const { return panel.shown(); }
    OfflineRetry& schedule() { return retry; }

private:
    HWND window = nullptr;
    CImagePaint* painter = nullptr;
    HtmlWindowProxy* page = nullptr;
    OfflineRetry retry;
    COfflinePanel panel;
};
