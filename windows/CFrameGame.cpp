#include "windows/CFrameGame.h"

#include "base/AppMessages.h"
#include "base/ComPtr.h"
#include "base/ProductNames.h"
#include "browser/CHtmlAppManager.h"
#include "ui/CImageButton.h"
#include "ui/CImageItem.h"
#include "ui/CImageStatic.h"
#include "ui/UiFont.h"
#include "windows/CleanCacheThread.h"
#include "windows/CloseMsgWnd.h"
#include "windows/GameAddress.h"
#include "windows/SkinPictures.h"

#include <mshtml.h>
#include <strsafe.h>
#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <initializer_list>

namespace {

constexpr DWORD kLoginStyle =
    WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr Gdiplus::ARGB kCaptionColor = 0xFFFFFFFF;
constexpr Gdiplus::ARGB kMenuHoverColor = 0xFF9CD0FE;
constexpr Gdiplus::ARGB kMenuTextColor = 0xFF0C0C0C;
constexpr Gdiplus::ARGB kGameBackColor = 0x0023373C;
constexpr int kMenuRowHeight = 24;
constexpr RECT kMenuButtonRect = {1, 1, 94, 94};
constexpr int kNavNoHistory = 2;

// Title-bar buttons, right to left; each keeps `anchor` pixels to the
// client's right edge after every resize.
struct TitleButton {
    int id;
    int offset;  // initial right edge: client right - offset
    int anchor;
    int normal, hover, pressed, disabled;
    const wchar_t* text;
};

constexpr TitleButton kTitleButtons[] = {
    {CloseButtonId, 0, 1, Picture::TitleClose, Picture::TitleCloseHover, Picture::TitleCloseDown,
     Picture::TitleClose, nullptr},
    {MaximizeButtonId, 25, 25, Picture::TitleMaximize, Picture::TitleMaximizeHover, Picture::TitleMaximizeDown,
     Picture::TitleMaximize, L"最大化"},
    {RestoreButtonId, 25, 25, Picture::TitleRestore, Picture::TitleRestoreHover, Picture::TitleRestoreDown,
     Picture::TitleRestore, L"还原"},
    {MinimizeButtonId, 50, 50, Picture::TitleMinimize, Picture::TitleMinimizeHover, Picture::TitleMinimizeDown,
     Picture::TitleMinimize, L"最小化"},
    {CFrameGame::FullScreenButtonId, 75, 75, Picture::TitleFullScreen, Picture::TitleFullScreenHover,
     Picture::TitleFullScreenDown, Picture::TitleFullScreen, L"全屏(F10)"},
    {CFrameGame::ToolsButtonId, 100, 100, Picture::TitleTools, Picture::TitleToolsHover, Picture::TitleToolsDown,
     Picture::TitleTools, L"工具"},
};

struct TitleLink {
    int id;
    int offset;  // initial rectangle: right - offset - 41 .. right - offset
    int anchor;
    int strip;
};

constexpr TitleLink kTitleLinks[] = {
    {ServiceLinkId, 113, 125, Picture::TitleLinkService},
    {ForumLinkId, 158, 170, Picture::TitleLinkForum},
    {OfficialLinkId, 203, 215, Picture::TitleLinkSite},
    {PaymentLinkId, 248, 260, Picture::TitleLinkPay},
};
constexpr int kLinkWidth = 41;

constexpr int kTitleBackgroundPicture = Picture::TitleBackground;
constexpr int kTitleBackgroundWidth = 1366;
constexpr int kTitleIconPicture = Picture::TitleIcon;

RECT WorkArea()
{
    RECT work = {0, 0, 0, 0};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        SetRect(&work, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return work;
}

struct MenuEntry {
    int id;
    const wchar_t* text;
};

// Rows of a popup menu, each with one dark caption button.
void AddMenuEntries(CImageMenu& menu, std::initializer_list<MenuEntry> entries)
{
    for (const MenuEntry& entry : entries) {
        if (CImageItem* row = menu.painter.AddItem(entry.id)) {
            if (CImageButton* button = row->AddButton(entry.id, kMenuButtonRect, entry.text))
                button->SetTextColors(kMenuTextColor, kMenuTextColor, kMenuTextColor);
        }
    }
}

void ShowIfWindow(HWND window, int command)
{
    if (window && IsWindow(window))
        ShowWindow(window, command);
}

} // namespace

CFrameGame::CFrameGame()
{
    StringCchPrintfW(captionText, 260, L"%s", L"Lumavex");
    SetWindowClassName(ClientWindowClass);
}

CFrameGame::~CFrameGame() = default;

// ---------------------------------------------------------------------------
// Creation

void CFrameGame::RunGameWindow()
{
    if (CreateLoginView())
        RunModalLoop();
    // The back window was only asked to close; nobody dispatches for it now.
    if (backWindow.hwnd && IsWindow(backWindow.hwnd))
        DestroyWindow(backWindow.hwnd);
}

bool CFrameGame::CreateLoginView()
{
    backWindow.sites = config.sites;
    backWindow.userName = config.userName;
    const HWND back = backWindow.CreateLauncher();
    RECT backRect = {0, 0, 0, 0};
    if (back)
        GetWindowRect(back, &backRect);
    else
        SetRect(&backRect, 0, 0, 0, 0);
    if (GetSystemMetrics(SM_CXSCREEN) >= LoginWidth && GetSystemMetrics(SM_CYSCREEN) >= LoginHeight) {
        minWidth = LoginWidth;
        minHeight = LoginHeight;
    }
    const POINT origin = CFrameBack::LauncherOrigin(WorkArea());
    if (!Create(WS_EX_APPWINDOW, nullptr, nullptr, kLoginStyle, origin.x + CFrameBack::GameOffsetX,
                origin.y + CFrameBack::GameOffsetY, LoginWidth, LoginHeight, back))
        return false;
    backWindow.gameWindow = this;
    return true;
}

void CFrameGame::OnCreate(CREATESTRUCTW*)
{
    captionFont = CreateUiFont(L"Tahoma", 9.0f);
    captionBrush = std::make_unique<Gdiplus::SolidBrush>(Gdiplus::Color(kCaptionColor));

    SetIconFromResource(true, 48);
    SetIconFromResource(false, 32);
    SetWindowTextW(hwnd, L"Lumavex");

    inbox.Open(hwnd);
    // Bound before the browser window is asked for: the request queue hands
    // them over to the browser thread.
    CWebBrowser& browser = browserWindow.browser;
    browser.SetOnNavigateComplete([this](const wchar_t* url) { OnNavigateComplete(url); });
    browser.SetOnNewWindow([this](IDispatch** ppDisp, short*& cancel, unsigned long flags,
                                  wchar_t* urlContext, wchar_t* url) {
        OnNewWindow(ppDisp, cancel, flags, urlContext, url);
    });
    browser.SetOnDocumentComplete(
        [this](IDispatch* frame, const wchar_t* url) { OnDocumentComplete(frame, url); });
    browser.SetOnNavigateError([this](const wchar_t* url, long status) { OnNavigateError(url, status); });

    RECT client = {0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    browserProxy.Create(client.left, client.top, client.right - client.left,
                        client.bottom - client.top, hwnd);
    if (!config.startUrl.empty())
        browserProxy.Navigate(config.startUrl.c_str(), kNavNoHistory);
    browserProxy.SetSilent(1);

    for (CImageMenu* menu : {&toolsMenu, &trayMenu}) {
        menu->SetWindowClassName(L"velmor_menu");
        menu->painter.itemHeight = kMenuRowHeight;
        menu->painter.SetHoverColor(kMenuHoverColor);
    }
    toolsMenu.painter.SetOnItemClick([this](CImageItem* row) { OnToolsMenuClick(row); });
    trayMenu.painter.SetOnItemClick([this](CImageItem* row) { OnTrayMenuClick(row); });

    trayIcon.Prepare(hwnd, TrayIconId, TrayNotifyMessage, TrayIconId, L"Lumavex");
}

void CFrameGame::OnDestroy()
{
    captionFont.reset();
    captionBrush.reset();
    inbox.Close();
    // No retry outlives the window.
    KillTimer(hwnd, RetryTimer);
    offlineRetry.Stop();

    // No ghost icon and no stolen key once the client is gone.
    trayIcon.Hide();
    hiddenToTray = false;
    // The system keeps a session's mute for the next run.
    audioMute.Close();
    bossKeyHotKey.reset();

    if (backWindow.hwnd && IsWindow(backWindow.hwnd)) {
        ShowWindow(backWindow.hwnd, SW_HIDE);
        PostMessageW(backWindow.hwnd, WM_CLOSE, 0, 0);
    }
}

// ---------------------------------------------------------------------------
// Messages

LRESULT CFrameGame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SYSCOMMAND:
        OnSysCommand(wParam);
        return CImageDialog::HandleMessage(message, wParam, lParam);
    case WM_MOUSEMOVE:
        if (!painter.hotButton)
            SetTooltipText(L"");
        return CImageDialog::HandleMessage(message, wParam, lParam);
    case WM_MOUSELEAVE:
        SetTooltipText(L"");
        return CImageDialog::HandleMessage(message, wParam, lParam);
    case WM_HOTKEY:
        OnBossKey(wParam);
        return CImageDialog::HandleMessage(message, wParam, lParam);
    case FrameCommandMessage:
        OnFrameCommand(wParam);
        return CImageDialog::HandleMessage(message, wParam, lParam);
    case TrayNotifyMessage:
        if (OnTrayNotify(wParam, lParam))
            return 1;
        return CImageDialog::HandleMessage(message, wParam, lParam);
    case GameAddressMessage:
        OnGameAddressesPosted();
        return 1;
    case OpenAddressMessage:
        OnOpenAddressesPosted();
        return 1;
    case NavigateFailedMessage:
        OnNavigateFailuresPosted();
        return 1;
    case PageLoadedMessage:
        OnPagesLoadedPosted();
        return 1;
    case BrowserWindowMessage:
        browserProxy.SetWindow(reinterpret_cast<HWND>(wParam));
        return 1;
    case ShowClientMessage:
        BringToFront();
        return 1;
    default:
        return CImageDialog::HandleMessage(message, wParam, lParam);
    }
}

