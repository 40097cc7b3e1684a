#include "windows/CTrayIcon.h"

#include <strsafe.h>

CTrayIcon::~CTrayIcon()
{
    Hide();
}

void CTrayIcon::Prepare(HWND window, UINT id, UINT callbackMessage, int iconId, const wchar_t* tip)
{
    Hide();
    data = NOTIFYICONDATAW{};
    data.cbSize = sizeof(NOTIFYICONDATAW);
    data.hWnd = window;
    data.uID = id;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = callbackMessage;
    // A shared resource icon: the system owns it, nothing to destroy.
    data.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId));
    StringCchCopyW(data.szTip, ARRAYSIZE(data.szTip), tip ? tip : L"");
}

bool CTrayIcon::Show()
{
    if (!data.hWnd)
        return false;
    wanted = true;
    if (!visible)
        visible = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    return visible;
}

void CTrayIcon::Hide()
{
    // A failed NIM_ADD may still have put the icon up: delete it anyway.
    if (wanted || visible)
        Shell_NotifyIconW(NIM_DELETE, &data);
    wanted = false;
    visible = false;
}

bool CTrayIcon::Restore()
{
    if (!wanted)
        return false;
    // The new shell knows no icon of ours.
    visible = false;
    return Show();
}
