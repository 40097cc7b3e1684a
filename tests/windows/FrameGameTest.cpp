// ctest: desktop
#include "windows/CFrameGame.h"

#include "DibCanvas.h"
#include "ImageProbe.h"
#include "Input.h"
#include "Screenshot.h"
#include "TestApp.h"
#include "TestFiles.h"
#include "app/gameApp.h"
#include "base/AppMessages.h"
#include "base/ComPtr.h"
#include "browser/CHtmlAppManager.h"
#include "ui/CImageButton.h"
#include "ui/CImageItem.h"
#include "ui/CImageStatic.h"
#include "windows/DisplayPlacement.h"
#include "windows/GameAddress.h"
#include "RectAssert.h"

#include <audiopolicy.h>
#include <mmsystem.h>
#include <strsafe.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

RECT WorkArea()
{
    RECT work = {0, 0, 0, 0};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

bool Visible(HWND window)
{
    return window && IsWindow(window) && IsWindowVisible(window);
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// A plain window of the test's own, to compete for hot keys or, shown, to
// hold the keyboard focus while the game window is hidden.
HWND CreateBystander(DWORD style)
{
    return CreateWindowExW(0, L"STATIC", L"bystander", WS_POPUP | style, 0, 0, 10, 10, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

// True while the shell still holds the game window's notification icon.
bool IconPresent(HWND owner)
{
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = CFrameGame::TrayIconId;
    data.uFlags = NIF_TIP;
    StringCchCopyW(data.szTip, ARRAYSIZE(data.szTip), L"Lumavex");
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void RemoveIcon(HWND owner)
{
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = CFrameGame::TrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
}

bool IsTopmost(HWND window)
{
    return window && (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// Whether SetWindowPos(HWND_TOPMOST) marks an owned window that owns a
// hidden popup itself, the shape of the game window.
bool TopmostReachesOwnedOwner()
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const HWND owner = CreateWindowExW(0, L"STATIC", L"o", WS_POPUP, 0, 0, 20, 20, nullptr,
                                       nullptr, instance, nullptr);
    const HWND owned = CreateWindowExW(0, L"STATIC", L"w", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20,
                                       owner, nullptr, instance, nullptr);
    const HWND popup = CreateWindowExW(0, L"STATIC", L"p", WS_POPUP, 0, 0, 20, 20, owned, nullptr,
                                       instance, nullptr);
    SetWindowPos(owned, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const bool reached = IsTopmost(owned);
    DestroyWindow(popup);
    DestroyWindow(owned);
    DestroyWindow(owner);
    return reached;
}

std::wstring RowText(CImageMenu& menu, int id)
{
    CImageItem* row = menu.painter.FindItem(id);
    if (!row || row->buttons.empty())
        return L"<no row>";
    return row->buttons.front()->text;
}


std::wstring PayAddress(const std::wstring& platform, const std::wstring& tail)
{
    return platform + L"/pay?gid=148&user_name=" + tail;
}

class FrameGame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ExitOnCrash();
        ASSERT_TRUE(app.ok());
        // No browser thread: browser requests are dropped.
        ASSERT_EQ(g_htmlManager, nullptr);
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 20, GetSystemMetrics(SM_CYSCREEN) - 20);
        game.back().opener = [this](const std::wstring& address) { opened.push_back(address); };
    }

    void TearDown() override
    {
        for (HWND window : bystanders) {
            if (IsWindow(window))
                DestroyWindow(window);
        }
        if (game.hwnd && IsWindow(game.hwnd))
            DestroyWindow(game.hwnd);
        if (game.back().hwnd && IsWindow(game.back().hwnd))
            DestroyWindow(game.back().hwnd);
        PumpPending();  // what the destruction posted
    }

    HWND Bystander(DWORD style = 0)
    {
        bystanders.push_back(CreateBystander(style));
        return bystanders.back();
    }

    HWND Back() const { return game.back().hwnd; }

    void CreateLogin()
    {
        ASSERT_TRUE(game.CreateLoginView());
        ASSERT_TRUE(IsWindow(game.hwnd));
    }

    // Login view, then the game view once it is shown maximised.
    void EnterGameView()
    {
        CreateLogin();
        game.EnterGameMode();
        ASSERT_TRUE(PumpUntil([this] { return IsZoomed(game.hwnd) && Visible(game.hwnd) && Visible(Back()); }, 10000));
    }

    CImageButton* Button(int id) const { return game.painter.FindButton(id); }

    // Screen point in the middle of a title-bar element.
    POINT Centre(int id) const
    {
        const CImageButton* button = Button(id);
        POINT p = {0, 0};
        if (button)
            p = POINT{(button->rect.left + button->rect.right) / 2,
                      (button->rect.top + button->rect.bottom) / 2};
        ClientToScreen(game.hwnd, &p);
        return p;
    }

    POINT ClientToScreenPoint(int x, int y) const
    {
        POINT p = {x, y};
        ClientToScreen(game.hwnd, &p);
        return p;
    }

    bool AddressMessageQueued() const
    {
        MSG msg;
        return PeekMessageW(&msg, game.hwnd, GameAddressMessage, GameAddressMessage, PM_NOREMOVE) != FALSE;
    }

    // The title bar on the screen: its dark blue background and light ink
    // in the caption of each link.
    void ExpectTitleBarDrawn(const wchar_t* name)
    {
        const int ids[] = {PaymentLinkId, OfficialLinkId, ForumLinkId, ServiceLinkId};
        auto background = [this](const ScreenCapture& s) {
            const POINT p = ClientToScreenPoint(300, 12);
            return s.Pixel(p.x, p.y);
        };
        auto caption = [this](const ScreenCapture& s, int id) {
            const CImageButton* link = Button(id);
            if (!link)
                return 0;
            const POINT p = ClientToScreenPoint(link->rect.left, 0);
            const RECT r = {p.x + 5, p.y + 7, p.x + 36, p.y + 19};
            return s.Count(r, [](DWORD c) { return RedOf(c) > 110 && GreenOf(c) > 110 && BlueOf(c) > 110; });
        };
        const ScreenCapture screen = CaptureScreenWhen(name, [&](const ScreenCapture& s) {
            bool all = ColorNear(background(s), 0xFF1A2548, 16);
            for (int id : ids)
                all = all && caption(s, id) > 40;
            return all;
        });
        ASSERT_TRUE(screen.ok());
        EXPECT_TRUE(ColorNear(background(screen), 0xFF1A2548, 16)) << std::hex << background(screen);
        for (int id : ids)
            EXPECT_GT(caption(screen, id), 40) << "no caption on link " << id;
    }

    bool TooltipIs(const wchar_t* text) const { return std::wcscmp(game.tooltip().text(), text) == 0; }

    // Hovers `at` until the tooltip text is `text`; whether the tip was up
    // when the text changed is noted from inside whatever loop runs (the
    // hover helper pumps while it settles the pointer).
    void HoverForText(POINT at, const wchar_t* text, bool& tipUpThen)
    {
        TimerScript watch([&] {
            if (!TooltipIs(text))
                return false;
            tipUpThen = Visible(game.tooltip().window());
            return true;
        }, 10);
        EXPECT_TRUE(HoverUntil(at, [&] { return watch.finished(); }));
    }

    TestApp app;
    std::vector<std::wstring> opened;
    std::vector<HWND> bystanders;
    CFrameGame game;
};

} // namespace

TEST(FrameGameLogic, TrayMenuOpensAboveTheCursorLeftOfItInsideTheWorkHeight)
{
    const int screen = 1920;
    const RECT bottomBar = {0, 0, 1920, 1040};
    POINT p = TrayController::MenuOrigin(POINT{1800, 700}, bottomBar, screen, 48);
    EXPECT_EQ(p.x, 1770);
    EXPECT_EQ(p.y, 652);
    // A cursor on the taskbar: the menu still ends at the work area's height.
    p = TrayController::MenuOrigin(POINT{1800, 1060}, bottomBar, screen, 48);
    EXPECT_EQ(p.x, 1770);
    EXPECT_EQ(p.y, 992);

    // Taskbar at a side edge: 96 pixels to the left.
    const RECT rightBar = {0, 0, 1860, 1080};
    p = TrayController::MenuOrigin(POINT{1850, 1000}, rightBar, screen, 48);
    EXPECT_EQ(p.x, 1754);
    EXPECT_EQ(p.y, 952);
    const RECT leftBar = {60, 0, 1920, 1080};
    p = TrayController::MenuOrigin(POINT{100, 500}, leftBar, screen, 72);
    EXPECT_EQ(p.x, 4);
    EXPECT_EQ(p.y, 428);

    // The limit is the work area's height, not its bottom edge.
    const RECT topBar = {0, 40, 1920, 1080};
    p = TrayController::MenuOrigin(POINT{900, 1079}, topBar, screen, 48);
    EXPECT_EQ(p.x, 870);
    EXPECT_EQ(p.y, 992);
}

TEST_F(FrameGame, LoginViewSitsOnTheBackWindowAndMinimiseFollowsInLoginModeOnly)
{
    CreateLogin();
    const RECT work = WorkArea();
    const RECT back = WindowRect(Back());
    EXPECT_TRUE(RectIs(back, (work.right - work.left - 1411) / 2,
                       (work.bottom - work.top - 704) / 2,
                       (work.right - work.left - 1411) / 2 + 1411,
                       (work.bottom - work.top - 704) / 2 + 704));
    const RECT g = WindowRect(game.hwnd);
    EXPECT_TRUE(RectIs(g, back.left + 626, back.top + 212, back.left + 626 + 630,
                       back.top + 212 + 372));
    EXPECT_EQ(GetWindow(game.hwnd, GW_OWNER), Back());
    EXPECT_EQ(game.back().gameWindow, &game);
    EXPECT_EQ(FindWindowW(L"lumavexor", nullptr), game.hwnd);
    wchar_t title[32] = {};
    GetWindowTextW(game.hwnd, title, 32);
    EXPECT_STREQ(title, L"Lumavex");
    EXPECT_TRUE(GetWindowLongW(game.hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_NE(SendMessageW(game.hwnd, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_NE(SendMessageW(game.hwnd, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_TRUE(Visible(game.hwnd));
    EXPECT_TRUE(Visible(Back()));
    EXPECT_EQ(game.minWidth, 630);
    EXPECT_EQ(game.minHeight, 372);
    EXPECT_FALSE(game.inGameView());
    EXPECT_TRUE(game.painter.buttons.empty()) << "no title bar in the login view";
    EXPECT_EQ(game.tooltip().window(), nullptr);
    EXPECT_EQ(game.browser().window().hwnd, nullptr);
    // The background's artwork is on the screen.
    const ScreenCapture screen = CaptureScreenWhen(L"game-login-view", [&](const ScreenCapture& s) {
        return s.Count(back, [](DWORD c) { return (c & 0xFFFFFF) != 0; }) > 1411 * 704 / 2;
    });
    ASSERT_TRUE(screen.ok());
    EXPECT_GT(screen.Count(back, [](DWORD c) { return (c & 0xFFFFFF) != 0; }), 1411 * 704 / 2);

    // Moving the artwork drags the login view along.
    SetWindowPos(Back(), nullptr, back.left + 30, back.top - 20, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT moved = WindowRect(game.hwnd);
    EXPECT_EQ(moved.left, back.left + 30 + 626);
    EXPECT_EQ(moved.top, back.top - 20 + 212);

    SendMessageW(game.hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(Visible(Back()));
    SendMessageW(game.hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(Visible(Back()));
    EXPECT_FALSE(IsIconic(game.hwnd));

    // In the game view the system commands leave the back window alone.
    game.EnterGameMode();
    ASSERT_TRUE(PumpUntil([this] { return IsZoomed(game.hwnd) && Visible(game.hwnd); }, 10000));
    ShowWindow(Back(), SW_SHOWNOACTIVATE);
    ASSERT_TRUE(Visible(Back()));
    SendMessageW(game.hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(Visible(Back()));
    ShowWindow(Back(), SW_HIDE);
    SendMessageW(game.hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(Visible(Back()));
}

TEST_F(FrameGame, GameAddressSeenOnAnotherThreadEntersTheGameViewAfterTheDelay)
{
    CreateLogin();
    // Addresses that do not mark the game change nothing.
    for (const wchar_t* other :
         {L"https://p.example/lander/qmvt?type=2&server_id=9", L"https://p.example/x?TYPE=3",
          L"https://p.example/x?Client=1&server_id=8", L"https://p.example/x?client=2&type=",
          L"https://p.example/x?type%3D3", L""}) {
        std::thread([this, other] { game.browser().OnNavigateComplete(other); }).join();
    }
    std::thread([this] { game.browser().OnNavigateComplete(nullptr); }).join();
    // Nothing queued, so no delay started: a stray one would also show in
    // the lower bound below.
    EXPECT_FALSE(AddressMessageQueued());

    const DWORD start = GetTickCount();
    std::thread([this] {
        game.browser().OnNavigateComplete(L"https://p.example/game?type=3&server_id=s12&from=lander");
    }).join();
    // Handed to the window's own thread: a timer set from the browser
    // thread would not run there.
    EXPECT_TRUE(AddressMessageQueued());
    PumpPending();
    EXPECT_EQ(game.GetServerId(), L"s12");
    ASSERT_TRUE(PumpUntil([this] { return game.inGameView(); }, 10000));
    EXPECT_GE(GetTickCount() - start, CFrameGame::EnterGameDelay - 100) << "entered before the delay";

    // Afterwards the watch is inert.
    std::thread([this] {
        game.browser().OnNavigateComplete(L"https://p.example/game?type=3&server_id=other");
    }).join();
    PumpPending();
    EXPECT_EQ(game.GetServerId(), L"s12");
    ASSERT_TRUE(PumpUntil([this] { return IsZoomed(game.hwnd) && Visible(game.hwnd); }, 10000));
}

TEST_F(FrameGame, ALaterGameAddressRestartsTheDelay)
{
    CreateLogin();
    const DWORD start = GetTickCount();
    game.browser().OnNavigateComplete(L"https://p.example/game?client=1");
    // A third of the delay passes (far enough from its end that a slow
    // machine cannot reach it) before the second address.
    PumpFor(CFrameGame::EnterGameDelay / 3);
    ASSERT_FALSE(game.inGameView());
    game.browser().OnNavigateComplete(L"https://p.example/game?client=1&server_id=77");
    const DWORD second = GetTickCount();
    PumpPending();
    EXPECT_EQ(game.GetServerId(), L"77");
    ASSERT_TRUE(PumpUntil([this] { return game.inGameView(); }, 10000));
    // Without the restart the view would switch a third of the delay early.
    EXPECT_GE(GetTickCount() - second, CFrameGame::EnterGameDelay - 100)
        << "the first address's delay was not restarted";
    EXPECT_GE(GetTickCount() - start, CFrameGame::EnterGameDelay * 4 / 3 - 100);
}

TEST_F(FrameGame, ServerIdComesFromGameAddressesAndNamesThePaymentPage)
{
    // No windows needed: the watch and the link addresses are plain logic.
    const std::wstring platform = DefaultSiteRoots().platform;
    EXPECT_EQ(game.LinkAddress(PaymentLinkId), PayAddress(platform, L""));

    game.OnAddressSeen(L"http://h/a?type=3&server_id=s1&b=2");
    EXPECT_EQ(game.GetServerId(), L"s1");
    EXPECT_EQ(game.LinkAddress(PaymentLinkId), PayAddress(platform, L"&server_id=s1"));
    game.OnAddressSeen(L"http://h/a?client=1&server_id=s2");
    EXPECT_EQ(game.GetServerId(), L"s2");
    // No server named: the last one stays.
    game.OnAddressSeen(L"http://h/a?client=1&b=2");
    EXPECT_EQ(game.GetServerId(), L"s2");
    // Not a game address: not read at all.
    game.OnAddressSeen(L"http://h/a?type=2&server_id=zz");
    EXPECT_EQ(game.GetServerId(), L"s2");
    game.OnAddressSeen(L"http://h/a?type=3&server_id=a&server_id=b");
    EXPECT_EQ(game.GetServerId(), L"a");
    // Plain substring search: "gametype=31" holds "type=3".
    game.OnAddressSeen(L"http://h/a?gametype=31&server_id=g7");
    EXPECT_EQ(game.GetServerId(), L"g7");
    game.OnAddressSeen(L"http://h/a?type=3&server_id=&b=2");
    EXPECT_EQ(game.GetServerId(), L"");
    EXPECT_EQ(game.LinkAddress(PaymentLinkId), PayAddress(platform, L""));

    std::wstring longId;
    for (int i = 0; i < 200; ++i)
        longId += static_cast<wchar_t>(L'a' + i % 26);
    game.OnAddressSeen(L"http://h/a?type=3&server_id=" + longId + L"&x=1");
    EXPECT_EQ(game.GetServerId(), longId);
    EXPECT_EQ(game.LinkAddress(PaymentLinkId), PayAddress(platform, L"&server_id=" + longId));

    const SiteRoots sites = DefaultSiteRoots();
    EXPECT_EQ(game.LinkAddress(ServiceLinkId), sites.platform + L"/services");
    EXPECT_EQ(game.LinkAddress(ForumLinkId), sites.forum + L"/forum.php?mod=forumdisplay&fid=601");
    EXPECT_EQ(game.LinkAddress(OfficialLinkId), sites.official + L"/");
    EXPECT_EQ(game.LinkAddress(CFrameGame::ToolsButtonId), L"");
}

TEST_F(FrameGame, GameViewIsMaximisedWithTheTitleBarAnchoredToTheRight)
{
    CreateLogin();
    PostMessageW(game.hwnd, FrameCommandMessage, EnterGameCommand, 0);
    ASSERT_TRUE(PumpUntil([this] { return game.inGameView(); }, 10000));
    const DWORD entered = GetTickCount();
    const RECT work = WorkArea();
    // Hidden and centred at the minimum size until the maximise.
    EXPECT_FALSE(Visible(game.hwnd));
    EXPECT_FALSE(Visible(Back()));
    EXPECT_EQ(game.minWidth, 1020);
    EXPECT_EQ(game.minHeight, 704);
    const int x0 = (work.right - work.left - 1020) / 2;
    const int y0 = (work.bottom - work.top - 704) / 2;
    EXPECT_TRUE(RectIs(WindowRect(game.hwnd), x0, y0, x0 + 1020, y0 + 704));
    EXPECT_EQ(game.back().shadowMode, 1);
    EXPECT_TRUE(game.resizable);
    EXPECT_TRUE(game.roundCorners);
    EXPECT_TRUE(game.painter.dragEnabled);

    ASSERT_TRUE(PumpUntil([this] { return IsZoomed(game.hwnd) && Visible(game.hwnd); }, 10000));
    EXPECT_GE(GetTickCount() - entered, CFrameGame::MaximizeDelay - 150) << "shown before the maximise delay";
    const RECT g = WindowRect(game.hwnd);
    EXPECT_TRUE(RectIs(g, work));
    EXPECT_TRUE(Visible(Back())) << "the shadow window stayed hidden after the maximise";
    EXPECT_TRUE(RectIs(WindowRect(Back()), g.left - 6, g.top - 6, g.right + 6, g.bottom + 6));

    RECT client = {0, 0, 0, 0};
    GetClientRect(game.hwnd, &client);
    const int r = client.right;
    const struct {
        int id, right, width, top, bottom;
    } places[] = {
        {CloseButtonId, r - 1, 25, 0, 25},
        {MaximizeButtonId, r - 25, 25, 0, 25},
        {RestoreButtonId, r - 25, 25, 0, 25},
        {MinimizeButtonId, r - 50, 25, 0, 25},
        {CFrameGame::FullScreenButtonId, r - 75, 25, 0, 25},
        {CFrameGame::ToolsButtonId, r - 100, 25, 0, 25},
        {ServiceLinkId, r - 125, 41, 2, 24},
        {ForumLinkId, r - 170, 41, 2, 24},
        {OfficialLinkId, r - 215, 41, 2, 24},
        {PaymentLinkId, r - 260, 41, 2, 24},
    };
    for (const auto& place : places) {
        const CImageButton* button = Button(place.id);
        ASSERT_NE(button, nullptr) << place.id;
        EXPECT_TRUE(RectIs(button->rect, place.right - place.width, place.top, place.right,
                           place.bottom))
            << place.id;
    }
    EXPECT_FALSE(Button(MaximizeButtonId)->visible);
    EXPECT_TRUE(Button(RestoreButtonId)->visible);
    EXPECT_STREQ(Button(CFrameGame::FullScreenButtonId)->text, L"全屏(F10)");
    EXPECT_STREQ(Button(CFrameGame::ToolsButtonId)->text, L"工具");
    EXPECT_FALSE(Button(CFrameGame::ToolsButtonId)->showText);
    ASSERT_NE(game.painter.FindImage(CFrameGame::TitleBackgroundId), nullptr);
    EXPECT_TRUE(RectIs(game.painter.FindImage(CFrameGame::TitleBackgroundId)->rect, 0, 0, r, 25));
    ASSERT_NE(game.painter.FindImage(CFrameGame::TitleIconId), nullptr);
    EXPECT_TRUE(RectIs(game.painter.FindImage(CFrameGame::TitleIconId)->rect, 5, 5, 21, 21));

    // Tooltip window made, owned, not shown; Alt+D taken.
    ASSERT_TRUE(IsWindow(game.tooltip().window()));
    EXPECT_EQ(ClassOf(game.tooltip().window()), L"ToolTip");
    EXPECT_EQ(GetWindow(game.tooltip().window(), GW_OWNER), game.hwnd);
    EXPECT_FALSE(Visible(game.tooltip().window()));
    EXPECT_FALSE(RegisterHotKey(Bystander(), 1, MOD_ALT, 'D'));
    EXPECT_EQ(game.tray().MenuText(), L"老板键(Alt+D)");
    ExpectTitleBarDrawn(L"game-view");

    // The payment link, clicked for real, opens the payment page.
    ASSERT_TRUE(ClickUntil(Centre(PaymentLinkId), [this] { return !opened.empty(); }));
    EXPECT_EQ(opened, std::vector<std::wstring>{PayAddress(DefaultSiteRoots().platform, L"")});

    // Entering again changes nothing (a second entry would hide, move and
    // rebuild at once).
    const size_t buttons = game.painter.buttons.size();
    const HWND tip = game.tooltip().window();
    game.EnterGameMode();
    EXPECT_TRUE(Visible(game.hwnd));
    EXPECT_TRUE(IsZoomed(game.hwnd));
    EXPECT_TRUE(RectIs(WindowRect(game.hwnd), g));
    EXPECT_EQ(game.painter.buttons.size(), buttons);
    EXPECT_EQ(game.tooltip().window(), tip);

    // The restore button, clicked for real: back to the centred minimum
    // size, with the shadow around it.
    ASSERT_TRUE(ClickUntil(Centre(RestoreButtonId), [this] {
        return !IsZoomed(game.hwnd) && Button(MaximizeButtonId)->visible && Visible(Back());
    }));
    const RECT restored = WindowRect(game.hwnd);
    EXPECT_TRUE(RectIs(restored, x0, y0, x0 + 1020, y0 + 704));
    EXPECT_TRUE(Button(MaximizeButtonId)->visible);
    EXPECT_FALSE(Button(RestoreButtonId)->visible);
    EXPECT_EQ(Button(CloseButtonId)->rect.right, 1020 - 1);
    EXPECT_EQ(Button(PaymentLinkId)->rect.right, 1020 - 260);
    EXPECT_TRUE(RectIs(WindowRect(Back()), restored.left - 6, restored.top - 6,
                       restored.right + 6, restored.bottom + 6));
    EXPECT_TRUE(Visible(Back())) << "no shadow around the restored window";
    ExpectTitleBarDrawn(L"game-view-restored");
}

TEST_F(FrameGame, FullScreenCoversTheScreenAndReturnsToTheExactRectangle)
{
    EnterGameView();
    const int sx = GetSystemMetrics(SM_CXSCREEN);
    const int sy = GetSystemMetrics(SM_CYSCREEN);
    const RECT maximised = WindowRect(game.hwnd);
    // Handled at once, as the posted command would be.
    auto command = [this](WPARAM which) { SendMessageW(game.hwnd, FrameCommandMessage, which, 0); };
    // Wine gives the topmost flag to the popups of an owned window instead
    // of to the window itself; there the tooltip shows the request.
    const bool ownFlag = TopmostReachesOwnedOwner();
    auto topmost = [this, ownFlag] {
        return IsTopmost(game.hwnd) || (!ownFlag && IsTopmost(game.tooltip().window()));
    };

    // Esc outside full screen does nothing.
    command(LeaveFullScreenCommand);
    EXPECT_FALSE(game.IsFullScreen());
    EXPECT_TRUE(RectIs(WindowRect(game.hwnd), maximised));

    command(ToggleFullScreenCommand);
    ASSERT_TRUE(game.IsFullScreen());
    EXPECT_TRUE(RectIs(WindowRect(game.hwnd), 0, 0, sx, sy));
    EXPECT_TRUE(topmost());
    EXPECT_FALSE(Visible(Back()));
    EXPECT_FALSE(game.painter.dragEnabled);
    command(ToggleFullScreenCommand);
    EXPECT_FALSE(game.IsFullScreen());
    EXPECT_TRUE(RectIs(WindowRect(game.hwnd), maximised));
    // (Wine leaves the tooltip's flag behind.)
    EXPECT_FALSE(IsTopmost(game.hwnd));
    EXPECT_TRUE(Visible(Back()));
    EXPECT_TRUE(game.painter.dragEnabled);

    // From a restored window somewhere else; Esc leaves.
    ShowWindow(game.hwnd, SW_RESTORE);
    SetWindowPos(game.hwnd, nullptr, 100, 80, 1100, 760, SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT placed = WindowRect(game.hwnd);
    ASSERT_TRUE(RectIs(placed, 100, 80, 1200, 840));
    EXPECT_TRUE(RectIs(WindowRect(Back()), 94, 74, 1206, 846));
    command(ToggleFullScreenCommand);
    ASSERT_TRUE(game.IsFullScreen());
    EXPECT_TRUE(RectIs(WindowRect(game.hwnd), 0, 0, sx, sy));
    command(LeaveFullScreenCommand);
    EXPECT_FALSE(game.IsFullScreen());
    EXPECT_TRUE(RectIs(WindowRect(game.hwnd), placed));
    EXPECT_TRUE(RectIs(WindowRect(Back()), 94, 74, 1206, 846));
    EXPECT_TRUE(Visible(Back()));
    RECT client = {0, 0, 0, 0};
    GetClientRect(game.hwnd, &client);
    EXPECT_EQ(Button(CloseButtonId)->rect.right, client.right - 1);

    // Requests while the window is hidden are ignored.
    ShowWindow(game.hwnd, SW_HIDE);
    command(ToggleFullScreenCommand);
    EXPECT_FALSE(game.IsFullScreen());
    EXPECT_FALSE(Visible(game.hwnd));
    EXPECT_TRUE(RectIs(WindowRect(game.hwnd), placed));
}

TEST_F(FrameGame, EscAndF10BecomeCommandsInTheGameViewOnlyAndStillReachTheWindow)
{
    CreateLogin();
    gameApp filter;
    filter.gameWindow = &game;
    auto offer = [&](UINT message, WPARAM key) {
        MSG msg = {};
        msg.hwnd = game.hwnd;
        msg.message = message;
        msg.wParam = key;
        return filter.PreTranslateMessage(&msg);
    };
    auto queued = [this] {
        std::vector<WPARAM> commands;
        MSG msg;
        while (PeekMessageW(&msg, game.hwnd, FrameCommandMessage, FrameCommandMessage, PM_REMOVE))
            commands.push_back(msg.wParam);
        return commands;
    };

    EXPECT_EQ(offer(WM_KEYDOWN, VK_F10), 0);
    EXPECT_EQ(offer(WM_KEYDOWN, VK_ESCAPE), 0);
    EXPECT_TRUE(queued().empty()) << "login view";

    game.EnterGameMode();
    ASSERT_TRUE(PumpUntil([this] { return IsZoomed(game.hwnd) && Visible(game.hwnd); }, 10000));
    EXPECT_EQ(offer(WM_KEYDOWN, VK_F10), 0);
    EXPECT_EQ(offer(WM_SYSKEYDOWN, VK_F10), 0);
    EXPECT_EQ(offer(WM_KEYDOWN, VK_ESCAPE), 0);
    EXPECT_EQ(offer(WM_KEYUP, VK_F10), 0);
    EXPECT_EQ(offer(WM_KEYUP, VK_ESCAPE), 0);
    EXPECT_EQ(offer(WM_CHAR, VK_ESCAPE), 0);
    EXPECT_EQ(offer(WM_KEYDOWN, 'A'), 0);
    EXPECT_EQ(offer(WM_KEYDOWN, VK_F11), 0);
    EXPECT_EQ(queued(), (std::vector<WPARAM>{ToggleFullScreenCommand, ToggleFullScreenCommand,
                                             LeaveFullScreenCommand}));

    filter.gameWindow = nullptr;
    EXPECT_EQ(offer(WM_KEYDOWN, VK_F10), 0);
    EXPECT_EQ(filter.PreTranslateMessage(nullptr), 0);
    EXPECT_TRUE(queued().empty());
}

TEST_F(FrameGame, BossKeyHidesBehindTheIconAndBringsTheWindowBack)
{
    EnterGameView();
    EXPECT_FALSE(IconPresent(game.hwnd));

    SendMessageW(game.hwnd, WM_HOTKEY, CFrameGame::BossKeyId + 1, MAKELPARAM(MOD_ALT, 'D'));
    EXPECT_TRUE(Visible(game.hwnd));
    EXPECT_FALSE(game.tray().hidden());

    SendMessageW(game.hwnd, WM_HOTKEY, CFrameGame::BossKeyId, MAKELPARAM(MOD_ALT, 'D'));
    EXPECT_FALSE(Visible(game.hwnd));
    EXPECT_FALSE(Visible(Back()));
    EXPECT_TRUE(game.tray().hidden());
    EXPECT_TRUE(IconPresent(game.hwnd));
    EXPECT_STREQ(game.tray().icon().tip(), L"Lumavex");
    EXPECT_TRUE(game.tray().icon().shown());

    // No full screen while hidden.
    SendMessageW(game.hwnd, FrameCommandMessage, ToggleFullScreenCommand, 0);
    EXPECT_FALSE(game.IsFullScreen());
    EXPECT_FALSE(Visible(game.hwnd));

    // Icon events for another icon are swallowed; other mouse events ignored.
    EXPECT_EQ(SendMessageW(game.hwnd, TrayNotifyMessage, 127, WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(SendMessageW(game.hwnd, TrayNotifyMessage, 128, WM_MOUSEMOVE), 0);
    EXPECT_FALSE(Visible(game.hwnd));
    EXPECT_TRUE(game.tray().hidden());

    // The shell restarted without our icon: it comes back.
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    RemoveIcon(game.hwnd);
    ASSERT_FALSE(IconPresent(game.hwnd));
    SendMessageW(game.hwnd, taskbarCreated, 0, 0);
    EXPECT_TRUE(IconPresent(game.hwnd));

    EXPECT_EQ(SendMessageW(game.hwnd, TrayNotifyMessage, 128, WM_LBUTTONDBLCLK), 0);
    EXPECT_TRUE(Visible(game.hwnd));
    EXPECT_TRUE(Visible(Back()));
    SendMessageW(game.hwnd, taskbarCreated, 0, 0);
    EXPECT_FALSE(IconPresent(game.hwnd)) << "no icon while the game shows";
    EXPECT_FALSE(game.tray().hidden());
    EXPECT_FALSE(IconPresent(game.hwnd));

    // The key again, twice.
    SendMessageW(game.hwnd, WM_HOTKEY, CFrameGame::BossKeyId, 0);
    EXPECT_FALSE(Visible(game.hwnd));
    EXPECT_TRUE(game.tray().hidden());
    SendMessageW(game.hwnd, WM_HOTKEY, CFrameGame::BossKeyId, 0);
    EXPECT_TRUE(Visible(game.hwnd));
    EXPECT_FALSE(game.tray().hidden());
    EXPECT_FALSE(IconPresent(game.hwnd));

    // Hidden by other means: the key does nothing.
    ShowWindow(game.hwnd, SW_HIDE);
    SendMessageW(game.hwnd, WM_HOTKEY, CFrameGame::BossKeyId, 0);
    EXPECT_FALSE(game.tray().hidden());
    EXPECT_FALSE(Visible(game.hwnd));
    EXPECT_FALSE(IconPresent(game.hwnd));
    ShowWindow(game.hwnd, SW_SHOW);

    // The real keystroke reaches the window through the registered key, also
    // while another window has the focus.
    EXPECT_TRUE(PressUntil(game.hwnd, {VK_MENU, 'D'}, [this] { return game.tray().hidden() && !Visible(game.hwnd); }));
    EXPECT_TRUE(PressUntil(Bystander(WS_VISIBLE), {VK_MENU, 'D'},
                           [this] { return !game.tray().hidden() && Visible(game.hwnd); }));
}

// The browser thread's queue, served here without executing anything:
// what the game window asks of the browser, in order.
class QueuedBrowserRequests {
public:
    QueuedBrowserRequests() { g_htmlManager = &manager; }
    ~QueuedBrowserRequests() { g_htmlManager = nullptr; }
    QueuedBrowserRequests(const QueuedBrowserRequests&) = delete;
    QueuedBrowserRequests& operator=(const QueuedBrowserRequests&) = delete;

    // "navigate <url>", "show" or "hide" for each request since the last
    // call; with `placement` also "focus" and "layout l,t,r,b".
    std::vector<std::wstring> Take(bool placement = false)
    {
        manager.ServeRequests();
        std::vector<std::wstring> seen;
        for (const std::wstring& entry : manager.seen) {
            if (placement || (entry.rfind(L"layout", 0) != 0 && entry != L"focus"))
                seen.push_back(entry);
        }
        manager.seen.clear();
        return seen;
    }

private:
    class Recorder : public CHtmlAppManager {
    public:
        std::vector<std::wstring> seen;

    protected:
        void ExecuteRequest(HtmlRequest& request) override
        {
            switch (request.command) {
            case NavigateRequest:
                seen.push_back(L"navigate " + request.url);
                return;
            case VisibilityRequest:
                seen.push_back(request.value ? L"show" : L"hide");
                return;
            case FocusRequest:
                seen.push_back(L"focus");
                return;
            case LayoutRequest:
                seen.push_back(L"layout " + std::to_wstring(request.x) + L"," + std::to_wstring(request.y) + L"," +
                               std::to_wstring(request.x + request.width) + L"," +
                               std::to_wstring(request.y + request.height));
                return;
            default:
                return;
            }
        }
    };

    Recorder manager;
};

TEST_F(FrameGame, AnIconWhoseAddingReportedFailureIsStillDeleted)
{
    CreateLogin();
    CTrayIcon icon;
    icon.Prepare(game.hwnd, CFrameGame::TrayIconId, TrayNotifyMessage, CFrameGame::TrayIconId, L"Lumavex");
    // Already there: the shell refuses to add it again.
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = game.hwnd;
    data.uID = CFrameGame::TrayIconId;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &data));
    ASSERT_FALSE(icon.Show());
    icon.Hide();
    EXPECT_FALSE(IconPresent(game.hwnd));
}

TEST_F(FrameGame, TheBrowserWindowIsPlacedAndFocusedByRequestsOnly)
{
    QueuedBrowserRequests browser;
    EnterGameView();
    browser.Take(true);
    SendMessageW(game.hwnd, FrameCommandMessage, ToggleFullScreenCommand, 0);
    ASSERT_TRUE(game.IsFullScreen());
    const std::wstring screen = L"layout 0,0," + std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L"," +
                                std::to_wstring(GetSystemMetrics(SM_CYSCREEN));
    const std::vector<std::wstring> seen = browser.Take(true);
    EXPECT_NE(std::find(seen.begin(), seen.end(), L"focus"), seen.end());
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), screen);
}

TEST_F(FrameGame, TrayMenuOpensAboveTheCursorAndItsRowsShowOrClose)
{
    EnterGameView();
    const HWND window = game.hwnd;
    SendMessageW(window, WM_HOTKEY, CFrameGame::BossKeyId, 0);
    ASSERT_TRUE(game.tray().hidden());

    ASSERT_TRUE(SettleCursorAt(900, 700));
    EXPECT_EQ(SendMessageW(window, TrayNotifyMessage, 128, WM_RBUTTONUP), 0);
    ASSERT_TRUE(PumpUntil([this] { return Visible(game.tray().menu().hwnd); }, 10000));
    EXPECT_EQ(ClassOf(game.tray().menu().hwnd), L"velmor_menu");
    ASSERT_EQ(game.tray().menu().painter.items.size(), 2u);
    EXPECT_EQ(game.tray().menu().painter.items.front()->id, CFrameGame::OpenGameItemId);
    EXPECT_EQ(RowText(game.tray().menu(), CFrameGame::OpenGameItemId), L"打开游戏");
    EXPECT_EQ(RowText(game.tray().menu(), CFrameGame::CloseItemId), L"关闭");
    const POINT origin = TrayController::MenuOrigin(POINT{900, 700}, WorkArea(),
                                                    GetSystemMetrics(SM_CXSCREEN), 48);
    const RECT m = WindowRect(game.tray().menu().hwnd);
    EXPECT_TRUE(RectIs(m, origin.x, origin.y, origin.x + 96, origin.y + 48));
    EXPECT_EQ(m.bottom, 700) << "above the cursor";
    EXPECT_EQ(MenuRowsWithoutCaption(game.tray().menu().hwnd, L"game-tray-menu"), std::vector<int>{});

    // "打开游戏", clicked for real.
    ASSERT_TRUE(ClickUntil(POINT{m.left + 40, m.top + 12}, [&] { return Visible(window); }));
    EXPECT_FALSE(game.tray().hidden());
    EXPECT_FALSE(IconPresent(window));
    EXPECT_TRUE(PumpUntil([this] { return !IsWindow(game.tray().menu().hwnd); })) << "closed after the click";

    // Hidden again, the menu is rebuilt without doubled rows; "关闭" ends it.
    SendMessageW(window, WM_HOTKEY, CFrameGame::BossKeyId, 0);
    ASSERT_TRUE(IconPresent(window));
    SendMessageW(window, TrayNotifyMessage, 128, WM_RBUTTONUP);
    ASSERT_TRUE(PumpUntil([this] { return Visible(game.tray().menu().hwnd); }, 10000));
    EXPECT_EQ(game.tray().menu().painter.items.size(), 2u);
    game.tray().OnMenuClick(game.tray().menu().painter.FindItem(CFrameGame::CloseItemId));
    // Gone from the screen at once; destroyed once the browser let go.
    EXPECT_FALSE(Visible(window));
    EXPECT_FALSE(game.tray().hidden());
    EXPECT_EQ(game.dialogResult, DialogResult::Confirmed);
    EXPECT_FALSE(game.modalRunning);
    EXPECT_FALSE(Visible(game.tray().menu().hwnd));
    EXPECT_FALSE(Visible(Back()));
    EXPECT_FALSE(IconPresent(window));
    EXPECT_TRUE(RegisterHotKey(Bystander(), 1, MOD_ALT, 'D')) << "the key is free again";
}

TEST_F(FrameGame, ClosedWhileHiddenLeavesNoIconAndFreesTheKey)
{
    EnterGameView();
    const HWND window = game.hwnd;
    SendMessageW(window, WM_HOTKEY, CFrameGame::BossKeyId, 0);
    ASSERT_TRUE(game.tray().hidden());
    ASSERT_TRUE(IconPresent(window));
    PostMessageW(window, FrameCommandMessage, CloseCommand, 0);
    ASSERT_TRUE(PumpUntil([&] { return !game.tray().hidden(); }, 10000));
    EXPECT_FALSE(Visible(window));
    EXPECT_FALSE(game.modalRunning);
    EXPECT_FALSE(IconPresent(window));
    EXPECT_TRUE(RegisterHotKey(Bystander(), 1, MOD_ALT, 'D'));
    EXPECT_FALSE(Visible(Back()));
}

TEST_F(FrameGame, ToolsMenuAndTooltipsOfTheTitleBar)
{
    EnterGameView();
    const HWND tip = game.tooltip().window();

    // Hover: the text at once, the tip half a second later.
    const POINT full = Centre(CFrameGame::FullScreenButtonId);
    bool tipUp = true;
    // Timed from before the hover: the text changes somewhere inside it.
    const DWORD start = GetTickCount();
    HoverForText(full, L"全屏(F10)", tipUp);
    EXPECT_FALSE(tipUp);
    ASSERT_TRUE(PumpUntil([&] { return Visible(tip); }, 10000));
    EXPECT_GE(GetTickCount() - start, CImageTipCtrl::kShowDelay - 20);
    EXPECT_STREQ(game.tooltip().control().tipText, L"全屏(F10)");

    // Another button: the tip goes and comes back with its text. Handing
    // the same text on again and again must not keep restarting the delay.
    HoverForText(Centre(MinimizeButtonId), L"最小化", tipUp);
    EXPECT_FALSE(tipUp);
    {
        TimerScript repeat([this] {
            game.tooltip().SetText(L"最小化");
            return false;
        }, 100);
        EXPECT_TRUE(PumpUntil([&] { return Visible(tip); }, 10000));
    }
    EXPECT_STREQ(game.tooltip().control().tipText, L"最小化");

    // A plain spot of the title bar clears it.
    ASSERT_TRUE(HoverUntil(ClientToScreenPoint(400, 12), [this] { return TooltipIs(L""); }));
    EXPECT_TRUE(PumpUntil([&] { return !Visible(tip); }));

    // The tools button opens its menu below the title bar.
    const POINT tools = Centre(CFrameGame::ToolsButtonId);
    ASSERT_TRUE(ClickUntil(tools, [this] { return Visible(game.toolsMenu().menu().hwnd); }));
    EXPECT_EQ(ClassOf(game.toolsMenu().menu().hwnd), L"velmor_menu");
    ASSERT_EQ(game.toolsMenu().menu().painter.items.size(), 3u);
    EXPECT_EQ(RowText(game.toolsMenu().menu(), CFrameGame::CleanCacheItemId), L"清除缓存");
    EXPECT_EQ(RowText(game.toolsMenu().menu(), CFrameGame::RefreshItemId), L"刷新");
    EXPECT_EQ(RowText(game.toolsMenu().menu(), CFrameGame::BossKeyItemId), game.tray().MenuText());
    EXPECT_EQ(RowText(game.toolsMenu().menu(), CFrameGame::BossKeyItemId), L"老板键(Alt+D)");
    const RECT m = WindowRect(game.toolsMenu().menu().hwnd);
    EXPECT_TRUE(RectIs(m, tools.x - 10, WindowRect(game.hwnd).top + 30, tools.x - 10 + 96,
                       WindowRect(game.hwnd).top + 30 + 72));
    EXPECT_EQ(MenuRowsWithoutCaption(game.toolsMenu().menu().hwnd, L"game-tools-menu"), std::vector<int>{});

    // While a menu is open the tools button shows no tooltip of its own
    // (decided in the same mouse move that makes it the hot button).
    auto toolsHot = [this] {
        return game.painter.hotButton && game.painter.hotButton->id == CFrameGame::ToolsButtonId;
    };
    ASSERT_TRUE(HoverUntil(full, [this] { return TooltipIs(L"全屏(F10)"); }));
    ASSERT_TRUE(HoverUntil(tools, toolsHot));
    ASSERT_TRUE(Visible(game.toolsMenu().menu().hwnd));
    EXPECT_TRUE(TooltipIs(L"全屏(F10)")) << "tooltip changed to the tools button's";

    // The boss-key row does nothing but close the menu.
    ASSERT_TRUE(ClickUntil(POINT{m.left + 40, m.top + 24 * 2 + 12}, [this] { return !IsWindow(game.toolsMenu().menu().hwnd); }));
    EXPECT_TRUE(Visible(game.hwnd));

    // Without a menu the tools button has its tooltip.
    ASSERT_TRUE(HoverUntil(full, [this] { return TooltipIs(L"全屏(F10)"); }));
    EXPECT_TRUE(HoverUntil(tools, [this] { return TooltipIs(L"工具"); }));
}

TEST_F(FrameGame, CloseButtonAsksAndOnlyAConfirmationClosesTheWindow)
{
    EnterGameView();
    const HWND window = game.hwnd;
    const POINT close = Centre(CloseButtonId);
    {
        // While it asks, nothing underneath takes input (no second dialog).
        bool underneathEnabled = true;
        TimerScript answer = AnswerCloseDialog(212, 117, [&](HWND dialog) {  // cancel
            underneathEnabled = IsWindowEnabled(window) || IsWindowEnabled(Back()) ||
                                !IsWindowEnabled(dialog);
        });
        ASSERT_TRUE(ClickUntil(close, [&] { return answer.finished(); }));
        // The click's handler has returned once the dialog is gone.
        ASSERT_TRUE(PumpUntil([&] { return !FindWindowW(L"velmorkastel", nullptr); }, 10000));
        EXPECT_FALSE(underneathEnabled);
    }
    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_TRUE(IsWindowEnabled(Back()));
    EXPECT_TRUE(IsWindow(window)) << "cancelled, yet the window went";
    EXPECT_TRUE(Visible(window));
    EXPECT_TRUE(IsWindow(Back()));

    {
        TimerScript answer = AnswerCloseDialog(84, 117);  // confirm
        ASSERT_TRUE(ClickUntil(close, [&] { return answer.finished(); }));
        ASSERT_TRUE(PumpUntil([&] { return !Visible(window); }, 10000));
    }
    EXPECT_FALSE(Visible(Back()));
    EXPECT_FALSE(game.modalRunning);
    game.Destroy();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(Back()));
    EXPECT_TRUE(RegisterHotKey(Bystander(), 1, MOD_ALT, 'D'));
}

TEST_F(FrameGame, NewWindowsGoToTheBrowserForWebAddressesOnlyAndAreAlwaysCancelled)
{
    CreateLogin();
    // As the browser thread calls it; the game window's thread opens.
    auto request = [this](const wchar_t* url) {
        short flag = 0;
        std::thread([&] {
            std::wstring copy = url ? url : L"";
            short* cancel = &flag;
            game.browser().OnNewWindow(nullptr, cancel, 0, nullptr, url ? &copy[0] : nullptr);
        }).join();
        PumpPending();
        return flag;
    };
    EXPECT_EQ(request(L"http://example.test/a?b=1"), VARIANT_TRUE);
    EXPECT_EQ(request(L"HTTPS://Example.test/"), VARIANT_TRUE);
    EXPECT_EQ(opened,
              (std::vector<std::wstring>{L"http://example.test/a?b=1", L"HTTPS://Example.test/"}));
    opened.clear();
    for (const wchar_t* refused :
         {L"file:///C:/x", L"calc.exe", L"C:\\windows\\notepad.exe", L"javascript:alert(1)",
          L"mailto:a@b.example", L""}) {
        EXPECT_EQ(request(refused), VARIANT_TRUE) << std::wstring(refused).size();
    }
    EXPECT_EQ(request(nullptr), VARIANT_TRUE);
    EXPECT_TRUE(opened.empty());

    // No cancel flag to set: still handled.
    short* none = nullptr;
    wchar_t web[] = L"https://example.test/b";
    game.browser().OnNewWindow(nullptr, none, 0, nullptr, web);
    PumpPending();
    EXPECT_EQ(opened, std::vector<std::wstring>{L"https://example.test/b"});

    // Once the window is gone nothing waits and nothing is opened.
    DestroyWindow(game.hwnd);
    game.browser().OnNewWindow(nullptr, none, 0, nullptr, web);
    PumpPending();
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(FrameGame, ConfiguredBossKeyIsRegisteredNamedAndWorks)
{
    TempDir dir;
    // Ctrl+Alt (3) and F8 (119).
    dir.Write(L"Config.ini", "[Common]\r\nfsModifiers=3\r\nvkCode=119\r\n"
                             "[Sites]\r\nPlatform=https://pay.example\r\n");
    gameApp config;
    config.LoadConfiguration(dir.File(L"Lumarion.exe").c_str());
    ASSERT_EQ(std::wstring(config.exeDir), dir.path());
    StringCchCopyW(config.userName, 64, L"玩家01");
    game.Configure(config.WindowConfig());

    CreateLogin();
    game.browser().OnNavigateComplete(L"https://p.example/game?type=3&server_id=s5");
    PumpPending();
    game.EnterGameMode();
    ASSERT_TRUE(PumpUntil([this] { return IsZoomed(game.hwnd) && Visible(game.hwnd); }, 10000));
    EXPECT_EQ(game.configuration().bossKeyModifiers, 3);
    EXPECT_EQ(game.configuration().bossKeyVirtualKey, 119);
    EXPECT_EQ(game.tray().MenuText(), L"老板键(Ctrl+Alt+F8)");

    const HWND other = Bystander();
    EXPECT_FALSE(RegisterHotKey(other, 1, MOD_CONTROL | MOD_ALT, VK_F8)) << "configured key taken";
    EXPECT_TRUE(RegisterHotKey(other, 2, MOD_ALT, 'D')) << "Alt+D left to others";
    UnregisterHotKey(other, 2);

    // The tools menu names it.
    game.OnButtonClick(Button(CFrameGame::ToolsButtonId));
    ASSERT_TRUE(PumpUntil([this] { return Visible(game.toolsMenu().menu().hwnd); }, 10000));
    EXPECT_EQ(RowText(game.toolsMenu().menu(), CFrameGame::BossKeyItemId), L"老板键(Ctrl+Alt+F8)");

    EXPECT_EQ(game.LinkAddress(PaymentLinkId),
              L"https://pay.example/pay?gid=148&user_name=玩家01&server_id=s5");

    SendMessageW(game.hwnd, WM_HOTKEY, CFrameGame::BossKeyId, MAKELPARAM(3, VK_F8));
    EXPECT_TRUE(game.tray().hidden());
    EXPECT_FALSE(Visible(game.hwnd));

    // Destroyed: the configured key is free again.
    DestroyWindow(game.hwnd);
    EXPECT_TRUE(RegisterHotKey(other, 3, MOD_CONTROL | MOD_ALT, VK_F8));
}

TEST_F(FrameGame, TakenConfiguredKeyFallsBackToAltD)
{
    TempDir dir;
    dir.Write(L"Config.ini", "[Common]\r\nfsModifiers=3\r\nvkCode=119\r\n");
    gameApp config;
    config.LoadConfiguration(dir.File(L"Lumarion.exe").c_str());
    game.Configure(config.WindowConfig());
    const HWND blocker = Bystander();
    ASSERT_TRUE(RegisterHotKey(blocker, 1, MOD_CONTROL | MOD_ALT, VK_F8));

    EnterGameView();
    EXPECT_EQ(game.configuration().bossKeyVirtualKey, 119);
    EXPECT_TRUE(game.tray().hotKey() && game.tray().hotKey()->registered());
    EXPECT_EQ(game.tray().MenuText(), L"老板键(Alt+D)");
    EXPECT_FALSE(RegisterHotKey(Bystander(), 2, MOD_ALT, 'D')) << "Alt+D not registered";

    EXPECT_TRUE(PressUntil(game.hwnd, {VK_MENU, 'D'}, [this] { return game.tray().hidden() && !Visible(game.hwnd); }));
}

TEST_F(FrameGame, AFailedPageIsReplacedByThePanelWhoseButtonRetriesOnceUntilAPageLoads)
{
    QueuedBrowserRequests browser;
    CreateLogin();
    browser.Take();
    const std::wstring failed = L"http://p.example/lander/qmvt?x=1";
    std::thread([&] { game.browser().OnNavigateError(failed.c_str(), static_cast<long>(0x800C0007)); }).join();
    PumpPending();
    ASSERT_TRUE(game.offline().shown());
    EXPECT_EQ(browser.Take(), std::vector<std::wstring>{L"hide"});
    const CImageButton* retry = Button(COfflinePanel::RetryButtonId);
    ASSERT_NE(retry, nullptr);
    EXPECT_STREQ(retry->text, L"\u91CD\u8BD5");
    // Centred in the page, which is the whole login view.
    EXPECT_EQ(retry->rect.left + retry->rect.right, CFrameGame::LoginWidth);

    // Pressed twice: one navigation to the address that failed, as the
    // first is still under way.
    const POINT at = {(retry->rect.left + retry->rect.right) / 2, (retry->rect.top + retry->rect.bottom) / 2};
    for (int press = 0; press < 2; ++press) {
        Hover(game.hwnd, at.x, at.y);
        ClickAt(game.hwnd, at.x, at.y);
    }
    EXPECT_EQ(browser.Take(), std::vector<std::wstring>{L"navigate " + failed});

    // A page loaded: the panel and its button go, the page shows.
    std::thread([&] { game.browser().OnNavigateComplete(failed.c_str()); }).join();
    PumpPending();
    EXPECT_FALSE(game.offline().shown());
    EXPECT_EQ(Button(COfflinePanel::RetryButtonId), nullptr);
    EXPECT_EQ(browser.Take(), std::vector<std::wstring>{L"show"});

    // In the game view the panel lies below the title bar.
    game.EnterGameMode();
    ASSERT_TRUE(PumpUntil([this] { return IsZoomed(game.hwnd) && Visible(game.hwnd); }, 10000));
    std::thread([&] { game.browser().OnNavigateError(L"http://p.example/game?type=3", 0); }).join();
    PumpPending();
    ASSERT_TRUE(game.offline().shown());
    retry = Button(COfflinePanel::RetryButtonId);
    ASSERT_NE(retry, nullptr);
    const RECT page = game.PageArea();
    EXPECT_EQ(page.top, CFrameGame::TitleHeight);
    EXPECT_GT(retry->rect.top, page.top + (page.bottom - page.top) / 3);

    // Closed while offline: no retry starts any more.
    DestroyWindow(game.hwnd);
    EXPECT_EQ(game.offline().schedule().StartRetry(), L"");
}

namespace {

// A second of a tone, as a page's music would play in this process's
// default sound session.
std::vector<char> ToneWave()
{
    const DWORD rate = 8000;
    const DWORD samples = rate;
    std::vector<char> wave(44 + samples);
    auto put32 = [&](size_t at, DWORD v) { memcpy(&wave[at], &v, 4); };
    auto put16 = [&](size_t at, WORD v) { memcpy(&wave[at], &v, 2); };
    memcpy(&wave[0], "RIFF", 4);
    put32(4, 36 + samples);
    memcpy(&wave[8], "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, WAVE_FORMAT_PCM);
    put16(22, 1);
    put32(24, rate);
    put32(28, rate);
    put16(32, 1);
    put16(34, 8);
    memcpy(&wave[36], "data", 4);
    put32(40, samples);
    for (DWORD i = 0; i < samples; ++i)
        wave[44 + i] = static_cast<char>((i / 8) % 2 ? 0xC0 : 0x40);
    return wave;
}

} // namespace

TEST_F(FrameGame, BossKeySilencesTheClientWhileHiddenAndGivesThePlayersMuteBack)
{
    // COM as on the client's main thread.
    struct Com {
        const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ~Com()
        {
            if (SUCCEEDED(result))
                CoUninitialize();
        }
    } com;
    // The environment has a sound device (a server with a null output), and
    // the tone plays in this process's session.
    const std::vector<char> tone = ToneWave();
    ASSERT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(tone.data()), nullptr, SND_MEMORY | SND_ASYNC | SND_LOOP));
    EnterGameView();
    // The session as the game window holds it (the mixer's view on Windows).
    ISimpleAudioVolume* raw = game.tray().sound().Session();
    ASSERT_NE(raw, nullptr) << "no sound session";
    raw->AddRef();
    ComPtr<ISimpleAudioVolume> session(raw);
    auto muted = [&] {
        BOOL state = FALSE;
        EXPECT_EQ(session->GetMute(&state), S_OK);
        return state != FALSE;
    };
    ASSERT_FALSE(muted());

    SendMessageW(game.hwnd, WM_HOTKEY, CFrameGame::BossKeyId, MAKELPARAM(MOD_ALT, 'D'));
    ASSERT_TRUE(game.tray().hidden());
    EXPECT_TRUE(muted()) << "hidden but not silent";
    SendMessageW(game.hwnd, WM_HOTKEY, CFrameGame::BossKeyId, MAKELPARAM(MOD_ALT, 'D'));
    ASSERT_FALSE(game.tray().hidden());
    EXPECT_FALSE(muted()) << "back but still silent";

    // Muted by the player: hiding and showing (here from the icon) leave it so.
    ASSERT_EQ(session->SetMute(TRUE, nullptr), S_OK);
    SendMessageW(game.hwnd, WM_HOTKEY, CFrameGame::BossKeyId, MAKELPARAM(MOD_ALT, 'D'));
    EXPECT_EQ(SendMessageW(game.hwnd, TrayNotifyMessage, 128, WM_LBUTTONDBLCLK), 0);
    ASSERT_FALSE(game.tray().hidden());
    EXPECT_TRUE(muted()) << "the player's own mute was undone";

    // Closed while hidden: the next run does not start silent.
    ASSERT_EQ(session->SetMute(FALSE, nullptr), S_OK);
    SendMessageW(game.hwnd, WM_HOTKEY, CFrameGame::BossKeyId, MAKELPARAM(MOD_ALT, 'D'));
    ASSERT_TRUE(muted());
    DestroyWindow(game.hwnd);
    EXPECT_FALSE(muted());
    PlaySoundW(nullptr, nullptr, 0);
}

TEST_F(FrameGame, AScaleChangeTakesTheSuggestedRectangleAndRedrawsAtTheNewScale)
{
    CreateLogin();
    PostMessageW(game.hwnd, FrameCommandMessage, EnterGameCommand, 0);
    ASSERT_TRUE(PumpUntil([this] { return IsZoomed(game.hwnd) && Visible(game.hwnd); }, 10000));
    ShowWindow(game.hwnd, SW_RESTORE);
    ASSERT_FALSE(IsZoomed(game.hwnd));

    // Just below a 96-DPI title bar: the page, black here (no browser), not
    // the title bar's blue.
    const auto pageColoured = [this](const ScreenCapture& s) {
        const RECT w = WindowRect(game.hwnd);
        const RECT band = {w.left + 40, w.top + 27, w.right - 40, w.top + 36};
        const int all = (band.right - band.left) * (band.bottom - band.top);
        return s.Count(band, [](DWORD c) { return (c & 0xFF) < 0x30; }) * 10 > all * 9;
    };
    ASSERT_TRUE(CaptureScreenWhen(L"game-view-96", pageColoured).ok());
    ASSERT_TRUE(pageColoured(ScreenCapture(L"game-view-96")));

    // Moved to a 150 % monitor (Wine never sends this itself).
    const RECT suggested = {40, 10, 40 + 1530, 10 + 1056};
    SendMessageW(game.hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_TRUE(RectIs(WindowRect(game.hwnd), suggested));
    EXPECT_EQ(game.painter.Dpi(), 144u);
    EXPECT_EQ(game.PageArea().top, 38);
    EXPECT_TRUE(RectIs(WindowRect(Back()), 40 - 9, 10 - 9, 40 + 1530 + 9, 10 + 1056 + 9)) << "the shadow";
    // The title bar now covers that band.
    const ScreenCapture after = CaptureScreenWhen(L"game-view-dpi-changed",
                                                  [&](const ScreenCapture& s) { return !pageColoured(s); });
    EXPECT_FALSE(pageColoured(after)) << "the title bar was not redrawn at 1.5x";
}

TEST_F(FrameGame, TheLauncherTakesANewScaleAsFarAsItsWorkAreaAllowsAndTheLoginViewFollows)
{
    CreateLogin();
    const RECT work = WorkArea();
    // Moved to a 150 % monitor of this size: 1.5x would not fit.
    const UINT dpi = FittingDpi(SIZE{1411, 704}, work, 144);
    ASSERT_GT(dpi, 96u);
    ASSERT_LT(dpi, 144u);
    RECT suggested = {300, 200, 300 + 2117, 200 + 1056};
    SendMessageW(Back(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));

    const RECT b = WindowRect(Back());
    const RECT size = ScaleToDpi(RECT{0, 0, 1411, 704}, dpi);
    EXPECT_EQ(b.right - b.left, size.right);
    EXPECT_EQ(b.bottom - b.top, size.bottom);
    RECT inside = {};
    IntersectRect(&inside, &b, &work);
    EXPECT_TRUE(RectIs(inside, b)) << "not wholly inside the work area";
    EXPECT_EQ(game.back().painter.Dpi(), dpi);
    EXPECT_EQ(game.painter.Dpi(), dpi) << "the login view is not at the launcher's scale";
    RECT place = ScaleToDpi(RECT{626, 212, 1256, 584}, dpi);
    OffsetRect(&place, b.left, b.top);
    EXPECT_TRUE(RectIs(WindowRect(game.hwnd), place));
}
