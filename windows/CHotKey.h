#pragma once

#include <windows.h>

// A system-wide hot key delivered to one window as WM_HOTKEY, registered
// for exactly as long as this object lives. Owned by that window's thread.
class CHotKey {
public:
    CHotKey(HWND window, int id, UINT modifiers, UINT virtualKey);
    ~CHotKey();
    CHotKey(const CHotKey&) = delete;
    CHotKey& operator=(const CHotKey&) = delete;

    // False when another program holds the key (or it is not a valid one).
    bool registered() const { return window != nullptr; }

private:
    HWND window = nullptr;
    int id = 0;
};
