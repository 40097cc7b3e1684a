#pragma once

#include <windows.h>

// Test programs of one run share a display, a cursor and a foreground
// window. Cases that depend on them hold this lock (a named mutex of the
// run's Wine prefix) so parallel cases cannot move the cursor or steal the
// activation under them.
class DesktopLock {
public:
    DesktopLock();
    ~DesktopLock();
    DesktopLock(const DesktopLock&) = delete;
    DesktopLock& operator=(const DesktopLock&) = delete;
    bool held() const { return owned; }

private:
    HANDLE mutex = nullptr;
    bool owned = false;
};
