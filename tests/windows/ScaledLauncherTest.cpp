// ctest: dpi-144
// The launcher on a 150 % display: both windows 1.5x, the login view in
// its place, the buttons answering where they are drawn.
#include "windows/CFrameGame.h"

#include "ImageProbe.h"
#include "Input.h"
#include "RectAssert.h"
#include "Screenshot.h"
#include "TestApp.h"

#include <gtest/gtest.h>

TEST(ScaledLauncher, IsOneAndAHalfTimesItsSizeAndAnswersWhereItIsDrawn)
{
    ExitOnCrash();
    TestApp app;
    ASSERT_TRUE(app.ok());
    CFrameGame game;
    std::wstring opened;
    game.back().opener = [&](const std::wstring& address) { opened = address; };
    ASSERT_TRUE(game.CreateLoginView());
    const HWND back = game.back().hwnd;
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(back) && IsWindowVisible(game.hwnd); }));

    RECT b = WindowRect(back);
    EXPECT_NEAR(b.right - b.left, 2117, 1);
    EXPECT_NEAR(b.bottom - b.top, 1056, 1);
    const RECT screen = WindowRect(GetDesktopWindow());
    RECT inside = {};
    IntersectRect(&inside, &b, &screen);
    EXPECT_TRUE(RectIs(inside, b)) << "not wholly on the screen";
    // Kept for the README's 150 % pictures.
    EXPECT_TRUE(CaptureScreenWhen(L"launcher-144", [&](const ScreenCapture& s) {
                    return s.Count(b, [](DWORD c) { return (c & 0xFFFFFF) != 0; }) > 2117 * 1056 / 2;
                }).ok());
    // (626, 212, 1256, 584) at 96 DPI, also once the launcher has moved.
    EXPECT_TRUE(RectIs(WindowRect(game.hwnd), b.left + 939, b.top + 318, b.left + 1884, b.top + 876));
    SetWindowPos(back, nullptr, b.left - 40, b.top + 25, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    b = WindowRect(back);
    EXPECT_TRUE(RectIs(WindowRect(game.hwnd), b.left + 939, b.top + 318, b.left + 1884, b.top + 876));

    // The forum link's middle, (1080, 179) at 96 DPI, and the close
    // button's, (1325, 135); the dialog's cancel, (212, 117), is 1.5x too.
    ASSERT_TRUE(ClickUntil(POINT{b.left + 1620, b.top + 268}, [&] { return !opened.empty(); }));
    EXPECT_EQ(opened, game.configuration().sites.forum + L"/forum.php?mod=forumdisplay&fid=601");
    TimerScript answer = AnswerCloseDialog(318, 176);
    ASSERT_TRUE(ClickUntil(POINT{b.left + 1987, b.top + 202}, [&] { return answer.finished(); }));
    ASSERT_TRUE(PumpUntil([] { return !FindWindowW(L"velmorkastel", nullptr); }, 10000));
    EXPECT_TRUE(IsWindowVisible(back) && IsWindowVisible(game.hwnd)) << "cancelled";

    DestroyWindow(game.hwnd);
    DestroyWindow(back);
    PumpPending();
}
