#pragma once

#include <windows.h>

#include <string>

// The hot key that hides the game behind the notification icon.
struct BossKey {
    UINT modifiers = MOD_ALT;
    UINT virtualKey = 'D';
};

constexpr BossKey DefaultBossKey = {MOD_ALT, 'D'};

// The key Config.ini asks for ("fsModifiers", "vkCode"), or Alt+D when it asks
// for none or for something RegisterHotKey cannot take.
BossKey ConfiguredBossKey(int configModifiers, int configVirtualKey);

// How the key reads in the tools menu: "Alt+D", "Ctrl+Shift+F8", ...
std::wstring BossKeyName(const BossKey& key);
