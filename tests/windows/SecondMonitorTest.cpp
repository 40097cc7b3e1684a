// ctest: two-screens
// Two monitors: the game view and full screen stay on the monitor the
// player put the launcher on.
#include "windows/CFrameGame.h"

#include "ImageProbe.h"
#include "RectAssert.h"
#include "TestApp.h"

#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<MONITORINFO> Monitors()
{
    std::vector<MONITORINFO> found;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM list) -> BOOL {
            MONITORINFO info = {};
            info.cbSize = sizeof(info);
            if (GetMonitorInfoW(monitor, &info))
                reinterpret_cast<std::vector<MONITORINFO>*>(list)->push_back(info);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

TEST(SecondMonitor, TheGameViewMaximisesAndGoesFullScreenOnTheLaunchersMonitor)
{
    ExitOnCrash();
    TestApp app;
    ASSERT_TRUE(app.ok());
    const std::vector<MONITORINFO> monitors = Monitors();
    ASSERT_EQ(monitors.size(), 2u);
    const MONITORINFO& second = (monitors[0].dwFlags & MONITORINFOF_PRIMARY) ? monitors[1] : monitors[0];
    ASSERT_EQ(second.rcMonitor.right - second.rcMonitor.left, 1920);
    ASSERT_EQ(second.rcMonitor.bottom - second.rcMonitor.top, 1080);

    CFrameGame game;
    ASSERT_TRUE(game.CreateLoginView());
    // The player drags the launcher beyond the primary's 1280 columns, where
    // only the second monitor is; the game window goes along.
    const HWND back = game.back().hwnd;
    SetWindowPos(back, nullptr, 1300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(PumpUntil([&] { return WindowRect(game.hwnd).left >= 1300; }, 5000));

    game.EnterGameMode();
    ASSERT_TRUE(PumpUntil([&] { return IsZoomed(game.hwnd) && IsWindowVisible(game.hwnd); }, 10000));
    EXPECT_TRUE(RectIs(WindowRect(game.hwnd), second.rcWork)) << "not maximised on the second monitor";

    game.ToggleFullScreen();
    EXPECT_TRUE(game.IsFullScreen());
    EXPECT_TRUE(RectIs(WindowRect(game.hwnd), second.rcMonitor)) << "full screen is not on the second monitor";
    game.ToggleFullScreen();

    game.Close();
    game.Destroy();
    PumpPending();
}
