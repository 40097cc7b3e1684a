#include "windows/TrayController.h"

#include "base/AppMessages.h"
#include "ui/CImageItem.h"
#include "windows/MenuRows.h"

#include <algorithm>
#include <utility>

namespace {

RECT WorkArea()
{
    RECT work = {0, 0, 0, 0};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        SetRect(&work, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return work;
}

bool IsWindowHandle(HWND window)
{
    return window && IsWindow(window);
}

} // namespace

TrayController::TrayController(std::function<void()> closeClient) : closeClient(std::move(closeClient)) {}

void TrayController::Prepare(HWND window)
{
    game = window;
    MenuRows::Style(trayMenu);
    trayMenu.painter.SetOnItemClick([this](CImageItem* row) { OnMenuClick(row); });
    trayIcon.Prepare(window, IconId, TrayNotifyMessage, IconId, L"Lumavex");
}

void TrayController::RegisterBossKey(int configModifiers, int configVirtualKey)
{
    if (!IsWindowHandle(game))
        return;
    // Alt+D is the address-bar key of common browsers: a configured key
    // replaces it, and Alt+D stays the fallback.
    const BossKey wanted = ConfiguredBossKey(configModifiers, configVirtualKey);
    // One key per id and window: the old one goes before another comes.
    hotKeyHolder.reset();
    hotKeyHolder = std::make_unique<CHotKey>(game, BossKeyId, wanted.modifiers, wanted.virtualKey);
    if (hotKeyHolder->registered()) {
        bossKey = wanted;
        return;
    }
    bossKey = DefaultBossKey;
    if (wanted.modifiers != DefaultBossKey.modifiers || wanted.virtualKey != DefaultBossKey.virtualKey) {
        hotKeyHolder.reset();
        hotKeyHolder = std::make_unique<CHotKey>(game, BossKeyId, DefaultBossKey.modifiers, DefaultBossKey.virtualKey);
    }
}

std::wstring TrayController::MenuText() const
{
    return L"老板键(" + BossKeyName(bossKey) + L")";
}

int TrayController::OnBossKey(WPARAM id)
{
    if (id != static_cast<WPARAM>(BossKeyId))
        return 0;
    if (!hiddenToTray && IsWindowHandle(game) && IsWindowVisible(game)) {
        trayIcon.Show();
        ShowWindow(game, SW_HIDE);
        hiddenToTray = true;
        // Hidden means silent too.
        audioMute.Mute();
        return 0;
    }
    if (hiddenToTray)
        ShowGame();
    return 0;
}

void TrayController::BringBack()
{
    if (!IsWindowHandle(game))
        return;
    if (hiddenToTray)
        ShowGame();
    else if (IsIconic(game))
        // As a click on the taskbar button would.
        SendMessageW(game, WM_SYSCOMMAND, SC_RESTORE, 0);
    SetForegroundWindow(game);
}

void TrayController::ShowGame()
{
    hiddenToTray = false;
    trayIcon.Hide();
    audioMute.Restore();
    if (IsWindowHandle(game)) {
        ShowWindow(game, SW_SHOW);
        InvalidateRect(game, nullptr, TRUE);
    }
}

int TrayController::OnNotify(WPARAM wParam, LPARAM lParam)
{
    if (wParam != IconId)
        return 1;
    switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONDBLCLK:
        ShowGame();
        return 0;
    case WM_RBUTTONUP:
        OpenMenu();
        return 0;
    default:
        return 0;
    }
}

void TrayController::OnTaskbarCreated()
{
    if (hiddenToTray)
        trayIcon.Restore();
}

POINT TrayController::MenuOrigin(POINT cursor, const RECT& workArea, int screenWidth, int menuHeight)
{
    POINT pt = cursor;
    pt.y = std::min<LONG>(pt.y, workArea.bottom - workArea.top);
    pt.y -= menuHeight;
    pt.x -= (workArea.right - workArea.left < screenWidth) ? 96 : 30;
    return pt;
}

void TrayController::OpenMenu()
{
    if (!trayMenu.hwnd)
        MenuRows::Add(trayMenu, {{OpenGameItemId, L"打开游戏"}, {CloseItemId, L"关闭"}});
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    trayMenu.ShowAt(MenuOrigin(cursor, WorkArea(), GetSystemMetrics(SM_CXSCREEN), trayMenu.MenuHeight()));
}

void TrayController::OnMenuClick(CImageItem* row)
{
    switch (row ? row->id : 0) {
    case OpenGameItemId:
        ShowGame();
        MenuRows::Close(trayMenu);
        return;
    case CloseItemId:
        if (closeClient)
            closeClient();
        return;
    default:
        MenuRows::Close(trayMenu);
        return;
    }
}

void TrayController::Remove()
{
    MenuRows::Close(trayMenu);
    trayIcon.Hide();
    hiddenToTray = false;
    // The system keeps a session's mute for the next run.
    audioMute.Close();
    hotKeyHolder.reset();
}
