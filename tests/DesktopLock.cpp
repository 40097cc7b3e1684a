#include "DesktopLock.h"

DesktopLock::DesktopLock()
{
    mutex = CreateMutexW(nullptr, FALSE, L"Local\\LumarionTestDesktop");
    if (!mutex)
        return;
    const DWORD wait = WaitForSingleObject(mutex, 50000);
    // An abandoned lock (a crashed case) is ours now all the same.
    owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

DesktopLock::~DesktopLock()
{
    if (owned)
        ReleaseMutex(mutex);
    if (mutex)
        CloseHandle(mutex);
}
