#include "uninstall/UninstallPaths.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(UninstallPaths, JoinedPathsThatDoNotFitAreRefusedNotCut)
{
    const std::wstring folder(250, L'f');
    // 250 + "\" + 8 = 259 characters and the terminator: fits exactly.
    EXPECT_EQ(JoinFitting(folder, L"12345678"), folder + L"\\12345678");
    EXPECT_EQ(JoinFitting(folder, L"123456789"), L"");
    // An unknown folder gives no path, never one relative to the current drive.
    EXPECT_EQ(JoinFitting(L"", L"ZQLumavex"), L"");
    EXPECT_EQ(JoinFitting(L"C:\\Users\\u\\Desktop", L"ZQLumavex.lnk"), L"C:\\Users\\u\\Desktop\\ZQLumavex.lnk");
}

TEST(UninstallPaths, DirectoryIsCutAtTheLastBackslash)
{
    EXPECT_EQ(DirectoryOf(L"C:\\Program Files\\ZQLumavex\\Uninstall.exe"), L"C:\\Program Files\\ZQLumavex");
    EXPECT_EQ(DirectoryOf(L"C:\\Uninstall.exe"), L"C:");
    EXPECT_EQ(DirectoryOf(L"Uninstall.exe"), L"");
    EXPECT_EQ(DirectoryOf(L""), L"");
}
