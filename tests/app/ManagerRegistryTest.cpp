#include "app/CAppManager.h"
#include "ui/CWindowCtrl.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// Registers on the calling thread for the duration of a scope.
struct ScopedRegistration {
    explicit ScopedRegistration(CAppManager& m) : ok(RegisterManager(&m)), manager(m) {}
    ~ScopedRegistration()
    {
        if (ok)
            UnregisterManager(manager.threadId);
    }
    bool ok;
    CAppManager& manager;
};

class CountingManager : public CAppManager {
public:
    bool InitInstance() override
    {
        ++initCalls;
        return initResult;
    }
    int initCalls = 0;
    bool initResult = true;
};

} // namespace

TEST(ManagerRegistry, SecondManagerOnOneThreadIsRefusedAndFirstKept)
{
    CAppManager first;
    CAppManager second;
    ScopedRegistration reg(first);
    ASSERT_TRUE(reg.ok);
    EXPECT_EQ(first.threadId, GetCurrentThreadId());

    EXPECT_FALSE(RegisterManager(&second));
    EXPECT_EQ(second.threadId, 0u);
    EXPECT_EQ(FindManager(GetCurrentThreadId()), &first);
    EXPECT_EQ(SingleManager(), &first);

    // Execute on a thread that already has a manager does nothing at all.
    CountingManager third;
    third.Execute();
    EXPECT_EQ(third.initCalls, 0);
    EXPECT_EQ(third.gdiplusToken, 0u);
    EXPECT_EQ(FindManager(GetCurrentThreadId()), &first);
}

TEST(ManagerRegistry, ShortcutNamesOnlyTheSoleManagerAcrossRealThreads)
{
    CAppManager mainManager;
    CAppManager otherManager;
    ScopedRegistration reg(mainManager);
    ASSERT_TRUE(reg.ok);
    EXPECT_EQ(SingleManager(), &mainManager);

    DWORD otherId = 0;
    HANDLE registered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread other([&] {
        otherId = GetCurrentThreadId();
        RegisterManager(&otherManager);
        SetEvent(registered);
        WaitForSingleObject(release, 10000);
        UnregisterManager(GetCurrentThreadId());
    });
    ASSERT_EQ(WaitForSingleObject(registered, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(SingleManager(), nullptr);
    EXPECT_EQ(FindManager(otherId), &otherManager);
    EXPECT_EQ(FindManager(GetCurrentThreadId()), &mainManager);
    EXPECT_EQ(otherManager.threadId, otherId);

    SetEvent(release);
    other.join();
    // One manager left, but the shortcut stays null until the registry empties.
    EXPECT_EQ(FindManager(otherId), nullptr);
    EXPECT_EQ(SingleManager(), nullptr);
    EXPECT_EQ(FindManager(GetCurrentThreadId()), &mainManager);

    // An id with no manager removes nothing.
    UnregisterManager(otherId);
    EXPECT_EQ(FindManager(GetCurrentThreadId()), &mainManager);
    EXPECT_EQ(SingleManager(), nullptr);

    UnregisterManager(GetCurrentThreadId());
    reg.ok = false;
    EXPECT_EQ(FindManager(GetCurrentThreadId()), nullptr);
    EXPECT_EQ(SingleManager(), nullptr);

    // Empty again: the next registration is the sole manager.
    CAppManager again;
    ScopedRegistration reg2(again);
    EXPECT_EQ(SingleManager(), &again);
    CloseHandle(registered);
    CloseHandle(release);
}

TEST(ManagerRegistry, UnknownThreadIdKeepsTheShortcut)
{
    CAppManager m;
    ScopedRegistration reg(m);
    UnregisterManager(GetCurrentThreadId() + 1000003);
    EXPECT_EQ(SingleManager(), &m);
    EXPECT_EQ(FindManager(GetCurrentThreadId()), &m);
}

namespace {

// Re-enters Run from inside its own loop, then ends the loop.
class ReentrantManager : public CAppManager {
public:
    int PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_APP + 1) {
            nestedResult = Run() ? 1 : 0;
            sawRunning = running;
            PostQuitMessage(0);
            return 1;
        }
        return 0;
    }
    int nestedResult = -1;
    bool sawRunning = false;
};

} // namespace

TEST(ManagerLoop, RunIsRefusedWhenReenteredAndFromAForeignThread)
{
    ReentrantManager m;
    ScopedRegistration reg(m);
    ASSERT_TRUE(reg.ok);

    bool foreignResult = true;
    std::thread foreign([&] { foreignResult = m.Run(); });
    foreign.join();
    EXPECT_FALSE(foreignResult);
    EXPECT_FALSE(m.running);

    PostThreadMessageW(GetCurrentThreadId(), WM_APP + 1, 0, 0);
    EXPECT_TRUE(m.Run());
    EXPECT_EQ(m.nestedResult, 0);
    EXPECT_TRUE(m.sawRunning);
    EXPECT_FALSE(m.running);
}

namespace {

class WindowedManager : public CAppManager {
public:
    bool InitInstance() override
    {
        ++initCalls;
        registeredDuringInit = FindManager(GetCurrentThreadId()) == this;
        instanceDuringInit = g_instance;
        if (!createWindow)
            return true;
        window.Create(0, L"ManagerLoopTestWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr);
        PostMessageW(window.hwnd, WM_APP + 2, 0, 0);
        return true;
    }
    int PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_APP + 2) {
            ++loopMessages;
            DestroyWindow(window.hwnd);
            PostQuitMessage(0);
        }
        return 0;
    }
    bool createWindow = true;
    int initCalls = 0;
    int loopMessages = 0;
    bool registeredDuringInit = false;
    HINSTANCE instanceDuringInit = nullptr;
    CWindowCtrl window;
};

} // namespace

TEST(ManagerLoop, ExecuteRunsTheLoopOnlyWhenWindowsExistAndUnregistersAfter)
{
    std::thread worker([] {
        WindowedManager withWindow;
        withWindow.Execute();
        EXPECT_EQ(withWindow.initCalls, 1);
        EXPECT_TRUE(withWindow.registeredDuringInit);
        EXPECT_EQ(withWindow.instanceDuringInit, GetModuleHandleW(nullptr));
        EXPECT_EQ(withWindow.loopMessages, 1);
        EXPECT_EQ(FindManager(GetCurrentThreadId()), nullptr);

        // No window: InitInstance runs but no loop does, so a posted message
        // stays in the queue.
        WindowedManager bare;
        bare.createWindow = false;
        PostThreadMessageW(GetCurrentThreadId(), WM_APP + 2, 0, 0);
        bare.Execute();
        EXPECT_EQ(bare.initCalls, 1);
        EXPECT_EQ(bare.loopMessages, 0);
        MSG msg;
        EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_APP + 2, WM_APP + 2, PM_REMOVE));
        EXPECT_EQ(FindManager(GetCurrentThreadId()), nullptr);
    });
    worker.join();
}
