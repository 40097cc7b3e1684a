// ctest: desktop
// ctest: browser-double
// The real client, started as a process of its own in the browser double's
// prefix (the double plays the pages, the open probe plays the default web
// browser), driven with real mouse and keyboard input and judged by what
// the screen, the windows, the test site and the probe show.
#include "ClientProcess.h"
#include "Input.h"
#include "LogTail.h"
#include "Screenshot.h"
#include "TestApp.h"
#include "TestFiles.h"
#include "RectAssert.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifndef LUMARION_CLIENT_EXE
#error "LUMARION_CLIENT_EXE (the client's path) comes from the build"
#endif

namespace {

constexpr int BackWidth = 1411;
constexpr int BackHeight = 704;
constexpr int GameOffsetX = 626;
constexpr int GameOffsetY = 212;
constexpr int LoginWidth = 630;
constexpr int LoginHeight = 372;
constexpr int ShadowSize = 6;
constexpr int TitleHeight = 25;
constexpr int MenuWidth = 96;
constexpr int MenuRowHeight = 24;

std::wstring Widen(const std::string& text)
{
    const int count = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(count > 0 ? count - 1 : 0, L'\0');
    if (count > 1)
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &out[0], count);
    return out;
}

std::string Utf8(const std::wstring& text)
{
    const int count = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(count > 0 ? count - 1 : 0, '\0');
    if (count > 1)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], count, nullptr, nullptr);
    return out;
}

// Percent-encodes everything but the unreserved characters.
std::string UrlEncode(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[4];
            snprintf(hex, sizeof(hex), "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

RECT MakeRect(int left, int top, int right, int bottom)
{
    RECT r = {left, top, right, bottom};
    return r;
}

RECT Inflated(RECT r, int by)
{
    InflateRect(&r, by, by);
    return r;
}

std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) +
           ", " + std::to_string(r.bottom) + ")";
}

bool SameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

RECT WorkArea()
{
    RECT wa = {0, 0, 0, 0};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
    return wa;
}

bool IsTopmost(HWND window)
{
    return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// Screen point of a point in a window's client area.
POINT ScreenPoint(HWND window, int x, int y)
{
    POINT p = {x, y};
    ClientToScreen(window, &p);
    return p;
}

int ClientRight(HWND window)
{
    RECT r = {0, 0, 0, 0};
    GetClientRect(window, &r);
    return r.right;
}

// Waits while answering this thread's own windows.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 5000)
{
    return PumpUntil(condition, timeoutMs);
}

// Puts the cursor at (x, y), on the display too, and waits until both
// agree: Wine reads the display's pointer back as soon as injected moves
// stop, so a pointer left elsewhere would end hovers and move menus.
bool SettleCursorAt(int x, int y)
{
    auto there = [&] {
        POINT p = {0, 0};
        GetCursorPos(&p);
        return p.x == x && p.y == y;
    };
    for (int attempt = 0; attempt < 3; ++attempt) {
        const bool display = MoveDisplayPointer(x, y);
        MoveMouseTo(x, y);
        if (!display) {
            // No display pointer to move: the injected move is all there is.
            return WaitFor(there, 300);
        }
        // Past Wine's 100 ms the position comes from the display.
        PumpFor(150);
        if (WaitFor(there, 1500))
            return true;
    }
    ADD_FAILURE() << "the pointer did not come to " << x << ", " << y;
    return false;
}

void Click(POINT at)
{
    SettleCursorAt(at.x, at.y);
    ClickAt(at.x, at.y);
}

void RightClick(POINT at)
{
    SettleCursorAt(at.x, at.y);
    RightClickAt(at.x, at.y);
}

void DoubleClick(POINT at)
{
    SettleCursorAt(at.x, at.y);
    DoubleClickAt(at.x, at.y);
}

void Hover(POINT at)
{
    SettleCursorAt(at.x, at.y);
}

// A point in the part of a menu row that lies on the screen (the tray menu
// opens above the cursor and may stick out at the top).
POINT RowPoint(HWND menu, int row)
{
    RECT r = WindowRect(menu);
    r.top += row * MenuRowHeight;
    r.bottom = r.top + MenuRowHeight;
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&r, &r, &screen);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Wine's notification area on a desktop without a tray of its own: one
// "Wine System Tray" window with a child window per icon.
std::vector<HWND> TrayIcons()
{
    std::vector<HWND> icons;
    HWND tray = nullptr;
    while ((tray = FindWindowExW(nullptr, tray, L"__winex11_standalone_tray", nullptr)) != nullptr) {
        HWND icon = nullptr;
        while ((icon = FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr)) != nullptr) {
            if (IsWindowVisible(icon))
                icons.push_back(icon);
        }
    }
    return icons;
}

