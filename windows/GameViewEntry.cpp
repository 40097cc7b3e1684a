#include "windows/GameViewEntry.h"

#include "windows/GameAddress.h"

void GameViewEntry::OnAddressSeen(const std::wstring& url)
{
    if (inGame || !IsGameAddress(url.c_str()))
        return;
    std::wstring found;
    if (FindServerId(url.c_str(), found))
        server = found;
    // The same id again restarts the delay.
    if (window && IsWindow(window))
        SetTimer(window, EnterGameTimer, EnterGameDelay, nullptr);
}

bool GameViewEntry::Enter()
{
    if (inGame)
        return false;
    inGame = true;
    if (window)
        KillTimer(window, EnterGameTimer);
    return true;
}

void GameViewEntry::ScheduleMaximize()
{
    if (window && IsWindow(window))
        SetTimer(window, MaximizeTimer, MaximizeDelay, nullptr);
}

GameViewEntry::Step GameViewEntry::OnTimer(UINT_PTR timerId)
{
    switch (timerId) {
    case EnterGameTimer:
        KillTimer(window, EnterGameTimer);
        return inGame ? Step::None : Step::Enter;
    case MaximizeTimer:
        KillTimer(window, MaximizeTimer);
        SetTimer(window, RelayoutTimer, RelayoutDelay, nullptr);
        return Step::Maximize;
    case RelayoutTimer:
        KillTimer(window, RelayoutTimer);
        return Step::Relayout;
    default:
        return Step::None;
    }
}
