// ctest: desktop
// ctest: browser-double
// The real client, started as a process of its own in the browser double's
// prefix (the double plays the pages, the open probe plays the default web
// browser), driven with real mouse and keyboard input and judged by what
// the screen, the windows, the test site and the probe show.
// Before <windows.h>, which would bring the old sockets header.
#include <winsock2.h>

#include "ClientProcess.h"
#include "DibCanvas.h"
#include "Input.h"
#include "LogTail.h"
#include "Screenshot.h"
#include "TestApp.h"
#include "TestFiles.h"
#include "RectAssert.h"

#include <windows.h>

#include <dbghelp.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
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

std::string ClassName(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, 64);
    return name;
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

void Settle(POINT at)
{
    EXPECT_TRUE(SettleCursorAt(at.x, at.y)) << "the pointer did not come to " << at.x << ", " << at.y;
}

void RightClick(POINT at)
{
    Settle(at);
    RightClickAt(at.x, at.y);
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

// Light ink (captions) on the client's dark title bar and menus' shadows.
bool Light(DWORD c)
{
    return RedOf(c) > 110 && GreenOf(c) > 110 && BlueOf(c) > 110;
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
    // A click before the display has the window goes to what lies below.
    bool Activate()
    {
        ShowWindow(window, SW_SHOWNOACTIVATE);
        return ClickUntil(Centre(WindowRect(window)), [&] { return KeyboardFocus() == window; }, 1500);
    }
    void Hide() { ShowWindow(window, SW_HIDE); }

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
        // Points are taken from the game window next: it must still be there.
        DWORD code = 0;
        if (client->WaitForExit(0, code))
            return ::testing::AssertionFailure() << "the client ended with code " << code << " in the game view";
        return ::testing::AssertionSuccess();
    }

    // The title bar's close button and "确定" with a busy page: every window
    // goes at once, the process within the limit on the browser thread,
    // code 0, while the page is still busy.
    void ConfirmedCloseEndsWhileThePageIsBusy();

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

    // Where keys typed into the game window go: its focused part, or the
    // window itself when the focus is elsewhere.
    HWND GameFocus() const
    {
        const HWND focus = KeyboardFocus();
        return focus && (focus == game || IsChild(game, focus)) ? focus : game;
    }

    // Clicks into the page until it has the keyboard focus; that window.
    HWND FocusPage(POINT at)
    {
        HWND page = nullptr;
        ClickUntil(at, [&] {
            page = KeyboardFocus();
            return page && IsChild(game, page);
        });
        return page && IsChild(game, page) ? page : nullptr;
    }

    // How often the page was offered a key press (WM_KEYDOWN or
    // WM_SYSKEYDOWN) of this key.
    size_t PageKeyPresses(WORD key) const
    {
        char down[80];
        char sysDown[80];
        snprintf(down, sizeof(down), "TranslateAccelerator message=0x00000100 key=0x%08x", key);
        snprintf(sysDown, sizeof(sysDown), "TranslateAccelerator message=0x00000104 key=0x%08x", key);
        const std::string log = DoubleLog();
        size_t count = 0;
        for (const char* pattern : {down, sysDown}) {
            for (size_t at = log.find(pattern); at != std::string::npos; at = log.find(pattern, at + 1))
                ++count;
        }
        return count;
    }

    // Picks row `row` of the client's popup menu (opened by `open` when not
    // showing) until `effect` holds: a menu that lost the activation before
    // the click hides, and the click then needs a menu again.
    bool ChooseRow(const std::function<HWND()>& open, int row, const std::function<bool()>& effect)
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            HWND menu = VisibleClientWindow(L"velmor_menu");
            if (!menu)
                menu = open();
            if (!menu)
                continue;
            if (ClickUntil(RowPoint(menu, row), effect, 4000, 1))
                return true;
        }
        return false;
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

// A web server of the test's own on a loopback port. The port is held from
// the start, bound but not listening, so a connection is refused as where
// nothing runs; after Listen() every request gets a small page. The
// request lines are kept.
class LoopbackServer {
public:
    LoopbackServer()
    {
        WSADATA data;
        started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof(address);
        if (listener != INVALID_SOCKET &&
            bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
            getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            port = ntohs(address.sin_port);
    }
    ~LoopbackServer()
    {
        stop = true;
        if (worker.joinable())
            worker.join();
        if (listener != INVALID_SOCKET)
            closesocket(listener);
        if (started)
            WSACleanup();
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool Listen()
    {
        if (!port || listen(listener, 8) != 0)
            return false;
        worker = std::thread([this] { Serve(); });
        return true;
    }
    std::vector<std::string> Requests() const
    {
        std::lock_guard<std::mutex> guard(lock);
        return requests;
    }

    int port = 0;

private:
    void Serve()
    {
        while (!stop) {
            fd_set ready;
            FD_ZERO(&ready);
            FD_SET(listener, &ready);
            timeval wait = {0, 100000};
            if (select(0, &ready, nullptr, nullptr, &wait) <= 0)
                continue;
            const SOCKET connection = accept(listener, nullptr, nullptr);
            if (connection == INVALID_SOCKET)
                continue;
            std::string request;
            char buffer[1024];
            int got = 0;
            while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384 &&
                   (got = recv(connection, buffer, sizeof(buffer), 0)) > 0)
                request.append(buffer, got);
            {
                std::lock_guard<std::mutex> guard(lock);
                requests.push_back(request.substr(0, request.find("\r\n")));
            }
            const std::string body = "<html><head><title>back</title></head><body>back</body></html>";
            const std::string response = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nCache-Control: no-store\r\n"
                                         "Content-Length: " + std::to_string(body.size()) +
                                         "\r\nConnection: close\r\n\r\n" + body;
            send(connection, response.data(), static_cast<int>(response.size()), 0);
            shutdown(connection, SD_SEND);
            closesocket(connection);
        }
    }

    bool started = false;
    SOCKET listener = INVALID_SOCKET;
    std::atomic<bool> stop{false};
    std::thread worker;
    mutable std::mutex lock;
    std::vector<std::string> requests;
};

// How often `text` occurs in `log`.
size_t Occurrences(const std::string& log, const std::string& text)
{
    size_t count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
        ++count;
    return count;
}

// The offline panel over the login view's page area (630 x 372): message
// band above the middle, "重试" button below it.
const RECT PanelMessage = {0, 151, 630, 179};
const RECT PanelButton = {267, 193, 363, 225};
constexpr DWORD PanelBack = 0xFF1B2431;
constexpr DWORD PanelButtonFill = 0xFF2E7AD6;

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
    // The background's artwork shows around the page.
    {
        const RECT b = WindowRect(back);
        auto drawn = [&](const ScreenCapture& s) {
            return s.Count(MakeRect(b.left, b.top, b.left + GameOffsetX, b.bottom),
                           [](DWORD c) { return (c & 0xFFFFFF) != 0; });
        };
        const ScreenCapture screen = CaptureScreenWhen(
            L"client-login-view", [&](const ScreenCapture& s) { return drawn(s) > GameOffsetX * BackHeight / 2; });
        ASSERT_TRUE(screen.ok());
        EXPECT_GT(drawn(screen), GameOffsetX * BackHeight / 2) << "the background is not drawn";
    }

