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

// Under Wine on X: moves the display's own pointer as well (xdotool) and
// waits until it has (answering this thread's windows meanwhile). Wine
// takes that pointer as the cursor position once injected moves have
// stopped for about 100 ms, and Xvfb's pointer does not follow injected
// moves; a mover left running could land after a later one. False when the
// mover could not start, failed or did not end in time.
bool MoveDisplayPointer(int x, int y);

// Real keyboard input: a key pressed and released, or a chord (keys pressed
// in the order given, released in reverse, e.g. {VK_MENU, 'D'} for Alt+D).
// It goes to whatever window has the keyboard focus, as typing would.
void PressKey(WORD virtualKey);
void PressChord(std::initializer_list<WORD> keys);

// Acknowledged input, for driving windows of any process on a busy machine.
// There is no window manager on Xvfb and Wine drops input now and then under
// load, so each helper first makes sure where the input will go, then waits
// for the effect that proves it arrived, and sends the input again (up to
// `attempts` times in all) when that effect does not come. They answer this
// thread's own windows while they wait.

// Puts the cursor at (x, y), on the display too, and waits until both
// agree: Wine reads the display's pointer back as soon as injected moves
// stop, so a pointer left elsewhere would end hovers and move menus.
bool SettleCursorAt(int x, int y);

// The window with the keyboard focus in the foreground window's thread (of
// whatever process), or null.
HWND KeyboardFocus();

// Makes `window` the one that receives keys: a top-level window is made the
// foreground window, a child window is clicked in its middle. True once the
// keyboard focus is confirmed on `window`.
bool GiveKeyboardFocus(HWND window, DWORD timeoutMs = 3000);

// Presses the chord with the focus confirmed on `focus` until `effect`
// holds (within `timeoutMs` of each press). Effects are meant to be ones
// that a key press repeated by mistake would not undo, or slow enough to
// come well within the timeout.
bool PressUntil(HWND focus, std::initializer_list<WORD> keys, const std::function<bool()>& effect,
                DWORD timeoutMs = 4000, int attempts = 3);

// Clicks at (x, y), the pointer settled there first, until `effect` holds.
bool ClickUntil(POINT at, const std::function<bool()>& effect, DWORD timeoutMs = 4000, int attempts = 3);

// A left-button drag from `from` to `to` in `steps` moves, each one
// settled on the display too: injected moves alone would be undone by the
// display's pointer whenever the machine pauses between two of them. True
// when every step settled.
bool DragFromTo(POINT from, POINT to, int steps);

// Rests the pointer at `at` until `effect` holds (a hover effect such as a
// tooltip); each new attempt comes at it from a pixel away.
bool HoverUntil(POINT at, const std::function<bool()>& effect, DWORD timeoutMs = 3000, int attempts = 3);

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

// Clicks client point (clientX, clientY) of the close dialog once it is up;
// `seen`, when given, looks at the dialog first.
TimerScript AnswerCloseDialog(int clientX, int clientY,
                              std::function<void(HWND dialog)> seen = nullptr);
