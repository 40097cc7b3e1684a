#include "ui/CWindowThread.h"
#include "ui/CWindowCtrl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

struct Seen {
    HWND hwnd;
    UINT message;
};

class RecordingManager : public CWindowThread {
public:
    LRESULT FallbackHandler(HWND hwnd, UINT message, WPARAM, LPARAM) override
    {
        fallback.push_back({hwnd, message});
        return 12345;  // must be ignored
    }
    int PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_APP + 7)
            offers.push_back(L"manager");
        return 0;
    }
    std::vector<Seen> fallback;
    std::vector<std::wstring> offers;
};

class WindowBase : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_instance = GetModuleHandleW(nullptr);
        ASSERT_TRUE(RegisterManager(&manager));
    }
    void TearDown() override { UnregisterManager(GetCurrentThreadId()); }

    static int CountClass(const wchar_t* name)
    {
        const auto names = CWindowCtrl::RegisteredClassNames();
        return static_cast<int>(std::count(names.begin(), names.end(), std::wstring(name)));
    }

    RecordingManager manager;
};

class ProbeWindow : public CWindowCtrl {
public:
    explicit ProbeWindow(std::wstring name = L"probe", RecordingManager* log = nullptr)
        : label(std::move(name)), offers(log)
    {
    }
    LRESULT HandleMessage(UINT message, WPARAM, LPARAM) override
    {
        handled.push_back(message);
        return message == WM_APP + 9 ? 77 : 0;
    }
    int PreTranslateMessage(MSG* msg) override
    {
        if (msg->message != WM_APP + 7)
            return 0;
        if (offers)
            offers->offers.push_back(label);
        return consume ? 1 : 0;
    }
    void OnCreate(CREATESTRUCTW*) override { ++creates; }
    void OnMove(int x, int y) override { moved = {x, y}; }
    void OnSize(UINT, int width, int height) override { sized = {width, height}; }
    void OnTimer(UINT_PTR id) override { timers.push_back(id); }

    std::wstring label;
    RecordingManager* offers;
    bool consume = false;
    int creates = 0;
    std::pair<int, int> moved{0, 0};
    std::pair<int, int> sized{0, 0};
    std::vector<UINT> handled;
    std::vector<UINT_PTR> timers;
};

} // namespace

TEST_F(WindowBase, ClassIsRegisteredOnceForTwoWindows)
{
    ProbeWindow a;
    ProbeWindow b;
    ASSERT_NE(a.Create(0, L"WindowBaseTwice", L"a", WS_POPUP, 0, 0, 10, 10, nullptr), nullptr);
    ASSERT_NE(b.Create(0, L"WindowBaseTwice", L"b", WS_POPUP, 0, 0, 10, 10, nullptr), nullptr);
    EXPECT_EQ(CountClass(L"WindowBaseTwice"), 1);
    wchar_t cls[64];
    GetClassNameW(b.hwnd, cls, 64);
    EXPECT_STREQ(cls, L"WindowBaseTwice");
    EXPECT_EQ(manager.windows.size(), 2u);
    DestroyWindow(a.hwnd);
    DestroyWindow(b.hwnd);
    EXPECT_TRUE(manager.windows.empty());
}

TEST_F(WindowBase, ClassRegisteredElsewhereCountsAsSuccess)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = g_instance;
    wc.lpszClassName = L"WindowBaseForeign";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    EXPECT_EQ(CountClass(L"WindowBaseForeign"), 0);
    EXPECT_TRUE(CWindowCtrl::RegisterWindowClass(L"WindowBaseForeign"));
    EXPECT_EQ(CountClass(L"WindowBaseForeign"), 1);
    EXPECT_TRUE(CWindowCtrl::RegisterWindowClass(L"WindowBaseForeign"));
    EXPECT_EQ(CountClass(L"WindowBaseForeign"), 1);
}

