#pragma once

#include <windows.h>

#include <functional>

// Real mouse input through the system's input queue (SendInput), as a user
// would produce it. Coordinates are screen pixels.
void MoveMouseTo(int x, int y);
void ClickAt(int x, int y);

// Runs `step` on this thread every `intervalMs` from inside whatever message
// loop is running (a thread timer), until it returns true. Stops at
// destruction.
class TimerScript {
public:
    TimerScript(std::function<bool()> step, UINT intervalMs = 50);
    ~TimerScript();
    TimerScript(const TimerScript&) = delete;
    TimerScript& operator=(const TimerScript&) = delete;
    bool finished() const { return done; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    std::function<bool()> step;
    UINT_PTR timer = 0;
    bool done = false;
};
