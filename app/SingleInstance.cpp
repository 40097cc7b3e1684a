#include "app/SingleInstance.h"

#include "base/AppMessages.h"
#include "base/ProductNames.h"

SingleInstance::SingleInstance() : mutex(CreateMutexW(nullptr, FALSE, MutexName))
{
    isFirst = !mutex || GetLastError() != ERROR_ALREADY_EXISTS;
}

bool SingleInstance::ActivateRunning(DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (const HWND running = FindWindowW(ClientWindowClass, nullptr)) {
            DWORD processId = 0;
            GetWindowThreadProcessId(running, &processId);
            // This start came from the player, so it may hand the
            // foreground on; the running client takes it itself.
            if (processId)
                AllowSetForegroundWindow(processId);
            return PostMessageW(running, ShowClientMessage, 0, 0) != FALSE;
        }
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(50);
    }
}