    // A real drag of the background carries the game window along.
    const std::vector<HWND> iconsBefore = TrayIcons();
    RECT before = WindowRect(back);
    const POINT from = ScreenPoint(back, 300, 450);
    EXPECT_TRUE(DragFromTo(from, POINT{from.x - 80, from.y + 40}, 8));
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
    ASSERT_TRUE(GiveKeyboardFocus(back)) << "focus on " << KeyboardFocus();
    PressKey(VK_F10);
    PressKey(VK_ESCAPE);
    PressChord({VK_MENU, 'D'});
    // ... or the page (browser thread), which is offered them, so they did
    // arrive.
    const HWND page = FocusPage(ScreenPoint(game, 300, 300));
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    ASSERT_NE(page, nullptr) << "the page did not take the focus: focus " << KeyboardFocus() << ", foreground "
                             << GetForegroundWindow() << ", game " << game << ", back " << back << ", cursor "
                             << cursor.x << "," << cursor.y;
    const size_t f10 = PageKeyPresses(VK_F10);
    EXPECT_TRUE(PressUntil(page, {VK_F10}, [&] { return PageKeyPresses(VK_F10) > f10; }))
        << "F10 never reached the page";
    const size_t esc = PageKeyPresses(VK_ESCAPE);
    EXPECT_TRUE(PressUntil(page, {VK_ESCAPE}, [&] { return PageKeyPresses(VK_ESCAPE) > esc; }));
    PressChord({VK_MENU, 'D'});
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
    const std::string payment = platform + "/pay?gid=148";
    EXPECT_TRUE(ClickUntil(pay, [&] { return opened->Count(payment) >= 1; }, 10000)) << payment;
    EXPECT_EQ(opened->Count(payment), 1u);

    // Its close button asks first; confirmed, the client ends by itself.
    const POINT close = ScreenPoint(back, 1325, 135);
    HWND dialog = nullptr;
    ASSERT_TRUE(ClickUntil(close, [&] { return (dialog = VisibleClientWindow(L"velmorkastel")) != nullptr; }));
    const POINT confirm = ScreenPoint(dialog, 84, 117);
    ASSERT_TRUE(ClickUntil(confirm, [&] { return !client->Running(); }, 10000))
        << "the client did not end after the confirmed close";
    DWORD code = 1234;
    ASSERT_TRUE(client->WaitForExit(0, code));
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
    // The title bar's dark blue background, with the links' captions drawn
    // in light ink on it.
    {
        const POINT title = ScreenPoint(game, 300, 12);
        auto caption = [&](const ScreenCapture& s, int anchor) {
            const POINT link = ScreenPoint(game, ClientRight(game) - anchor - LinkWidth, 0);
            return s.Count(MakeRect(link.x + 5, link.y + 7, link.x + LinkWidth - 5, link.y + 19), Light);
        };
        const int anchors[] = {PaymentAnchor, 215, 170, 125};
        const ScreenCapture screen = CaptureScreenWhen(L"client-game-view", [&](const ScreenCapture& s) {
            bool all = ColorNear(s.Pixel(title.x, title.y), 0xFF1A2548, 16);
            for (int anchor : anchors)
                all = all && caption(s, anchor) > 40;
            return all;
        });
        ASSERT_TRUE(screen.ok());
        EXPECT_TRUE(ColorNear(screen.Pixel(title.x, title.y), 0xFF1A2548, 16))
            << std::hex << screen.Pixel(title.x, title.y);
        for (int anchor : anchors)
            EXPECT_GT(caption(screen, anchor), 40) << "no caption on the link " << anchor << " pixels from the right";
    }

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
    const std::string payment = platform + "/pay?gid=148&user_name=&server_id=S42";
    EXPECT_TRUE(ClickUntil(ScreenPoint(game, AnchoredCentreX(right, PaymentAnchor, LinkWidth), 13),
                           [&] { return opened->Count(payment) >= 1; }, 10000))
        << payment;
    EXPECT_EQ(opened->Count(payment), 1u);
    for (const auto& line : opened->Lines())
        EXPECT_TRUE(line == popup || line == payment) << "unexpected address handed on: " << line;