// Icons shown now that were not in `before`.
std::vector<HWND> NewTrayIcons(const std::vector<HWND>& before)
{
    std::vector<HWND> added;
    for (HWND icon : TrayIcons()) {
        bool known = false;
        for (HWND old : before)
            known = known || old == icon;
        if (!known)
            added.push_back(icon);
    }
    return added;
}

POINT Centre(const RECT& r)
{
    POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    return p;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// Another application's window, for the boss key to be pressed in while the
// client is hidden (hot keys arrive while some window has the focus).
class OtherApplication {
public:
    OtherApplication()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        wc.lpszClassName = L"LumarionTestOtherApplication";
        RegisterClassW(&wc);
        window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"other", WS_POPUP, 1700, 860, 200, 200,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~OtherApplication()
    {
        if (window)
            DestroyWindow(window);
    }
    OtherApplication(const OtherApplication&) = delete;
    OtherApplication& operator=(const OtherApplication&) = delete;

    // Shows the window and clicks into it, as a user switching to it would.
    bool Activate()
    {
        ShowWindow(window, SW_SHOWNOACTIVATE);
        const POINT p = Centre(WindowRect(window));
        // A click before the display has the window goes to what lies below.
        for (int attempt = 0; attempt < 3; ++attempt) {
            PumpFor(150);
            Click(p);
            if (WaitFor([&] { return GetForegroundWindow() == window; }, 1000))
                return true;
        }
        return false;
    }
    void Hide()
    {
        ShowWindow(window, SW_HIDE);
        PumpFor(200);
    }

private:
    HWND window = nullptr;
};

// True when `upper` lies above `lower` in the Z order.
bool IsAbove(HWND upper, HWND lower)
{
    for (HWND w = GetWindow(upper, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == lower)
            return true;
    }
    return false;
}

// A visible always-on-top window of the test (another program to the
// client), never activated. Wine 8 keeps WS_EX_TOPMOST of a window that owns
// popups (the client's game window owns its tooltip) out of step with where
// it puts the window, so "on top" is judged by the order against this one.
class TopmostMarker {
public:
    TopmostMarker()
    {
        window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"marker", WS_POPUP, 0, 500, 40,
                                 40, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
    }
    ~TopmostMarker() { DestroyWindow(window); }
    TopmostMarker(const TopmostMarker&) = delete;
    TopmostMarker& operator=(const TopmostMarker&) = delete;

    HWND window = nullptr;
};

class ClientEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string port = ReadWholeFile(TestEnvFile(L"site.port"));
        ASSERT_FALSE(port.empty()) << "not run in a test environment with the demo site";
        platform = "http://127.0.0.1:" + std::to_string(std::stoi(port));
        siteLog = std::make_unique<LogTail>(TestEnvFile(L"site.log"));
        opened = std::make_unique<LogTail>(TestEnvFile(L"opened.log"));
        nonce = std::to_string(GetCurrentProcessId()) + "x" + std::to_string(GetTickCount());
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        doubleLog = TestEnvFile(Widen("artifacts/" + name + ".double.log").c_str());
        DeleteFileW(doubleLog.c_str());
        CreateDirectoryW(TestEnvFile(L"artifacts").c_str(), nullptr);
        // The client and its control inherit it.
        SetEnvironmentVariableW(L"LUMARION_DOUBLE_LOG", doubleLog.c_str());
    }

    void TearDown() override
    {
        // An icon whose window was killed would stay in the tray.
        if (game) {
            NOTIFYICONDATAW icon = {};
            icon.cbSize = sizeof(icon);
            icon.hWnd = game;
            icon.uID = 128;
            Shell_NotifyIconW(NIM_DELETE, &icon);
        }
        if (client)
            client->Kill();
        SetEnvironmentVariableW(L"LUMARION_DOUBLE_LOG", nullptr);
    }

    // Starts a client with this "Param" (and extra "Common" lines) and
    // waits for its login view.
    ::testing::AssertionResult StartClient(const std::string& param, const std::string& moreCommon = "")
    {
        const std::string config = "[Common]\r\nParam=" + param + "\r\n" + moreCommon + "[Sites]\r\nPlatform=" +
                                   platform + "\r\nForum=" + platform + "\r\nOfficial=" + platform + "\r\n";
        client = std::make_unique<ClientProcess>(Widen(LUMARION_CLIENT_EXE), config);
        if (!client->Start())
            return ::testing::AssertionFailure() << "the client did not start";
        const bool waited = WaitFor(
            [&] {
                back = client->Window(L"velmor_back");
                game = client->Window(L"lumavexor");
                return (back && game && IsWindowVisible(back) && IsWindowVisible(game)) || !client->Running();
            },
            20000);
        if (!waited || !client->Running()) {
            DWORD code = 0;
            if (client->WaitForExit(0, code))
                return ::testing::AssertionFailure() << "the client ended with code " << code << " instead";
            return ::testing::AssertionFailure() << "no visible back and game windows (back " << back << ", game "
                                                 << game << ")";
        }
        return ::testing::AssertionSuccess();
    }

    // "Param" of a landing page that moves on to /game?<gameQuery> once loaded.
    std::string GameParam(const std::string& gameQuery) const
    {
        return "?e2e=" + nonce + "&double=" + UrlEncode("navigate /game?" + gameQuery + " 300");
    }

    // Starts a client that reaches the game page and waits for the game view
    // (the window shown maximised again and laid out).
    ::testing::AssertionResult StartInGameView(const std::string& gameQuery, const std::string& moreCommon = "")
    {
        const auto started = StartClient(GameParam(gameQuery), moreCommon);
        if (!started)
            return started;
        if (!WaitFor([&] { return IsWindowVisible(game) && IsZoomed(game) && BrowserTop() == TitleHeight; },
                     20000))
            return ::testing::AssertionFailure()
                   << "no game view: visible " << IsWindowVisible(game) << ", maximised " << IsZoomed(game)
                   << ", game " << Describe(WindowRect(game)) << ", browser top " << BrowserTop();
        // The shadow follows once the window has been laid out at its new
        // size (a missing one is for the tests to report), then the relayout.
        WaitFor([&] { return IsWindowVisible(back) != FALSE; }, 3000);
        PumpFor(500);
        return ::testing::AssertionSuccess();
    }

    // The browser window's top inside the game window's client area.
    int BrowserTop() const
    {
        const HWND browser = FindWindowExW(game, nullptr, L"ImageWnd", nullptr);
        if (!browser)
            return -1;
        RECT r = WindowRect(browser);
        POINT topLeft = {r.left, r.top};
        ScreenToClient(game, &topLeft);
        return topLeft.y;
    }

    HWND VisibleClientWindow(const wchar_t* className) const
    {
        for (HWND window : client->Windows(className)) {
            if (IsWindowVisible(window))
                return window;
        }
        return nullptr;
    }

    // Clicks a point given in the game window's client coordinates.
    void ClickGame(int x, int y)
    {
        Click(ScreenPoint(game, x, y));
    }

    std::string DoubleLog() const { return ReadWholeFile(doubleLog); }

    // Right-clicks the notification icon at `at` until the client's menu
    // stays open. Wine's tray window takes the activation on a click; under
    // load that can come after the menu made itself the foreground window,
    // which closes the menu again at once.
    HWND OpenIconMenu(POINT at)
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            RightClick(at);
            HWND menu = nullptr;
            if (!WaitFor([&] { return (menu = VisibleClientWindow(L"velmor_menu")) != nullptr; }, 5000))
                continue;
            PumpFor(300);
            if (IsWindowVisible(menu))
                return menu;
        }
        return nullptr;
    }

    // The client's visible top-level windows, for failure messages.
    std::string ClientWindows() const
    {
        struct Listing {
            DWORD processId;
            std::string text;
        } listing{client->id(), {}};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* list = reinterpret_cast<Listing*>(data);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == list->processId && IsWindowVisible(window)) {
                    wchar_t name[128] = {};
                    GetClassNameW(window, name, 128);
                    list->text += " " + Utf8(name) + Describe(WindowRect(window));
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&listing));
        return listing.text.empty() ? " none" : listing.text;
    }

    std::string platform;
    std::string nonce;
    std::wstring doubleLog;
    std::unique_ptr<LogTail> siteLog;
    std::unique_ptr<LogTail> opened;
    std::unique_ptr<ClientProcess> client;
    HWND back = nullptr;
    HWND game = nullptr;
};

