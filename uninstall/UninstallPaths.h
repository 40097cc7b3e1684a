#pragma once

#include <string>

// Where the uninstaller works. An empty member means "unknown": the step
// that needs it is skipped rather than run on a cut or relative path.
struct UninstallPaths {
    std::wstring installDir;       // directory of the running executable
    std::wstring desktopShortcut;  // <desktop>\ZQLumavex.lnk
    std::wstring startMenuFolder;  // <Programs>\ZQLumavex
    std::wstring crashDumpFolder;  // <local app data>\ZQLumavex\CrashDumps
};

// Full path of the running executable; empty when it does not fit 260
// wide characters.
std::wstring ModulePath();

// `path` cut at its last backslash (no trailing backslash); empty when
// there is none.
std::wstring DirectoryOf(const std::wstring& path);

// folder + "\" + leaf when the folder is known and the result fits 260 wide
// characters with its terminator; otherwise empty.
std::wstring JoinFitting(const std::wstring& folder, const std::wstring& leaf);

// One of the current user's shell folders (CSIDL_...), empty when the
// lookup fails.
std::wstring SpecialFolder(int csidl);

UninstallPaths ComputeUninstallPaths();
