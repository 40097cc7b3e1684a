#pragma once

#include <windows.h>

// The web-browser control's per-executable feature controls the client sets
// for itself (REG_DWORD values named after the executable's file name under
// HKCU\<FeatureControlKeyPath>\<feature>) and the uninstaller takes back.
// The control reads them when it is created, so they are written before.

inline constexpr wchar_t FeatureControlKeyPath[] =
    L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl";

struct FeatureControl {
    const wchar_t* feature;
    DWORD value;
};

inline constexpr FeatureControl ClientFeatureControls[] = {
    // IE11 edge mode whatever the page's DOCTYPE; IE7 mode runs no HTML5 game.
    {L"FEATURE_BROWSER_EMULATION", 11001},
    // Canvas and CSS drawn by the GPU instead of in software.
    {L"FEATURE_GPU_RENDERING", 1},
    // Pointer and touch events reach the page.
    {L"FEATURE_NINPUT_LEGACYMODE", 0},
    // The page learns when the network comes and goes.
    {L"FEATURE_AJAX_CONNECTIONEVENTS", 1},
    // No click sound on every navigation.
    {L"FEATURE_DISABLE_NAVIGATION_SOUNDS", 1},
    // javascript: addresses in attributes are not run as navigations.
    {L"FEATURE_SCRIPTURL_MITIGATION", 1},
};
