#pragma once

#include "ui/CWindowThread.h"

#include <windows.h>

#include <gdiplus.h>

#include <functional>

// Makes the calling thread look like one of the client's window threads: a
// registered manager, g_instance set and GDI+ started. Undone in reverse.
class TestApp {
public:
    TestApp();
    ~TestApp();
    TestApp(const TestApp&) = delete;
    TestApp& operator=(const TestApp&) = delete;

    CWindowThread& manager() { return appManager; }
    bool ok() const { return registered && gdiplusToken != 0; }

private:
    CWindowThread appManager;
    bool registered = false;
    ULONG_PTR gdiplusToken = 0;
};

// Dispatches this thread's queued messages until `done` holds or `timeoutMs`
// passes. True when `done` held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Dispatches what is queued now (and what that posts) for `ms` milliseconds.
void PumpFor(DWORD ms);
// Dispatches what is queued now, without waiting for anything.
inline void PumpPending() { PumpUntil([] { return true; }, 0); }
