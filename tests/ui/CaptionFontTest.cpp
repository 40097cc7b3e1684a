// ctest: plain-fonts
// Run where "宋体" is not mapped to any installed face, as on a system
// without SimSun: the captions must still draw.
#include "DibCanvas.h"
#include "TestApp.h"
#include "ui/CImageButton.h"
#include "ui/CImageStatic.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kPaper = 0xFFFFFFFF;

int InkPixels(DibCanvas& canvas)
{
    canvas.Flush();
    int ink = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (!ColorNear(canvas.Pixel(x, y), kPaper, 60))
                ++ink;
        }
    }
    return ink;
}

} // namespace

TEST(CaptionFont, ButtonAndImageCaptionsDrawWhereSimSunIsUnknown)
{
    TestApp app;
    ASSERT_TRUE(app.ok());
    // Otherwise this environment proves nothing.
    Gdiplus::FontFamily simSun(L"\u5B8B\u4F53");
    ASSERT_NE(simSun.GetLastStatus(), Gdiplus::Ok) << "\"宋体\" is mapped here";

    DibCanvas canvas(120, 30);
    ASSERT_TRUE(canvas.ok());
    canvas.Clear(kPaper);
    // Menu rows are buttons of this kind too.
    CImageButton button(nullptr, 1, RECT{0, 0, 120, 30}, L"清除缓存");
    ASSERT_TRUE(button.font);
    button.Draw(canvas.graphics(), POINT{-1, -1}, 0, nullptr);
    EXPECT_GT(InkPixels(canvas), 20) << "the button caption drew nothing";

    canvas.Clear(kPaper);
    CImageStatic label(2, RECT{0, 0, 120, 30}, false);
    label.SetText(L"老板键");
    ASSERT_TRUE(label.font);
    label.Draw(canvas.graphics(), nullptr);
    EXPECT_GT(InkPixels(canvas), 20) << "the image caption drew nothing";
}
