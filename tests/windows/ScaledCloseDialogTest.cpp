// ctest: dpi-144
// The close dialog on a 150 % display: 1.5x its size, its picture and
// question drawn at that size, its buttons where they are drawn.
#include "windows/CloseMsgWnd.h"

#include "Input.h"
#include "Screenshot.h"
#include "TestApp.h"

#include <gtest/gtest.h>

TEST(ScaledCloseDialog, IsOneAndAHalfTimesItsSizeAndAnswersWhereItIsDrawn)
{
    TestApp app;
    ASSERT_TRUE(app.ok());
    CloseMsgWnd dialog;
    RECT shown = {};
    int questionInk = 0;
    int captures = 0;
    bool clicked = false;
    bool clickMissed = false;
    TimerScript script([&] {
        const HWND h = FindWindowW(L"velmorkastel", nullptr);
        if (!h || !GetWindowRect(h, &shown))
            return false;
        if (clicked) {
            clickMissed = true;
            DestroyWindow(h);
            return true;
        }
        // The question's band, 1.5x its place at 96 DPI.
        const ScreenCapture screen(L"close-dialog-144");
        const RECT question = {shown.left + 90, shown.top + 84, shown.left + 352, shown.top + 114};
        questionInk = screen.Count(question, [](DWORD c) {
            return ((c >> 16) & 0xFF) > 110 && ((c >> 8) & 0xFF) > 110 && (c & 0xFF) > 110;
        });
        if (questionInk <= 675 && ++captures < 5)
            return false;
        // The middle of "确定", (84, 117) at 96 DPI.
        ClickAt(shown.left + 126, shown.top + 175);
        clicked = true;
        return false;
    });
    EXPECT_EQ(dialog.ShowModal(nullptr), DialogResult::Confirmed);
    EXPECT_FALSE(clickMissed);
    EXPECT_EQ(shown.right - shown.left, 443);
    EXPECT_EQ(shown.bottom - shown.top, 285);
    // At 96 DPI the question shows more than 300 light pixels; 2.25 times
    // the area here.
    EXPECT_GT(questionInk, 675) << "the question was not drawn at 1.5x";
}
