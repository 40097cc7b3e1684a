#include "browser/FeatureControls.h"

#include "base/ScopedHandles.h"

namespace {

std::wstring FeatureKeyPath(const wchar_t* feature)
{
    return std::wstring(FeatureControlKeyPath) + L"\\" + feature;
}

std::optional<DWORD> ReadFeatureValue(HKEY userRoot, const wchar_t* feature, const std::wstring& exeName)
{
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(userRoot, FeatureKeyPath(feature).c_str(), exeName.c_str(), RRF_RT_ANY, &type, &value,
                     &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return std::nullopt;
    return value;
}

} // namespace

std::vector<FeatureControl> FeatureControlsToWrite(const FeatureValueReader& current)
{
    std::vector<FeatureControl> changes;
    for (const FeatureControl& control : ClientFeatureControls) {
        const std::optional<DWORD> present = current ? current(control.feature) : std::nullopt;
        if (!present || *present != control.value)
            changes.push_back(control);
    }
    return changes;
}

std::wstring ModuleFileName(HMODULE module)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        // Cut short: a cut name would be some other program's.
        if (path.size() >= 32768)
            return std::wstring();
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

int ApplyFeatureControls(HKEY userRoot, const std::wstring& exeName)
{
    if (exeName.empty())
        return 0;
    const std::vector<FeatureControl> changes = FeatureControlsToWrite(
        [&](const wchar_t* feature) { return ReadFeatureValue(userRoot, feature, exeName); });
    int written = 0;
    for (const FeatureControl& control : changes) {
        HKEY rawKey = nullptr;
        // The client is 64-bit: its view is the one its control reads.
        if (RegCreateKeyExW(userRoot, FeatureKeyPath(control.feature).c_str(), 0, nullptr, 0,
                            KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &rawKey, nullptr) != ERROR_SUCCESS)
            continue;
        const ScopedRegKey key(rawKey);
        if (RegSetValueExW(key.get(), exeName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&control.value),
                           sizeof(control.value)) == ERROR_SUCCESS)
            ++written;
    }
    return written;
}

void ApplyClientFeatureControls()
{
    ApplyFeatureControls(HKEY_CURRENT_USER, ModuleFileName(nullptr));
}