void CFrameGame::OnSysCommand(WPARAM command)
{
    if (inGame)
        return;
    if (command == SC_MINIMIZE)
        backWindow.Show(SW_HIDE);
    else if (command == SC_RESTORE)
        backWindow.Show(SW_SHOW);
}

void CFrameGame::OnFrameCommand(WPARAM command)
{
    switch (command) {
    case EnterGameCommand:
        EnterGameMode();
        return;
    case CloseCommand:
        DestroyWindow(hwnd);
        return;
    case ToggleFullScreenCommand:
        ToggleFullScreen();
        return;
    case LeaveFullScreenCommand:
        if (fullScreen)
            ToggleFullScreen();
        return;
    default:
        return;
    }
}

void CFrameGame::OnTimer(UINT_PTR timerId)
{
    switch (timerId) {
    case EnterGameTimer:
        if (!inGame)
            PostMessageW(hwnd, FrameCommandMessage, EnterGameCommand, 0);
        KillTimer(hwnd, EnterGameTimer);
        return;
    case MaximizeTimer:
        if (IsWindowHandle())
            ShowWindow(hwnd, SW_SHOWMAXIMIZED);
        // Showing maximised sends no WM_SHOWWINDOW: bring the shadow back here.
        if (IsWindowHandle() && IsWindowVisible(hwnd))
            backWindow.Show(SW_SHOW);
        SetForegroundWindow(hwnd);
        KillTimer(hwnd, MaximizeTimer);
        SetTimer(hwnd, RelayoutTimer, RelayoutDelay, nullptr);
        return;
    case RelayoutTimer:
        browserProxy.OnSize();
        KillTimer(hwnd, RelayoutTimer);
        return;
    case RetryTimer:
        KillTimer(hwnd, RetryTimer);
        RetryNow();
        return;
    default:
        return;
    }
}

