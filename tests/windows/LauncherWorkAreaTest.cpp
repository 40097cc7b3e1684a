// ctest: dpi-120-taskbar
// 1366x768 at 125 % less a 40-pixel taskbar: the launcher does not fit at
// 120 DPI and shrinks to stay above the taskbar.
#include "windows/CFrameGame.h"
#include "windows/DisplayPlacement.h"

#include "ImageProbe.h"
#include "Input.h"
#include "RectAssert.h"
#include "TestApp.h"

#include <gtest/gtest.h>

TEST(LauncherWorkArea, ShrinksIntoTheWorkAreaAndStillCloses)
{
    const MonitorArea primary = PrimaryMonitor();
    EXPECT_TRUE(RectIs(primary.monitor, 0, 0, 1366, 768));
    EXPECT_TRUE(RectIs(primary.work, 0, 0, 1366, 728));
    EXPECT_EQ(primary.dpi, 120u);

    ExitOnCrash();
    TestApp app;
    ASSERT_TRUE(app.ok());
    CFrameGame game;
    ASSERT_TRUE(game.CreateLoginView());
    const HWND back = game.back().hwnd;
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(back) && IsWindowVisible(game.hwnd); }));

    const RECT b = WindowRect(back);
    RECT inside = {};
    IntersectRect(&inside, &b, &primary.work);
    EXPECT_TRUE(RectIs(inside, b)) << "not wholly inside the work area";
    // Drawn below the monitor's scale and sized for it, as wide as fits;
    // the monitor's scale told again does not undo it.
    const UINT dpi = game.back().painter.Dpi();
    EXPECT_LT(dpi, 120u);
    const double scale = dpi / 96.0;
    EXPECT_NEAR(b.right - b.left, 1411 * scale, 1.0);
    EXPECT_NEAR(b.bottom - b.top, 704 * scale, 1.0);
    EXPECT_GE(b.right - b.left, 1340);
    RECT suggested = b;
    SendMessageW(back, WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(game.back().painter.Dpi(), dpi);
    // The login view's edges on its place in the art, (626, 212, 1256, 584).
    const RECT g = WindowRect(game.hwnd);
    EXPECT_NEAR(g.left - b.left, 626 * scale, 1.0);
    EXPECT_NEAR(g.top - b.top, 212 * scale, 1.0);
    EXPECT_NEAR(g.right - b.left, 1256 * scale, 1.0);
    EXPECT_NEAR(g.bottom - b.top, 584 * scale, 1.0);

    // The close button's middle, (1325, 135) at 96 DPI; the dialog is at
    // the monitor's 125 %: its confirm button's (84, 117) is (105, 146).
    TimerScript answer = AnswerCloseDialog(105, 146);
    const POINT close = {b.left + static_cast<LONG>(1325 * scale), b.top + static_cast<LONG>(135 * scale)};
    ASSERT_TRUE(ClickUntil(close, [&] { return answer.finished(); }));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(back) && !IsWindowVisible(game.hwnd); }, 10000));

    DestroyWindow(game.hwnd);
    if (IsWindow(back))
        DestroyWindow(back);
    PumpPending();
}
