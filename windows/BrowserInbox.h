#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

// Addresses the browser thread hands to the game window: the one object the
// two threads share, every member guarded by `lock`. The browser thread puts
// a copy in and wakes the window with a posted message; the window's thread
// takes what waits when that message arrives.
class BrowserInbox {
public:
    // Window's thread: from now on posts wake `target`.
    void Open(HWND target);
    // Window's thread, before the window goes: what waits and what comes
    // later is dropped.
    void Close();
    // Any thread: keeps a copy of `text` under `message` and posts `message`
    // (wParam 0, lParam 0) to the target. False when closed or the post failed.
    bool Post(UINT message, const wchar_t* text);
    // Window's thread: the texts waiting under `message`, oldest first.
    std::vector<std::wstring> Take(UINT message);

private:
    struct Entry {
        UINT message;
        std::wstring text;
    };

    std::mutex lock;
    HWND target = nullptr;
    std::vector<Entry> waiting;
};
