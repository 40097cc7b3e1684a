#include "windows/SiteRoots.h"
#include "app/gameApp.h"

#include "SiteDefaults.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace {

const std::wstring DefaultBase = std::wstring(LUMARION_PLATFORM_ROOT) + L"/lander/qmvt";

// Loads the configuration as a client installed in `dir` would.
std::wstring StartUrlFor(const TempDir& dir, gameApp& app)
{
    app.LoadConfiguration(dir.File(L"Lumarion.exe").c_str());
    return app.startUrl;
}

} // namespace

TEST(StartAddress, MissingConfigEmptyParamAndVerbatimParam)
{
    TempDir dir;
    gameApp app;
    EXPECT_EQ(StartUrlFor(dir, app), DefaultBase);
    EXPECT_EQ(std::wstring(app.exeDir), dir.path());
    EXPECT_EQ(app.userName[0], L'\0');

    dir.Write(L"Config.ini", "[Common]\r\nParam=\r\n");
    EXPECT_EQ(StartUrlFor(dir, app), DefaultBase);

    // Nothing is inserted in front of a query or a path.
    dir.Write(L"Config.ini", "[Common]\r\nParam=?a=1\r\n");
    EXPECT_EQ(StartUrlFor(dir, app), DefaultBase + L"?a=1");
    dir.Write(L"Config.ini", "[Common]\r\nParam=/x\r\n");
    EXPECT_EQ(StartUrlFor(dir, app), DefaultBase + L"/x");
    dir.Write(L"Config.ini", "[Other]\r\nParam=/nope\r\n");
    EXPECT_EQ(StartUrlFor(dir, app), DefaultBase);
}

TEST(StartAddress, OverLongParamIsCutAt259Characters)
{
    TempDir dir;
    gameApp app;
    std::string param(400, 'p');
    param[0] = '?';
    dir.Write(L"Config.ini", "[Common]\r\nParam=" + param + "\r\n");
    const std::wstring url = StartUrlFor(dir, app);
    EXPECT_EQ(url, DefaultBase + L"?" + std::wstring(258, L'p'));
}

TEST(StartAddress, LongestRootAndLongestParamStillFit)
{
    TempDir dir;
    gameApp app;
    std::string root = "http://" + std::string(MaxSiteRootLength - 7, 'h');
    std::string param(300, 'q');
    dir.Write(L"Config.ini",
              "[Common]\r\nParam=" + param + "\r\n[Sites]\r\nPlatform=" + root + "\r\n");
    const std::wstring url = StartUrlFor(dir, app);
    EXPECT_EQ(url.size(), MaxSiteRootLength + 12 + 259);
    EXPECT_LT(url.size(), 512u);
    EXPECT_EQ(url.substr(0, 7), L"http://");
    EXPECT_EQ(url.substr(url.size() - 259), std::wstring(259, L'q'));
}

TEST(StartAddress, ExeDirIsTheWholePathWithoutBackslash)
{
    wchar_t dir[260];
    ExeDirFromModulePath(L"Lumarion.exe", dir);
    EXPECT_STREQ(dir, L"Lumarion.exe");
    ExeDirFromModulePath(L"C:\\Games\\ZQ\\Lumarion.exe", dir);
    EXPECT_STREQ(dir, L"C:\\Games\\ZQ");
    ExeDirFromModulePath(L"C:\\Lumarion.exe", dir);
    EXPECT_STREQ(dir, L"C:");

    gameApp app;
    app.LoadConfiguration(L"NoBackslashAnywhere.exe");
    EXPECT_STREQ(app.exeDir, L"NoBackslashAnywhere.exe");
    EXPECT_EQ(std::wstring(app.startUrl), DefaultBase);
}

TEST(StartAddress, InitInstanceUsesTheModuleDirectoryAndReturnsFalse)
{
    gameApp app;
    EXPECT_FALSE(app.InitInstance());
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring expected(module);
    expected.resize(expected.rfind(L'\\'));
    EXPECT_EQ(std::wstring(app.exeDir), expected);
    EXPECT_EQ(std::wstring(app.startUrl).rfind(DefaultBase, 0), 0u);
}

TEST(SiteRootsConfig, ValidOverridesReplaceDefaultsAndDropOneSlash)
{
    TempDir dir;
    gameApp app;
    dir.Write(L"Config.ini",
              "[Common]\r\nParam=?u=7\r\n"
              "[Sites]\r\nPlatform=http://127.0.0.1:8765/\r\n"
              "Forum=HTTPS://forum.test\r\nOfficial=https://www.test:443\r\n");
    EXPECT_EQ(StartUrlFor(dir, app), L"http://127.0.0.1:8765/lander/qmvt?u=7");
    EXPECT_EQ(app.sites.forum, L"HTTPS://forum.test");
    EXPECT_EQ(app.sites.official, L"https://www.test:443");
}

TEST(SiteRootsConfig, InvalidOverridesFallBackToTheBuiltInDefaults)
{
    TempDir dir;
    gameApp app;
    dir.Write(L"Config.ini",
              "[Sites]\r\nPlatform=ftp://127.0.0.1\r\n"
              "Forum=http://bad host\r\nOfficial=file:///C:/Windows\r\n");
    EXPECT_EQ(StartUrlFor(dir, app), DefaultBase);
    EXPECT_EQ(app.sites.forum, LUMARION_FORUM_ROOT);
    EXPECT_EQ(app.sites.official, LUMARION_OFFICIAL_ROOT);
}

TEST(SiteRootsConfig, NormalizeRejectsWhatIsNoRoot)
{
    const std::wstring fallback = L"https://fallback.example.com";
    EXPECT_EQ(NormalizeSiteRoot(L"http://a.b", fallback), L"http://a.b");
    EXPECT_EQ(NormalizeSiteRoot(L"https://a.b:8080/", fallback), L"https://a.b:8080");
    // Only one trailing slash goes; what is left must still name a host.
    EXPECT_EQ(NormalizeSiteRoot(L"http://a.b//", fallback), L"http://a.b/");
    EXPECT_EQ(NormalizeSiteRoot(L"http://", fallback), fallback);
    EXPECT_EQ(NormalizeSiteRoot(L"http:///", fallback), fallback);
    EXPECT_EQ(NormalizeSiteRoot(L"", fallback), fallback);
    EXPECT_EQ(NormalizeSiteRoot(L"127.0.0.1:8765", fallback), fallback);
    EXPECT_EQ(NormalizeSiteRoot(L"javascript:alert(1)", fallback), fallback);
    EXPECT_EQ(NormalizeSiteRoot(L"http://a.b\tc", fallback), fallback);
    EXPECT_EQ(NormalizeSiteRoot(L"http://a.b\x7f", fallback), fallback);
    EXPECT_EQ(NormalizeSiteRoot(L" http://a.b", fallback), fallback);
    EXPECT_EQ(NormalizeSiteRoot(L"http://" + std::wstring(MaxSiteRootLength, L'h'), fallback),
              fallback);
}
