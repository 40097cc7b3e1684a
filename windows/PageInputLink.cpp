#include "windows/PageInputLink.h"

bool PageInputLink::Answers(HWND target) const
{
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerMs, &answer) != 0;
}

bool PageInputLink::Split()
{
    if (otherThread)
        return false;
    // Reading the focus asks no other thread anything.
    const HWND focus = GetFocus();
    const DWORD thread = focus ? GetWindowThreadProcessId(focus, nullptr) : 0;
    if (!thread || thread == GetCurrentThreadId())
        return false;
    // A page that answers keeps the input joined.
    if (Answers(focus))
        return false;
    if (!AttachThreadInput(GetCurrentThreadId(), thread, FALSE))
        return false;
    otherThread = thread;
    page = focus;
    return true;
}

bool PageInputLink::Join()
{
    if (!otherThread)
        return true;
    // Joined with a thread that takes no messages, this one would get no
    // input either: wait until the page answers.
    if (IsWindow(page) && !Answers(page)) {
        if (window)
            SetTimer(window, JoinTimer, kJoinRetryMs, nullptr);
        return false;
    }
    if (window)
        KillTimer(window, JoinTimer);
    // The page's thread joins this one's input, as the system joined them
    // at first: this thread's active window and focus stand.
    if (IsWindow(page))
        AttachThreadInput(otherThread, GetCurrentThreadId(), TRUE);
    otherThread = 0;
    page = nullptr;
    return true;
}

void PageInputLink::OnTimer()
{
    Join();
}
