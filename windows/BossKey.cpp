#include "windows/BossKey.h"

#include <strsafe.h>

namespace {

constexpr UINT kKnownModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN | MOD_NOREPEAT;
constexpr UINT kKeyModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

std::wstring KeyName(UINT virtualKey)
{
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        return std::wstring(1, static_cast<wchar_t>(virtualKey));
    wchar_t name[64] = {};
    if (virtualKey >= VK_F1 && virtualKey <= VK_F24) {
        StringCchPrintfW(name, 64, L"F%u", virtualKey - VK_F1 + 1);
        return name;
    }
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    if (scanCode && GetKeyNameTextW(static_cast<LONG>(scanCode << 16), name, 64) > 0)
        return name;
    StringCchPrintfW(name, 64, L"0x%02X", virtualKey);
    return name;
}

} // namespace

BossKey ConfiguredBossKey(int configModifiers, int configVirtualKey)
{
    if (configVirtualKey <= 0 || configVirtualKey > 0xFE)
        return DefaultBossKey;
    if (configModifiers < 0 || (static_cast<UINT>(configModifiers) & ~kKnownModifiers) != 0)
        return DefaultBossKey;
    // A bare global key would swallow that key in every program; only the
    // function keys are rare enough to stand alone.
    // F10 is the client's own full-screen key.
    const bool functionKey = configVirtualKey >= VK_F1 && configVirtualKey <= VK_F24 && configVirtualKey != VK_F10;
    if (!functionKey && (static_cast<UINT>(configModifiers) & kKeyModifiers) == 0)
        return DefaultBossKey;
    return BossKey{static_cast<UINT>(configModifiers), static_cast<UINT>(configVirtualKey)};
}

std::wstring BossKeyName(const BossKey& key)
{
    std::wstring name;
    if (key.modifiers & MOD_CONTROL)
        name += L"Ctrl+";
    if (key.modifiers & MOD_ALT)
        name += L"Alt+";
    if (key.modifiers & MOD_SHIFT)
        name += L"Shift+";
    if (key.modifiers & MOD_WIN)
        name += L"Win+";
    return name + KeyName(key.virtualKey);
}
