#include "app/AppMessages.h"
#include "app/BrowserThread.h"
#include "browser/CHtmlAppManager.h"
#include "browser/CMyHtml.h"
#include "ui/ScopedHandles.h"

#include "TestApp.h"

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Records the order in which the browser thread serves requests, and can
// be held still so that several requests are queued before any is served.
class RecordingHtmlManager : public CHtmlAppManager {
public:
    static constexpr UINT HoldMessage = WM_APP + 50;

    int PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == HoldMessage && !msg->hwnd) {
            SetEvent(held.get());
            WaitForSingleObject(release.get(), 10000);
            return 1;
        }
        return CHtmlAppManager::PreTranslateMessage(msg);
    }
    // Blocks the browser thread until Release().
    void Hold()
    {
        ResetEvent(release.get());
        PostThreadMessageW(threadId, HoldMessage, 0, 0);
        WaitForSingleObject(held.get(), 10000);
    }
    void Release() { SetEvent(release.get()); }

    std::vector<int> Served()
    {
        std::lock_guard<std::mutex> guard(servedLock);
        return served;
    }

protected:
    void ExecuteRequest(HtmlRequest& request) override
    {
        {
            std::lock_guard<std::mutex> guard(servedLock);
            served.push_back(request.command);
        }
        CHtmlAppManager::ExecuteRequest(request);
    }

private:
    std::mutex servedLock;
    std::vector<int> served;
    ScopedHandle held{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    ScopedHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

std::string EnvFile(const char* name)
{
    char env[1024] = {};
    if (!GetEnvironmentVariableA("LUMARION_TEST_ENV", env, sizeof(env)))
        return {};
    std::string path = std::string("Z:") + env + "/" + name;
    for (auto& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The game window's stand-in: a main-thread parent that records the
// commands the browser window posts to it.
class ParentWindow : public CWindowCtrl {
public:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM) override
    {
        if (message == FrameCommandMessage)
            commands.push_back(static_cast<int>(wParam));
        return 0;
    }
    std::vector<int> commands;
};

// A running browser thread with its manager, and a parent window on the
// test's own (main) thread, as in the client.
class HtmlThread : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(app.ok());
        ASSERT_EQ(OleInitialize(nullptr), S_OK);
        g_htmlManager = &manager;
        thread = CreateThread(nullptr, 0, &BrowserThread, &manager, 0, &threadId);
        ASSERT_NE(thread, nullptr);
        ASSERT_TRUE(manager.WaitUntilReady(5000));
        ASSERT_NE(parent.Create(0, L"HtmlThreadParent", L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                                 640, 400, nullptr),
                  nullptr);
        port = ReadFile(EnvFile("site.port"));
        ASSERT_FALSE(port.empty());
    }

    void TearDown() override
    {
        PostThreadMessageW(threadId, WM_QUIT, 0, 0);
        EXPECT_TRUE(Joined()) << "browser thread not joined";
        CloseHandle(thread);
        if (parent.hwnd)
            DestroyWindow(parent.hwnd);
        g_htmlManager = nullptr;
        OleUninitialize();
    }

    // The browser window is a child of a window of this thread, so its
    // teardown talks to this thread: keep pumping while waiting.
    bool Joined()
    {
        return PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 10000);
    }

    // Pumps this thread (the parent's) until the condition holds.
    // The control's first fetch in a process can take seconds under Wine.
    bool WaitFor(const std::function<bool()>& done, DWORD ms = 30000) { return PumpUntil(done, ms); }

    std::wstring SiteUrl(const std::string& path) const
    {
        const std::string url = "http://127.0.0.1:" + port + path;
        return std::wstring(url.begin(), url.end());
    }

    bool SiteReceived(const std::string& requestLine)
    {
        return ReadFile(EnvFile("site.log")).find(requestLine + "\n") != std::string::npos;
    }

    void CreateBrowserWindow()
    {
        EXPECT_EQ(html.Create(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 0, 0, 640, 400, parent.hwnd),
                  nullptr);
        ASSERT_TRUE(WaitFor([&] { return html.hwnd && html.browser.hostWindow; }));
    }

    TestApp app;
    RecordingHtmlManager manager;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    ParentWindow parent;
    CMyHtml html;
    std::string port;
};

} // namespace

