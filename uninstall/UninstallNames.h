#pragma once

#include "base/ProductNames.h"

#include <cstddef>

// Names shared by the setup program and the uninstaller: the setup creates
// exactly these, the uninstaller removes exactly these.

// Only a directory holding this file is an installation of ours.
inline constexpr wchar_t ClientProgramName[] = L"Lumarion.exe";
inline constexpr wchar_t UninstallProgramName[] = L"Uninstall.exe";
inline constexpr wchar_t ConfigFileName[] = L"Config.ini";
// Self-removal script, written into the installation directory.
inline constexpr wchar_t ScriptFileName[] = L"velmor_uninstall.bat";

// Everything of ours that can be in the installation directory: what the
// setup program installs, and the script. The uninstaller never deletes
// anything else there.
inline constexpr const wchar_t* OwnEntries[] = {ClientProgramName, UninstallProgramName, ConfigFileName,
                                                ScriptFileName};

inline constexpr wchar_t UninstallKeyPath[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr wchar_t PersistedKeyPath[] =
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\"
    L"Compatibility Assistant\\Persisted";

// Fixed buffer sizes, terminator included. Anything longer is refused.
inline constexpr std::size_t PathCapacity = 260;        // wide characters
inline constexpr std::size_t ScriptNameCapacity = 260;  // bytes
inline constexpr std::size_t ScriptTextCapacity = 1024; // bytes
inline constexpr std::size_t FilterCapacity = 256;      // wide characters