    // Hovering a title-bar button shows the tooltip after a moment; leaving
    // the title bar for the page hides it.
    const POINT fullScreenButton = ScreenPoint(game, AnchoredCentreX(right, FullScreenAnchor, TitleButtonWidth), 12);
    HWND tip = nullptr;
    ASSERT_TRUE(HoverUntil(fullScreenButton, [&] { return (tip = VisibleClientWindow(L"ToolTip")) != nullptr; }));
    const POINT page = ScreenPoint(game, right / 2, 400);
    const bool hidden = HoverUntil(page, [&] { return !IsWindowVisible(tip); });
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    wchar_t under[64] = {};
    GetClassNameW(WindowFromPoint(cursor), under, 64);
    EXPECT_TRUE(hidden) << "cursor " << cursor.x << ", " << cursor.y << " over " << Utf8(under) << ", tooltips shown "
                        << client->Windows(L"ToolTip").size() << ", visible:" << ClientWindows();
}

TEST_F(ClientEndToEnd, FullScreenTogglesWithF10AndEscFromTheWindowAndFromThePage)
{
    ASSERT_TRUE(StartInGameView("type=3&server_id=7"));
    const RECT fullScreen = MakeRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    // Another program's always-on-top window: full screen must cover it.
    TopmostMarker marker;

    // Restored first, so that full screen differs from the window's place.
    ASSERT_TRUE(ClickUntil(ScreenPoint(game, AnchoredCentreX(ClientRight(game), RestoreAnchor, TitleButtonWidth), 12),
                           [&] { return !IsZoomed(game); }));
    WaitFor([&] { return IsWindowVisible(back) && SameRect(WindowRect(back), Inflated(WindowRect(game), ShadowSize)); },
            3000);
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

    // The window itself has the focus (main thread). Esc outside full
    // screen does nothing.
    ASSERT_TRUE(GiveKeyboardFocus(game)) << "focus on " << KeyboardFocus();
    PressKey(VK_ESCAPE);
    PumpFor(800);
    EXPECT_TRUE(RectIs(WindowRect(game), restored));
    EXPECT_TRUE(IsAbove(marker.window, game));

    // F10: the whole screen, above everything, the page over the title
    // bar, no shadow. F10 again: exactly the previous place, title bar and
    // shadow back.
    EXPECT_TRUE(PressUntil(game, {VK_F10}, inFullScreen)) << describe();
    EXPECT_TRUE(PressUntil(GameFocus(), {VK_F10}, backInPlace)) << describe();

    // The same keys with the page focused (they arrive on the browser
    // thread): F10 in, Esc out, Esc again nothing.
    const HWND page = FocusPage(ScreenPoint(game, (restored.right - restored.left) / 2, 300));
    ASSERT_NE(page, nullptr) << "the page did not take the focus";
    EXPECT_TRUE(PressUntil(page, {VK_F10}, inFullScreen)) << describe();
    EXPECT_TRUE(PressUntil(page, {VK_ESCAPE}, backInPlace)) << describe();
    ASSERT_TRUE(GiveKeyboardFocus(page));
    PressKey(VK_ESCAPE);
    PumpFor(800);
    EXPECT_TRUE(backInPlace()) << describe();

    // Maximised where the work area is the whole screen, the window comes
    // back from full screen at the same size: the page still goes back
    // below the title bar.
    ASSERT_TRUE(ClickUntil(ScreenPoint(game, AnchoredCentreX(ClientRight(game), RestoreAnchor, TitleButtonWidth), 12),
                           [&] { return IsZoomed(game) != FALSE; }));
    const RECT maximised = WindowRect(game);
    EXPECT_TRUE(PressUntil(GameFocus(), {VK_F10}, [&] { return BrowserTop() == 0 && IsAbove(game, marker.window); }))
        << describe();
    EXPECT_TRUE(PressUntil(GameFocus(), {VK_F10}, [&] {
        return SameRect(WindowRect(game), maximised) && IsAbove(marker.window, game) && BrowserTop() == TitleHeight;
    })) << describe();
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
    ASSERT_TRUE(PressUntil(GameFocus(), {VK_MENU, 'D'}, hiddenWithIcon, 5000)) << "visible " << IsWindowVisible(game) << IsWindowVisible(back)
                                                 << ", new icons " << NewTrayIcons(iconsBefore).size();
    // Alt+D in another application brings the client back.
    ASSERT_TRUE(other.Activate());
    ASSERT_TRUE(PressUntil(other.window, {VK_MENU, 'D'}, shownWithoutIcon, 5000));
    other.Hide();
    EXPECT_TRUE(RectIs(WindowRect(back), Inflated(WindowRect(game), ShadowSize)));

    // Hidden again; a double-click on the icon shows it.
    ASSERT_TRUE(other.Activate());
    ASSERT_TRUE(PressUntil(other.window, {VK_MENU, 'D'}, hiddenWithIcon, 5000));
    other.Hide();
    POINT at = Centre(WindowRect(icon));
    Settle(at);
    DoubleClickAt(at.x, at.y);
    ASSERT_TRUE(WaitFor(shownWithoutIcon, 5000));

    // Hidden again; the icon's menu opens above the cursor with two rows.
    ASSERT_TRUE(other.Activate());
    ASSERT_TRUE(PressUntil(other.window, {VK_MENU, 'D'}, hiddenWithIcon, 5000));
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
    auto iconMenu = [&] { return OpenIconMenu(at); };
    ASSERT_TRUE(ChooseRow(iconMenu, 0, shownWithoutIcon));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }, 3000));

    // Once more to the tray; "关闭" ends the client, which leaves no icon.
    ASSERT_TRUE(other.Activate());
    ASSERT_TRUE(PressUntil(other.window, {VK_MENU, 'D'}, hiddenWithIcon, 5000));
    other.Hide();
    at = Centre(WindowRect(icon));
    ASSERT_TRUE(ChooseRow(iconMenu, 1, [&] { return !client->Running(); }))
        << "the client did not end after 关闭; game window " << (IsWindow(game) ? "alive" : "gone") << ", new icons "
        << NewTrayIcons(iconsBefore).size() << ", visible windows:" << ClientWindows();
    DWORD code = 1234;
    ASSERT_TRUE(client->WaitForExit(0, code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(WaitFor([&] { return NewTrayIcons(iconsBefore).empty(); }, 5000));
}

TEST_F(ClientEndToEnd, AConfiguredBossKeyReplacesAltDUnlessAnotherProgramHoldsIt)
{
    // Ctrl+Alt+G (MOD_ALT | MOD_CONTROL, 'G').
    const std::string configured = "fsModifiers=3\r\nvkCode=71\r\n";
    ASSERT_TRUE(StartInGameView("type=3&server_id=9", configured));
    ASSERT_TRUE(GiveKeyboardFocus(GameFocus()));
    PressChord({VK_MENU, 'D'});
    PumpFor(1500);
    ASSERT_TRUE(IsWindowVisible(game)) << "Alt+D still hides the client";
    EXPECT_TRUE(PressUntil(GameFocus(), {VK_CONTROL, VK_MENU, 'G'},
                           [&] { return !IsWindowVisible(game) && !IsWindowVisible(back); }, 5000));
    {
        OtherApplication other;
        ASSERT_TRUE(other.Activate());
        EXPECT_TRUE(PressUntil(other.window, {VK_CONTROL, VK_MENU, 'G'},
                               [&] { return IsWindowVisible(game) && IsWindowVisible(back); }, 5000));
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
        EXPECT_TRUE(PressUntil(GameFocus(), {VK_MENU, 'D'},
                               [&] { return !IsWindowVisible(game) && !IsWindowVisible(back); }, 5000))
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
    std::string menuMiss;
    auto openMenu = [&] {
        menu = nullptr;
        ClickUntil(tools, [&] { return (menu = VisibleClientWindow(L"velmor_menu")) != nullptr; });
        if (!menu) {
            POINT cursor = {0, 0};
            GetCursorPos(&cursor);
            wchar_t foreground[128] = {};
            GetClassNameW(GetForegroundWindow(), foreground, 128);
            menuMiss = "no menu after clicks at " + std::to_string(tools.x) + ", " + std::to_string(tools.y) +
                       "; cursor " + std::to_string(cursor.x) + ", " + std::to_string(cursor.y) + ", foreground " +
                       Utf8(foreground) + ", menu windows " + std::to_string(client->Windows(L"velmor_menu").size()) +
                       ", client " + (client->Running() ? "running" : "ended") + ", visible:" + ClientWindows();
        }
        return menu;
    };

    // Three rows under the title bar, 10 pixels left of the cursor, each
    // with its caption in dark ink on the light menu.
    ASSERT_NE(openMenu(), nullptr) << menuMiss;
    const RECT gameRect = WindowRect(game);
    const RECT menuRect = WindowRect(menu);
    EXPECT_TRUE(RectIs(menuRect, MakeRect(tools.x - 10, gameRect.top + 30, tools.x - 10 + MenuWidth,
                                          gameRect.top + 30 + 3 * MenuRowHeight)));
    {
        auto ink = [&](const ScreenCapture& s, int row) {
            const int top = menuRect.top + row * MenuRowHeight;
            return s.Count(MakeRect(menuRect.left + 1, top + 2, menuRect.right - 2, top + MenuRowHeight - 1),
                           [](DWORD c) { return RedOf(c) < 90; });
        };
        const ScreenCapture screen = CaptureScreenWhen(L"client-tools-menu", [&](const ScreenCapture& s) {
            return ink(s, 0) > 20 && ink(s, 1) > 20 && ink(s, 2) > 20;
        });
        ASSERT_TRUE(screen.ok());
        ASSERT_TRUE(IsWindowVisible(menu)) << "the menu closed before the picture was taken";
        for (int row = 0; row < 3; ++row)
            EXPECT_GT(ink(screen, row), 20) << "no caption in row " << row;
    }

    // "刷新": the page is fetched again.
    EXPECT_TRUE(ChooseRow(openMenu, 1, [&] { return siteLog->Count(gameRequest) >= 2; }));
    EXPECT_EQ(siteLog->Count(gameRequest), 2u);
    EXPECT_NE(DoubleLog().find("Refresh"), std::string::npos);
    EXPECT_TRUE(WaitFor([&] { return VisibleClientWindow(L"velmor_menu") == nullptr; }, 3000));

    // "老板键(Alt+D)" only names the key: the menu closes, nothing else.
    ASSERT_NE(openMenu(), nullptr) << menuMiss;
    EXPECT_TRUE(ChooseRow(openMenu, 2, [&] { return VisibleClientWindow(L"velmor_menu") == nullptr; }));
    PumpFor(500);
    EXPECT_TRUE(IsWindowVisible(game));
    EXPECT_EQ(siteLog->Count(gameRequest), 2u);

    // "清除缓存": a notice owned by the game window once the cache is empty.
    HWND box = nullptr;
    ASSERT_TRUE(ChooseRow(openMenu, 0, [&] {
        for (HWND window : client->Windows(L"#32770")) {
            if (IsWindowVisible(window) && WindowText(window) == L"Lumavex")
                box = window;
        }
        return box != nullptr;
    }));
    EXPECT_EQ(GetWindow(box, GW_OWNER), game);
    bool noticeFound = false;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        noticeFound = noticeFound || WindowText(child) == L"清理缓存完成";
    EXPECT_TRUE(noticeFound);
    const HWND ok = GetDlgItem(box, IDOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ClickUntil(Centre(WindowRect(ok)), [&] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindowEnabled(game));
    EXPECT_TRUE(client->Running());
}

TEST_F(ClientEndToEnd, RequestsMadeWhileThePageShowsAModalLoopAreNotLost)
{
    // The game page opens a modal loop (as alert() does) as it loads: the
    // game view's requests reach the browser thread while it runs.
    ASSERT_TRUE(StartInGameView("type=3&server_id=7&double=" + UrlEncode("modal 3000")));
    ASSERT_TRUE(WaitFor([&] { return DoubleLog().find("Directive modal ended") != std::string::npos; }, 10000))
        << "the page's modal loop never ran";
    const RECT fullScreen = MakeRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    const RECT place = WindowRect(game);
    const HWND page = FocusPage(ScreenPoint(game, (place.right - place.left) / 2, 300));
    ASSERT_NE(page, nullptr) << "the page did not take the focus";
    // F10 in the page: the browser thread knows it is in the game view.
    EXPECT_TRUE(PressUntil(page, {VK_F10}, [&] { return SameRect(WindowRect(game), fullScreen) && BrowserTop() == 0; }))
        << "game " << Describe(WindowRect(game)) << ", browser top " << BrowserTop();
}

void ClientEndToEnd::ConfirmedCloseEndsWhileThePageIsBusy()
{
    const POINT close = ScreenPoint(game, AnchoredCentreX(ClientRight(game), CloseAnchor, TitleButtonWidth), 12);
    HWND dialog = nullptr;
    ASSERT_TRUE(ClickUntil(close, [&] { return (dialog = VisibleClientWindow(L"velmorkastel")) != nullptr; }))
        << "no close dialog while the page is busy; windows:" << ClientWindows() << " under "
        << ClassName(WindowFromPoint(close));
    const DWORD closedAt = GetTickCount();
    ASSERT_TRUE(ClickUntil(ScreenPoint(dialog, 84, 117), [&] { return !IsWindow(dialog); }))
        << "the dialog did not take the confirmation";
    EXPECT_TRUE(WaitFor([&] { return !client->Running() || ClientWindows() == " none"; }, 1000))
        << "still on screen:" << ClientWindows();
    DWORD code = 1234;
    ASSERT_TRUE(client->WaitForExit(8000, code)) << "the client did not end";
    EXPECT_EQ(code, 0u);
    EXPECT_LT(GetTickCount() - closedAt, 8000u);
    EXPECT_EQ(DoubleLog().find("Directive busy ended"), std::string::npos);
}

TEST_F(ClientEndToEnd, ABusyPageDoesNotKeepTheClosedClientOnScreenOrRunning)
{
    // Once the game view stands, the page moves on to one that runs a long
    // script: its thread takes no message.
    ASSERT_TRUE(StartInGameView("type=3&server_id=7&double=" +
                                UrlEncode("navigate /page?double=" + UrlEncode("busy 20000") + " 6000")));
    ASSERT_TRUE(WaitFor([&] { return DoubleLog().find("Directive busy ms=20000") != std::string::npos; }, 10000))
        << "the page never got busy";
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(game, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer), 0)
        << "the game window waits for the busy page";

    // F10 in the game window still toggles full screen (above another
    // program's always-on-top window), and the window still answers.
    TopmostMarker marker;
    auto fullScreen = [&] { return IsAbove(game, marker.window); };
    EXPECT_TRUE(PressUntil(game, {VK_F10}, fullScreen));
    EXPECT_NE(SendMessageTimeoutW(game, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer), 0)
        << "full screen waits for the busy page";
    EXPECT_TRUE(PressUntil(game, {VK_F10}, [&] { return !fullScreen(); }));
    EXPECT_NE(SendMessageTimeoutW(game, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer), 0)
        << "leaving full screen waits for the busy page";

    // Closed with the title bar's button and "确定": every window goes at
    // once, the process within the limit on the browser thread, code 0.
    ConfirmedCloseEndsWhileThePageIsBusy();
}

TEST_F(ClientEndToEnd, ABusyPageHoldingTheFocusHoldsNeitherTheCloseDialogNorTheClose)
{
    // The player was typing in the page when its script stopped answering.
    ASSERT_TRUE(StartInGameView("type=3&server_id=7&double=" +
                                UrlEncode("navigate /page?double=" + UrlEncode("busy 20000") + " 6000")));
    const RECT place = WindowRect(game);
    ASSERT_NE(FocusPage(ScreenPoint(game, (place.right - place.left) / 2, 300)), nullptr)
        << "the page did not take the focus";
    ASSERT_TRUE(WaitFor([&] { return DoubleLog().find("Directive busy ms=20000") != std::string::npos; }, 10000))
        << "the page never got busy";

    const POINT close = ScreenPoint(game, AnchoredCentreX(ClientRight(game), CloseAnchor, TitleButtonWidth), 12);
    HWND dialog = nullptr;
    auto dialogUp = [&] { return (dialog = VisibleClientWindow(L"velmorkastel")) != nullptr; };
    // "取消" first: the window stays and still answers; then "确定".
    ASSERT_TRUE(ClickUntil(close, dialogUp)) << "no close dialog while the page is busy; windows:" << ClientWindows()
                                             << " under " << ClassName(WindowFromPoint(close));
    ASSERT_TRUE(ClickUntil(ScreenPoint(dialog, 212, 117), [&] { return !IsWindow(dialog); }))
        << "the dialog did not take the cancel";
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(game, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer), 0);
    ConfirmedCloseEndsWhileThePageIsBusy();
}

TEST_F(ClientEndToEnd, CloseButtonAsksAndEndsTheClientWithCodeZeroOnlyWhenConfirmed)
{
    ASSERT_TRUE(StartInGameView("type=3&server_id=12"));
    const RECT gameBefore = WindowRect(game);
    const RECT backBefore = WindowRect(back);
    const bool backShown = IsWindowVisible(back) != FALSE;
    const int right = ClientRight(game);
    const POINT close = ScreenPoint(game, AnchoredCentreX(right, CloseAnchor, TitleButtonWidth), 12);

    // The dialog comes up centred on the screen: the question in light
    // ink, "确定" dark on its gold button, "取消" light on its dark one.
    HWND dialog = nullptr;
    auto dialogUp = [&] { return (dialog = VisibleClientWindow(L"velmorkastel")) != nullptr; };
    ASSERT_TRUE(ClickUntil(close, dialogUp));
    const int left = (GetSystemMetrics(SM_CXSCREEN) - 295) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - 190) / 2;
    EXPECT_TRUE(RectIs(WindowRect(dialog), MakeRect(left, top, left + 295, top + 190)));
    {
        auto question = [&](const ScreenCapture& s) {
            return s.Count(MakeRect(left + 60, top + 56, left + 235, top + 76), Light);
        };
        auto confirmInk = [&](const ScreenCapture& s) {
            return s.Count(MakeRect(left + 64, top + 110, left + 104, top + 125), [](DWORD c) { return RedOf(c) < 140; });
        };
        auto cancelInk = [&](const ScreenCapture& s) {
            return s.Count(MakeRect(left + 192, top + 110, left + 232, top + 125), Light);
        };
        const ScreenCapture screen = CaptureScreenWhen(L"client-close-dialog", [&](const ScreenCapture& s) {
            return question(s) > 300 && confirmInk(s) > 50 && cancelInk(s) > 50;
        });
        ASSERT_TRUE(screen.ok());
        EXPECT_GT(question(screen), 300) << "question";
        EXPECT_GT(confirmInk(screen), 50) << "确定";
        EXPECT_GT(cancelInk(screen), 50) << "取消";
    }

    // "取消": both windows stay as they were.
    POINT at = ScreenPoint(dialog, 212, 117);
    ASSERT_TRUE(ClickUntil(at, [&] { return !IsWindow(dialog); }));
    PumpFor(500);
    EXPECT_TRUE(client->Running());
    EXPECT_TRUE(IsWindowVisible(game));
    EXPECT_TRUE(IsZoomed(game));
    EXPECT_TRUE(RectIs(WindowRect(game), gameBefore));
    ASSERT_TRUE(IsWindow(back));
    EXPECT_EQ(IsWindowVisible(back) != FALSE, backShown);
    EXPECT_TRUE(RectIs(WindowRect(back), backBefore));

    // "确定": the client ends by itself, with exit code 0.
    ASSERT_TRUE(ClickUntil(close, dialogUp));
    at = ScreenPoint(dialog, 84, 117);
    ASSERT_TRUE(ClickUntil(at, [&] { return !client->Running(); }, 10000))
        << "the client did not end after the confirmed close";
    DWORD code = 1234;
    ASSERT_TRUE(client->WaitForExit(0, code));
    EXPECT_EQ(code, 0u);
}

