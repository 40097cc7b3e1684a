#pragma once

#include <windows.h>

// The system joins the input of the game window's thread and of the
// browser thread, whose window is its child: moving the focus or the
// activation away from the page then sends the page a message and waits
// for it. A page running a long script would hold the close dialog, the
// close and the boss key. Split first lets this thread go on alone; Join
// puts the two back together once the windows are in use again.
// Owning thread: the game window's (main).
class PageInputLink {
public:
    // How long the page has to answer before it counts as busy.
    static constexpr UINT kAnswerMs = 200;

    // Splits the input from the thread of the focused window when that is
    // another thread's (the page's) and it does not answer. True when
    // split now.
    bool Split();
    // Joins again what Split split; nothing otherwise.
    void Join();
    bool split() const { return otherThread != 0; }

private:
    DWORD otherThread = 0;
};
