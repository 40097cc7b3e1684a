#include "app/gameApp.h"

#include "base/AppMessages.h"
#include "base/ScopedHandles.h"
#include "browser/BrowserThread.h"
#include "browser/CHtmlAppManager.h"
#include "windows/CFrameGame.h"

#include <strsafe.h>

#include <memory>

#include <cwchar>

gameApp* g_app = nullptr;

void ExeDirFromModulePath(const wchar_t* modulePath, wchar_t (&exeDir)[260])
{
    exeDir[0] = L'\0';
    if (!modulePath)
        return;
    if (FAILED(StringCchCopyW(exeDir, 260, modulePath))) {
        // A cut path names another directory; better none at all.
        exeDir[0] = L'\0';
        return;
    }
    if (wchar_t* slash = wcsrchr(exeDir, L'\\'))
        *slash = L'\0';
}

namespace {

int ReadConfigInteger(const wchar_t* configPath, const wchar_t* key)
{
    wchar_t value[64] = {};
    GetPrivateProfileStringW(L"Common", key, L"", value, 64, configPath);
    return static_cast<int>(std::wcstol(value, nullptr, 10));
}

// Waits for `handle` while still answering messages sent to this thread's
// windows: the browser thread's teardown may talk to them.
bool WaitPumping(HANDLE handle, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        const DWORD result =
            MsgWaitForMultipleObjects(1, &handle, FALSE, timeoutMs - elapsed, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result != WAIT_OBJECT_0 + 1)
            return false;
        // Only sent messages: posted ones belong to loops that have ended.
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace

gameApp::gameApp()
{
    exeDir[0] = L'\0';
    startUrl[0] = L'\0';
    userName[0] = L'\0';
}

gameApp::~gameApp() = default;

void gameApp::LoadConfiguration(const wchar_t* modulePath)
{
    startUrl[0] = L'\0';
    ExeDirFromModulePath(modulePath, exeDir);
    userName[0] = L'\0';

    wchar_t configPath[260] = {};
    const bool haveConfig =
        exeDir[0] && SUCCEEDED(StringCchPrintfW(configPath, 260, L"%s\\%s", exeDir, L"Config.ini"));

    wchar_t param[260] = {};
    if (haveConfig)
        GetPrivateProfileStringW(L"Common", L"Param", nullptr, param, 260, configPath);
    bossKeyModifiers = haveConfig ? ReadConfigInteger(configPath, L"fsModifiers") : 0;
    bossKeyVirtualKey = haveConfig ? ReadConfigInteger(configPath, L"vkCode") : 0;

    sites = LoadSiteRoots(haveConfig ? configPath : nullptr);
    // Roots are bounded so that this always fits.
    StringCchPrintfW(startUrl, 512, L"%s%s%s", sites.platform.c_str(), LandingPath, param);
}

GameConfig gameApp::WindowConfig() const
{
    GameConfig config;
    config.startUrl = startUrl;
    config.sites = sites;
    config.userName = userName;
    config.bossKeyModifiers = bossKeyModifiers;
    config.bossKeyVirtualKey = bossKeyVirtualKey;
    return config;
}

bool gameApp::InitInstance()
{
    wchar_t modulePath[260] = {};
    const DWORD length = GetModuleFileNameW(GetModuleHandleW(nullptr), modulePath, 260);
    LoadConfiguration(length > 0 && length < 260 ? modulePath : nullptr);

    auto htmlManager = std::make_unique<CHtmlAppManager>();
    g_htmlManager = htmlManager.get();
    DWORD browserThreadId = 0;
    ScopedHandle browserThread(
        CreateThread(nullptr, 0, &BrowserThread, htmlManager.get(), 0, &browserThreadId));
    // Requests posted before the thread has a queue would be lost.
    if (browserThread)
        htmlManager->WaitUntilReady(browserThread.get(), BrowserStartTimeoutMs);

    auto game = std::make_unique<CFrameGame>();
    game->Configure(WindowConfig());
    gameWindow = game.get();
    game->RunGameWindow();
    // Whatever ended the loop, nothing of the client stays on screen.
    game->Close();

    // The browser thread uses the game window's browser object until it
    // ends. One that does not end may still use them, the manager registry
    // and the class list: static destruction must not free them under it.
    if (browserThread && !StopBrowserThread(browserThread.get(), browserThreadId)) {
        OutputDebugStringW(L"browser thread did not stop in time");
        TerminateProcess(GetCurrentProcess(), 0);
    }
    // Its child window is gone with that thread: destroying the game window
    // now waits for nobody.
    game->Destroy();
    // The game window (and its browser object) first, then the manager its
    // windows were registered with.
    gameWindow = nullptr;
    game.reset();
    g_htmlManager = nullptr;
    htmlManager.reset();
    return false;
}

bool gameApp::StopBrowserThread(HANDLE thread, DWORD threadIdentifier)
{
    // The one place the browser thread is told to end: it destroys its
    // window and leaves its loop. WM_QUIT as well, for a thread whose
    // wake-up window could not be made.
    HtmlRequest shutdown;
    shutdown.command = ShutdownRequest;
    if (g_htmlManager)
        g_htmlManager->PostRequest(shutdown);
    PostThreadMessageW(threadIdentifier, WM_QUIT, 0, 0);
    return WaitPumping(thread, BrowserStopTimeoutMs);
}

int gameApp::PreTranslateMessage(MSG* msg)
{
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return 0;
    if (!gameWindow || !gameWindow->inGameView() || !gameWindow->hwnd)
        return 0;
    if (msg->wParam == VK_ESCAPE)
        PostMessageW(gameWindow->hwnd, FrameCommandMessage, LeaveFullScreenCommand, 0);
    else if (msg->wParam == VK_F10)
        PostMessageW(gameWindow->hwnd, FrameCommandMessage, ToggleFullScreenCommand, 0);
    // The key still goes on to the focused window.
    return 0;
}
