#pragma once

#include <windows.h>

#include <string>

// The way from the login view into the game view: a game address starts
// (or restarts) a delay; once it runs out the view switches, shows
// maximised a little later, and the page is laid out once more after that.
// Keeps the server id the addresses named. Owning thread: the game
// window's (main); its timers are the game window's.
class GameViewEntry {
public:
    static constexpr UINT_PTR EnterGameTimer = 5558;
    static constexpr UINT_PTR MaximizeTimer = 5559;
    static constexpr UINT_PTR RelayoutTimer = 5560;
    static constexpr UINT EnterGameDelay = 1500;
    static constexpr UINT MaximizeDelay = 700;
    static constexpr UINT RelayoutDelay = 500;

    enum class Step { None, Enter, Maximize, Relayout };

    void Attach(HWND gameWindow) { window = gameWindow; }
    // A page address from the browser thread: a game address records its
    // server id and (re)starts the delay. Ignored once in the game view.
    void OnAddressSeen(const std::wstring& url);
    // The switch itself: false when already made.
    bool Enter();
    // Schedules the maximise after the switch.
    void ScheduleMaximize();
    // Which step a timer of the game window stands for; the timer is done.
    Step OnTimer(UINT_PTR timerId);

    bool entered() const { return inGame; }
    const std::wstring& serverId() const { return server; }

private:
    HWND window = nullptr;
    bool inGame = false;
    // From the last game address that named one; the payment link adds it.
    std::wstring server;
};