TEST_F(ClientEndToEnd, AnUnreachableSiteShowsTheOfflinePanelWhichRetriesAndGoesWhenTheSiteIsBack)
{
    // The document mode is in place before the control exists: no value
    // from an earlier run counts.
    RegDeleteKeyValueW(HKEY_CURRENT_USER,
                       L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION",
                       L"Lumarion.exe");
    LoopbackServer server;
    ASSERT_NE(server.port, 0) << "no loopback port";
    platform = "http://127.0.0.1:" + std::to_string(server.port);
    const std::string param = "?e2e=" + nonce + "&view=offline";
    const std::string landing = platform + "/lander/qmvt" + param;
    ASSERT_TRUE(StartClient(param));

    // The page failed: the page area is hidden and the panel drawn instead.
    const std::string failed = "Fire NavigateError url=" + landing;
    ASSERT_TRUE(WaitFor([&] { return Occurrences(DoubleLog(), failed) >= 1; }, 15000)) << DoubleLog();
    const HWND browser = FindWindowExW(game, nullptr, L"ImageWnd", nullptr);
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(browser); })) << "the page area still shows";
    {
        const POINT origin = ScreenPoint(game, 0, 0);
        auto onScreen = [&](RECT r) {
            OffsetRect(&r, origin.x, origin.y);
            return r;
        };
        auto messageInk = [&](const ScreenCapture& s) { return s.Count(onScreen(PanelMessage), Light); };
        auto messageBack = [&](const ScreenCapture& s) {
            return s.Count(onScreen(PanelMessage), [](DWORD c) { return ColorNear(c, PanelBack, 6); });
        };
        auto buttonFill = [&](const ScreenCapture& s) {
            return s.Count(onScreen(PanelButton), [](DWORD c) { return ColorNear(c, PanelButtonFill, 24); });
        };
        auto buttonInk = [&](const ScreenCapture& s) {
            RECT r = PanelButton;
            InflateRect(&r, -2, -2);
            return s.Count(onScreen(r), Light);
        };
        const ScreenCapture screen = CaptureScreenWhen(L"client-offline-panel", [&](const ScreenCapture& s) {
            return messageInk(s) > 200 && buttonFill(s) > 1500 && buttonInk(s) > 20;
        });
        ASSERT_TRUE(screen.ok());
        // 15 characters of light text on the panel's dark ground.
        EXPECT_GT(messageInk(screen), 200) << "message";
        EXPECT_GT(messageBack(screen), 630 * 28 / 2) << "panel background";
        EXPECT_GT(buttonFill(screen), 1500) << "button";
        EXPECT_GT(buttonInk(screen), 20) << "button caption";
    }

    // The control was created with the document mode already set.
    {
        const std::string log = DoubleLog();
        const size_t mode = log.find("Create featureBrowserEmulation=11001");
        const size_t navigation = log.find(" Navigate2 url=");
        EXPECT_NE(mode, std::string::npos) << log;
        EXPECT_LT(mode, navigation) << log;
    }

    // The first automatic retry comes after 5 seconds and fails as well.
    const std::string retried = " Navigate2 url=" + landing;
    ASSERT_TRUE(WaitFor([&] { return Occurrences(DoubleLog(), failed) >= 2; }, 12000)) << DoubleLog();
    EXPECT_EQ(Occurrences(DoubleLog(), retried), 2u);

    // "重试" at once, 10 s before the next one is due: one navigation.
    const size_t navigations = Occurrences(DoubleLog(), retried);
    const size_t failures = Occurrences(DoubleLog(), failed);
    const POINT retry = ScreenPoint(game, (PanelButton.left + PanelButton.right) / 2,
                                    (PanelButton.top + PanelButton.bottom) / 2);
    ASSERT_TRUE(ClickUntil(retry, [&] { return Occurrences(DoubleLog(), retried) > navigations; }))
        << "重试 started no navigation";
    ASSERT_TRUE(WaitFor([&] { return Occurrences(DoubleLog(), failed) > failures; }, 10000));
    EXPECT_EQ(Occurrences(DoubleLog(), retried), navigations + 1);
    EXPECT_FALSE(IsWindowVisible(browser));

    // The site comes back: the next retry (20 s) reaches it with no input,
    // and the page shows again in place of the panel.
    ASSERT_TRUE(server.Listen());
    const std::string request = "GET /lander/qmvt" + param;
    auto requested = [&] {
        for (const std::string& line : server.Requests()) {
            if (line.rfind(request, 0) == 0)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(WaitFor(requested, 40000)) << "the landing page was not asked for again";
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(browser) != FALSE; }, 5000)) << "the page area stays hidden";
    EXPECT_NE(DoubleLog().find("Fire NavigateComplete2 url=" + landing), std::string::npos);
    {
        const POINT origin = ScreenPoint(game, 0, 0);
        RECT button = PanelButton;
        OffsetRect(&button, origin.x, origin.y);
        auto buttonFill = [&](const ScreenCapture& s) {
            return s.Count(button, [](DWORD c) { return ColorNear(c, PanelButtonFill, 24); });
        };
        const ScreenCapture screen =
            CaptureScreenWhen(L"client-offline-recovered", [&](const ScreenCapture& s) { return buttonFill(s) == 0; });
        ASSERT_TRUE(screen.ok());
        EXPECT_EQ(buttonFill(screen), 0) << "the panel is still drawn";
    }
}

