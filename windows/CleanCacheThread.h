#pragma once

#include <windows.h>

// Empties the current user's WinINet URL cache (the one the browser control
// fills), then tells the user with a message box owned by `owner` (an HWND).
// Runs on a worker thread of its own; a start while a cleaning or its box is
// still up returns at once. Always returns 0.
DWORD WINAPI CleanCacheThread(LPVOID owner);

// Starts CleanCacheThread on a new thread for `owner` without keeping the
// thread's handle. False when the thread could not be created.
bool StartCleanCacheThread(HWND owner);

// True from the moment a cleaning claims the cache until its box is closed.
bool CleanCacheBusy();
