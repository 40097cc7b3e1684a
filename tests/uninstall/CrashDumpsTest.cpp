#include "uninstall/CrashDumps.h"

#include "TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Touch(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
}

} // namespace

TEST(UninstallCrashDumps, RemovesTheClientsReportsAndTheFoldersOnlyWhenNothingElseIsThere)
{
    const TempDir root;
    const std::wstring product = root.File(L"ZQLumavex");
    const std::wstring folder = product + L"\\CrashDumps";
    ASSERT_TRUE(CreateDirectoryW(product.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring dump = folder + L"\\Lumarion-20261208-091557-488.dmp";
    const std::wstring readOnly = folder + L"\\Lumarion-20261208-101010-4.dmp";
    const std::wstring foreign = folder + L"\\notes.txt";
    const std::wstring lookAlike = folder + L"\\Lumarion-latest.dmp";
    Touch(dump);
    Touch(readOnly, FILE_ATTRIBUTE_READONLY);
    Touch(foreign);
    Touch(lookAlike);

    RemoveCrashDumps(folder);
    EXPECT_FALSE(Exists(dump));
    EXPECT_FALSE(Exists(readOnly));
    EXPECT_TRUE(Exists(foreign));
    EXPECT_TRUE(Exists(lookAlike));
    EXPECT_TRUE(Exists(folder));

    ASSERT_TRUE(DeleteFileW(foreign.c_str()));
    ASSERT_TRUE(DeleteFileW(lookAlike.c_str()));
    Touch(dump);
    RemoveCrashDumps(folder);
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(Exists(product));
    // Nothing there any more: nothing to do, nothing touched.
    RemoveCrashDumps(folder);
    EXPECT_TRUE(Exists(root.path()));
}