TEST_F(WindowBase, CreateOnALiveWindowChangesNothing)
{
    ProbeWindow w;
    const HWND first = w.Create(0, L"WindowBaseLive", L"", WS_POPUP, 0, 0, 10, 10, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(w.Create(0, L"WindowBaseOther", L"", WS_POPUP, 5, 5, 20, 20, nullptr), first);
    EXPECT_STREQ(w.className, L"WindowBaseLive");
    EXPECT_EQ(CountClass(L"WindowBaseOther"), 0);
    EXPECT_EQ(w.creates, 1);

    // Once the window is gone the object may create a new one.
    DestroyWindow(first);
    EXPECT_EQ(w.hwnd, nullptr);
    RECT rect = {1, 2, 31, 42};
    const HWND second = w.Create(0, nullptr, L"", WS_POPUP, rect, nullptr);
    ASSERT_NE(second, nullptr);
    RECT actual;
    GetWindowRect(second, &actual);
    EXPECT_EQ(actual.left, 1);
    EXPECT_EQ(actual.bottom, 42);
    EXPECT_EQ(w.creates, 2);
    DestroyWindow(second);
}

TEST_F(WindowBase, NoManagerNoWindowAndNoRegistration)
{
    HWND created = reinterpret_cast<HWND>(1);
    int modal = -1;
    std::thread bare([&] {
        ProbeWindow w;
        created = w.Create(0, L"WindowBaseNoManager", L"", WS_POPUP, 0, 0, 10, 10, nullptr);
        modal = w.DoModal(L"NoTemplate", nullptr);
    });
    bare.join();
    EXPECT_EQ(created, nullptr);
    EXPECT_EQ(modal, 0);
    EXPECT_EQ(CountClass(L"WindowBaseNoManager"), 0);
}

TEST_F(WindowBase, ClassNamesOfMoreThan63CharactersAreIgnored)
{
    ProbeWindow w;
    w.SetWindowClassName(std::wstring(63, L'k').c_str());
    EXPECT_EQ(std::wstring(w.className), std::wstring(63, L'k'));
    w.SetWindowClassName(std::wstring(64, L'z').c_str());
    EXPECT_EQ(std::wstring(w.className), std::wstring(63, L'k'));
    w.SetWindowClassName(nullptr);
    EXPECT_EQ(std::wstring(w.className), std::wstring(63, L'k'));
    EXPECT_STREQ(ProbeWindow().className, L"ImageWnd");
}

TEST_F(WindowBase, HitTestAndTimerAnswerWithoutDefaultProcessing)
{
    ProbeWindow w;
    ASSERT_NE(w.Create(0, L"WindowBaseHit", L"", WS_POPUP, 100, 100, 50, 50, nullptr), nullptr);
    // Far outside the window default processing would say HTNOWHERE (0).
    EXPECT_EQ(SendMessageW(w.hwnd, WM_NCHITTEST, 0, MAKELPARAM(5, 5)), HTCLIENT);
    // Default processing of a timer message answers 0.
    EXPECT_EQ(SendMessageW(w.hwnd, WM_TIMER, 42, 0), 1);
    ASSERT_EQ(w.timers.size(), 1u);
    EXPECT_EQ(w.timers[0], 42u);
    // A nonzero HandleMessage answer wins over the table.
    EXPECT_EQ(SendMessageW(w.hwnd, WM_APP + 9, 0, 0), 77);
    DestroyWindow(w.hwnd);
}

TEST_F(WindowBase, MoveAndSizeCarrySignedCoordinates)
{
    ProbeWindow w;
    ASSERT_NE(w.Create(0, L"WindowBaseMove", L"", WS_POPUP, 0, 0, 50, 50, nullptr), nullptr);
    SetWindowPos(w.hwnd, nullptr, -300, -20, 70, 40, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(w.moved, std::make_pair(-300, -20));
    EXPECT_EQ(w.sized, std::make_pair(70, 40));
    DestroyWindow(w.hwnd);
}

TEST_F(WindowBase, MessagesBeforeNcCreateGoToTheFallbackHandler)
{
    ProbeWindow w;
    const HWND h = w.Create(0, L"WindowBaseEarly", L"early", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200,
                            nullptr);
    ASSERT_NE(h, nullptr);
    ASSERT_FALSE(w.handled.empty());
    EXPECT_EQ(w.handled.front(), static_cast<UINT>(WM_NCCREATE));
    const bool minMaxEarly = std::any_of(manager.fallback.begin(), manager.fallback.end(),
                                         [h](const Seen& s) {
                                             return s.hwnd == h && s.message == WM_GETMINMAXINFO;
                                         });
    EXPECT_TRUE(minMaxEarly);
    // Nothing of a linked window reaches the fallback after linking.
    const size_t before = manager.fallback.size();
    SendMessageW(h, WM_APP + 3, 0, 0);
    EXPECT_EQ(manager.fallback.size(), before);
    DestroyWindow(h);
}

TEST_F(WindowBase, WindowWithoutObjectIsServedByFallbackAndDefault)
{
    ASSERT_TRUE(CWindowCtrl::RegisterWindowClass(L"WindowBaseOrphan"));
    const HWND h = CreateWindowExW(0, L"WindowBaseOrphan", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                   nullptr, g_instance, nullptr);
    ASSERT_NE(h, nullptr);
    manager.fallback.clear();
    // The fallback's own answer is ignored: default processing decides.
    EXPECT_EQ(SendMessageW(h, WM_APP + 4, 0, 0), 0);
    ASSERT_EQ(manager.fallback.size(), 1u);
    EXPECT_EQ(manager.fallback[0].message, static_cast<UINT>(WM_APP + 4));
    EXPECT_TRUE(manager.windows.empty());
    DestroyWindow(h);
}

TEST_F(WindowBase, WalkOffersAChildsMessageToLinkedAncestorsInnermostFirst)
{
    ProbeWindow top(L"top", &manager);
    ProbeWindow middle(L"middle", &manager);
    ASSERT_NE(top.Create(0, L"WindowBaseWalk", L"", WS_POPUP, 0, 0, 100, 100, nullptr), nullptr);
    ASSERT_NE(middle.Create(0, L"WindowBaseWalk", L"", WS_CHILD, 0, 0, 50, 50, top.hwnd),
              nullptr);
    // The innermost window has no object of its own.
    const HWND leaf = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, middle.hwnd,
                                      nullptr, g_instance, nullptr);
    ASSERT_NE(leaf, nullptr);

    MSG msg = {leaf, WM_APP + 7, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(CWindowCtrl::PreTranslate(manager, msg));
    EXPECT_EQ(manager.offers, (std::vector<std::wstring>{L"middle", L"top", L"manager"}));

    manager.offers.clear();
    middle.consume = true;
    EXPECT_TRUE(CWindowCtrl::PreTranslate(manager, msg));
    EXPECT_EQ(manager.offers, (std::vector<std::wstring>{L"middle"}));

    // A consumed message is not dispatched.
    middle.handled.clear();
    MSG toMiddle = {middle.hwnd, WM_APP + 7, 0, 0, 0, {0, 0}};
    CWindowCtrl::OfferMessage(manager, toMiddle);
    EXPECT_TRUE(middle.handled.empty());
    middle.consume = false;
    CWindowCtrl::OfferMessage(manager, toMiddle);
    EXPECT_EQ(middle.handled, (std::vector<UINT>{WM_APP + 7}));
    DestroyWindow(top.hwnd);
}

TEST_F(WindowBase, DestructorPostsCloseOnlyToALiveWindow)
{
    HWND survivor = nullptr;
    {
        ProbeWindow w;
        survivor = w.Create(0, L"WindowBaseDtor", L"", WS_POPUP, 0, 0, 10, 10, nullptr);
        ASSERT_NE(survivor, nullptr);
    }
    // Unlinked at once, closed later through the posted WM_CLOSE.
    EXPECT_TRUE(manager.windows.empty());
    EXPECT_TRUE(IsWindow(survivor));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, survivor, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    DispatchMessageW(&msg);
    EXPECT_FALSE(IsWindow(survivor));

    HWND gone = nullptr;
    {
        ProbeWindow w;
        gone = w.Create(0, L"WindowBaseDtor", L"", WS_POPUP, 0, 0, 10, 10, nullptr);
        ASSERT_NE(gone, nullptr);
        DestroyWindow(gone);
        EXPECT_EQ(w.hwnd, nullptr);
        // It still received the last message after being unlinked.
        EXPECT_EQ(w.handled.back(), static_cast<UINT>(WM_NCDESTROY));
    }
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}
