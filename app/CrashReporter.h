#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Writes a minidump when any thread of the client meets an unhandled
// exception, keeps the newest few, takes the client's traces off the
// desktop (notification icon, hot key) and ends the process. Installed once
// by the main thread before any other thread starts; the filter itself runs
// on whichever thread crashed and touches only what Install prepared.
class CrashReporter {
public:
    static constexpr int KeptDumps = 5;

    // Prepares the dump folder's path and dbghelp, and sets the filter.
    // `removeTraces` runs after the dump is written (may be null).
    static void Install(void (*removeTraces)());

    // %LOCALAPPDATA%\ZQLumavex\CrashDumps, or empty when unknown.
    static std::wstring DumpFolder();
    // "Lumarion-<yyyyMMdd-HHmmss>-<pid>.dmp".
    static std::wstring DumpFileName(const SYSTEMTIME& time, DWORD processId);
    // Of dump file names as DumpFileName makes them, the ones beyond the
    // newest `keep` (oldest first); other names are never chosen.
    static std::vector<std::wstring> DumpsToDelete(std::vector<std::wstring> names, size_t keep);

private:
    static LONG WINAPI Filter(EXCEPTION_POINTERS* info);
    static void WriteDump(EXCEPTION_POINTERS* info);
    static void PruneDumps();
};
