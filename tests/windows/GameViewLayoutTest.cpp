#include "ui/CImageCtrl.h"
#include "windows/GameViewLayout.h"

#include "RectAssert.h"

#include <gtest/gtest.h>

TEST(GameViewLayout, ThePageLiesBelowTheScaledTitleBarOnlyInTheWindowedGameView)
{
    const RECT client = {0, 0, 1530, 1056};
    GameViewState state;
    EXPECT_TRUE(RectIs(GamePageArea(client, state, 25), client)) << "login view";

    state.gameView = true;
    EXPECT_TRUE(RectIs(GamePageArea(client, state, 25), 1, 25, 1529, 1055)) << "restored at 96 DPI";
    state.maximised = true;
    EXPECT_TRUE(RectIs(GamePageArea(client, state, 25), 0, 25, 1530, 1056));

    // 25 units at 150 % is 37.5 px: the page starts at 38, the border is 2.
    state.dpi = 144;
    EXPECT_TRUE(RectIs(GamePageArea(client, state, 25), 0, 38, 1530, 1056));
    state.maximised = false;
    EXPECT_TRUE(RectIs(GamePageArea(client, state, 25), 2, 38, 1528, 1054));
    state.dpi = 120;
    EXPECT_EQ(GamePageArea(client, state, 25).top, 31);

    state.fullScreen = true;
    EXPECT_TRUE(RectIs(GamePageArea(client, state, 25), client));

    // A client smaller than the title bar leaves an empty page, not an
    // upside-down one.
    state.fullScreen = false;
    const RECT tiny = GamePageArea(RECT{0, 0, 2, 20}, state, 25);
    EXPECT_GE(tiny.bottom, tiny.top);
    EXPECT_GE(tiny.right, tiny.left);
}

TEST(GameViewLayout, TheMinimumSizeScalesButNeverPassesTheWorkArea)
{
    const SIZE game = {1020, 704};
    SIZE s = CImageCtrl::MinimumWithin(game, 96, RECT{0, 0, 1920, 1040});
    EXPECT_EQ(s.cx, 1020);
    EXPECT_EQ(s.cy, 704);
    // 150 % on 1920x1080 with a 40 px taskbar: 1056 would reach under it.
    s = CImageCtrl::MinimumWithin(game, 144, RECT{0, 0, 1920, 1040});
    EXPECT_EQ(s.cx, 1530);
    EXPECT_EQ(s.cy, 1040);
    // 125 % on a 1366x768 laptop, taskbar on the left.
    s = CImageCtrl::MinimumWithin(game, 120, RECT{48, 0, 1366, 768});
    EXPECT_EQ(s.cx, 1275);
    EXPECT_EQ(s.cy, 768);
    // No work area known: just the scaled size.
    s = CImageCtrl::MinimumWithin(game, 192, RECT{0, 0, 0, 0});
    EXPECT_EQ(s.cx, 2040);
    EXPECT_EQ(s.cy, 1408);
}
