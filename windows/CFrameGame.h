#pragma once

#include "ui/BuiltInButtons.h"
#include "ui/CImageDialog.h"
#include "ui/CImageMenu.h"
#include "ui/GdiPlusInclude.h"
#include "windows/BrowserBridge.h"
#include "windows/CFrameBack.h"
#include "windows/GameConfig.h"
#include "windows/FullScreenMode.h"
#include "windows/GameTitleBar.h"
#include "windows/GameViewLayout.h"
#include "windows/ToolsMenu.h"
#include "windows/TrayController.h"
#include "windows/GameTooltip.h"
#include "windows/GameViewCommands.h"
#include "windows/GameViewEntry.h"
#include "windows/OfflineView.h"
#include "windows/PageInputLink.h"

#include <shellapi.h>

#include <memory>
#include <string>


// The client's main window. It starts as the small login view over the back
// window's artwork, with the browser filling it; once the page reaches the
// game it becomes the maximised, skinned game view with its own title bar,
// full screen, boss key and notification icon. Owning thread: main; only
// its BrowserBridge has code that runs on the browser thread.
class CFrameGame : public CImageDialog {
public:
    static constexpr int TitleBackgroundId = GameTitleBar::BackgroundId;
    static constexpr int TitleIconId = GameTitleBar::IconId;
    static constexpr int FullScreenButtonId = GameTitleBar::FullScreenButtonId;
    static constexpr int ToolsButtonId = GameTitleBar::ToolsButtonId;
    static constexpr int CleanCacheItemId = ToolsMenu::CleanCacheItemId;
    static constexpr int RefreshItemId = ToolsMenu::RefreshItemId;
    static constexpr int BossKeyItemId = ToolsMenu::BossKeyItemId;
    static constexpr int OpenGameItemId = TrayController::OpenGameItemId;
    static constexpr int CloseItemId = TrayController::CloseItemId;

    static constexpr UINT EnterGameDelay = GameViewEntry::EnterGameDelay;
    static constexpr UINT MaximizeDelay = GameViewEntry::MaximizeDelay;
    static constexpr int BossKeyId = TrayController::BossKeyId;
    static constexpr UINT TrayIconId = TrayController::IconId;

    static constexpr int LoginWidth = 630;
    static constexpr int LoginHeight = 372;
    static constexpr int GameMinWidth = 1020;
    static constexpr int GameMinHeight = 704;
    static constexpr int TitleHeight = GameTitleBar::Height;

    CFrameGame();
    ~CFrameGame() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCreate(CREATESTRUCTW* create) override;
    void OnDestroy() override;
    void OnMove(int x, int y) override;
    void OnSize(UINT type, int width, int height) override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnTimer(UINT_PTR timerId) override;
    bool OnButtonClick(CImageButton* button) override;
    bool OnButtonHover(CImageButton* button) override;
    void OnPaintBackground(Gdiplus::Graphics& graphics) override;
    void OnPaintForeground(Gdiplus::Graphics& graphics) override;

    // Creates the back window and the login view and runs the window until
    // it is destroyed.
    void RunGameWindow();
    // Creates both windows without running them (RunGameWindow's first half).
    bool CreateLoginView();
    // Takes the client off the screen and out of the tray at once and ends
    // the window's loop; the windows stay until Destroy.
    void Close();
    // Destroys the game and back windows; after the browser thread has
    // destroyed its own window, so this thread never waits for it.
    void Destroy();
    void EnterGameMode();
    void ToggleFullScreen();

    // The browser's side of this window (its callbacks run on the browser
    // thread).
    BrowserBridge& browser() { return bridge; }

    // Where the page lies in the client area in the current view.
    RECT PageArea() const;

    // A page address handed over by the browser thread (see GameViewEntry).
    void OnAddressSeen(const std::wstring& url) { entry.OnAddressSeen(url); }
    std::wstring GetServerId() const { return entry.serverId(); }
    // The address a title-bar link opens, with the current server id.
    std::wstring LinkAddress(int id) const;

    // Handed over by the application before the window is created.
    void Configure(const GameConfig& value) { config = value; }
    const GameConfig& configuration() const { return config; }

    // The boss key and notification icon.
    TrayController& tray() { return trayPart; }
    ToolsMenu& toolsMenu() { return tools; }
    GameTooltip& tooltip() { return tip; }
    const GameTooltip& tooltip() const { return tip; }
    // The launcher background, later the shadow.
    CFrameBack& back() { return backWindow; }
    const CFrameBack& back() const { return backWindow; }
    // The panel shown in place of a page that cannot be reached.
    OfflineView& offline() { return offlineView; }
    bool IsFullScreen() const { return fullScreen.on(); }
    bool inGameView() const { return entry.entered(); }
    // Split from the page's input while a dialog or a hide moves the focus.
    PageInputLink& pageInput() { return pageLink; }

private:
    void OnSysCommand(WPARAM command);
    void OnDpiChanged(const RECT* suggested);
    void ZoomPageToScale();
    void OnFrameCommand(WPARAM command);
    void OnBrowserMail(UINT message);
    bool IsWindowHandle() const;

    GameConfig config;
    GameViewEntry entry;
    PageInputLink pageLink;
    // The page zoom last asked for, in percent.
    int pageZoom = 100;
    CFrameBack backWindow;
    GameTooltip tip;
    OfflineView offlineView;
    BrowserBridge bridge;
    GameTitleBar titleBar;
    FullScreenMode fullScreen;
    GameViewCommands commands{*this};
    TrayController trayPart{[this] { Close(); }};
    ToolsMenu tools{[this](int id) { commands.OnToolsChoice(id); }};
    // Sent to top-level windows when the shell (and its tray) restarts.
    const UINT taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
};
