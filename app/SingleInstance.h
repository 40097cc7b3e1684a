#pragma once

#include "base/ScopedHandles.h"

#include <windows.h>

// One client per user session. The first start holds a session-local named
// mutex for its whole run; the system drops it with the process, so a client
// that crashed blocks nothing. A later start finds the running client's game
// window and asks it to come to the front. Owning thread: main.
class SingleInstance {
public:
    // The name of the mutex (in the session's "Local\" namespace).
    static constexpr const wchar_t* MutexName = L"Local\\ZQLumavex.Lumarion.Running";

    SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True for the first client of the session (also when the mutex could
    // not be made at all: a client that cannot tell runs).
    bool first() const { return isFirst; }

    // Brings the running client to the front: waits up to `timeoutMs` for
    // its game window (it may be starting itself), lets it take the
    // foreground and posts ShowClientMessage. False when no window came.
    static bool ActivateRunning(DWORD timeoutMs);

private:
    ScopedHandle mutex;
    bool isFirst = true;
};
