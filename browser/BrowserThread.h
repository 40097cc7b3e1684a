#pragma once

#include <windows.h>

// Start routine of the browser thread; the argument is its CHtmlAppManager.
DWORD WINAPI BrowserThread(LPVOID manager);
