#pragma once

#include "browser/CMyHtml.h"
#include "browser/HtmlWindowProxy.h"
#include "ui/BuiltInButtons.h"
#include "ui/CImageDialog.h"
#include "ui/CImageMenu.h"
#include "ui/CImageTipCtrl.h"
#include "ui/GdiPlusInclude.h"
#include "windows/BossKey.h"
#include "windows/BrowserInbox.h"
#include "windows/CAudioMute.h"
#include "windows/CFrameBack.h"
#include "windows/COfflinePanel.h"
#include "windows/GameConfig.h"
#include "windows/CHotKey.h"
#include "windows/CTrayIcon.h"
#include "windows/OfflineRetry.h"

#include <shellapi.h>

#include <memory>
#include <string>

class CImageItem;

// The client's main window. It starts as the small login view over the back
// window's artwork, with the browser filling it; once the page reaches the
// game it becomes the maximised, skinned game view with its own title bar,
// full screen, boss key and notification icon. Owning thread: main. The
// browser thread runs the callbacks marked below; they touch only the
// browser window (that thread's) and `inbox`.
class CFrameGame : public CImageDialog {
public:
    static constexpr int TitleBackgroundId = 10011;
    static constexpr int TitleIconId = 10012;
    static constexpr int FullScreenButtonId = 10013;
    static constexpr int ToolsButtonId = 10014;
    static constexpr int CleanCacheItemId = 10015;
    static constexpr int RefreshItemId = 10016;
    static constexpr int BossKeyItemId = 10017;
    static constexpr int OpenGameItemId = 10018;
    static constexpr int CloseItemId = 10019;

    static constexpr UINT_PTR EnterGameTimer = 5558;
    static constexpr UINT_PTR MaximizeTimer = 5559;
    static constexpr UINT_PTR RelayoutTimer = 5560;
    // The next automatic retry while the page cannot be reached.
    static constexpr UINT_PTR RetryTimer = 5565;
    static constexpr UINT EnterGameDelay = 1500;
    static constexpr UINT MaximizeDelay = 700;
    static constexpr UINT RelayoutDelay = 500;
    static constexpr int BossKeyId = 5562;
    static constexpr UINT TrayIconId = 128;

    static constexpr int LoginWidth = 630;
    static constexpr int LoginHeight = 372;
    static constexpr int GameMinWidth = 1020;
    static constexpr int GameMinHeight = 704;
    static constexpr int TitleHeight = 25;

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
    void EnterGameMode();
    void ToggleFullScreen();
    int OnBossKey(WPARAM id);
    // Another start of the client asked for this one: out of the tray or
    // the taskbar, to the front.
    void BringToFront();
    int OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnTrayMenuClick(CImageItem* row);
    void OnToolsMenuClick(CImageItem* row);
    void SetTooltipText(const wchar_t* text);

    // Browser callbacks; they run on the browser thread.
    void OnNavigateComplete(const wchar_t* url);
    void OnNewWindow(IDispatch** ppDisp, short*& cancel, unsigned long flags,
                     wchar_t* urlContext, wchar_t* url);
    void OnDocumentComplete(IDispatch* frame, const wchar_t* url);
    // The page's own navigation failed (frames and cancelled ones never
    // come here).
    void OnNavigateError(const wchar_t* url, long status);

    // Where the page lies in the client area in the current view.
    RECT PageArea() const;

    // A page address handed over by the browser thread: a game address
    // records its server id and (re)starts the delay before the game view.
    // Anything else, or anything once in the game view, is ignored.
    void OnAddressSeen(const std::wstring& url);
    std::wstring GetServerId() const;
    // The address a title-bar link opens, with the current server id.
    std::wstring LinkAddress(int id) const;
    // Tools-menu text of the boss key entry: "老板键(Alt+D)" unless another
    // key was registered.
    std::wstring BossKeyMenuText() const;

    // Top-left corner of the tray menu for a cursor point: above the point,
    // never below the work area's height, left of it by 96 pixels when the
    // taskbar stands at a side, else by 30.
    static POINT TrayMenuOrigin(POINT cursor, const RECT& workArea, int screenWidth,
                                int menuHeight);

    std::unique_ptr<Gdiplus::Font> captionFont;
    std::unique_ptr<Gdiplus::SolidBrush> captionBrush;
    CImageMenu toolsMenu;
    CImageMenu trayMenu;
    CImageTipCtrl tooltip;
    wchar_t tooltipText[64] = {};
    bool fullScreen = false;
    RECT savedRect = {0, 0, 0, 0};
    // Used by the browser thread only; this thread goes through the proxy.
    CMyHtml browserWindow;
    HtmlWindowProxy browserProxy{browserWindow};
    // Where the browser callbacks leave addresses for this thread.
    BrowserInbox inbox;
    CFrameBack backWindow;
    bool inGame = false;
    wchar_t captionText[260] = {};
    // Handed over by the application before the window is created.
    GameConfig config;
    int configModifiers = 0;
    int configVirtualKey = 0;
    CTrayIcon trayIcon;
    bool hiddenToTray = false;
    // The client's sound, silenced while hidden.
    CAudioMute audioMute;
    // The boss key actually registered (Alt+D when the configured one could
    // not be); held for as long as the game view lasts.
    BossKey bossKey = DefaultBossKey;
    std::unique_ptr<CHotKey> bossKeyHotKey;
    // The panel shown in place of a page that cannot be reached, and when
    // to try the page again.
    OfflineRetry offlineRetry;
    COfflinePanel offlinePanel;

private:
    void OnSysCommand(WPARAM command);
    void OnFrameCommand(WPARAM command);
    void OnGameAddressesPosted();
    void OnOpenAddressesPosted();
    void OnNavigateFailuresPosted();
    void OnPagesLoadedPosted();
    void RetryNow();
    void AddTitleBar();
    void RegisterBossKey();
    void ReadHotKeyConfiguration();
    void LayoutGameView();
    void FollowWithBackWindow();
    void OpenToolsMenu();
    void OpenTrayMenu();
    void ShowFromTray();
    void CloseMenu(CImageMenu& menu);
    bool IsWindowHandle() const;
    HWND BrowserHandle() const;

    // From the last game address that named one; the payment link adds it.
    std::wstring serverId;
};
