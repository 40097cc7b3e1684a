#pragma once

#include <windows.h>

#include <shellapi.h>

// A notification-area icon that calls back to one window. Owned by that
// window's thread; whatever it showed is gone when it is destroyed.
class CTrayIcon {
public:
    CTrayIcon() = default;
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // What Show puts up: icon `iconId` of the module's resources; callbacks
    // come as `callbackMessage` with wParam `id`.
    void Prepare(HWND window, UINT id, UINT callbackMessage, int iconId, const wchar_t* tip);
    // True when the icon is up (also when it already was).
    bool Show();
    // Deletes the icon whenever it was asked for, even if adding it failed.
    void Hide();
    // After the shell restarted (TaskbarCreated): puts the icon up again
    // when it is meant to be up. True when it is.
    bool Restore();
    bool shown() const { return visible; }
    const wchar_t* tip() const { return data.szTip; }

private:
    NOTIFYICONDATAW data = {};
    bool visible = false;
    // Show was called and Hide not since.
    bool wanted = false;
};