// Title-bar places, client coordinates of the game window from its right
// edge R: each right-anchored element ends `anchor` pixels left of R.
int AnchoredCentreX(int clientRight, int anchor, int width)
{
    return clientRight - anchor - width / 2;
}
constexpr int TitleButtonWidth = 25;
constexpr int LinkWidth = 41;
constexpr int CloseAnchor = 1;
constexpr int RestoreAnchor = 25;
constexpr int FullScreenAnchor = 75;
constexpr int ToolsAnchor = 100;
constexpr int PaymentAnchor = 260;

} // namespace

TEST_F(ClientEndToEnd, LoginViewIsPlacedOnTheBackgroundFollowsItsDragIgnoresKeysAndClosesCleanly)
{
    const std::string param = "?e2e=" + nonce + "&view=login";
    ASSERT_TRUE(StartClient(param));

    // Both windows where the work area puts them, the game window owned by
    // the background and lying on its artwork.
    const RECT wa = WorkArea();
    const int x0 = (wa.right - wa.left - BackWidth) / 2;
    const int y0 = (wa.bottom - wa.top - BackHeight) / 2;
    EXPECT_TRUE(RectIs(WindowRect(back), MakeRect(x0, y0, x0 + BackWidth, y0 + BackHeight)));
    EXPECT_TRUE(RectIs(WindowRect(game), MakeRect(x0 + GameOffsetX, y0 + GameOffsetY,
                                                  x0 + GameOffsetX + LoginWidth, y0 + GameOffsetY + LoginHeight)));
    EXPECT_EQ(GetWindow(game, GW_OWNER), back);
    EXPECT_FALSE(IsZoomed(game));

    // The landing page was asked for with the configured "Param" as it stands.
    const std::string landing = "GET /lander/qmvt" + param;
    EXPECT_TRUE(WaitFor([&] { return siteLog->Count(landing) == 1; }, 10000)) << landing;
    // The page fills the small window (no title bar in this view).
    ASSERT_TRUE(WaitFor([&] { return DoubleLog().find("Fire DocumentComplete url=" + platform + "/lander/qmvt") !=
                                     std::string::npos; },
                        10000));
    EXPECT_EQ(BrowserTop(), 0);
    PumpFor(300);
    EXPECT_FALSE(SaveScreenshot(L"client-login-view").empty());

    // A real drag of the background carries the game window along.
    const std::vector<HWND> iconsBefore = TrayIcons();
    RECT before = WindowRect(back);
    const POINT from = ScreenPoint(back, 300, 450);
    SettleCursorAt(from.x, from.y);
    INPUT press = {};
    press.type = INPUT_MOUSE;
    press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &press, sizeof(press));
    for (int step = 1; step <= 8; ++step) {
        PumpFor(40);
        MoveMouseTo(from.x - 10 * step, from.y + 5 * step);
    }
    PumpFor(40);
    INPUT release = press;
    release.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &release, sizeof(release));
    const RECT moved = MakeRect(before.left - 80, before.top + 40, before.right - 80, before.bottom + 40);
    EXPECT_TRUE(WaitFor([&] { return SameRect(moved, WindowRect(back)); }, 3000)) << Describe(WindowRect(back));
    auto gameOnBack = [&](const RECT& b) {
        return MakeRect(b.left + GameOffsetX, b.top + GameOffsetY, b.left + GameOffsetX + LoginWidth,
                        b.top + GameOffsetY + LoginHeight);
    };
    EXPECT_TRUE(WaitFor([&] { return SameRect(gameOnBack(moved), WindowRect(game)); }, 3000))
        << Describe(WindowRect(game));

    // Keys of the game view mean nothing yet, whether the background has
    // the focus (main thread, as after the drag) ...
    before = WindowRect(back);
    PressKey(VK_F10);
    PressKey(VK_ESCAPE);
    PressChord({VK_MENU, 'D'});
    PumpFor(300);
    // ... or the page (browser thread) ...
    ClickGame(300, 300);
    PumpFor(300);
    PressKey(VK_F10);
    PressKey(VK_ESCAPE);
    PressChord({VK_MENU, 'D'});
    // ... which was offered them, so they did arrive.
    EXPECT_TRUE(WaitFor([&] { return DoubleLog().find("TranslateAccelerator message=0x00000104 key=0x00000079") !=
                                     std::string::npos; },
                        3000))
        << "F10 never reached the page";
    // Longer than the game view would take to come.
    PumpFor(2500);
    EXPECT_TRUE(IsWindowVisible(game));
    EXPECT_TRUE(IsWindowVisible(back));
    EXPECT_FALSE(IsTopmost(game));
    EXPECT_FALSE(IsZoomed(game));
    EXPECT_TRUE(RectIs(WindowRect(back), before));
    EXPECT_TRUE(RectIs(WindowRect(game), gameOnBack(before)));
    EXPECT_EQ(BrowserTop(), 0);
    EXPECT_TRUE(NewTrayIcons(iconsBefore).empty());

    // The background's payment button hands the bare payment page to the
    // default browser (no user name, no server yet).
    const POINT pay = ScreenPoint(back, 800, 179);
    Click(pay);
    const std::string payment = platform + "/pay?gid=148";
    EXPECT_TRUE(WaitFor([&] { return opened->Count(payment) == 1; }, 10000)) << payment;

    // Its close button asks first; confirmed, the client ends by itself.
    const POINT close = ScreenPoint(back, 1325, 135);
    Click(close);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = VisibleClientWindow(L"velmorkastel")) != nullptr; }, 5000));
    const POINT confirm = ScreenPoint(dialog, 84, 117);
    Click(confirm);
    DWORD code = 1234;
    ASSERT_TRUE(client->WaitForExit(10000, code)) << "the client did not end after the confirmed close";
    EXPECT_EQ(code, 0u);
}

