#include "browser/BrowserThread.h"

#include "browser/CHtmlAppManager.h"

#include <ole2.h>

DWORD WINAPI BrowserThread(LPVOID manager)
{
    if (OleInitialize(nullptr) == S_OK) {
        static_cast<CHtmlAppManager*>(manager)->Execute();
        OleUninitialize();
    }
    return 0;
}
