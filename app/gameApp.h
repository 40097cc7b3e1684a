#pragma once

#include "app/CAppManager.h"
#include "windows/GameConfig.h"
#include "windows/SiteRoots.h"

class CFrameGame;

// The main thread's manager: configuration, start address, browser thread
// and the game window's run.
class gameApp : public CAppManager {
public:
    gameApp();
    ~gameApp() override;
    bool InitInstance() override;
    int PreTranslateMessage(MSG* msg) override;

    // Start-up steps that depend only on the executable's path: exeDir,
    // userName, Config.ini and startUrl.
    void LoadConfiguration(const wchar_t* modulePath);
    // What the client windows get of it.
    GameConfig WindowConfig() const;

    static constexpr DWORD BrowserStartTimeoutMs = 5000;
    static constexpr DWORD BrowserStopTimeoutMs = 5000;

    wchar_t exeDir[260];
    wchar_t startUrl[512];
    wchar_t userName[64];
    CFrameGame* gameWindow = nullptr;
    // Site roots after Config.ini's "Sites" overrides.
    SiteRoots sites;
    // The boss key Config.ini asks for ("fsModifiers", "vkCode"; 0 = none).
    int bossKeyModifiers = 0;
    int bossKeyVirtualKey = 0;

private:
    // Ends the browser thread's loop and waits for it (bounded). False when
    // it did not end in time.
    static bool StopBrowserThread(HANDLE thread, DWORD threadIdentifier);
};

// Landing-page path appended to the platform root.
constexpr const wchar_t* LandingPath = L"/lander/qmvt";

// Directory part of a module path: everything before the last backslash,
// or the whole path when it has none.
void ExeDirFromModulePath(const wchar_t* modulePath, wchar_t (&exeDir)[260]);

extern gameApp* g_app;
