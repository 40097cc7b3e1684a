#pragma once

#include "ui/CImageMenu.h"
#include "windows/BossKey.h"
#include "windows/CAudioMute.h"
#include "windows/CHotKey.h"
#include "windows/CTrayIcon.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

class CImageItem;

// The boss key and the notification icon of the game window: the key hides
// the window behind the icon and brings it back, as do a double-click on
// the icon and its menu ("打开游戏", "关闭"). Owning thread: the game
// window's (main).
class TrayController {
public:
    static constexpr int BossKeyId = 5562;
    static constexpr UINT IconId = 128;
    static constexpr int OpenGameItemId = 10018;
    static constexpr int CloseItemId = 10019;

    // `closeClient` runs for the menu's "关闭".
    explicit TrayController(std::function<void()> closeClient);
    TrayController(const TrayController&) = delete;
    TrayController& operator=(const TrayController&) = delete;

    // The icon's data and the menu's look, for the game window `window`.
    void Prepare(HWND window);
    // Registers the configured key, or Alt+D when it cannot be had; held
    // until Remove.
    void RegisterBossKey(int configModifiers, int configVirtualKey);
    // WM_HOTKEY; always 0, the message goes on.
    int OnBossKey(WPARAM id);
    // TrayNotifyMessage; nonzero swallows it.
    int OnNotify(WPARAM wParam, LPARAM lParam);
    void OnMenuClick(CImageItem* row);
    // Another start of the client asked for this one: out of the tray (as
    // a double-click on the icon would) or the taskbar, to the front.
    void BringBack();
    // The shell restarted: the icon comes back while the game is hidden.
    void OnTaskbarCreated();
    // Closing: no icon, no key, no menu from now on.
    void Remove();

    bool hidden() const { return hiddenToTray; }
    const CTrayIcon& icon() const { return trayIcon; }
    // The client's sound, silenced while the game is hidden.
    CAudioMute& sound() { return audioMute; }
    CImageMenu& menu() { return trayMenu; }
    // The key registered, or null before the game view.
    const CHotKey* hotKey() const { return hotKeyHolder.get(); }
    // "老板键(Alt+D)" unless another key was registered.
    std::wstring MenuText() const;

    // Top-left corner of the menu for a cursor point: above the point,
    // never below the work area's height, left of it by 96 pixels when the
    // taskbar stands at a side, else by 30.
    static POINT MenuOrigin(POINT cursor, const RECT& workArea, int screenWidth, int menuHeight);

private:
    void ShowGame();
    void OpenMenu();

    std::function<void()> closeClient;
    HWND game = nullptr;
    CImageMenu trayMenu;
    CTrayIcon trayIcon;
    bool hiddenToTray = false;
    CAudioMute audioMute;
    BossKey bossKey = DefaultBossKey;
    std::unique_ptr<CHotKey> hotKeyHolder;
};