// ---------------------------------------------------------------------------
// The address watch (browser thread) and the switch to the game view

void CFrameGame::OnNavigateComplete(const wchar_t* url)
{
    // A timer only works on its own thread's windows: the game window
    // starts it itself.
    if (url && IsGameAddress(url))
        inbox.Post(GameAddressMessage, url);
    if (url)
        inbox.Post(PageLoadedMessage, url);
    browserWindow.OnSize();
}

void CFrameGame::OnNavigateError(const wchar_t* url, long)
{
    if (url)
        inbox.Post(NavigateFailedMessage, url);
}

void CFrameGame::OnNewWindow(IDispatch**, short*& cancel, unsigned long, wchar_t*, wchar_t* url)
{
    // Pages never get a window of ours; web addresses go to the user's
    // browser (opened by the game window's thread), anything else is dropped.
    if (url)
        inbox.Post(OpenAddressMessage, url);
    if (cancel)
        *cancel = VARIANT_TRUE;
}

void CFrameGame::OnDocumentComplete(IDispatch*, const wchar_t*)
{
    ComPtr<IHTMLDocument2> document(browserWindow.browser.GetDocument());
    if (document && browserWindow.inGame)
        browserWindow.OnSize();
}

void CFrameGame::OnGameAddressesPosted()
{
    for (const std::wstring& url : inbox.Take(GameAddressMessage))
        OnAddressSeen(url);
}

