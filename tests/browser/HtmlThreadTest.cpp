// ctest: browser-double
#include "HtmlThreadFixture.h"

namespace {

class HtmlThread : public HtmlThreadFixture {};

} // namespace

TEST_F(HtmlThread, CreateNavigateAndSilentAreServedInOrder)
{
    const std::string path = "/lander/qmvt?order=" + std::to_string(GetTickCount());
    manager.Hold();
    proxy.Create(0, 0, 640, 400, parent.hwnd);
    proxy.Navigate(SiteUrl(path).c_str(), 2);
    proxy.SetSilent(1);
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
    proxy.Navigate(SiteUrl(path).c_str(), 2);  // before any window exists
    proxy.Refresh();
    proxy.Create(0, 0, 640, 400, parent.hwnd);
    manager.Release();
    ASSERT_TRUE(WaitFor([&] { return manager.Served().size() >= 4; }));
    EXPECT_EQ(manager.Served(), (std::vector<int>{NavigateRequest, RefreshRequest,
                                                 CreateWindowRequest, NavigateRequest}));
    EXPECT_TRUE(WaitFor([&] { return SiteReceived("GET " + path); }));
    manager.Settle();
    EXPECT_EQ(manager.Served().size(), 4u) << "the refresh must not come back";
}

TEST_F(HtmlThread, RequestsQueuedDuringAForeignModalLoopAreAllServed)
{
    // As a page's alert() or context menu: a loop that dispatches but does
    // not pre-translate, and drops thread messages.
    manager.RunForeignLoop();
    proxy.Create(0, 0, 640, 400, parent.hwnd);
    proxy.EnterGameView();
    proxy.Refresh();
    manager.EndForeignLoop();
    ASSERT_TRUE(WaitFor([&] { return manager.Served().size() >= 3; }));
    EXPECT_EQ(manager.Served(), (std::vector<int>{CreateWindowRequest, GameViewRequest, RefreshRequest}));
    EXPECT_TRUE(WaitFor([&] { return html.browser.HostWindow() != nullptr; }));
    manager.Settle();
    EXPECT_TRUE(html.inGame);
}

TEST_F(HtmlThread, CreateForAnExistingWindowChangesNothing)
{
    CreateBrowserWindow();
    const HWND first = html.hwnd;
    proxy.Create(5, 5, 100, 100, parent.hwnd);
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
    proxy.Navigate(SiteUrl(path).c_str(), 2);
    EXPECT_TRUE(WaitFor([&] { return SiteReceived("GET " + path); }));
}

TEST_F(HtmlThread, EscAndF10ReachTheParentOnlyInTheGameView)
{
    CreateBrowserWindow();
    PostMessageW(html.hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(html.hwnd, WM_SYSKEYDOWN, VK_F10, 0);
    // The keys are handled, and what they posted here dispatched.
    manager.Settle();
    PumpPending();
    EXPECT_TRUE(parent.commands.empty());

    proxy.EnterGameView();
    manager.Settle();
    PostMessageW(html.hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(html.hwnd, WM_SYSKEYDOWN, VK_F10, 0);
    PostMessageW(html.hwnd, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(WaitFor([&] { return parent.commands.size() >= 2; }));
    manager.Settle();
    PumpPending();
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
    EXPECT_FALSE(html.browser.Control().Browser());
    EXPECT_FALSE(html.browser.Control().Object());
    EXPECT_TRUE(manager.windows.empty());
}

TEST_F(HtmlThread, ARequestThatCanNeverBeServedIsDroppedAfterABound)
{
    // No window is ever created for this target, so no control either.
    proxy.Navigate(SiteUrl("/lander/qmvt?never").c_str(), 2);
    ASSERT_TRUE(WaitFor([&] {
        return manager.Served().size() >= static_cast<size_t>(CHtmlAppManager::MaxRequeues) + 1;
    }));
    manager.Settle();
    EXPECT_EQ(manager.Served().size(), static_cast<size_t>(CHtmlAppManager::MaxRequeues) + 1);
    EXPECT_EQ(manager.PendingRequests(), 0u);
}

TEST(HtmlThreadStart, RequestsQueuedBeforeTheLoopStartsAreServedWhenItStarts)
{
    ASSERT_EQ(OleInitialize(nullptr), S_OK);
    RecordingHtmlManager early;
    g_htmlManager = &early;
    HtmlRequest refresh;
    refresh.command = RefreshRequest;
    early.PostRequest(refresh);
    refresh.command = SilentRequest;
    early.PostRequest(refresh);
    DWORD id = 0;
    ScopedHandle thread(CreateThread(nullptr, 0, &BrowserThread, &early, 0, &id));
    ASSERT_TRUE(thread);
    EXPECT_TRUE(PumpUntil([&] { return early.Served().size() >= 2; }, 10000));
    EXPECT_EQ(early.Served(), (std::vector<int>{RefreshRequest, SilentRequest}));
    PostThreadMessageW(id, WM_QUIT, 0, 0);
    EXPECT_EQ(WaitForSingleObject(thread.get(), 10000), WAIT_OBJECT_0);
    g_htmlManager = nullptr;
    OleUninitialize();
}

TEST(HtmlThreadStart, AThreadThatEndsBeforeItIsReadyIsNotWaitedFor)
{
    CHtmlAppManager waiting;
    // As a browser thread whose OLE would not start: it ends at once.
    HANDLE ended = CreateThread(nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr);
    ASSERT_NE(ended, nullptr);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(waiting.WaitUntilReady(ended, 30000));
    EXPECT_LT(GetTickCount() - start, 20000u) << "waited for the time-out, not for the thread";
    CloseHandle(ended);
}
