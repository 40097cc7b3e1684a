// ctest: desktop
#include "windows/CloseMsgWnd.h"

#include "Input.h"
#include "Screenshot.h"
#include "TestApp.h"

#include <psapi.h>

#include <gtest/gtest.h>

namespace {

HWND FindDialog()
{
    return FindWindowW(L"velmorkastel", nullptr);
}

// An ordinary owner window somewhere off-centre.
HWND CreateOwner(int x, int y)
{
    return CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, x, y, 400, 300, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

class CloseDialog : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app.ok()); }
    TestApp app;
};

SIZE_T WorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize;
}

} // namespace

TEST_F(CloseDialog, ConfirmReturnsOneAndSitsCentredOnTheScreen)
{
    const HWND owner = CreateOwner(30, 40);
    CloseMsgWnd dialog;
    RECT shown = {};
    bool sawSecondCall = false;
    DialogResult secondResult = DialogResult::Confirmed;
    int questionInk = 0;
    int captures = 0;
    int step = 0;
    TimerScript script([&] {
        const HWND h = FindDialog();
        if (!h)
            return false;
        switch (step++) {
        case 0:
            GetWindowRect(h, &shown);
            // A second ShowModal while it is up only brings it forward.
            secondResult = dialog.ShowModal(owner);
            sawSecondCall = true;
            return false;
        case 1: {
            // The question is on the screen in light ink; asked again on the
            // next tick until it has been drawn, for a few seconds at most.
            const ScreenCapture screen(L"close-dialog");
            const RECT question = {shown.left + 60, shown.top + 56, shown.left + 235, shown.top + 76};
            questionInk = screen.Count(question, [](DWORD c) {
                return ((c >> 16) & 0xFF) > 110 && ((c >> 8) & 0xFF) > 110 && (c & 0xFF) > 110;
            });
            if (questionInk <= 300 && ++captures < 5)
                --step;
            return false;
        }
        case 2:
            ClickAt(shown.left + 84, shown.top + 117);  // middle of "确定"
            return false;
        default:
            return true;
        }
    });
    const DialogResult result = dialog.ShowModal(owner);
    EXPECT_EQ(result, DialogResult::Confirmed);
    EXPECT_GT(questionInk, 300) << "the question was not drawn";
    EXPECT_TRUE(sawSecondCall);
    EXPECT_EQ(secondResult, DialogResult::AlreadyShown);
    const int sx = GetSystemMetrics(SM_CXSCREEN);
    const int sy = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(shown.left, (sx - 295) / 2);
    EXPECT_EQ(shown.top, (sy - 190) / 2);
    EXPECT_EQ(shown.right - shown.left, 295);
    EXPECT_EQ(shown.bottom - shown.top, 190);
    EXPECT_FALSE(IsWindow(dialog.hwnd));
    EXPECT_EQ(FindDialog(), nullptr);
    DestroyWindow(owner);
}

TEST_F(CloseDialog, CancelAndEveryOtherEndReturnTwo)
{
    const HWND owner = CreateOwner(600, 500);
    {
        CloseMsgWnd dialog;
        TimerScript script([&] {
            RECT r;
            const HWND h = FindDialog();
            if (!h || !GetWindowRect(h, &r))
                return false;
            ClickAt(r.left + 212, r.top + 117);  // middle of "取消"
            return true;
        });
        EXPECT_EQ(dialog.ShowModal(owner), DialogResult::Cancelled);
    }
    {
        // Closed from outside without any button.
        CloseMsgWnd dialog;
        TimerScript script([&] {
            const HWND h = FindDialog();
            if (!h)
                return false;
            PostMessageW(h, WM_CLOSE, 0, 0);
            return true;
        });
        EXPECT_EQ(dialog.ShowModal(owner), DialogResult::Cancelled);
    }
    {
        // A press that starts on confirm but is released elsewhere is no click.
        CloseMsgWnd dialog;
        int step = 0;
        RECT r = {};
        TimerScript script([&] {
            const HWND h = FindDialog();
            if (!h || !GetWindowRect(h, &r))
                return false;
            INPUT input = {};
            input.type = INPUT_MOUSE;
            switch (step++) {
            case 0:
                MoveMouseTo(r.left + 84, r.top + 117);
                return false;
            case 1:
                input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
                SendInput(1, &input, sizeof(input));
                return false;
            case 2:
                MoveMouseTo(r.left + 150, r.top + 170);
                return false;
            case 3:
                input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
                SendInput(1, &input, sizeof(input));
                return false;
            case 4:
                EXPECT_TRUE(IsWindow(h)) << "release outside the button must not click";
                DestroyWindow(h);
                return true;
            default:
                return true;
            }
        });
        EXPECT_EQ(dialog.ShowModal(owner), DialogResult::Cancelled);
    }
    DestroyWindow(owner);
}

TEST_F(CloseDialog, TwoHundredShowsLeaveMemoryFlat)
{
    auto showAndClose = [] {
        CloseMsgWnd dialog;
        TimerScript script(
            [] {
                const HWND h = FindDialog();
                if (!h)
                    return false;
                DestroyWindow(h);
                return true;
            },
            1);
        return dialog.ShowModal(nullptr);
    };
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(showAndClose(), DialogResult::Cancelled);
    const SIZE_T before = WorkingSet();
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(showAndClose(), DialogResult::Cancelled);
    const SIZE_T after = WorkingSet();
    // Each dialog renders a 295 x 190 DIB (about 220 KB) and loads five
    // pictures; a leak of either would add tens of megabytes over 200 runs.
    EXPECT_LT(after, before + 4 * 1024 * 1024) << "before " << before << " after " << after;
}

namespace {

BOOL WINAPI RefusePush(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD)
{
    return FALSE;
}

} // namespace

TEST_F(CloseDialog, ARefusedLayeredPictureIsPaintedTheOrdinaryWay)
{
    const HWND owner = CreateOwner(30, 40);
    CloseMsgWnd dialog;
    // The system takes no layered picture from this dialog.
    dialog.painter.updateLayeredWindow = &RefusePush;
    bool ownerBlocked = false;
    bool stillLayered = true;
    int questionInk = 0;
    int captures = 0;
    bool clicked = false;
    bool clickMissed = false;
    TimerScript script([&] {
        const HWND h = FindDialog();
        RECT r;
        if (!h || !GetWindowRect(h, &r))
            return false;
        if (clicked) {
            // The click did not reach it: end the run all the same.
            clickMissed = true;
            DestroyWindow(h);
            return true;
        }
        ownerBlocked = !IsWindowEnabled(owner);
        stillLayered = (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
        // Blocked windows under a dialog on screen: the question is visible.
        const ScreenCapture screen(L"close-dialog-painted");
        const RECT question = {r.left + 60, r.top + 56, r.left + 235, r.top + 76};
        questionInk = screen.Count(question, [](DWORD c) {
            return ((c >> 16) & 0xFF) > 110 && ((c >> 8) & 0xFF) > 110 && (c & 0xFF) > 110;
        });
        if (questionInk <= 300 && ++captures < 5)
            return false;
        ClickAt(r.left + 212, r.top + 117);  // "取消" works on the painted dialog
        clicked = true;
        return false;
    });
    EXPECT_EQ(dialog.ShowModal(owner), DialogResult::Cancelled);
    EXPECT_FALSE(IsWindow(dialog.hwnd));
    EXPECT_FALSE(clickMissed);
    EXPECT_TRUE(ownerBlocked);
    EXPECT_FALSE(stillLayered);
    EXPECT_GT(questionInk, 300) << "the dialog was not on the screen";
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
}