void CFrameGame::OnOpenAddressesPosted()
{
    for (const std::wstring& url : inbox.Take(OpenAddressMessage))
        backWindow.OpenAddress(url);
}

void CFrameGame::OnNavigateFailuresPosted()
{
    for (const std::wstring& url : inbox.Take(NavigateFailedMessage)) {
        const UINT delay = offlineRetry.OnNavigateFailed(url);
        if (!delay || !IsWindowHandle())
            continue;
        if (!offlinePanel.shown()) {
            browserProxy.Show(false);
            offlinePanel.Show(painter, hwnd, PageArea());
        }
        SetTimer(hwnd, RetryTimer, delay, nullptr);
    }
}

void CFrameGame::OnPagesLoadedPosted()
{
    if (inbox.Take(PageLoadedMessage).empty() || !offlineRetry.OnNavigateCompleted())
        return;
    KillTimer(hwnd, RetryTimer);
    offlinePanel.Hide(painter, hwnd);
    browserProxy.Show(true);
}

void CFrameGame::RetryNow()
{
    // Empty while a retry is under way: one navigation at a time.
    const std::wstring url = offlineRetry.StartRetry();
    if (!url.empty())
        browserProxy.Navigate(url.c_str(), kNavNoHistory);
}

RECT CFrameGame::PageArea() const
{
    RECT r = {0, 0, 0, 0};
    if (!IsWindowHandle())
        return r;
    GetClientRect(hwnd, &r);
    if (!inGame || fullScreen)
        return r;
    if (!IsZoomed(hwnd)) {
        r.left += 1;
        r.right -= 1;
        r.bottom -= 1;
    }
    r.top += TitleHeight;
    return r;
}

void CFrameGame::OnAddressSeen(const std::wstring& url)
{
    if (inGame || !IsGameAddress(url.c_str()))
        return;
    std::wstring found;
    if (FindServerId(url.c_str(), found))
        serverId = found;
    // The same id again restarts the delay.
    if (IsWindowHandle())
        SetTimer(hwnd, EnterGameTimer, EnterGameDelay, nullptr);
}

std::wstring CFrameGame::GetServerId() const
{
    return serverId;
}

void CFrameGame::EnterGameMode()
{
    if (inGame)
        return;
    inGame = true;
    backWindow.EnterShadowMode();
    browserProxy.EnterGameView();
    if (IsWindowHandle())
        ShowWindow(hwnd, SW_HIDE);

    painter.dragEnabled = true;
    painter.fillBackground = true;
    roundCorners = true;
    resizable = true;
    painter.SetBackColor(kGameBackColor);

    ReadHotKeyConfiguration();
    AddTitleBar();

    tooltip.Create(0, L"ToolTip", nullptr, WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0, hwnd);
    RegisterBossKey();

    if (GetSystemMetrics(SM_CXSCREEN) >= GameMinWidth && GetSystemMetrics(SM_CYSCREEN) >= GameMinHeight) {
        minWidth = GameMinWidth;
        minHeight = GameMinHeight;
    }
    const RECT work = WorkArea();
    if (IsWindowHandle())
        MoveWindow(hwnd, (work.right - work.left - minWidth) / 2,
                   (work.bottom - work.top - minHeight) / 2, minWidth, minHeight, TRUE);
    SetTimer(hwnd, MaximizeTimer, MaximizeDelay, nullptr);
}

void CFrameGame::ReadHotKeyConfiguration()
{
    // Read once at start-up with the rest of Config.ini.
    configModifiers = config.bossKeyModifiers;
    configVirtualKey = config.bossKeyVirtualKey;
}

