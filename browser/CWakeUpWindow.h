#pragma once

#include <windows.h>

#include <functional>

// A message-only window (HWND_MESSAGE) that runs a callback for each
// HtmlRequestMessage posted to it. A window message, unlike a thread
// message, is dispatched by any loop that runs on its thread: a page's
// alert(), a context menu or a drag loop cannot drop it. Owning thread: the
// one that created it (the browser thread), which also destroys it.
class CWakeUpWindow {
public:
    explicit CWakeUpWindow(std::function<void()> onWakeUp);
    ~CWakeUpWindow();
    CWakeUpWindow(const CWakeUpWindow&) = delete;
    CWakeUpWindow& operator=(const CWakeUpWindow&) = delete;

    // Null when the window could not be made.
    HWND handle() const { return window; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    std::function<void()> onWakeUp;
    HWND window = nullptr;
};