TEST_F(HtmlThread, CreateNavigateAndSilentAreServedInOrderOnePerWakeUp)
{
    const std::string path = "/lander/qmvt?order=" + std::to_string(GetTickCount());
    manager.Hold();
    html.Create(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 0, 0, 640, 400, parent.hwnd);
    html.Navigate(SiteUrl(path).c_str(), 2);
    html.SetSilent(1);
    manager.Release();
    ASSERT_TRUE(WaitFor([&] { return manager.Served().size() >= 3; }));
    EXPECT_EQ(manager.Served(), (std::vector<int>{CreateWindowRequest, NavigateRequest, SilentRequest}));
    // Created on the browser thread, with the browser window's own style.
    ASSERT_NE(html.hwnd, nullptr);
    EXPECT_EQ(GetWindowThreadProcessId(html.hwnd, nullptr), threadId);
    EXPECT_EQ(GetParent(html.hwnd), parent.hwnd);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(html.hwnd, GWL_STYLE)) & (WS_CHILD | WS_VISIBLE),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    EXPECT_TRUE(WaitFor([&] { return SiteReceived("GET " + path); })) << "the site never saw " << path;
}

TEST_F(HtmlThread, EarlyRefreshIsDroppedAndEarlyNavigateWaitsBehindLaterRequests)
{
    const std::string path = "/lander/qmvt?early=" + std::to_string(GetTickCount());
    manager.Hold();
    html.Navigate(SiteUrl(path).c_str(), 2);  // before any window exists
    html.Refresh();
    html.Create(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 0, 0, 640, 400, parent.hwnd);
    manager.Release();
    ASSERT_TRUE(WaitFor([&] { return manager.Served().size() >= 4; }));
    EXPECT_EQ(manager.Served(), (std::vector<int>{NavigateRequest, RefreshRequest,
                                                 CreateWindowRequest, NavigateRequest}));
    EXPECT_TRUE(WaitFor([&] { return SiteReceived("GET " + path); }));
    PumpFor(200);
    EXPECT_EQ(manager.Served().size(), 4u) << "the refresh must not come back";
}

TEST_F(HtmlThread, CreateForAnExistingWindowChangesNothing)
{
    CreateBrowserWindow();
    const HWND first = html.hwnd;
    html.Create(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 5, 5, 100, 100, parent.hwnd);
    ASSERT_TRUE(WaitFor([&] { return manager.Served().size() >= 2; }));
    EXPECT_EQ(html.hwnd, first);
    RECT r;
    GetWindowRect(first, &r);
    EXPECT_EQ(r.right - r.left, 640);
    EXPECT_EQ(manager.windows.size(), 1u);
}

TEST_F(HtmlThread, NavigateKeepsLongAddressesWhole)
{
    CreateBrowserWindow();
    // Longer than any fixed buffer the address could have been cut to.
    const std::string path = "/lander/qmvt?long=" + std::string(3000, 'x') + "&end=1";
    html.Navigate(SiteUrl(path).c_str(), 2);
    EXPECT_TRUE(WaitFor([&] { return SiteReceived("GET " + path); }));
}

TEST_F(HtmlThread, EscAndF10ReachTheParentOnlyInTheGameView)
{
    CreateBrowserWindow();
    PostMessageW(html.hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(html.hwnd, WM_SYSKEYDOWN, VK_F10, 0);
    PumpFor(300);
    EXPECT_TRUE(parent.commands.empty());

    html.inGame = true;
    PostMessageW(html.hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(html.hwnd, WM_SYSKEYDOWN, VK_F10, 0);
    PostMessageW(html.hwnd, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(WaitFor([&] { return parent.commands.size() >= 2; }));
    PumpFor(100);
    EXPECT_EQ(parent.commands, (std::vector<int>{LeaveFullScreenCommand, ToggleFullScreenCommand}));
}

TEST_F(HtmlThread, ShutdownClosesTheControlOnItsThreadAndJoins)
{
    CreateBrowserWindow();
    const HWND window = html.hwnd;
    PostThreadMessageW(threadId, WM_QUIT, 0, 0);
    ASSERT_TRUE(Joined());
    // The browser thread destroyed its window and released the control.
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(html.hwnd, nullptr);
    EXPECT_FALSE(html.browser.webBrowser);
    EXPECT_FALSE(html.browser.oleObject);
    EXPECT_TRUE(manager.windows.empty());
}

TEST_F(HtmlThread, ARequestThatCanNeverBeServedIsDroppedAfterABound)
{
    // No window is ever created for this target, so no control either.
    html.Navigate(SiteUrl("/lander/qmvt?never").c_str(), 2);
    ASSERT_TRUE(WaitFor([&] {
        return manager.Served().size() >= static_cast<size_t>(CHtmlAppManager::MaxRequeues) + 1;
    }));
    PumpFor(300);
    EXPECT_EQ(manager.Served().size(), static_cast<size_t>(CHtmlAppManager::MaxRequeues) + 1);
    EXPECT_EQ(manager.PendingRequests(), 0u);
}