TEST_F(ClientEndToEnd, GameViewIsMaximisedInItsShadowOpensPagesInTheDefaultBrowserAndShowsTooltips)
{
    // The game page asks for two new windows: a web page and a mail address.
    const std::string gameQuery = "type=3&server_id=S42&double=" + UrlEncode("newwindow /page?title=popup") +
                                  "&double=" + UrlEncode("newwindow mailto:e2e@example.invalid");
    ASSERT_TRUE(StartInGameView(gameQuery));
    EXPECT_EQ(siteLog->Count("GET /game?" + gameQuery), 1u);

    // Maximised over the work area with the shadow 6 pixels around it.
    const RECT wa = WorkArea();
    EXPECT_TRUE(RectIs(WindowRect(game), wa));
    // The game window hides itself (and the back window with it) on
    // entering the game view and comes back maximised, which sends no
    // WM_SHOWWINDOW: the shadow must come back all the same.
    EXPECT_TRUE(IsWindowVisible(back)) << "no shadow in the game view";
    EXPECT_TRUE(RectIs(WindowRect(back), Inflated(WindowRect(game), ShadowSize)));
    EXPECT_FALSE(IsTopmost(game));
    EXPECT_FALSE(SaveScreenshot(L"client-game-view").empty());

    // New windows: the web page went to the default browser, the mail
    // address did not; neither window opened.
    const std::string popup = platform + "/page?title=popup";
    EXPECT_TRUE(WaitFor([&] { return opened->Count(popup) == 1; }, 10000)) << popup;
    EXPECT_TRUE(WaitFor([&] { return DoubleLog().find("Cancelled NewWindow url=mailto:") != std::string::npos; },
                        5000));
    EXPECT_NE(DoubleLog().find("Cancelled NewWindow url=" + popup), std::string::npos);
    EXPECT_EQ(DoubleLog().find("NewWindow allowed"), std::string::npos);

    // The payment link carries the server id, cut at the next parameter.
    const int right = ClientRight(game);
    ClickGame(AnchoredCentreX(right, PaymentAnchor, LinkWidth), 13);
    const std::string payment = platform + "/pay?gid=148&user_name=&server_id=S42";
    EXPECT_TRUE(WaitFor([&] { return opened->Count(payment) == 1; }, 10000)) << payment;
    PumpFor(500);
    for (const auto& line : opened->Lines())
        EXPECT_TRUE(line == popup || line == payment) << "unexpected address handed on: " << line;

    // Hovering a title-bar button shows the tooltip after a moment; leaving
    // the title bar for the page hides it.
    const POINT fullScreenButton = ScreenPoint(game, AnchoredCentreX(right, FullScreenAnchor, TitleButtonWidth), 12);
    Hover(fullScreenButton);
    HWND tip = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (tip = VisibleClientWindow(L"ToolTip")) != nullptr; }, 3000));
    // Under load Wine may read the display's pointer back before the move
    // lands, putting the cursor over the button again: move once more then.
    bool hidden = false;
    for (int attempt = 0; attempt < 3 && !hidden; ++attempt) {
        Hover(ScreenPoint(game, right / 2, 400));
        hidden = WaitFor([&] { return !IsWindowVisible(tip); }, 1500);
    }
    EXPECT_TRUE(hidden);
}

