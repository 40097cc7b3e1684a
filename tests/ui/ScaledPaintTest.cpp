// ctest: dpi-144
// A painter at 144 DPI: layout stays in 96-DPI units, the screen gets 1.5x.
#include "ImageProbe.h"
#include "Input.h"
#include "RectAssert.h"
#include "TestApp.h"

#include "ui/CImageItem.h"
#include "ui/CImageMenu.h"
#include "ui/CImagePaint.h"
#include "ui/CImageTipCtrl.h"
#include "ui/UiFont.h"

#include <gtest/gtest.h>

namespace {

// Rows of `shot` holding ink (alpha above 0x40) within columns [left, right).
int InkHeight(const LayeredCapture& shot, int left, int right)
{
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = left; x < right; ++x) {
            if ((shot.Pixel(x, y) >> 24) > 0x40) {
                if (top < 0)
                    top = y;
                bottom = y;
                break;
            }
        }
    }
    return top < 0 ? 0 : bottom - top + 1;
}

class ScaledPaint : public ::testing::Test {
protected:
    void SetUp() override
    {
        ExitOnCrash();
        ASSERT_TRUE(app.ok());
        SetCursorPos(2870, 1610);
        LayeredCapture::Last() = LayeredCapture();
    }

    // A layered probe 300 x 180 device pixels with a picture button and a
    // caption button, rendered once.
    static HWND Open(ProbeWindow& w)
    {
        const HWND h = w.Open(100, 100, 300, 180);
        w.painter.updateLayeredWindow = &LayeredCapture::Hook;
        w.painter.updateLayeredWindowIndirect = &LayeredCapture::HookIndirect;
        w.painter.EnableLayered();
        w.painter.AddButton(501, RECT{20, 20, 45, 45}, 209, 210, 152, 209);
        CImageButton* caption = w.painter.AddButton(600, RECT{60, 20, 180, 60}, 0, 0, 0, 0);
        caption->SetText(L"Lumarion \u6E38\u620F");
        w.painter.UpdateLayered();
        return h;
    }

    TestApp app;
};

} // namespace

TEST_F(ScaledPaint, PicturesCaptionsAndPointerFollowTheWindowsScale)
{
    ProbeWindow scaled;
    const HWND h = Open(scaled);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(scaled.painter.Dpi(), 144u);
    const LayeredCapture& shot = LayeredCapture::Last();
    ASSERT_EQ(shot.width, 300);
    // Layout x 1.5: the 25-px picture covers device rows 30..67.
    const int pictureAt144 = InkHeight(shot, 30, 67);
    const int captionAt144 = InkHeight(shot, 90, 270);

    // Hover at a device point maps back to the layout: (40, 40) is (26, 26).
    Hover(h, 40, 40);
    EXPECT_EQ(scaled.painter.hotButton, scaled.painter.FindButton(501));
    EXPECT_TRUE(RectIs(shot.dirty, 30, 30, 68, 68));
    Hover(h, 80, 80);
    EXPECT_EQ(scaled.painter.hotButton, nullptr) << "(80, 80) is (53, 53), off both buttons";

    // The same window told its monitor is at 96 DPI draws at 1x.
    ProbeWindow plain;
    const HWND p = Open(plain);
    ASSERT_NE(p, nullptr);
    RECT suggested = {100, 100, 300, 220};
    SendMessageW(p, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(plain.painter.Dpi(), 96u);
    ASSERT_EQ(shot.window, p);
    const int pictureAt96 = InkHeight(shot, 20, 45);
    const int captionAt96 = InkHeight(shot, 60, 180);

    EXPECT_EQ(pictureAt96, 25);
    EXPECT_NEAR(pictureAt144, 37.5, 1.0);
    ASSERT_GT(captionAt96, 6);
    const double ratio = static_cast<double>(captionAt144) / captionAt96;
    EXPECT_NEAR(ratio, 1.5, 0.2) << captionAt144 << " px at 144 DPI, " << captionAt96 << " at 96";
    DestroyWindow(p);
    DestroyWindow(h);
}

TEST_F(ScaledPaint, MenuAndTooltipTakeTheScaleAndMapThePointer)
{
    CImageMenu menu;
    for (int id = 1; id <= 3; ++id)
        menu.painter.AddItem(id);
    menu.ShowAt(POINT{200, 300});
    ASSERT_NE(menu.hwnd, nullptr);
    EXPECT_EQ(menu.painter.target.Dpi(), 144u);
    RECT r = {};
    GetWindowRect(menu.hwnd, &r);
    // 96 x 72 in layout units: three rows of 24.
    EXPECT_TRUE(RectIs(r, 200, 300, 344, 408));
    // Device (50, 40) is layout (33, 26): the second row.
    SendMessageW(menu.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(50, 40));
    ASSERT_NE(menu.painter.hotItem, nullptr);
    EXPECT_EQ(menu.painter.hotItem->id, 2);
    DestroyWindow(menu.hwnd);

    CImageTipCtrl tip;
    ASSERT_TRUE(tip.Create(0, L"ToolTip", nullptr, WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0, nullptr));
    ASSERT_TRUE(SettleCursorAt(600, 500));
    tip.SetTipText(L"\u5237\u65B0 the page");
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(tip.hwnd) != FALSE; }, 10000));
    Gdiplus::SizeF measured;
    {
        ScopedWindowDc dc(tip.hwnd);
        Gdiplus::Graphics graphics(dc.get());
        // In layout units: the 9-point font at 96 DPI.
        std::unique_ptr<Gdiplus::Font> layoutFont;
        measured = CImageTipCtrl::MeasureTip(graphics, L"\u5237\u65B0 the page",
                                             FontForScale(graphics, *tip.tipFont, 1, layoutFont));
        EXPECT_TRUE(layoutFont) << "the window DC counts points at 144 DPI";
    }
    GetWindowRect(tip.hwnd, &r);
    // 15 px below right of the cursor and the framed text, all 1.5x.
    EXPECT_EQ(r.left, 600 + 22);
    EXPECT_EQ(r.top, 500 + 22);
    EXPECT_NEAR(r.right - r.left, (static_cast<int>(measured.Width) + 5) * 1.5, 1.0);
    EXPECT_NEAR(r.bottom - r.top, (static_cast<int>(measured.Height) + 4) * 1.5, 1.0);
    DestroyWindow(tip.hwnd);
}
