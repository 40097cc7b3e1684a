#include "browser/BrowserThread.h"

#include "browser/CHtmlAppManager.h"
#include "browser/FeatureControls.h"

#include <ole2.h>

DWORD WINAPI BrowserThread(LPVOID manager)
{
    if (OleInitialize(nullptr) == S_OK) {
        // The control reads its feature controls when it is created.
        ApplyClientFeatureControls();
        static_cast<CHtmlAppManager*>(manager)->Execute();
        OleUninitialize();
    }
    return 0;
}
