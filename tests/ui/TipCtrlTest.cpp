// ctest: desktop
#include "DibCanvas.h"
#include "Input.h"
#include "TestApp.h"
#include "ui/CImageTipCtrl.h"
#include "ui/UiFont.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The window whose buttons the tooltip describes; it must keep the focus.
class OwnerWindow : public CWindowCtrl {};

class TipCtrl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(app.ok());
        ASSERT_TRUE(owner.Create(0, L"TipTestOwner", L"owner", WS_POPUP | WS_VISIBLE, 100, 100,
                                 400, 300, nullptr));
        ASSERT_TRUE(GiveKeyboardFocus(owner.hwnd));
        ASSERT_TRUE(tip.Create(0, L"ToolTip", nullptr, WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0,
                               owner.hwnd));
        ASSERT_FALSE(IsWindowVisible(tip.hwnd));
        ASSERT_TRUE(SettleCursorAt(300, 250));
    }

    bool Shown() const { return IsWindowVisible(tip.hwnd) != FALSE; }

    RECT TipWindowRect() const
    {
        RECT r = {};
        GetWindowRect(tip.hwnd, &r);
        return r;
    }

    // Waits for the tip and returns how long that took from `start`.
    DWORD WaitShown(DWORD start)
    {
        EXPECT_TRUE(PumpUntil([this] { return Shown(); }, 10000));
        return GetTickCount() - start;
    }

    TestApp app;
    OwnerWindow owner;
    CImageTipCtrl tip;
};

TEST(TipPlacement, SitsBelowRightOfCursorAndFramesTheText)
{
    const RECT r = CImageTipCtrl::TipRect(POINT{200, 300}, Gdiplus::SizeF(60, 12));
    EXPECT_EQ(215, r.left);
    EXPECT_EQ(315, r.top);
    EXPECT_EQ(65, r.right - r.left);
    EXPECT_EQ(16, r.bottom - r.top);
    // Fractions of the measured size are cut, not rounded.
    const RECT cut = CImageTipCtrl::TipRect(POINT{-40, 0}, Gdiplus::SizeF(60.9f, 12.7f));
    EXPECT_EQ(-25, cut.left);
    EXPECT_EQ(65, cut.right - cut.left);
    EXPECT_EQ(16, cut.bottom - cut.top);
}

TEST(TipFont, MissingFamilyStillMeasuresText)
{
    TestApp app;
    ASSERT_TRUE(app.ok());
    DibCanvas canvas(10, 10);
    ASSERT_TRUE(canvas.ok());
    for (const wchar_t* family : {L"Tahoma", L"No Such Family 4711"}) {
        auto font = CreateUiFont(family, 9);
        ASSERT_TRUE(font) << family;
        EXPECT_EQ(Gdiplus::Ok, font->GetLastStatus()) << family;
        const Gdiplus::SizeF size = CImageTipCtrl::MeasureTip(canvas.graphics(), L"工具 tools", *font);
        EXPECT_GT(size.Width, 20) << family;
        EXPECT_GT(size.Height, 8) << family;
        EXPECT_LT(size.Height, 40) << family;
    }
}

TEST_F(TipCtrl, AppearsAfterTheDelayAtTheCursorWithoutTakingTheFocus)
{
    ASSERT_EQ(owner.hwnd, GetForegroundWindow());
    const DWORD start = GetTickCount();
    tip.SetTipText(L"刷新 the page");
    EXPECT_GE(WaitShown(start), CImageTipCtrl::kShowDelay - 10) << "shown before the delay";

    POINT cursor = {};
    GetCursorPos(&cursor);
    ASSERT_EQ(300, cursor.x);
    ASSERT_EQ(250, cursor.y);
    ASSERT_TRUE(tip.tipFont);
    Gdiplus::SizeF measured;
    {
        HDC dc = GetDC(tip.hwnd);
        Gdiplus::Graphics graphics(dc);
        measured = CImageTipCtrl::MeasureTip(graphics, L"刷新 the page", *tip.tipFont);
        ReleaseDC(tip.hwnd, dc);
    }
    EXPECT_GT(measured.Width, 30);
    const RECT r = TipWindowRect();
    EXPECT_EQ(315, r.left);
    EXPECT_EQ(265, r.top);
    EXPECT_EQ(static_cast<int>(measured.Width) + 5, r.right - r.left);
    EXPECT_EQ(static_cast<int>(measured.Height) + 4, r.bottom - r.top);

    EXPECT_EQ(owner.hwnd, GetForegroundWindow());
    EXPECT_EQ(owner.hwnd, GetActiveWindow());
    EXPECT_EQ(owner.hwnd, GetFocus());
}