TEST_F(ClientEndToEnd, FullScreenTogglesWithF10AndEscFromTheWindowAndFromThePage)
{
    ASSERT_TRUE(StartInGameView("type=3&server_id=7"));
    const RECT fullScreen = MakeRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    // Another program's always-on-top window: full screen must cover it.
    TopmostMarker marker;

    // Restored first, so that full screen differs from the window's place.
    ClickGame(AnchoredCentreX(ClientRight(game), RestoreAnchor, TitleButtonWidth), 12);
    ASSERT_TRUE(WaitFor([&] { return !IsZoomed(game); }, 3000));
    PumpFor(300);
    const RECT restored = WindowRect(game);
    ASSERT_FALSE(SameRect(restored, fullScreen)) << Describe(restored);
    EXPECT_TRUE(IsAbove(marker.window, game));
    // Restored, the shadow shows around the window.
    EXPECT_TRUE(IsWindowVisible(back)) << "no shadow around the restored window";
    EXPECT_TRUE(RectIs(WindowRect(back), Inflated(restored, ShadowSize)));

    auto inFullScreen = [&] {
        return SameRect(WindowRect(game), fullScreen) && IsAbove(game, marker.window) && !IsWindowVisible(back) &&
               BrowserTop() == 0;
    };
    auto backInPlace = [&] {
        return SameRect(WindowRect(game), restored) && IsAbove(marker.window, game) && IsWindowVisible(back) &&
               SameRect(WindowRect(back), Inflated(restored, ShadowSize)) && BrowserTop() == TitleHeight;
    };
    auto describe = [&] {
        return "game " + Describe(WindowRect(game)) + (IsAbove(game, marker.window) ? " above" : " below") +
               " the marker, back " +
               (IsWindowVisible(back) ? "shown " : "hidden ") + Describe(WindowRect(back)) + ", browser top " +
               std::to_string(BrowserTop());
    };

    // The title bar has the focus now (main thread). Esc outside full
    // screen does nothing.
    PressKey(VK_ESCAPE);
    PumpFor(800);
    EXPECT_TRUE(RectIs(WindowRect(game), restored));
    EXPECT_TRUE(IsAbove(marker.window, game));

    // F10: the whole screen, above everything, the page over the title
    // bar, no shadow. F10 again: exactly the previous place, title bar and
    // shadow back.
    PressKey(VK_F10);
    EXPECT_TRUE(WaitFor(inFullScreen, 3000)) << describe();
    PressKey(VK_F10);
    EXPECT_TRUE(WaitFor(backInPlace, 3000)) << describe();

    // The same keys with the page focused (they arrive on the browser
    // thread): F10 in, Esc out, Esc again nothing.
    ClickGame((restored.right - restored.left) / 2, 300);
    PumpFor(300);
    PressKey(VK_F10);
    EXPECT_TRUE(WaitFor(inFullScreen, 3000)) << describe();
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitFor(backInPlace, 3000)) << describe();
    PressKey(VK_ESCAPE);
    PumpFor(800);
    EXPECT_TRUE(backInPlace()) << describe();
}

