#pragma once

#include <string>

// Removes the client's crash reports from `folder` (the current user's
// <local app data>\ZQLumavex\CrashDumps): only files named as the client
// names them, never through a link, then the folder and its product parent
// when they are left empty. Anything else stays.
void RemoveCrashDumps(const std::wstring& folder);
