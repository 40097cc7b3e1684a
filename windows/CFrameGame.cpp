#include "windows/CFrameGame.h"

#include "base/AppMessages.h"
#include "base/ProductNames.h"
#include "browser/CHtmlAppManager.h"
#include "windows/DisplayPlacement.h"
#include "windows/GameAddress.h"

namespace {

constexpr DWORD kLoginStyle =
    WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr Gdiplus::ARGB kGameBackColor = 0x0023373C;

} // namespace

CFrameGame::CFrameGame()
{
    SetWindowClassName(ClientWindowClass);
}

CFrameGame::~CFrameGame() = default;

void CFrameGame::RunGameWindow()
{
    if (CreateLoginView())
        RunModalLoop();
}

void CFrameGame::Close()
{
    // Gone from the screen and the tray at once; the windows themselves go
    // in Destroy, once the browser thread has let go of its window. Hiding
    // moves the focus: a busy page must not hold it.
    pageLink.Split();
    tools.Close();
    tip.Hide();
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
    // Drawn, and held to its minimum, at the launcher's scale.
    painter.FixDpi(backWindow.painter.Dpi());
    minWidth = LoginWidth;
    minHeight = LoginHeight;
    if (!Create(WS_EX_APPWINDOW, nullptr, nullptr, kLoginStyle, place.left, place.top, place.right - place.left,
                place.bottom - place.top, back))
        return false;
    backWindow.gameWindow = this;
    backWindow.onLauncherScale = [this](UINT dpi) {
        painter.FixDpi(dpi);
        ZoomPageToScale();
    };
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
    offlineView.Attach(hwnd, painter, bridge.proxy());
    entry.Attach(hwnd);
    ZoomPageToScale();

    tools.Prepare();
    trayPart.Prepare(hwnd);
    pageLink.Attach(hwnd);
}

void CFrameGame::OnDestroy()
{
    titleBar.Release();
    bridge.Close();
    offlineView.Stop();

    // No ghost icon and no stolen key once the client is gone.
    trayPart.Remove();

    if (backWindow.hwnd && IsWindow(backWindow.hwnd)) {
        ShowWindow(backWindow.hwnd, SW_HIDE);
        PostMessageW(backWindow.hwnd, WM_CLOSE, 0, 0);
    }
}

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
            tip.SetText(L"");
        return CImageDialog::HandleMessage(message, wParam, lParam);
    case WM_MOUSELEAVE:
        tip.SetText(L"");
        return CImageDialog::HandleMessage(message, wParam, lParam);
    case WM_HOTKEY:
        trayPart.OnBossKey(wParam);
        return CImageDialog::HandleMessage(message, wParam, lParam);
    case FrameCommandMessage:
        OnFrameCommand(wParam);
        return CImageDialog::HandleMessage(message, wParam, lParam);
    case TrayNotifyMessage:
        if (trayPart.OnNotify(wParam, lParam))
            return 1;
        return CImageDialog::HandleMessage(message, wParam, lParam);
    case GameAddressMessage:
        OnBrowserMail(message);
        return 1;
    case OpenAddressMessage:
        OnBrowserMail(message);
        return 1;
    case NavigateFailedMessage:
        OnBrowserMail(message);
        return 1;
    case PageLoadedMessage:
        OnBrowserMail(message);
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
        trayPart.BringBack();
        return 1;
    case WM_DPICHANGED:
        CImageDialog::HandleMessage(message, wParam, lParam);
        OnDpiChanged(reinterpret_cast<const RECT*>(lParam));
        return 0;
    default:
        return CImageDialog::HandleMessage(message, wParam, lParam);
    }
}

void CFrameGame::OnDpiChanged(const RECT* suggested)
{
    // The login view keeps the launcher's scale and place.
    if (!entry.entered())
        return;
    // The painter has taken the new scale; the window takes the rectangle
    // the system suggests, and the page, title bar and shadow follow it.
    backWindow.painter.FixDpi(painter.Dpi());
    RECT before = {0, 0, 0, 0};
    GetWindowRect(hwnd, &before);
    if (fullScreen.on())
        fullScreen.Refit(hwnd);
    else if (suggested)
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    // A new size came with its WM_SIZE; the same size needs laying out
    // at the new scale all the same.
    RECT after = {0, 0, 0, 0};
    GetWindowRect(hwnd, &after);
    if (after.right - after.left == before.right - before.left && after.bottom - after.top == before.bottom - before.top)
        OnSize(0, 0, 0);
    InvalidateRect(hwnd, nullptr, FALSE);
    ZoomPageToScale();
}

void CFrameGame::ZoomPageToScale()
{
    // The page is laid out for the display as the skin is.
    const int percent = MulDiv(100, static_cast<int>(painter.Dpi()), 96);
    if (percent == pageZoom)
        return;
    pageZoom = percent;
    bridge.proxy().SetZoom(percent);
}