namespace {

// Every visible game window on the desktop, of whatever process.
size_t GameWindowsShown()
{
    size_t count = 0;
    for (HWND w = FindWindowExW(nullptr, nullptr, L"lumavexor", nullptr); w;
         w = FindWindowExW(nullptr, w, L"lumavexor", nullptr))
        count += IsWindowVisible(w) ? 1 : 0;
    return count;
}

std::wstring DumpFolder()
{
    wchar_t local[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
    return std::wstring(local) + L"\\ZQLumavex\\CrashDumps";
}

std::vector<std::wstring> DumpFiles()
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found = {};
    const ScopedFind search = MakeScopedFind(FindFirstFileW((DumpFolder() + L"\\*.dmp").c_str(), &found));
    if (search) {
        do {
            names.push_back(found.cFileName);
        } while (FindNextFileW(search.get(), &found));
    }
    return names;
}

// An access violation on a new thread of `process`, as a fault anywhere in
// the client would raise.
bool CrashInside(HANDLE process)
{
    ScopedHandle thread(CreateRemoteThread(process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(0x10),
                                           nullptr, 0, nullptr));
    return thread != nullptr;
}

// The exception stream of a minidump file, as a debugger would read it.
bool DumpHasException(const std::wstring& path)
{
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file || file.get() == INVALID_HANDLE_VALUE)
        return false;
    ScopedHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping)
        return false;
    void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
    if (!view)
        return false;
    MINIDUMP_DIRECTORY* directory = nullptr;
    void* stream = nullptr;
    ULONG size = 0;
    const bool found = MiniDumpReadDumpStream(view, ExceptionStream, &directory, &stream, &size) && stream &&
                       size >= sizeof(MINIDUMP_EXCEPTION_STREAM) &&
                       static_cast<MINIDUMP_EXCEPTION_STREAM*>(stream)->ExceptionRecord.ExceptionCode ==
                           EXCEPTION_ACCESS_VIOLATION;
    UnmapViewOfFile(view);
    return found;
}

} // namespace