TEST_F(ClientEndToEnd, BossKeyHidesToTheTrayAndTheIconBringsItBackOrClosesTheClient)
{
    ASSERT_TRUE(StartInGameView("type=3&server_id=8"));
    OtherApplication other;
    const std::vector<HWND> iconsBefore = TrayIcons();
    HWND icon = nullptr;
    auto hiddenWithIcon = [&] {
        if (IsWindowVisible(game) || IsWindowVisible(back))
            return false;
        const auto added = NewTrayIcons(iconsBefore);
        icon = added.size() == 1 ? added.front() : nullptr;
        return icon != nullptr;
    };
    auto shownWithoutIcon = [&] {
        return IsWindowVisible(game) && IsWindowVisible(back) && NewTrayIcons(iconsBefore).empty();
    };

    // Alt+D in the game: both windows go, one icon comes.
    PressChord({VK_MENU, 'D'});
    ASSERT_TRUE(WaitFor(hiddenWithIcon, 5000)) << "visible " << IsWindowVisible(game) << IsWindowVisible(back)
                                                 << ", new icons " << NewTrayIcons(iconsBefore).size();
    // Alt+D in another application brings the client back.
    ASSERT_TRUE(other.Activate());
    PressChord({VK_MENU, 'D'});
    ASSERT_TRUE(WaitFor(shownWithoutIcon, 5000));
    other.Hide();
    EXPECT_TRUE(RectIs(WindowRect(back), Inflated(WindowRect(game), ShadowSize)));

    // Hidden again; a double-click on the icon shows it.
    ASSERT_TRUE(other.Activate());
    PressChord({VK_MENU, 'D'});
    ASSERT_TRUE(WaitFor(hiddenWithIcon, 5000));
    other.Hide();
    POINT at = Centre(WindowRect(icon));
    DoubleClick(at);
    ASSERT_TRUE(WaitFor(shownWithoutIcon, 5000));

    // Hidden again; the icon's menu opens above the cursor with two rows.
    ASSERT_TRUE(other.Activate());
    PressChord({VK_MENU, 'D'});
    ASSERT_TRUE(WaitFor(hiddenWithIcon, 5000));
    other.Hide();
    at = Centre(WindowRect(icon));
    HWND menu = OpenIconMenu(at);
    ASSERT_NE(menu, nullptr);
    const RECT wa = WorkArea();
    const int shiftLeft = wa.right - wa.left < GetSystemMetrics(SM_CXSCREEN) ? MenuWidth : 30;
    const int menuTop = (at.y < wa.bottom - wa.top ? at.y : wa.bottom - wa.top) - 2 * MenuRowHeight;
    EXPECT_TRUE(RectIs(WindowRect(menu), MakeRect(at.x - shiftLeft, menuTop, at.x - shiftLeft + MenuWidth,
                                                  menuTop + 2 * MenuRowHeight)));
    EXPECT_TRUE(IsTopmost(menu));
    EXPECT_FALSE(IsWindowVisible(game));

    // "打开游戏" shows the client and takes the icon away.
    Click(RowPoint(menu, 0));
    ASSERT_TRUE(WaitFor(shownWithoutIcon, 5000));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }, 3000));

    // Once more to the tray; "关闭" ends the client, which leaves no icon.
    ASSERT_TRUE(other.Activate());
    PressChord({VK_MENU, 'D'});
    ASSERT_TRUE(WaitFor(hiddenWithIcon, 5000));
    other.Hide();
    at = Centre(WindowRect(icon));
    menu = OpenIconMenu(at);
    ASSERT_NE(menu, nullptr);
    Click(RowPoint(menu, 1));
    DWORD code = 1234;
    ASSERT_TRUE(client->WaitForExit(10000, code))
        << "the client did not end after 关闭; game window " << (IsWindow(game) ? "alive" : "gone") << ", new icons "
        << NewTrayIcons(iconsBefore).size() << ", visible windows:" << ClientWindows();
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(WaitFor([&] { return NewTrayIcons(iconsBefore).empty(); }, 5000));
}

