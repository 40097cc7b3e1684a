// ctest: dpi-144
// The game view on a 150 % display: the title bar, the page below it and
// the caption at 1.5x, the window within the work area.
#include "windows/CFrameGame.h"

#include "DibCanvas.h"
#include "ImageProbe.h"
#include "RectAssert.h"
#include "Screenshot.h"
#include "TestApp.h"
#include "base/AppMessages.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace {

bool Light(DWORD c)
{
    return ((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) > 200 && (c & 0xFF) > 200;
}

// Rows and the right-most column with light ink in `area` of `pixel`.
template <typename PixelAt>
SIZE InkExtent(const RECT& area, PixelAt pixel)
{
    int top = -1, bottom = -1, right = -1;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (!Light(pixel(x, y)))
                continue;
            if (top < 0)
                top = y;
            bottom = y;
            right = std::max(right, x);
        }
    }
    if (top < 0)
        return SIZE{0, 0};
    return SIZE{right - area.left + 1, bottom - top + 1};
}

} // namespace

TEST(ScaledGameView, TitleBarPageAndCaptionAreOneAndAHalfTimesTheirSize)
{
    ExitOnCrash();
    TestApp app;
    ASSERT_TRUE(app.ok());

    // The caption's ink as drawn at 96 DPI.
    GameTitleBar bar;
    bar.Prepare();
    DibCanvas canvas(400, 25);
    ASSERT_TRUE(canvas.ok());
    canvas.Clear(0xFF000000);
    bar.PaintCaption(canvas.graphics(), RECT{0, 0, 1366, 25});
    canvas.Flush();
    const SIZE ink96 = InkExtent(RECT{22, 0, 400, 25}, [&](int x, int y) { return canvas.Pixel(x, y); });
    bar.Release();
    ASSERT_GT(ink96.cy, 4);

    CFrameGame game;
    ASSERT_TRUE(game.CreateLoginView());
    game.EnterGameMode();
    ASSERT_TRUE(PumpUntil([&] { return IsZoomed(game.hwnd) && IsWindowVisible(game.hwnd); }, 10000));
    EXPECT_EQ(game.painter.Dpi(), 144u);

    RECT work = {0, 0, 0, 0};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT window = {0, 0, 0, 0};
    GetWindowRect(game.hwnd, &window);
    EXPECT_TRUE(RectIs(window, work));
    // 25 units at 150 %: 37.5 px.
    EXPECT_EQ(game.PageArea().top, 38);

    // The close button, 25 units wide at the right, is 38 px wide on screen.
    const CImageButton* close = game.painter.FindButton(CloseButtonId);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->rect.right - close->rect.left, 25) << "layout stays in 96-DPI units";

    SIZE ink144 = {0, 0};
    const ScreenCapture screen = CaptureScreenWhen(L"game-view-144", [&](const ScreenCapture& s) {
        // From the caption's left edge, (22, 0) at 96 DPI, over twice its width.
        ink144 = InkExtent(RECT{window.left + 33, window.top, window.left + 33 + 2 * ink96.cx, window.top + 38},
                           [&](int x, int y) { return s.Pixel(x, y); });
        return ink144.cy > 0;
    });
    ASSERT_TRUE(screen.ok());
    const double ratio = static_cast<double>(ink144.cy) / ink96.cy;
    EXPECT_GE(ratio, 1.3) << ink96.cy << " px at 96 DPI, " << ink144.cy << " px at 144";
    EXPECT_LE(ratio, 1.7) << ink96.cy << " px at 96 DPI, " << ink144.cy << " px at 144";

    game.Close();
    game.Destroy();
    PumpPending();
}
