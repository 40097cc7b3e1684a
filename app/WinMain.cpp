#include "app/CrashReporter.h"
#include "app/SingleInstance.h"
#include "app/gameApp.h"
#include "base/ProductNames.h"
#include "windows/CFrameGame.h"

#include <ole2.h>
#include <shellapi.h>

namespace {

// After a crash: no icon of a dead client in the tray, no key held. Found by
// class and process rather than through objects a crash may have broken.
BOOL CALLBACK RemoveWindowTraces(HWND window, LPARAM)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[64] = {};
    if (owner != GetCurrentProcessId() || !GetClassNameW(window, name, 64) || lstrcmpW(name, ClientWindowClass) != 0)
        return TRUE;
    NOTIFYICONDATAW icon = {};
    icon.cbSize = sizeof(icon);
    icon.hWnd = window;
    icon.uID = CFrameGame::TrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &icon);
    UnregisterHotKey(window, CFrameGame::BossKeyId);
    return TRUE;
}

void RemoveTraces()
{
    EnumWindows(&RemoveWindowTraces, 0);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    CrashReporter::Install(&RemoveTraces);
    // A second start shows the running client and leaves, having made no
    // window, thread or icon of its own.
    const SingleInstance instance;
    if (!instance.first()) {
        SingleInstance::ActivateRunning(1500);
        return 0;
    }
    if (OleInitialize(nullptr) != S_OK)
        return 0;
    {
        gameApp app;
        g_app = &app;
        app.Execute();
        g_app = nullptr;
    }
    OleUninitialize();
    return 0;
}
