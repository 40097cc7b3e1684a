#pragma once

#include <windows.h>

#include <string>

// When the page cannot be reached: whether the offline panel shows, which
// address failed, when to try it again and whether a try is under way. No
// windows or timers here; the game window acts on the answers.
// Owning thread: the game window's (main).
class OfflineRetry {
public:
    // Delay before the automatic retry after `failures` failures in a row:
    // 5 s, 10 s, 20 s, then every 30 s.
    static UINT RetryDelayMs(int failures);

    // The top-level navigation to `url` failed (a retry's included): the
    // panel shows. Returns the delay before the automatic retry, or 0 once
    // stopped (then nothing changes).
    UINT OnNavigateFailed(const std::wstring& url);
    // A navigation completed: the panel goes and the schedule starts over.
    // True when the panel was showing.
    bool OnNavigateCompleted();
    // A retry is due (its time came or "重试" was pressed): the address to
    // navigate to, now counted as under way; empty when no retry may start
    // (no panel, one still under way, or stopped).
    std::wstring StartRetry();
    // The window is closing: nothing starts any more.
    void Stop();

    bool PanelShown() const { return panelShown; }
    bool RetryUnderWay() const { return underWay; }
    int Failures() const { return failures; }
    const std::wstring& FailedUrl() const { return failedUrl; }

private:
    bool panelShown = false;
    bool underWay = false;
    bool stopped = false;
    int failures = 0;
    std::wstring failedUrl;
};
