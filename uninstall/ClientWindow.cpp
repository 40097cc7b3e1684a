#include "uninstall/ClientWindow.h"

#include "base/ScopedHandles.h"

#include <strsafe.h>

#include <cwchar>

bool SetWindowFilter(WindowFilter& filter, DWORD processId, const wchar_t* text,
                     const wchar_t* className)
{
    filter = WindowFilter();
    if (FAILED(StringCchPrintfW(filter.text, FilterCapacity, L"%s", text ? text : L"")) ||
        FAILED(StringCchPrintfW(filter.className, FilterCapacity, L"%s", className ? className : L""))) {
        filter = WindowFilter();
        return false;
    }
    filter.processId = processId;
    return true;
}

BOOL CALLBACK MatchWindow(HWND window, LPARAM filterParam)
{
    WindowFilter& filter = *reinterpret_cast<WindowFilter*>(filterParam);
    wchar_t text[512] = {};
    wchar_t className[512] = {};
    GetWindowTextW(window, text, 511);
    GetClassNameW(window, className, 511);
    if (filter.text[0] && std::wcscmp(filter.text, text) != 0)
        return TRUE;
    if (filter.className[0] && std::wcscmp(filter.className, className) != 0)
        return TRUE;
    if (filter.processId) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != filter.processId)
            return TRUE;
    }
    filter.found = window;
    return FALSE;
}

HWND FindMatchingWindow(WindowFilter& filter)
{
    filter.found = nullptr;
    EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&filter));
    return filter.found;
}

HWND FindClientWindow()
{
    WindowFilter filter;
    SetWindowFilter(filter, 0, L"", ClientWindowClass);
    return FindMatchingWindow(filter);
}

namespace {

void EnableDebugPrivilege()
{
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &rawToken))
        return;
    const ScopedHandle token(rawToken);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
}

} // namespace

bool TerminateClientProcess(DWORD processId)
{
    ScopedHandle process(OpenProcess(PROCESS_ALL_ACCESS, TRUE, processId));
    if (!process) {
        EnableDebugPrivilege();
        process.reset(OpenProcess(PROCESS_ALL_ACCESS, TRUE, processId));
        if (!process)
            return false;
    }
    return TerminateProcess(process.get(), 0) != FALSE;
}