void CFrameGame::OnSysCommand(WPARAM command)
{
    if (entry.entered())
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
    if (timerId == OfflineView::RetryTimer) {
        offlineView.RetryNow();
        return;
    }
    if (timerId == PageInputLink::JoinTimer) {
        pageLink.OnTimer();
        return;
    }
    switch (entry.OnTimer(timerId)) {
    case GameViewEntry::Step::Enter:
        PostMessageW(hwnd, FrameCommandMessage, EnterGameCommand, 0);
        return;
    case GameViewEntry::Step::Maximize:
        ShowWindow(hwnd, SW_SHOWMAXIMIZED);
        // Showing maximised sends no WM_SHOWWINDOW: bring the shadow back here.
        if (IsWindowVisible(hwnd))
            backWindow.Show(SW_SHOW);
        SetForegroundWindow(hwnd);
        return;
    case GameViewEntry::Step::Relayout:
        bridge.proxy().OnSize();
        return;
    case GameViewEntry::Step::None:
        return;
    }
}

void CFrameGame::OnBrowserMail(UINT message)
{
    // Copies the browser thread left for this one.
    const std::vector<std::wstring> mail = bridge.Take(message);
    for (const std::wstring& url : mail) {
        switch (message) {
        case GameAddressMessage:
            entry.OnAddressSeen(url);
            break;
        case OpenAddressMessage:
            backWindow.OpenAddress(url);
            break;
        case NavigateFailedMessage:
            offlineView.OnNavigateFailed(url, PageArea());
            break;
        default:
            break;
        }
    }
    if (message == PageLoadedMessage && !mail.empty())
        offlineView.OnPageLoaded();
}

RECT CFrameGame::PageArea() const
{
    RECT client = {0, 0, 0, 0};
    GameViewState state;
    state.gameView = entry.entered();
    state.fullScreen = fullScreen.on();
    state.dpi = painter.Dpi();
    if (IsWindowHandle()) {
        GetClientRect(hwnd, &client);
        state.maximised = IsZoomed(hwnd) != FALSE;
    }
    return GamePageArea(client, state, TitleHeight);
}

void CFrameGame::EnterGameMode()
{
    if (!entry.Enter())
        return;
    backWindow.EnterShadowMode();
    bridge.proxy().EnterGameView();
    if (IsWindowHandle())
        ShowWindow(hwnd, SW_HIDE);

    painter.dragEnabled = true;
    painter.fillBackground = true;
    roundCorners = true;
    resizable = true;
    painter.SetBackColor(kGameBackColor);
    // The launcher may have been drawn smaller to fit; the game view takes
    // its monitor's scale.
    painter.FixDpi(0);

    RECT client = {0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    titleBar.AddTo(painter, painter.ToLayout(client));

    tip.Create(hwnd);
    trayPart.RegisterBossKey(config.bossKeyModifiers, config.bossKeyVirtualKey);

    // Centred, then maximised, on the monitor the launcher is on.
    minWidth = GameMinWidth;
    minHeight = GameMinHeight;
    const RECT work = MonitorOf(hwnd).work;
    const SIZE size = MinimumWithin(SIZE{minWidth, minHeight}, painter.Dpi(), work);
    MoveWindow(hwnd, work.left + (work.right - work.left - size.cx) / 2,
               work.top + (work.bottom - work.top - size.cy) / 2, size.cx, size.cy, TRUE);
    ZoomPageToScale();
    entry.ScheduleMaximize();
}

void CFrameGame::OnSize(UINT, int, int)
{
    offlineView.Layout(PageArea());
    if (fullScreen.on())
        return;
    bridge.proxy().Layout(PageArea());
    if (!entry.entered())
        return;
    backWindow.FollowGame(hwnd);
    backWindow.painter.UpdateLayered();
}

void CFrameGame::OnMove(int, int)
{
    if (entry.entered())
        backWindow.FollowGame(hwnd);
}

void CFrameGame::OnShowWindow(BOOL show, UINT)
{
    backWindow.Show(show ? SW_SHOW : SW_HIDE);
}

bool CFrameGame::OnButtonClick(CImageButton* button)
{
    return button ? commands.OnButtonClick(*button) : true;
}

std::wstring CFrameGame::LinkAddress(int id) const
{
    return GameLinkAddress(id, config.sites, config.userName.c_str(), entry.serverId());
}

bool CFrameGame::OnButtonHover(CImageButton* button)
{
    if (button)
        commands.OnButtonHover(*button);
    return true;
}

void CFrameGame::OnPaintBackground(Gdiplus::Graphics& graphics)
{
    offlineView.Paint(graphics);
}

void CFrameGame::OnPaintForeground(Gdiplus::Graphics& graphics)
{
    if (!entry.entered())
        return;
    RECT client = {0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    titleBar.PaintCaption(graphics, painter.ToLayout(client));
}

void CFrameGame::ToggleFullScreen()
{
    if (!IsWindowHandle() || !IsWindowVisible(hwnd))
        return;
    if (fullScreen.on()) {
        fullScreen.Leave(hwnd);
        painter.dragEnabled = true;
        backWindow.Show(SW_SHOW);
        // Laid out again here: a window maximised where the work area is
        // the whole screen comes back at the same size, without a WM_SIZE,
        // and the page would keep covering the title bar.
        OnSize(0, 0, 0);
        return;
    }
    fullScreen.Enter(hwnd, bridge.proxy());
    painter.dragEnabled = false;
    backWindow.Show(SW_HIDE);
}

bool CFrameGame::IsWindowHandle() const
{
    return hwnd && IsWindow(hwnd);
}

