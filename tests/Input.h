#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>

// Real mouse input through the system's input queue (SendInput), as a user
// would produce it. Coordinates are screen pixels.
void MoveMouseTo(int x, int y);
void ClickAt(int x, int y);
void DoubleClickAt(int x, int y);
void RightClickAt(int x, int y);

// Under Wine on X: moves the display's own pointer as well (xdotool, run
// without waiting for it). Wine takes that pointer as the cursor position
// once injected moves have stopped for about 100 ms, and Xvfb's pointer
// does not follow injected moves. False when the mover could not start.
bool MoveDisplayPointer(int x, int y);

// Real keyboard input: a key pressed and released, or a chord (keys pressed
// in the order given, released in reverse, e.g. {VK_MENU, 'D'} for Alt+D).
// It goes to whatever window has the keyboard focus, as typing would.
void PressKey(WORD virtualKey);
void PressChord(std::initializer_list<WORD> keys);

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

// Clicks client point (clientX, clientY) of the close dialog once it is up.
TimerScript AnswerCloseDialog(int clientX, int clientY);