TEST_F(ClientEndToEnd, ASecondStartBringsTheRunningClientBackFromTheTrayAndLeaves)
{
    ASSERT_TRUE(StartInGameView("type=3&server_id=12"));
    const std::vector<HWND> iconsBefore = TrayIcons();
    ASSERT_TRUE(PressUntil(GameFocus(), {VK_MENU, 'D'}, [&] {
        return !IsWindowVisible(game) && NewTrayIcons(iconsBefore).size() == 1;
    }, 5000));

    ClientProcess second(Widen(LUMARION_CLIENT_EXE), "[Common]\r\nParam=?e2e=" + nonce + "\r\n[Sites]\r\nPlatform=" +
                                                         platform + "\r\n");
    const DWORD started = GetTickCount();
    ASSERT_TRUE(second.Start());
    DWORD code = 1234;
    EXPECT_TRUE(second.WaitForExit(2000, code)) << "the second start did not end within 2 s";
    EXPECT_EQ(code, 0u);
    EXPECT_LT(GetTickCount() - started, 2500u);

    // The first one is back, on top, without its icon; no second client
    // came up, and the site saw no second landing request.
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(game) && NewTrayIcons(iconsBefore).empty(); }, 5000));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == game; }, 3000));
    EXPECT_EQ(GameWindowsShown(), 1u);
    EXPECT_EQ(siteLog->Count("GET /lander/qmvt?e2e=" + nonce), 0u);
}

