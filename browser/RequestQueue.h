#pragma once

#include "browser/HtmlRequest.h"

#include <windows.h>

#include <deque>
#include <mutex>

// The requests other threads leave for the browser thread, first in first
// out, and whom to wake for them. Every member is guarded by one lock, the
// handle to wake included, so no thread reads it half-made. It touches no
// window: callers post the wake-up it asks for. Shared by all threads.
class RequestQueue {
public:
    RequestQueue() = default;
    RequestQueue(const RequestQueue&) = delete;
    RequestQueue& operator=(const RequestQueue&) = delete;

    // Browser thread, once it can be woken: from now on wake-ups go to
    // `wakeWindow`. Returns it when requests already wait (then the caller
    // posts their wake-up), else null.
    HWND Open(HWND wakeWindow);
    // Browser thread, when its loop has ended: no one wakes it any more and
    // what waits is dropped.
    void Close();
    // Any thread: keeps a copy at the back. Returns the window to post the
    // wake-up to, or null when one is already on its way or nobody can be
    // woken yet (Open wakes for it later).
    HWND Push(const HtmlRequest& request);
    // The post of a wake-up Push asked for failed: the next Push asks again.
    void WakeUpLost();
    // Browser thread, on a wake-up: how many requests to serve now. Those
    // pushed from here on get a wake-up of their own.
    size_t BeginServing();
    // Browser thread: the oldest request, if any.
    bool PopFront(HtmlRequest& request);
    size_t Size();

private:
    std::mutex lock;
    std::deque<HtmlRequest> requests;
    HWND target = nullptr;
    bool wakeUpPending = false;
};
