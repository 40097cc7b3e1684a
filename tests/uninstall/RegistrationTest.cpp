#include "uninstall/Registration.h"

#include "uninstall/UninstallPaths.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const wchar_t UninstallRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t Persisted[] =
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted";

bool CreateKey(HKEY root, const std::wstring& path, REGSAM view)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    RegSetValueExW(key, L"DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
    RegCloseKey(key);
    return true;
}

bool KeyExists(HKEY root, const std::wstring& path, REGSAM view)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void DeleteKey(HKEY root, const std::wstring& path, REGSAM view)
{
    RegDeleteKeyExW(root, path.c_str(), view, 0);
}

} // namespace

TEST(UninstallRegistration, EntryGoesFromThe32BitViewOnly)
{
    const std::wstring name = L"ZQLumavexTest-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring path = std::wstring(UninstallRoot) + L"\\" + name;
    ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, path, KEY_WOW64_32KEY));
    ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY));

    RemoveUninstallEntry(name.c_str());

    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, path, KEY_WOW64_32KEY));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY));
    DeleteKey(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY);
}

TEST(UninstallRegistration, EntryWithSubkeysStays)
{
    const std::wstring name = L"ZQLumavexTestSub-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring path = std::wstring(UninstallRoot) + L"\\" + name;
    ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, path + L"\\child", KEY_WOW64_32KEY));

    RemoveUninstallEntry(name.c_str());

    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, path, KEY_WOW64_32KEY));
    DeleteKey(HKEY_LOCAL_MACHINE, path + L"\\child", KEY_WOW64_32KEY);
    DeleteKey(HKEY_LOCAL_MACHINE, path, KEY_WOW64_32KEY);
}

TEST(UninstallRegistration, CompatibilityValueIsSetOnlyUnderAnExistingKey)
{
    const bool existed = KeyExists(HKEY_CURRENT_USER, Persisted, 0);
    if (existed)
        GTEST_SKIP() << "the Persisted key exists in this prefix already";

    EXPECT_FALSE(MarkCompatibilityPersisted());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Persisted, 0)) << "the key must not be created";

    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, Persisted, 0));
    EXPECT_TRUE(MarkCompatibilityPersisted());
    DWORD value = 0, size = sizeof(value), type = 0;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, Persisted, ModulePath().c_str(), RRF_RT_ANY, &type, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(size, 4u);
    DeleteKey(HKEY_CURRENT_USER, Persisted, 0);
}