TEST_F(TipCtrl, PaintsBorderBackgroundAndText)
{
    tip.SetTipText(L"老板键(Alt+D)");
    WaitShown(GetTickCount());
    const RECT r = TipWindowRect();
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    DibCanvas canvas(width, height);
    ASSERT_TRUE(canvas.ok());
    // Read back from the screen until the first paint has reached it.
    EXPECT_TRUE(PumpUntil([&] {
        HDC screen = GetDC(nullptr);
        BitBlt(canvas.dc(), 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
        return ColorNear(canvas.Pixel(1, 1) | 0xFF000000, 0xFFFCFCFC, 8);
    }));

    EXPECT_TRUE(ColorNear(canvas.Pixel(0, 0) | 0xFF000000, 0xFF8A8A8A, 8));
    EXPECT_TRUE(ColorNear(canvas.Pixel(width - 1, height - 1) | 0xFF000000, 0xFF8A8A8A, 8));
    EXPECT_TRUE(ColorNear(canvas.Pixel(1, 1) | 0xFF000000, 0xFFFCFCFC, 8));
    int ink = 0;
    for (int y = 2; y < height - 2; ++y)
        for (int x = 2; x < width - 2; ++x)
            if (RedOf(canvas.Pixel(x, y)) < 100)
                ++ink;
    EXPECT_GT(ink, 40) << "no text drawn";
}

TEST_F(TipCtrl, SameTextWhileWaitingRestartsTheDelay)
{
    tip.SetTipText(L"工具");
    // A third of the delay, far enough from its end for a slow machine.
    PumpFor(CImageTipCtrl::kShowDelay / 3);
    ASSERT_FALSE(Shown());
    const DWORD restart = GetTickCount();
    tip.SetTipText(L"工具");
    EXPECT_GE(WaitShown(restart), CImageTipCtrl::kShowDelay - 10) << "the first delay was not restarted";
}

TEST_F(TipCtrl, SameTextWhileShownStaysInPlace)
{
    tip.SetTipText(L"工具");
    WaitShown(GetTickCount());
    const RECT before = TipWindowRect();
    ASSERT_TRUE(SettleCursorAt(500, 400));
    tip.SetTipText(L"工具");
    EXPECT_TRUE(Shown());
    // Nothing to wait for: a restarted delay would move it once it ran out.
    PumpFor(CImageTipCtrl::kShowDelay + 300);
    EXPECT_TRUE(Shown());
    const RECT after = TipWindowRect();
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
}

TEST_F(TipCtrl, NewTextHidesAndReappearsAtTheNewCursor)
{
    tip.SetTipText(L"工具");
    WaitShown(GetTickCount());
    ASSERT_TRUE(SettleCursorAt(600, 500));
    tip.SetTipText(L"刷新");
    EXPECT_FALSE(Shown());
    WaitShown(GetTickCount());
    const RECT r = TipWindowRect();
    EXPECT_EQ(615, r.left);
    EXPECT_EQ(515, r.top);
}

TEST_F(TipCtrl, EmptyTextHidesAndStartsNoTimer)
{
    tip.SetTipText(L"工具");
    WaitShown(GetTickCount());
    tip.SetTipText(L"");
    EXPECT_FALSE(Shown());

    // Also while still waiting: the pending tip never shows. Nothing to
    // wait for but the delay running out (with room for a late timer).
    tip.SetTipText(L"刷新");
    tip.SetTipText(L"");
    PumpFor(CImageTipCtrl::kShowDelay + 300);
    EXPECT_FALSE(Shown());
}

TEST_F(TipCtrl, OverlongTextIsCutToTheBuffer)
{
    std::wstring text(400, L'x');
    tip.SetTipText(text.c_str());
    EXPECT_EQ(259u, wcslen(tip.tipText));
}

} // namespace