TEST_F(ClientEndToEnd, AConfiguredBossKeyReplacesAltDUnlessAnotherProgramHoldsIt)
{
    // Ctrl+Alt+G (MOD_ALT | MOD_CONTROL, 'G').
    const std::string configured = "fsModifiers=3\r\nvkCode=71\r\n";
    ASSERT_TRUE(StartInGameView("type=3&server_id=9", configured));
    PressChord({VK_MENU, 'D'});
    PumpFor(1500);
    ASSERT_TRUE(IsWindowVisible(game)) << "Alt+D still hides the client";
    PressChord({VK_CONTROL, VK_MENU, 'G'});
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(game) && !IsWindowVisible(back); }, 5000));
    {
        OtherApplication other;
        ASSERT_TRUE(other.Activate());
        PressChord({VK_CONTROL, VK_MENU, 'G'});
        EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(game) && IsWindowVisible(back); }, 5000));
    }
    client->Kill();
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(game); }, 5000));

    // With Ctrl+Alt+G taken by another program, Alt+D is the boss key.
    HWND holder = CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(RegisterHotKey(holder, 77, MOD_ALT | MOD_CONTROL, 'G'));
    back = game = nullptr;
    const auto started = StartInGameView("type=3&server_id=10", configured);
    if (started) {
        PressChord({VK_MENU, 'D'});
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(game) && !IsWindowVisible(back); }, 5000))
            << "Alt+D did not hide the client";
    }
    UnregisterHotKey(holder, 77);
    DestroyWindow(holder);
    ASSERT_TRUE(started);
}

