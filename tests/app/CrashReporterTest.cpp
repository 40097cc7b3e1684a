#include "app/CrashReporter.h"

#include <gtest/gtest.h>

TEST(CrashReporter, NamesDumpsByLocalTimeAndProcessAndDeletesOnlyOldOnesOfItsOwn)
{
    SYSTEMTIME time = {};
    time.wYear = 2026;
    time.wMonth = 3;
    time.wDay = 7;
    time.wHour = 9;
    time.wMinute = 5;
    time.wSecond = 4;
    EXPECT_EQ(CrashReporter::DumpFileName(time, 4242), L"Lumarion-20260307-090504-4242.dmp");

    const std::vector<std::wstring> names = {
        L"Lumarion-20260307-090504-8.dmp",  L"Lumarion-20251231-235959-12.dmp", L"notes.dmp",
        L"Lumarion-20260307-090503-99.dmp", L"Lumarion-2026.dmp",              L"Lumarion-20260101-000000-1.dmp",
        L"Lumarion-20260307-090505-7.dmp",  L"Lumarion-20260307-0905x5-7.dmp", L"Lumarion-20260201-120000-3.dmp",
        L"Lumarion-20260307-090506-5.dmp.txt"};
    // Six of ours: with five kept the oldest goes, with four the two oldest;
    // foreign and look-alike names always stay.
    EXPECT_EQ(CrashReporter::DumpsToDelete(names, 5), std::vector<std::wstring>{L"Lumarion-20251231-235959-12.dmp"});
    EXPECT_EQ(CrashReporter::DumpsToDelete(names, 4),
              (std::vector<std::wstring>{L"Lumarion-20251231-235959-12.dmp", L"Lumarion-20260101-000000-1.dmp"}));
    EXPECT_TRUE(CrashReporter::DumpsToDelete(names, 6).empty());
    EXPECT_NE(CrashReporter::DumpFolder().find(L"\\ZQLumavex\\CrashDumps"), std::wstring::npos);
}