void CFrameGame::RegisterBossKey()
{
    if (!IsWindowHandle())
        return;
    // Alt+D is the address-bar key of common browsers: a configured key
    // replaces it, and Alt+D stays the fallback.
    const BossKey wanted = ConfiguredBossKey(configModifiers, configVirtualKey);
    // One key per id and window: the old one goes before another comes.
    bossKeyHotKey.reset();
    bossKeyHotKey = std::make_unique<CHotKey>(hwnd, BossKeyId, wanted.modifiers, wanted.virtualKey);
    if (bossKeyHotKey->registered()) {
        bossKey = wanted;
        return;
    }
    bossKey = DefaultBossKey;
    if (wanted.modifiers != DefaultBossKey.modifiers || wanted.virtualKey != DefaultBossKey.virtualKey) {
        bossKeyHotKey.reset();
        bossKeyHotKey =
            std::make_unique<CHotKey>(hwnd, BossKeyId, DefaultBossKey.modifiers, DefaultBossKey.virtualKey);
    }
}

std::wstring CFrameGame::BossKeyMenuText() const
{
    return L"老板键(" + BossKeyName(bossKey) + L")";
}

void CFrameGame::AddTitleBar()
{
    RECT client = {0, 0, 0, 0};
    if (IsWindowHandle())
        GetClientRect(hwnd, &client);
    const int l = client.left;
    const int t = client.top;
    const int r = client.right;

    if (CImageStatic* background = painter.AddImage(
            RECT{l, t, l + kTitleBackgroundWidth, t + TitleHeight}, kTitleBackgroundPicture,
            TitleBackgroundId, true)) {
        background->rightAnchor = 0;
        background->fixedLeft = 0;
    }
    painter.AddImage(RECT{5, 5, 21, 21}, kTitleIconPicture, TitleIconId, false);

    for (const TitleButton& place : kTitleButtons) {
        const RECT rect = {r - place.offset - TitleHeight, t, r - place.offset, t + TitleHeight};
        CImageButton* button =
            painter.AddButton(place.id, rect, place.normal, place.hover, place.pressed, place.disabled);
        if (!button)
            continue;
        button->rightAnchor = place.anchor;
        if (place.text) {
            button->SetText(place.text);
            button->showText = false;
        }
        if (place.id == MaximizeButtonId)
            button->visible = false;
    }
    for (const TitleLink& link : kTitleLinks) {
        const RECT rect = {r - link.offset - kLinkWidth, 2, r - link.offset, 24};
        if (CImageButton* button = painter.AddButton(link.id, rect, 0, 0, 0, 0)) {
            button->SetImageStrip(link.strip);
            button->rightAnchor = link.anchor;
        }
    }
}

// ---------------------------------------------------------------------------
// Layout

void CFrameGame::OnSize(UINT, int, int)
{
    if (offlinePanel.shown()) {
        offlinePanel.Layout(painter, PageArea());
        InvalidateRect(hwnd, nullptr, FALSE);
    }
    if (!inGame) {
        if (const HWND browser = BrowserHandle()) {
            RECT client = {0, 0, 0, 0};
            GetClientRect(hwnd, &client);
            MoveWindow(browser, client.left, client.top, client.right - client.left,
                       client.bottom - client.top, TRUE);
        }
        return;
    }
    LayoutGameView();
}

