// The web-browser control's feature controls the client writes for itself
// in the current user's hive before the control is created.
#include "browser/FeatureControls.h"

#include "base/ScopedHandles.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <string>

namespace {

std::wstring FeatureKey(const wchar_t* feature)
{
    return std::wstring(FeatureControlKeyPath) + L"\\" + feature;
}

std::optional<DWORD> ReadValue(const wchar_t* feature, const std::wstring& name)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, FeatureKey(feature).c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void WriteValue(const wchar_t* feature, const std::wstring& name, DWORD value)
{
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, FeatureKey(feature).c_str(), name.c_str(), REG_DWORD, &value,
                              sizeof(value)),
              ERROR_SUCCESS);
}

} // namespace

TEST(FeatureControls, OnlySettingsThatDifferAreWrittenInListOrder)
{
    const std::map<std::wstring, DWORD> present = {
        {L"FEATURE_BROWSER_EMULATION", 11001},  // already right
        {L"FEATURE_GPU_RENDERING", 0},          // wrong
        {L"FEATURE_NINPUT_LEGACYMODE", 0},      // right, and 0 is a value, not "none"
    };
    const std::vector<FeatureControl> writes = FeatureControlsToWrite([&](const wchar_t* feature) {
        const auto found = present.find(feature);
        return found == present.end() ? std::optional<DWORD>() : found->second;
    });
    std::vector<std::wstring> names;
    for (const FeatureControl& control : writes)
        names.push_back(control.feature);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"FEATURE_GPU_RENDERING", L"FEATURE_AJAX_CONNECTIONEVENTS",
                                                L"FEATURE_DISABLE_NAVIGATION_SOUNDS",
                                                L"FEATURE_SCRIPTURL_MITIGATION"}));
    EXPECT_EQ(writes.front().value, 1u);
    EXPECT_EQ(FeatureControlsToWrite(nullptr).size(), std::size(ClientFeatureControls));
}

TEST(FeatureControls, TheSixValuesLandUnderTheRunningExecutablesFileName)
{
    const std::wstring name = ModuleFileName(nullptr);
    ASSERT_EQ(name, L"FeatureControlsTest.exe");
    for (const FeatureControl& control : ClientFeatureControls)
        RegDeleteKeyValueW(HKEY_CURRENT_USER, FeatureKey(control.feature).c_str(), name.c_str());
    WriteValue(L"FEATURE_BROWSER_EMULATION", name, 11001);
    WriteValue(L"FEATURE_GPU_RENDERING", name, 0);

    ApplyClientFeatureControls();

    const std::map<std::wstring, DWORD> expected = {
        {L"FEATURE_BROWSER_EMULATION", 11001}, {L"FEATURE_GPU_RENDERING", 1},
        {L"FEATURE_NINPUT_LEGACYMODE", 0},     {L"FEATURE_AJAX_CONNECTIONEVENTS", 1},
        {L"FEATURE_DISABLE_NAVIGATION_SOUNDS", 1}, {L"FEATURE_SCRIPTURL_MITIGATION", 1},
    };
    for (const auto& [feature, value] : expected) {
        const std::optional<DWORD> read = ReadValue(feature.c_str(), name);
        ASSERT_TRUE(read.has_value()) << "no value under " << std::string(feature.begin(), feature.end());
        EXPECT_EQ(*read, value) << std::string(feature.begin(), feature.end());
    }
    // Everything is in place: nothing is written again.
    EXPECT_EQ(ApplyFeatureControls(HKEY_CURRENT_USER, name), 0);
}

TEST(FeatureControls, AHiveThatRefusesWritesIsNoError)
{
    // A root whose key was deleted under the handle: every write is refused.
    const std::wstring path = L"Software\\LumarionTests\\GoneRoot-" + std::to_wstring(GetCurrentProcessId());
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    const ScopedRegKey gone(raw);
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(ApplyFeatureControls(gone.get(), L"RefusedFeatureControls.exe"), 0);
    EXPECT_EQ(ApplyFeatureControls(HKEY_CURRENT_USER, L""), 0);
}
