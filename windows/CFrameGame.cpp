#include "windows/CFrameGame.h"

#include "base/AppMessages.h"
#include "base/ComPtr.h"
#include "base/ProductNames.h"
#include "browser/CHtmlAppManager.h"
#include "ui/CImageButton.h"
#include "ui/CImageItem.h"
#include "windows/CleanCacheThread.h"
#include "windows/CloseMsgWnd.h"
#include "windows/GameAddress.h"

#include <mshtml.h>
#include <strsafe.h>
#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <initializer_list>

namespace {

constexpr DWORD kLoginStyle =
    WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr Gdiplus::ARGB kGameBackColor = 0x0023373C;
constexpr int kNavNoHistory = 2;

RECT WorkArea()
{
    RECT work = {0, 0, 0, 0};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        SetRect(&work, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return work;
}

void ShowIfWindow(HWND window, int command)
{
    if (window && IsWindow(window))
        ShowWindow(window, command);
}

} // namespace

CFrameGame::CFrameGame()
{
    SetWindowClassName(ClientWindowClass);
}

CFrameGame::~CFrameGame() = default;

// ---------------------------------------------------------------------------
// Creation

void CFrameGame::RunGameWindow()
{
    if (CreateLoginView())
        RunModalLoop();
}

void CFrameGame::Close()
{
    // Gone from the screen and the tray at once; the windows themselves go
    // in Destroy, once the browser thread has let go of its window.
    tools.Close();
    ShowIfWindow(tooltip.hwnd, SW_HIDE);
    if (IsWindowHandle())
        ShowWindow(hwnd, SW_HIDE);
    backWindow.Show(SW_HIDE);
    trayPart.Remove();
    dialogResult = DialogResult::Confirmed;
    modalRunning = false;
    // Wakes the loop should this run outside of a message.
    if (IsWindowHandle())
        PostMessageW(hwnd, WM_NULL, 0, 0);
}

void CFrameGame::Destroy()
{
    if (IsWindowHandle())
        DestroyWindow(hwnd);
    // The back window was only asked to close; nobody dispatches for it now.
    if (backWindow.hwnd && IsWindow(backWindow.hwnd))
        DestroyWindow(backWindow.hwnd);
}

bool CFrameGame::CreateLoginView()
{
    backWindow.sites = config.sites;
    backWindow.userName = config.userName;
    const HWND back = backWindow.CreateLauncher();
    // At the launcher's scale, in its place inside the background.
    const RECT place = backWindow.GameWindowRect();
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    if (GetSystemMetrics(SM_CXSCREEN) >= width && GetSystemMetrics(SM_CYSCREEN) >= height) {
        minWidth = width;
        minHeight = height;
    }
    if (!Create(WS_EX_APPWINDOW, nullptr, nullptr, kLoginStyle, place.left, place.top, width, height, back))
        return false;
    backWindow.gameWindow = this;
    return true;
}

void CFrameGame::OnCreate(CREATESTRUCTW*)
{
    titleBar.Prepare();

    SetIconFromResource(true, 48);
    SetIconFromResource(false, 32);
    SetWindowTextW(hwnd, L"Lumavex");

    RECT client = {0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    bridge.Open(hwnd, client, config.startUrl);

    tools.Prepare();
    trayPart.Prepare(hwnd);
}

void CFrameGame::OnDestroy()
{
    titleBar.Release();
    bridge.Close();
    // No retry outlives the window.
    KillTimer(hwnd, RetryTimer);
    offlineRetry.Stop();

    // No ghost icon and no stolen key once the client is gone.
    trayPart.Remove();

    if (backWindow.hwnd && IsWindow(backWindow.hwnd)) {
        ShowWindow(backWindow.hwnd, SW_HIDE);
        PostMessageW(backWindow.hwnd, WM_CLOSE, 0, 0);
    }
}

// ---------------------------------------------------------------------------
// Messages

LRESULT CFrameGame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A registered message has no constant to switch on.
    if (message == taskbarCreatedMessage && taskbarCreatedMessage) {
        trayPart.OnTaskbarCreated();
        return CImageDialog::HandleMessage(message, wParam, lParam);
    }
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
        bridge.proxy().SetWindow(reinterpret_cast<HWND>(wParam));
        return 1;
    case WM_CLOSE:
        // Handled: the default would destroy the window, and with it the
        // browser thread's child, waiting for that thread.
        Close();
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
        Close();
        return;
    case ToggleFullScreenCommand:
        ToggleFullScreen();
        return;
    case LeaveFullScreenCommand:
        if (fullScreen.on())
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
        bridge.proxy().OnSize();
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

void CFrameGame::OnGameAddressesPosted()
{
    for (const std::wstring& url : bridge.Take(GameAddressMessage))
        OnAddressSeen(url);
}

void CFrameGame::OnOpenAddressesPosted()
{
    for (const std::wstring& url : bridge.Take(OpenAddressMessage))
        backWindow.OpenAddress(url);
}

void CFrameGame::OnNavigateFailuresPosted()
{
    for (const std::wstring& url : bridge.Take(NavigateFailedMessage)) {
        const UINT delay = offlineRetry.OnNavigateFailed(url);
        if (!delay || !IsWindowHandle())
            continue;
        if (!offlinePanel.shown()) {
            bridge.proxy().Show(false);
            offlinePanel.Show(painter, hwnd, PageArea());
        }
        SetTimer(hwnd, RetryTimer, delay, nullptr);
    }
}

void CFrameGame::OnPagesLoadedPosted()
{
    if (bridge.Take(PageLoadedMessage).empty() || !offlineRetry.OnNavigateCompleted())
        return;
    KillTimer(hwnd, RetryTimer);
    offlinePanel.Hide(painter, hwnd);
    bridge.proxy().Show(true);
}

void CFrameGame::RetryNow()
{
    // Empty while a retry is under way: one navigation at a time.
    const std::wstring url = offlineRetry.StartRetry();
    if (!url.empty())
        bridge.proxy().Navigate(url.c_str(), kNavNoHistory);
}

RECT CFrameGame::PageArea() const
{
    RECT r = {0, 0, 0, 0};
    if (!IsWindowHandle())
        return r;
    GetClientRect(hwnd, &r);
    if (!inGame || fullScreen.on())
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
    bridge.proxy().EnterGameView();
    if (IsWindowHandle())
        ShowWindow(hwnd, SW_HIDE);

    painter.dragEnabled = true;
    painter.fillBackground = true;
    roundCorners = true;
    resizable = true;
    painter.SetBackColor(kGameBackColor);

    AddTitleBar();

    tooltip.Create(0, L"ToolTip", nullptr, WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0, hwnd);
    trayPart.RegisterBossKey(config.bossKeyModifiers, config.bossKeyVirtualKey);

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

void CFrameGame::AddTitleBar()
{
    RECT client = {0, 0, 0, 0};
    if (IsWindowHandle())
        GetClientRect(hwnd, &client);
    titleBar.AddTo(painter, client);
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
        RECT client = {0, 0, 0, 0};
        GetClientRect(hwnd, &client);
        bridge.proxy().Layout(client);
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
    if (fullScreen.on())
        return;
    r.top += TitleHeight;
    bridge.proxy().Layout(r);
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
        if (dialog.ShowModal(hwnd) == DialogResult::Confirmed)
            Close();
        return false;
    }
    case FullScreenButtonId:
        PostMessageW(hwnd, FrameCommandMessage, ToggleFullScreenCommand, 0);
        return true;
    case ToolsButtonId:
        tools.Open(hwnd, BossKeyMenuText());
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

void CFrameGame::OnToolsChoice(int id)
{
    switch (id) {
    case CleanCacheItemId:
        StartCleanCacheThread(hwnd);
        return;
    case RefreshItemId:
        bridge.proxy().Refresh();
        return;
    default:
        return;
    }
}

bool CFrameGame::OnButtonHover(CImageButton* button)
{
    if (!button)
        return true;
    const bool menuOpen = tools.shown() ||
                          (trayPart.menu().hwnd && IsWindowVisible(trayPart.menu().hwnd));
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
    if (!inGame)
        return;
    RECT client = {0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    titleBar.PaintCaption(graphics, client);
}

// ---------------------------------------------------------------------------
// Full screen

void CFrameGame::ToggleFullScreen()
{
    if (!IsWindowHandle() || !IsWindowVisible(hwnd))
        return;
    if (fullScreen.on()) {
        // The resulting WM_SIZE lays the title bar and the page out again.
        fullScreen.Leave(hwnd);
        painter.dragEnabled = true;
        backWindow.Show(SW_SHOW);
        return;
    }
    fullScreen.Enter(hwnd, bridge.proxy());
    painter.dragEnabled = false;
    backWindow.Show(SW_HIDE);
}

// ---------------------------------------------------------------------------

int CFrameGame::OnBossKey(WPARAM id)
{
    return trayPart.OnBossKey(id);
}

void CFrameGame::BringToFront()
{
    if (!IsWindowHandle())
        return;
    if (trayPart.hidden())
        trayPart.BringBack();
    else if (IsIconic(hwnd))
        // As a click on the taskbar button would.
        SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    SetForegroundWindow(hwnd);
}

int CFrameGame::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
    return trayPart.OnNotify(wParam, lParam);
}

void CFrameGame::OnTrayMenuClick(CImageItem* row)
{
    trayPart.OnMenuClick(row);
}

std::wstring CFrameGame::BossKeyMenuText() const
{
    return trayPart.MenuText();
}

bool CFrameGame::IsWindowHandle() const
{
    return hwnd && IsWindow(hwnd);
}

