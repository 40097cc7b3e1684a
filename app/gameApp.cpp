#include "app/gameApp.h"

#include <strsafe.h>

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

    sites = LoadSiteRoots(haveConfig ? configPath : nullptr);
    // Roots are bounded so that this always fits.
    StringCchPrintfW(startUrl, 512, L"%s%s%s", sites.platform.c_str(), LandingPath, param);
}

bool gameApp::InitInstance()
{
    wchar_t modulePath[260] = {};
    const DWORD length = GetModuleFileNameW(GetModuleHandleW(nullptr), modulePath, 260);
    LoadConfiguration(length > 0 && length < 260 ? modulePath : nullptr);
    // The browser thread and the game window are started here once they exist.
    return false;
}

int gameApp::PreTranslateMessage(MSG*)
{
    return 0;
}
