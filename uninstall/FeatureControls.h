#pragma once

#include <windows.h>

// Takes back the web-browser control's feature controls the client set for
// itself: the values named `exeName` of the client's features under
// `userRoot` (HKEY_CURRENT_USER in the uninstaller), and a feature's key
// only when that leaves it empty. Nothing else under FeatureControl is
// touched; what cannot be opened or deleted stays.
void RemoveFeatureControls(HKEY userRoot, const wchar_t* exeName);
