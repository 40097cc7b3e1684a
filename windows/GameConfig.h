#pragma once

#include "windows/SiteRoots.h"

#include <string>

// What the client windows take from Config.ini and the build. The
// application shell reads it once at start-up and hands a copy to the game
// window, which passes on what the back window needs.
struct GameConfig {
    std::wstring startUrl;
    SiteRoots sites = DefaultSiteRoots();
    std::wstring userName;
    // The boss key asked for ("fsModifiers", "vkCode"; 0 = none).
    int bossKeyModifiers = 0;
    int bossKeyVirtualKey = 0;
};