void CFrameGame::LayoutGameView()
{
    RECT r = {0, 0, 0, 0};
    GetClientRect(hwnd, &r);
    if (!IsZoomed(hwnd)) {
        r.left += 1;
        r.right -= 1;
        r.bottom -= 1;
    }
    if (fullScreen)
        return;
    r.top += TitleHeight;
    if (const HWND browser = BrowserHandle())
        MoveWindow(browser, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    browserProxy.OnSize();
    FollowWithBackWindow();
    backWindow.painter.UpdateLayered();
}

void CFrameGame::FollowWithBackWindow()
{
    if (!backWindow.hwnd || !IsWindow(backWindow.hwnd))
        return;
    RECT around = {0, 0, 0, 0};
    GetWindowRect(hwnd, &around);
    if (!IsRectEmpty(&around))
        InflateRect(&around, backWindow.shadowSize, backWindow.shadowSize);
    MoveWindow(backWindow.hwnd, around.left, around.top, around.right - around.left,
               around.bottom - around.top, TRUE);
}

void CFrameGame::OnMove(int, int)
{
    if (inGame)
        FollowWithBackWindow();
}

void CFrameGame::OnShowWindow(BOOL show, UINT)
{
    backWindow.Show(show ? SW_SHOW : SW_HIDE);
}

// ---------------------------------------------------------------------------
// Title bar

bool CFrameGame::OnButtonClick(CImageButton* button)
{
    if (!button)
        return true;
    switch (button->id) {
    case CloseButtonId: {
        CloseMsgWnd dialog;
        if (dialog.ShowModal(hwnd) == DialogResult::Confirmed && IsWindowHandle())
            DestroyWindow(hwnd);
        return false;
    }
    case FullScreenButtonId:
        PostMessageW(hwnd, FrameCommandMessage, ToggleFullScreenCommand, 0);
        return true;
    case ToolsButtonId:
        OpenToolsMenu();
        return true;
    case COfflinePanel::RetryButtonId:
        KillTimer(hwnd, RetryTimer);
        RetryNow();
        return true;
    case ServiceLinkId:
    case ForumLinkId:
    case OfficialLinkId:
    case PaymentLinkId:
        backWindow.OpenAddress(LinkAddress(button->id));
        return true;
    default:
        return true;
    }
}

std::wstring CFrameGame::LinkAddress(int id) const
{
    return GameLinkAddress(id, config.sites, config.userName.c_str(), GetServerId());
}

void CFrameGame::OpenToolsMenu()
{
    if (!toolsMenu.hwnd) {
        const std::wstring bossKeyText = BossKeyMenuText();
        AddMenuEntries(toolsMenu, {{CleanCacheItemId, L"清除缓存"},
                                   {RefreshItemId, L"刷新"},
                                   {BossKeyItemId, bossKeyText.c_str()}});
    }
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    RECT own = {0, 0, 0, 0};
    GetWindowRect(hwnd, &own);
    toolsMenu.ShowAt(POINT{cursor.x - 10, own.top + 30});
}

void CFrameGame::OnToolsMenuClick(CImageItem* row)
{
    switch (row ? row->id : 0) {
    case CleanCacheItemId:
        StartCleanCacheThread(hwnd);
        break;
    case RefreshItemId:
        browserProxy.Refresh();
        break;
    default:
        break;
    }
    CloseMenu(toolsMenu);
}

void CFrameGame::CloseMenu(CImageMenu& menu)
{
    if (menu.hwnd && IsWindow(menu.hwnd)) {
        ShowWindow(menu.hwnd, SW_HIDE);
        DestroyWindow(menu.hwnd);
    }
}

bool CFrameGame::OnButtonHover(CImageButton* button)
{
    if (!button)
        return true;
    const bool menuOpen = (toolsMenu.hwnd && IsWindowVisible(toolsMenu.hwnd)) ||
                          (trayMenu.hwnd && IsWindowVisible(trayMenu.hwnd));
    if (button->id == ToolsButtonId && menuOpen)
        return true;
    SetTooltipText(button->tipText[0] ? button->tipText : button->text);
    return true;
}

void CFrameGame::SetTooltipText(const wchar_t* text)
{
    // Compared as it would be kept, so a long text is not handed on again
    // on every mouse move.
    wchar_t kept[64] = {};
    StringCchCopyW(kept, 64, text ? text : L"");
    if (std::wcscmp(kept, tooltipText) == 0)
        return;
    StringCchCopyW(tooltipText, 64, kept);
    if (tooltip.hwnd)
        tooltip.SetTipText(tooltipText);
}

void CFrameGame::OnPaintBackground(Gdiplus::Graphics& graphics)
{
    offlinePanel.Paint(graphics);
}

void CFrameGame::OnPaintForeground(Gdiplus::Graphics& graphics)
{
    if (!inGame || !captionFont || !captionBrush)
        return;
    RECT client = {0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    Gdiplus::StringFormat format(0, LANG_NEUTRAL);
    format.SetAlignment(Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format.SetTrimming(Gdiplus::StringTrimmingEllipsisWord);
    const Gdiplus::RectF layout(22.0f, 4.0f, static_cast<Gdiplus::REAL>(client.right - 310), 20.0f);
    graphics.DrawString(captionText, static_cast<INT>(std::wcslen(captionText)), captionFont.get(),
                        layout, &format, captionBrush.get());
}

// ---------------------------------------------------------------------------
// Full screen

void CFrameGame::ToggleFullScreen()
{
    if (!IsWindowHandle() || !IsWindowVisible(hwnd))
        return;
    fullScreen = !fullScreen;
    painter.dragEnabled = !fullScreen;
    if (fullScreen) {
        SetForegroundWindow(hwnd);
        SwitchToThisWindow(hwnd, TRUE);
        const HWND browser = BrowserHandle();
        if (browser)
            SetFocus(browser);
        GetWindowRect(hwnd, &savedRect);
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                     GetSystemMetrics(SM_CYSCREEN), SWP_SHOWWINDOW);
        if (browser) {
            RECT client = {0, 0, 0, 0};
            GetClientRect(hwnd, &client);
            MoveWindow(browser, client.left, client.top, client.right - client.left,
                       client.bottom - client.top, TRUE);
        }
        backWindow.Show(SW_HIDE);
        return;
    }
    SetWindowPos(hwnd, HWND_NOTOPMOST, savedRect.left, savedRect.top,
                 savedRect.right - savedRect.left, savedRect.bottom - savedRect.top, SWP_SHOWWINDOW);
    backWindow.Show(SW_SHOW);
}

// ---------------------------------------------------------------------------
// Boss key and notification icon

int CFrameGame::OnBossKey(WPARAM id)
{
    if (id != static_cast<WPARAM>(BossKeyId))
        return 0;
    if (!hiddenToTray && IsWindowHandle() && IsWindowVisible(hwnd)) {
        trayIcon.Show();
        ShowWindow(hwnd, SW_HIDE);
        hiddenToTray = true;
        // Hidden means silent too.
        audioMute.Mute();
        return 0;
    }
    if (hiddenToTray)
        ShowFromTray();
    return 0;
}

void CFrameGame::BringToFront()
{
    if (!IsWindowHandle())
        return;
    if (hiddenToTray)
        ShowFromTray();
    else if (IsIconic(hwnd))
        // As a click on the taskbar button would.
        SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    SetForegroundWindow(hwnd);
}

void CFrameGame::ShowFromTray()
{
    trayIcon.Hide();
    audioMute.Restore();
    if (IsWindowHandle()) {
        ShowWindow(hwnd, SW_SHOW);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    hiddenToTray = false;
}

int CFrameGame::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
    if (wParam != TrayIconId)
        return 1;
    switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONDBLCLK:
        ShowFromTray();
        return 0;
    case WM_RBUTTONUP:
        OpenTrayMenu();
        return 0;
    default:
        return 0;
    }
}

POINT CFrameGame::TrayMenuOrigin(POINT cursor, const RECT& workArea, int screenWidth, int menuHeight)
{
    POINT pt = cursor;
    pt.y = std::min<LONG>(pt.y, workArea.bottom - workArea.top);
    pt.y -= menuHeight;
    pt.x -= (workArea.right - workArea.left < screenWidth) ? 96 : 30;
    return pt;
}

void CFrameGame::OpenTrayMenu()
{
    if (!trayMenu.hwnd)
        AddMenuEntries(trayMenu, {{OpenGameItemId, L"打开游戏"}, {CloseItemId, L"关闭"}});
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    trayMenu.ShowAt(
        TrayMenuOrigin(cursor, WorkArea(), GetSystemMetrics(SM_CXSCREEN), trayMenu.MenuHeight()));
}

void CFrameGame::OnTrayMenuClick(CImageItem* row)
{
    switch (row ? row->id : 0) {
    case OpenGameItemId:
        hiddenToTray = false;
        audioMute.Restore();
        ShowIfWindow(hwnd, SW_SHOW);
        trayIcon.Hide();
        if (IsWindowHandle())
            InvalidateRect(hwnd, nullptr, TRUE);
        CloseMenu(trayMenu);
        return;
    case CloseItemId:
        trayIcon.Hide();
        hiddenToTray = false;
        ShowIfWindow(trayMenu.hwnd, SW_HIDE);
        dialogResult = DialogResult::Confirmed;
        modalRunning = false;
        if (IsWindowHandle())
            DestroyWindow(hwnd);
        return;
    default:
        CloseMenu(trayMenu);
        return;
    }
}

// ---------------------------------------------------------------------------

bool CFrameGame::IsWindowHandle() const
{
    return hwnd && IsWindow(hwnd);
}

HWND CFrameGame::BrowserHandle() const
{
    return browserProxy.Window();
}
