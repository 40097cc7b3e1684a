#pragma once

#include "uninstall/UninstallNames.h"

#include <windows.h>

// The record EnumWindows hands to MatchWindow: what to look for and what
// was found.
struct WindowFilter {
    DWORD processId = 0;              // 0 = any process
    HWND found = nullptr;
    wchar_t text[FilterCapacity] = {};       // "" = any window text
    wchar_t className[FilterCapacity] = {};  // "" = any class
};

// Fills `filter` for a new search. False (and the filter cleared) when a
// text does not fit: a cut filter would match other windows.
bool SetWindowFilter(WindowFilter& filter, DWORD processId, const wchar_t* text,
                     const wchar_t* className);

// EnumWindows callback: TRUE to go on, FALSE after storing a match.
BOOL CALLBACK MatchWindow(HWND window, LPARAM filter);

// First top-level window matching `filter`, or null.
HWND FindMatchingWindow(WindowFilter& filter);

// First top-level window whose class is exactly "lumavexor", or null.
HWND FindClientWindow();

// Ends the process, enabling SeDebugPrivilege when a plain open is refused.
bool TerminateClientProcess(DWORD processId);
