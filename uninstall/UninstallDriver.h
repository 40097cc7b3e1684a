#pragma once

#include <string>

// Timing of the removal, in milliseconds.
inline constexpr unsigned TerminateSettleMs = 500;   // after each termination
inline constexpr unsigned ClientGoneSettleMs = 1000; // after the rounds
inline constexpr unsigned ScriptDelayMs = 1000;      // before the script is written
inline constexpr int TerminateRounds = 10;

// The whole removal in its fixed order; returns the exit code, 0 on every
// path.
int RunUninstall();

// Asks before closing a running client and closes it. False when the user
// answered No: then nothing may be removed.
bool CloseRunningClient();

// Removes the installation directory as far as it is ours: our own files
// by name, then (when it held nothing else and is still the same directory)
// the self-removal script for the uninstaller and the folder; only our own
// files when it holds anything else or is a protected folder; nothing when
// it is no installation.
void RemoveInstallDirectory(const std::wstring& dir);
