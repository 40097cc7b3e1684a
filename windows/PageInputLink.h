#pragma once

#include <windows.h>

// The system joins the input of the game window's thread and of the
// browser thread, whose window is its child: moving the focus or the
// activation away from the page then sends the page a message and waits
// for it, and input meant for the page comes first for both threads. A
// page running a long script would hold the close dialog and the close,
// and every click on the title bar. So before such a move
// the input is split from a page that does not answer, and joined again
// only once it answers. Owning thread: the game window's (main).
class PageInputLink {
public:
    // How long the page has to answer before it counts as busy.
    static constexpr UINT kAnswerMs = 200;
    // While split, how often joining is tried again.
    static constexpr UINT_PTR JoinTimer = 5566;
    static constexpr UINT kJoinRetryMs = 1000;

    // The game window, whose timer tries joining again.
    void Attach(HWND game) { window = game; }
    // Splits the input from the thread of the focused window when that is
    // another thread's (the page's) and it does not answer. True when
    // split now.
    bool Split();
    // Joins again what Split split once the page answers; until then the
    // game window's timer tries again. True when joined (or never split).
    bool Join();
    // The game window's JoinTimer.
    void OnTimer();
    bool split() const { return otherThread != 0; }

private:
    bool Answers(HWND page) const;

    HWND window = nullptr;
    HWND page = nullptr;
    DWORD otherThread = 0;
};
