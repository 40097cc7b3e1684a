#pragma once

// A running browser thread with its manager and a browser window object,
// plus a parent window on the test's own thread, as in the client.

#include "browser/BrowserThread.h"
#include "base/AppMessages.h"
#include "base/ScopedHandles.h"
#include "browser/CHtmlAppManager.h"
#include "browser/CMyHtml.h"
#include "browser/HtmlWindowProxy.h"

#include "TestApp.h"
#include "ui/CWindowCtrl.h"

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>


// Records the order in which the browser thread serves requests, and can
// be held still so that several requests are queued before any is served.
class RecordingHtmlManager : public CHtmlAppManager {
public:
    static constexpr UINT HoldMessage = WM_APP + 50;
    static constexpr UINT ForeignLoopMessage = WM_APP + 51;
    static constexpr UINT EndForeignLoopMessage = WM_APP + 52;

    int PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == ForeignLoopMessage && !msg->hwnd) {
            SetEvent(inForeignLoop.get());
            MSG inner;
            while (GetMessageW(&inner, nullptr, 0, 0) > 0 && inner.message != EndForeignLoopMessage) {
                TranslateMessage(&inner);
                DispatchMessageW(&inner);
            }
            return 1;
        }
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
    // Puts the browser thread into a loop of someone else's (it dispatches,
    // never pre-translates, and drops thread messages) until
    // EndForeignLoop; returns once it runs.
    void RunForeignLoop()
    {
        PostThreadMessageW(threadId, ForeignLoopMessage, 0, 0);
        WaitForSingleObject(inForeignLoop.get(), 10000);
    }
    void EndForeignLoop() { PostThreadMessageW(threadId, EndForeignLoopMessage, 0, 0); }
    // Returns once the browser thread has handled everything posted to it
    // before (requests put back by it included: they are posted at once).
    // This thread's windows are answered meanwhile: the browser thread may
    // send to them.
    void Settle()
    {
        ResetEvent(release.get());
        PostThreadMessageW(threadId, HoldMessage, 0, 0);
        PumpUntil([this] { return WaitForSingleObject(held.get(), 0) == WAIT_OBJECT_0; }, 10000);
        Release();
    }

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
    ScopedHandle inForeignLoop{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    ScopedHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

inline std::string EnvFile(const char* name)
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

inline std::string ReadFile(const std::string& path)
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
class HtmlThreadFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(app.ok());
        ASSERT_EQ(OleInitialize(nullptr), S_OK);
        g_htmlManager = &manager;
        thread = CreateThread(nullptr, 0, &BrowserThread, &manager, 0, &threadId);
        ASSERT_NE(thread, nullptr);
        ASSERT_TRUE(manager.WaitUntilReady(thread, 5000));
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
        proxy.Create(0, 0, 640, 400, parent.hwnd);
        ASSERT_TRUE(WaitFor([&] { return html.hwnd && html.browser.HostWindow(); }));
    }

    TestApp app;
    RecordingHtmlManager manager;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    ParentWindow parent;
    CMyHtml html;
    // How this thread reaches it.
    HtmlWindowProxy proxy{html};
    std::string port;
};