TEST_F(ClientEndToEnd, ACrashLeavesOneReadableDumpNoIconAndOnlyTheNewestFive)
{
    for (const std::wstring& name : DumpFiles())
        DeleteFileW((DumpFolder() + L"\\" + name).c_str());
    ASSERT_TRUE(StartInGameView("type=3&server_id=13"));
    const std::vector<HWND> iconsBefore = TrayIcons();
    ASSERT_TRUE(PressUntil(GameFocus(), {VK_MENU, 'D'}, [&] {
        return !IsWindowVisible(game) && NewTrayIcons(iconsBefore).size() == 1;
    }, 5000));

    ASSERT_TRUE(CrashInside(client->handle()));
    DWORD code = 0;
    ASSERT_TRUE(client->WaitForExit(10000, code)) << "the crashed client did not end";
    EXPECT_EQ(code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    const std::vector<std::wstring> dumps = DumpFiles();
    ASSERT_EQ(dumps.size(), 1u);
    const std::wstring suffix = L"-" + std::to_wstring(client->id()) + L".dmp";
    EXPECT_EQ(dumps[0].rfind(L"Lumarion-", 0), 0u) << Utf8(dumps[0]);
    EXPECT_EQ(dumps[0].size(), std::wstring(L"Lumarion-yyyyMMdd-HHmmss").size() + suffix.size()) << Utf8(dumps[0]);
    EXPECT_EQ(dumps[0].compare(dumps[0].size() - suffix.size(), suffix.size(), suffix), 0) << Utf8(dumps[0]);
    EXPECT_TRUE(DumpHasException(DumpFolder() + L"\\" + dumps[0]));
    EXPECT_TRUE(NewTrayIcons(iconsBefore).empty()) << "the crashed client left its icon";
    game = nullptr;

    // Five more crashes: the newest five dumps stay.
    DWORD lastId = 0;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(StartClient("?e2e=" + nonce + "&view=login"));
        ASSERT_TRUE(CrashInside(client->handle()));
        ASSERT_TRUE(client->WaitForExit(10000, code));
        lastId = client->id();
    }
    game = nullptr;
    const std::vector<std::wstring> kept = DumpFiles();
    EXPECT_EQ(kept.size(), 5u);
    const std::wstring lastSuffix = L"-" + std::to_wstring(lastId) + L".dmp";
    EXPECT_TRUE(std::any_of(kept.begin(), kept.end(), [&](const std::wstring& n) {
        return n.size() > lastSuffix.size() && n.compare(n.size() - lastSuffix.size(), lastSuffix.size(), lastSuffix) == 0;
    })) << "the newest dump is missing";
}

TEST_F(ClientEndToEnd, AScaleChangeZoomsThePageWithTheWindow)
{
    ASSERT_TRUE(StartInGameView("type=3&server_id=5"));
    // A 96-DPI display asks for no zoom at all.
    EXPECT_EQ(DoubleLog().find("ExecWB OPTICAL_ZOOM"), std::string::npos);
    // Moved to a 150 % monitor (Wine never sends this itself). A rectangle
    // cannot cross into the client's process: the window keeps its own
    // (taking the suggested one is checked in process).
    DWORD_PTR answer = 0;
    ASSERT_NE(SendMessageTimeoutW(game, WM_DPICHANGED, MAKEWPARAM(144, 144), 0, SMTO_NORMAL, 5000, &answer), 0)
        << GetLastError();
    EXPECT_TRUE(WaitFor([&] { return DoubleLog().find("ExecWB OPTICAL_ZOOM percent=150") != std::string::npos; },
                        5000))
        << DoubleLog();
    // The page lies below the title bar at its new height.
    EXPECT_TRUE(WaitFor([&] { return BrowserTop() == 38; }, 5000)) << "browser top " << BrowserTop();
}
