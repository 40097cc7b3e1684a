#include "windows/PageInputLink.h"

bool PageInputLink::Split()
{
    if (otherThread)
        return false;
    // Reading the focus asks no other thread anything.
    const HWND focus = GetFocus();
    const DWORD thread = focus ? GetWindowThreadProcessId(focus, nullptr) : 0;
    if (!thread || thread == GetCurrentThreadId())
        return false;
    // A page that answers keeps the input joined: splitting and joining
    // again is not free (Wine loses the next click on the window).
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(focus, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerMs, &answer))
        return false;
    if (!AttachThreadInput(GetCurrentThreadId(), thread, FALSE))
        return false;
    otherThread = thread;
    return true;
}

void PageInputLink::Join()
{
    if (!otherThread)
        return;
    // The page's thread joins this one's input, as the system joined them
    // at first: this thread's active window and focus stand.
    AttachThreadInput(otherThread, GetCurrentThreadId(), TRUE);
    otherThread = 0;
}
