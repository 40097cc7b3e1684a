#include "uninstall/FeatureControls.h"

#include "base/FeatureControlList.h"
#include "base/ScopedHandles.h"

namespace {

// The 64-bit client writes the 64-bit view; a 32-bit uninstaller says so.
constexpr REGSAM kView = KEY_WOW64_64KEY;

// True when our value was there, went, and left the key without values and
// subkeys.
bool DeleteValueLeavingEmpty(HKEY features, const wchar_t* feature, const wchar_t* exeName)
{
    HKEY rawKey = nullptr;
    if (RegOpenKeyExW(features, feature, 0, KEY_SET_VALUE | KEY_QUERY_VALUE | kView, &rawKey) != ERROR_SUCCESS)
        return false;
    const ScopedRegKey key(rawKey);
    if (RegDeleteValueW(key.get(), exeName) != ERROR_SUCCESS)
        return false;
    DWORD subkeys = 1;
    DWORD values = 1;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    return subkeys == 0 && values == 0;
}

} // namespace

void RemoveFeatureControls(HKEY userRoot, const wchar_t* exeName)
{
    if (!exeName || !exeName[0])
        return;
    HKEY rawKey = nullptr;
    if (RegOpenKeyExW(userRoot, FeatureControlKeyPath, 0, KEY_READ | KEY_SET_VALUE | kView, &rawKey) !=
        ERROR_SUCCESS)
        return;
    const ScopedRegKey features(rawKey);
    for (const FeatureControl& control : ClientFeatureControls) {
        if (DeleteValueLeavingEmpty(features.get(), control.feature, exeName))
            RegDeleteKeyExW(features.get(), control.feature, kView, 0);
    }
}