TEST_F(ClientEndToEnd, ToolsMenuRefreshesThePageAndClearsTheCacheWithANotice)
{
    const std::string gameQuery = "type=3&server_id=11";
    ASSERT_TRUE(StartInGameView(gameQuery));
    const std::string gameRequest = "GET /game?" + gameQuery;
    ASSERT_EQ(siteLog->Count(gameRequest), 1u);

    const int right = ClientRight(game);
    const POINT tools = ScreenPoint(game, AnchoredCentreX(right, ToolsAnchor, TitleButtonWidth), 12);
    HWND menu = nullptr;
    auto openMenu = [&] {
        Click(tools);
        return WaitFor([&] { return (menu = VisibleClientWindow(L"velmor_menu")) != nullptr; }, 5000);
    };

    // Three rows under the title bar, 10 pixels left of the cursor.
    ASSERT_TRUE(openMenu());
    const RECT gameRect = WindowRect(game);
    EXPECT_TRUE(RectIs(WindowRect(menu), MakeRect(tools.x - 10, gameRect.top + 30, tools.x - 10 + MenuWidth,
                                                  gameRect.top + 30 + 3 * MenuRowHeight)));
    PumpFor(300);
    EXPECT_FALSE(SaveScreenshot(L"client-tools-menu").empty());

    // "刷新": the page is fetched again.
    Click(RowPoint(menu, 1));
    EXPECT_TRUE(WaitFor([&] { return siteLog->Count(gameRequest) == 2; }, 5000));
    EXPECT_NE(DoubleLog().find("Refresh"), std::string::npos);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }, 3000));

    // "老板键(Alt+D)" only names the key.
    ASSERT_TRUE(openMenu());
    Click(RowPoint(menu, 2));
    EXPECT_TRUE(WaitFor([&] { return VisibleClientWindow(L"velmor_menu") == nullptr; }, 3000));
    PumpFor(500);
    EXPECT_TRUE(IsWindowVisible(game));
    EXPECT_EQ(siteLog->Count(gameRequest), 2u);

    // "清除缓存": a notice owned by the game window once the cache is empty.
    ASSERT_TRUE(openMenu());
    Click(RowPoint(menu, 0));
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            for (HWND window : client->Windows(L"#32770")) {
                if (IsWindowVisible(window) && WindowText(window) == L"Lumavex")
                    box = window;
            }
            return box != nullptr;
        },
        10000));
    EXPECT_EQ(GetWindow(box, GW_OWNER), game);
    bool noticeFound = false;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        noticeFound = noticeFound || WindowText(child) == L"清理缓存完成";
    EXPECT_TRUE(noticeFound);
    const HWND ok = GetDlgItem(box, IDOK);
    ASSERT_NE(ok, nullptr);
    const POINT okAt = Centre(WindowRect(ok));
    Click(okAt);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }, 5000));
    EXPECT_TRUE(IsWindowEnabled(game));
    EXPECT_TRUE(client->Running());
}

TEST_F(ClientEndToEnd, CloseButtonAsksAndEndsTheClientWithCodeZeroOnlyWhenConfirmed)
{
    ASSERT_TRUE(StartInGameView("type=3&server_id=12"));
    const RECT gameBefore = WindowRect(game);
    const RECT backBefore = WindowRect(back);
    const bool backShown = IsWindowVisible(back) != FALSE;
    const int right = ClientRight(game);
    const POINT close = ScreenPoint(game, AnchoredCentreX(right, CloseAnchor, TitleButtonWidth), 12);

    // The dialog comes up centred on the screen.
    Click(close);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = VisibleClientWindow(L"velmorkastel")) != nullptr; }, 5000));
    const int left = (GetSystemMetrics(SM_CXSCREEN) - 295) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - 190) / 2;
    EXPECT_TRUE(RectIs(WindowRect(dialog), MakeRect(left, top, left + 295, top + 190)));
    PumpFor(300);
    EXPECT_FALSE(SaveScreenshot(L"client-close-dialog").empty());

    // "取消": both windows stay as they were.
    POINT at = ScreenPoint(dialog, 212, 117);
    Click(at);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    PumpFor(500);
    EXPECT_TRUE(client->Running());
    EXPECT_TRUE(IsWindowVisible(game));
    EXPECT_TRUE(IsZoomed(game));
    EXPECT_TRUE(RectIs(WindowRect(game), gameBefore));
    ASSERT_TRUE(IsWindow(back));
    EXPECT_EQ(IsWindowVisible(back) != FALSE, backShown);
    EXPECT_TRUE(RectIs(WindowRect(back), backBefore));

    // "确定": the client ends by itself, with exit code 0.
    Click(close);
    ASSERT_TRUE(WaitFor([&] { return (dialog = VisibleClientWindow(L"velmorkastel")) != nullptr; }, 5000));
    at = ScreenPoint(dialog, 84, 117);
    Click(at);
    DWORD code = 1234;
    ASSERT_TRUE(client->WaitForExit(10000, code)) << "the client did not end after the confirmed close";
    EXPECT_EQ(code, 0u);
}
