#include "uninstall/Registration.h"

#include "base/ScopedHandles.h"
#include "uninstall/UninstallNames.h"
#include "uninstall/UninstallPaths.h"

#include <windows.h>

#include <string>

void RemoveUninstallEntry(const wchar_t* name)
{
    // The shipped program is 32-bit and sees the 32-bit view anyway; saying
    // so keeps 64-bit builds of it on the same key.
    HKEY rawKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, UninstallKeyPath, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_WOW64_32KEY,
                      &rawKey) != ERROR_SUCCESS)
        return;
    const ScopedRegKey key(rawKey);
    RegDeleteKeyExW(key.get(), name, KEY_WOW64_32KEY, 0);
}

bool MarkCompatibilityPersisted()
{
    // A cut path would mark some other program.
    const std::wstring modulePath = ModulePath();
    if (modulePath.empty())
        return false;
    HKEY rawKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, PersistedKeyPath, 0, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY,
                      &rawKey) != ERROR_SUCCESS)
        return false;
    const ScopedRegKey key(rawKey);
    const DWORD one = 1;
    return RegSetValueExW(key.get(), modulePath.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                          sizeof(one)) == ERROR_SUCCESS;
}
