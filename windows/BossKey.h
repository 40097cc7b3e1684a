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
// for none, for something RegisterHotKey cannot take, or for a key without
// Alt, Ctrl, Shift or Win other than F1-F24 (F10 excepted: it toggles full
// screen).
BossKey ConfiguredBossKey(int configModifiers, int configVirtualKey);

// How the key reads in the tools menu: "Alt+D", "Ctrl+Shift+F8", ...
std::wstring BossKeyName(const BossKey& key);
