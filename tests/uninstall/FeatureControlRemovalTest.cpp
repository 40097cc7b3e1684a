// The uninstaller takes back the client's six feature controls and nothing
// else. Run against a private root (a key standing in for the user's hive),
// so values other programs of the test run write cannot get in the way.
#include "uninstall/FeatureControls.h"

#include "base/FeatureControlList.h"
#include "base/ScopedHandles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class FeatureControlRemoval : public ::testing::Test {
protected:
    void SetUp() override
    {
        rootPath = L"Software\\LumarionTests\\FeatureControlRemoval-" + std::to_wstring(GetCurrentProcessId());
        RegDeleteTreeW(HKEY_CURRENT_USER, rootPath.c_str());
        HKEY raw = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, rootPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw,
                                  nullptr),
                  ERROR_SUCCESS);
        root.reset(raw);
    }
    void TearDown() override
    {
        root.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, rootPath.c_str());
    }

    static std::wstring Key(const wchar_t* feature)
    {
        return std::wstring(FeatureControlKeyPath) + L"\\" + feature;
    }
    void Write(const wchar_t* feature, const wchar_t* name, DWORD value)
    {
        ASSERT_EQ(RegSetKeyValueW(root.get(), Key(feature).c_str(), name, REG_DWORD, &value, sizeof(value)),
                  ERROR_SUCCESS);
    }
    bool HasValue(const wchar_t* feature, const wchar_t* name) const
    {
        return RegGetValueW(root.get(), Key(feature).c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
    }
    bool HasKey(const wchar_t* feature) const
    {
        HKEY raw = nullptr;
        const std::wstring path = feature ? Key(feature) : std::wstring(FeatureControlKeyPath);
        if (RegOpenKeyExW(root.get(), path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
            return false;
        RegCloseKey(raw);
        return true;
    }

    std::wstring rootPath;
    ScopedRegKey root;
};

} // namespace

TEST_F(FeatureControlRemoval, TheSixValuesGoAndForeignOnesStay)
{
    for (const FeatureControl& control : ClientFeatureControls)
        Write(control.feature, L"Lumarion.exe", control.value);
    // Another program's value under one of our features, and our name under
    // a feature the client never sets.
    Write(L"FEATURE_GPU_RENDERING", L"Other.exe", 1);
    Write(L"FEATURE_ZONE_ELEVATION", L"Lumarion.exe", 1);
    // A key of ours holding a subkey besides our value.
    Write(L"FEATURE_SCRIPTURL_MITIGATION\\Sub", L"Other.exe", 1);

    RemoveFeatureControls(root.get(), L"Lumarion.exe");

    for (const FeatureControl& control : ClientFeatureControls)
        EXPECT_FALSE(HasValue(control.feature, L"Lumarion.exe")) << "left under a feature of ours";
    EXPECT_TRUE(HasValue(L"FEATURE_GPU_RENDERING", L"Other.exe"));
    EXPECT_TRUE(HasValue(L"FEATURE_ZONE_ELEVATION", L"Lumarion.exe"));
    // Keys left empty went; those still holding something stayed.
    EXPECT_FALSE(HasKey(L"FEATURE_BROWSER_EMULATION"));
    EXPECT_FALSE(HasKey(L"FEATURE_NINPUT_LEGACYMODE"));
    EXPECT_TRUE(HasKey(L"FEATURE_GPU_RENDERING"));
    EXPECT_TRUE(HasValue(L"FEATURE_SCRIPTURL_MITIGATION\\Sub", L"Other.exe"));
    EXPECT_TRUE(HasKey(nullptr));  // FeatureControl itself stays
}
