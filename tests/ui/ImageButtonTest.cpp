#include "DibCanvas.h"
#include "TestApp.h"
#include "ui/CImageButton.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

constexpr uint32_t kPaper = 0xFFFFFFFF;
// Colours of the title-bar close pictures at (6, 6), read from the art.
constexpr uint32_t kCloseNormal = 0xFF222F58;   // 209
constexpr uint32_t kCloseHover = 0xFFD6473B;    // 210
constexpr uint32_t kClosePressed = 0xFF781815;  // 152

class ImageButtonDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(app.ok());
        canvas = std::make_unique<DibCanvas>(120, 60);
        ASSERT_TRUE(canvas->ok());
        canvas->Clear(kPaper);
    }

    // Draws `button` on fresh paper and returns the pixel at (x, y).
    uint32_t DrawAndRead(CImageButton& button, POINT cursor, int pressed, int x, int y,
                         const RECT* overrideRect = nullptr)
    {
        canvas->Clear(kPaper);
        button.Draw(canvas->graphics(), cursor, pressed, overrideRect);
        return canvas->Pixel(x, y);
    }

    // Pixels in [x0, x1) x [y0, y1) that are not paper.
    int CountInk(int x0, int y0, int x1, int y1)
    {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (canvas->Pixel(x, y) != kPaper)
                    ++count;
        return count;
    }

    // Ink pixels where `channel` (16 red, 8 green, 0 blue) clearly dominates.
    int CountTinted(int shift)
    {
        int count = 0;
        for (int y = 0; y < canvas->height(); ++y)
            for (int x = 0; x < canvas->width(); ++x) {
                const uint32_t c = canvas->Pixel(x, y);
                const int mine = (c >> shift) & 0xFF;
                const int others = (RedOf(c) + GreenOf(c) + BlueOf(c) - mine) / 2;
                if (mine - others > 60)
                    ++count;
            }
        return count;
    }

    TestApp app;
    std::unique_ptr<DibCanvas> canvas;
};

// A solid `argb` bitmap; `leftHalfOnly` leaves the right half transparent.
std::unique_ptr<Gdiplus::Bitmap> SolidBitmap(int width, int height, Gdiplus::ARGB argb, bool leftHalfOnly = false)
{
    std::unique_ptr<Gdiplus::Bitmap> bitmap(new Gdiplus::Bitmap(width, height, PixelFormat32bppARGB));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap->SetPixel(x, y, Gdiplus::Color(leftHalfOnly && x >= width / 2 ? 0 : argb));
    return bitmap;
}

uint32_t PixelOf(Gdiplus::Image* image, int x, int y)
{
    Gdiplus::Color color;
    static_cast<Gdiplus::Bitmap*>(image)->GetPixel(x, y, &color);
    return color.GetValue();
}

} // namespace

TEST_F(ImageButtonDraw, TitleBarCloseButtonShowsNormalHoverAndPressed)
{
    CImageButton button(nullptr, 10, RECT{10, 10, 35, 35}, L"");
    button.SetImages(209, 210, 152, 209);
    ASSERT_TRUE(button.disabledImage);  // kept, never drawn

    const POINT outside{5, 5};
    const POINT inside{20, 20};
    EXPECT_TRUE(ColorNear(kCloseNormal, DrawAndRead(button, outside, 0, 16, 16), 6));
    EXPECT_TRUE(ColorNear(kCloseNormal, DrawAndRead(button, outside, 1, 16, 16), 6));
    EXPECT_TRUE(ColorNear(kCloseHover, DrawAndRead(button, inside, 0, 16, 16), 6));
    EXPECT_TRUE(ColorNear(kClosePressed, DrawAndRead(button, inside, 1, 16, 16), 6));
    // The rectangle's top-left corner belongs to it, its right and bottom edges do not.
    EXPECT_TRUE(ColorNear(kCloseHover, DrawAndRead(button, POINT{10, 10}, 0, 16, 16), 6));
    EXPECT_TRUE(ColorNear(kCloseNormal, DrawAndRead(button, POINT{35, 20}, 0, 16, 16), 6));
    EXPECT_TRUE(ColorNear(kCloseNormal, DrawAndRead(button, POINT{20, 35}, 0, 16, 16), 6));

    button.forcePressed = true;
    EXPECT_TRUE(ColorNear(kClosePressed, DrawAndRead(button, outside, 0, 16, 16), 6));
    EXPECT_TRUE(ColorNear(kClosePressed, DrawAndRead(button, inside, 0, 16, 16), 6));
}

TEST_F(ImageButtonDraw, MissingStatePicturesFallBack)
{
    const POINT inside{20, 20};
    CImageButton button(nullptr, 10, RECT{10, 10, 35, 35}, L"");

    button.SetImages(209, 0, 0, 0);
    EXPECT_TRUE(ColorNear(kCloseNormal, DrawAndRead(button, inside, 0, 16, 16), 6)) << "hover -> normal";
    EXPECT_TRUE(ColorNear(kCloseNormal, DrawAndRead(button, inside, 1, 16, 16), 6)) << "pressed -> normal";

    button.SetImages(209, 210, 0, 0);
    EXPECT_TRUE(ColorNear(kCloseHover, DrawAndRead(button, inside, 1, 16, 16), 6)) << "pressed -> hover";

    button.SetImages(209, 136, 152, 0);  // 136 does not exist
    EXPECT_FALSE(button.hoverImage);
    EXPECT_TRUE(ColorNear(kCloseNormal, DrawAndRead(button, inside, 0, 16, 16), 6)) << "absent hover -> normal";
    EXPECT_TRUE(ColorNear(kClosePressed, DrawAndRead(button, inside, 1, 16, 16), 6));

    // A zero normal id changes nothing at all.
    Gdiplus::Image* normal = button.normalImage.get();
    Gdiplus::Image* pressed = button.pressedImage.get();
    button.SetImages(0, 210, 210, 210);
    EXPECT_EQ(normal, button.normalImage.get());
    EXPECT_EQ(pressed, button.pressedImage.get());
    EXPECT_FALSE(button.hoverImage);

    // No picture at all: nothing is drawn.
    CImageButton bare(nullptr, 11, RECT{10, 10, 35, 35}, L"");
    bare.SetImages(136, 0, 0, 0);
    EXPECT_FALSE(bare.normalImage);
    canvas->Clear(kPaper);
    bare.Draw(canvas->graphics(), inside, 1, nullptr);
    EXPECT_EQ(0, CountInk(0, 0, canvas->width(), canvas->height()));
}

TEST_F(ImageButtonDraw, StripFramesAreIntegerHalves)
{
    CImageButton link(nullptr, 1, RECT{0, 0, 118, 42}, L"");
    link.SetImageStrip(131);  // 237 x 42: the last column belongs to no frame
    ASSERT_TRUE(link.normalImage);
    ASSERT_TRUE(link.hoverImage);
    ASSERT_TRUE(link.stripImage);
    EXPECT_FALSE(link.pressedImage);
    EXPECT_FALSE(link.disabledImage);
    EXPECT_EQ(118u, link.normalImage->GetWidth());
    EXPECT_EQ(42u, link.normalImage->GetHeight());
    EXPECT_EQ(118u, link.hoverImage->GetWidth());
    EXPECT_EQ(42u, link.hoverImage->GetHeight());
    // Art columns at y 21: 1 and 117 normal, 118, 119 and 235 hover.
    EXPECT_EQ(0xFF24293Fu, PixelOf(link.normalImage.get(), 1, 21));
    EXPECT_EQ(0xFFBF9B57u, PixelOf(link.normalImage.get(), 117, 21));
    EXPECT_EQ(0xFFE7D297u, PixelOf(link.hoverImage.get(), 0, 21));
    EXPECT_EQ(0xFF3C4874u, PixelOf(link.hoverImage.get(), 1, 21));
    EXPECT_EQ(0xFFE7D297u, PixelOf(link.hoverImage.get(), 117, 21));
    // Transparency survives the cut.
    EXPECT_EQ(0u, PixelOf(link.hoverImage.get(), 0, 1) >> 24);
    EXPECT_NEAR(2, static_cast<int>(PixelOf(link.normalImage.get(), 1, 1) >> 24), 1);

    CImageButton small(nullptr, 2, RECT{0, 0, 28, 28}, L"");
    small.SetImageStrip(135);  // 57 x 28
    ASSERT_TRUE(small.normalImage);
    ASSERT_TRUE(small.hoverImage);
    EXPECT_EQ(28u, small.normalImage->GetWidth());
    EXPECT_EQ(28u, small.hoverImage->GetWidth());
    // Kept premultiplied: a translucent pixel reads back within 1.
    EXPECT_TRUE(ColorNear(0xF5AA905Du, PixelOf(small.normalImage.get(), 1, 14), 1));
    EXPECT_TRUE(ColorNear(0xF5D2BB8Bu, PixelOf(small.hoverImage.get(), 1, 14), 1));

    CImageButton missing(nullptr, 3, RECT{0, 0, 28, 28}, L"");
    missing.SetImageStrip(136);
    EXPECT_FALSE(missing.normalImage);
    EXPECT_FALSE(missing.hoverImage);
}

TEST_F(ImageButtonDraw, PressedStripButtonShowsTheHoverFrame)
{
    CImageButton link(nullptr, 1, RECT{10, 10, 51, 32}, L"");
    link.SetImageStrip(138);  // 82 x 22 title-bar link
    ASSERT_TRUE(link.normalImage);
    EXPECT_EQ(41u, link.normalImage->GetWidth());
    const POINT inside{20, 20};
    const uint32_t normal = DrawAndRead(link, POINT{0, 0}, 0, 11, 21);
    const uint32_t hover = DrawAndRead(link, inside, 0, 11, 21);
    const uint32_t pressed = DrawAndRead(link, inside, 1, 11, 21);
    EXPECT_FALSE(ColorNear(normal, hover, 30)) << std::hex << normal << " " << hover;
    EXPECT_TRUE(ColorNear(hover, pressed, 2)) << std::hex << hover << " " << pressed;
    // Art at (1, 11): normal 0xEC7D5E31, hover 0xECD6B97B, over white paper.
    EXPECT_TRUE(ColorNear(0xFF876A40, normal, 8)) << std::hex << normal;
    EXPECT_TRUE(ColorNear(0xFFD9BE85, hover, 8)) << std::hex << hover;
}

TEST_F(ImageButtonDraw, InvisibleButtonsAndOverrideRectangles)
{
    CImageButton button(nullptr, 10, RECT{10, 10, 35, 35}, L"Close");
    button.SetImages(209, 210, 152, 209);

    button.visible = false;
    button.Draw(canvas->graphics(), POINT{20, 20}, 1, nullptr);
    EXPECT_EQ(0, CountInk(0, 0, canvas->width(), canvas->height()));
    button.visible = true;

    // right == left: ignored, `rect` is used.
    const RECT degenerate{60, 10, 60, 35};
    EXPECT_TRUE(ColorNear(kCloseNormal, DrawAndRead(button, POINT{0, 0}, 0, 16, 16, &degenerate), 6));
    EXPECT_EQ(0, CountInk(40, 0, canvas->width(), canvas->height()));

    // A real override replaces `rect`, also for the state.
    const RECT moved{60, 10, 85, 35};
    EXPECT_TRUE(ColorNear(kCloseHover, DrawAndRead(button, POINT{70, 20}, 0, 66, 16, &moved), 6));
    EXPECT_EQ(0, CountInk(0, 0, 50, canvas->height()));
    EXPECT_TRUE(ColorNear(kCloseNormal, DrawAndRead(button, POINT{20, 20}, 0, 66, 16, &moved), 6));
}

TEST_F(ImageButtonDraw, DrawModesLayerTheStatePictureAndTheNormalPicture)
{
    CImageButton button(nullptr, 1, RECT{10, 10, 30, 20}, L"");
    const uint32_t red = 0xFFFF0000;
    const uint32_t blue = 0xFF0000FF;
    const POINT inside{15, 15};
    const POINT outside{0, 0};
    auto check = [&](POINT cursor, uint32_t left, uint32_t right) {
        canvas->Clear(kPaper);
        button.Draw(canvas->graphics(), cursor, 0, nullptr);
        EXPECT_TRUE(ColorNear(left, canvas->Pixel(13, 15), 4)) << "mode " << static_cast<int>(button.drawMode) << " left " << std::hex
                                                               << canvas->Pixel(13, 15);
        EXPECT_TRUE(ColorNear(right, canvas->Pixel(26, 15), 4)) << "mode " << static_cast<int>(button.drawMode) << " right "
                                                                << std::hex << canvas->Pixel(26, 15);
    };
    button.normalImage = SolidBitmap(20, 10, red, true);
    button.hoverImage = SolidBitmap(20, 10, blue);

    button.drawMode = DrawMode::State;
    check(inside, blue, blue);
    check(outside, red, kPaper);
    button.drawMode = DrawMode::StateThenNormal;
    check(inside, red, blue);
    check(outside, red, kPaper);
    button.drawMode = DrawMode::NormalThenState;
    check(inside, blue, blue);
    check(outside, red, kPaper);
    button.drawMode = DrawMode::NoPicture;
    check(inside, kPaper, kPaper);
    check(outside, kPaper, kPaper);

    // Mode 3 with an offset: native size at the offset, not stretched.
    button.drawMode = DrawMode::State;
    const RECT wide{10, 10, 50, 30};
    button.SetRect(&wide);
    button.imageOffsetX = 3;
    button.imageOffsetY = 2;
    canvas->Clear(kPaper);
    button.Draw(canvas->graphics(), outside, 0, nullptr);
    EXPECT_EQ(kPaper, canvas->Pixel(12, 13));
    EXPECT_TRUE(ColorNear(red, canvas->Pixel(14, 13), 4));
    EXPECT_TRUE(ColorNear(red, canvas->Pixel(21, 20), 4));
    EXPECT_EQ(kPaper, canvas->Pixel(28, 17));  // red if stretched over the rectangle
    EXPECT_EQ(kPaper, canvas->Pixel(14, 24));
}

TEST_F(ImageButtonDraw, CaptionUsesStateColoursWithFallbacks)
{
    CImageButton button(nullptr, 1, RECT{5, 10, 115, 34}, L"HHHH");
    const POINT inside{50, 20};
    const POINT outside{0, 0};
    auto draw = [&](POINT cursor, int pressed) {
        canvas->Clear(kPaper);
        button.Draw(canvas->graphics(), cursor, pressed, nullptr);
    };
    const int red = 16, green = 8, blue = 0;

    draw(outside, 0);  // default caption colour: black
    EXPECT_GT(CountInk(5, 10, 115, 34), 20);
    EXPECT_EQ(0, CountTinted(red) + CountTinted(green) + CountTinted(blue));
    EXPECT_EQ(0, CountInk(0, 0, 120, 10) + CountInk(0, 34, 120, 60));

    button.SetTextColors(0xFFFF0000, 0x0000FF00, 0xFF00C000);
    draw(outside, 0);
    EXPECT_GT(CountTinted(red), 20);
    draw(inside, 0);  // alpha-0 hover colour: the normal brush
    EXPECT_FALSE(button.hoverTextBrush);
    EXPECT_GT(CountTinted(red), 20);
    EXPECT_EQ(0, CountTinted(green));
    draw(inside, 1);
    EXPECT_GT(CountTinted(green), 20);
    EXPECT_EQ(0, CountTinted(red));

    button.SetTextColors(0x00FF0000, 0xFF0000FF, 0);
    draw(outside, 0);  // no normal brush: no caption
    EXPECT_EQ(0, CountInk(0, 0, 120, 60));
    draw(inside, 0);
    EXPECT_GT(CountTinted(blue), 20);
    draw(inside, 1);  // pressed falls back to normal, which is absent
    EXPECT_EQ(0, CountInk(0, 0, 120, 60));

    button.SetTextColors(0xFFFF0000, 0xFFFF0000, 0xFFFF0000);
    button.showText = false;
    draw(inside, 0);
    EXPECT_EQ(0, CountInk(0, 0, 120, 60));
    EXPECT_STREQ(L"HHHH", button.text);  // still there for tooltips
    button.showText = true;
    button.SetText(L"");
    draw(inside, 0);
    EXPECT_EQ(0, CountInk(0, 0, 120, 60));
}

TEST(ImageButton, CaptionLayoutAppliesMarginsIconAndBand)
{
    TestApp app;
    ASSERT_TRUE(app.ok());
    CImageButton button(nullptr, 1, RECT{0, 0, 0, 0}, L"x");
    auto expectLayout = [&](const RECT& r, float x, float y, float w, float h) {
        const Gdiplus::RectF f = button.CaptionLayout(r);
        EXPECT_FLOAT_EQ(x, f.X);
        EXPECT_FLOAT_EQ(y, f.Y);
        EXPECT_FLOAT_EQ(w, f.Width);
        EXPECT_FLOAT_EQ(h, f.Height);
    };
    // Default margins (0, 2, 0, 0): two pixels off the top, one off the bottom.
    const RECT r{10, 20, 110, 47};
    expectLayout(r, 10, 22, 100, 24);
    button.textLineHeight = 14;  // 24-pixel text rectangle: band 5 pixels lower
    expectLayout(r, 10, 27, 100, 14);
    button.textLineHeight = 24;  // not smaller: no band
    expectLayout(r, 10, 22, 100, 24);
    button.textLineHeight = 14;
    expectLayout(RECT{10, 20, 110, 48}, 10, 27, 100, 14);  // (25 - 14) / 2 = 5
    button.textLineHeight = 0;

    button.textMargin = RECT{4, 0, 6, 0};
    expectLayout(r, 14, 20, 90, 26);
    button.textMargin = RECT{1, 3, 2, 4};
    expectLayout(r, 11, 23, 97, 19);

    // The icon pushes the caption only when there is an icon to draw.
    button.textMargin = RECT{0, 0, 0, 0};
    button.iconRect = RECT{2, 2, 18, 18};
    button.hasIcon = true;
    expectLayout(r, 10, 20, 100, 26);
    button.normalIcon.reset(new Gdiplus::Bitmap(16, 16, PixelFormat32bppARGB));
    expectLayout(r, 27, 20, 83, 26);
    button.hasIcon = false;
    expectLayout(r, 10, 20, 100, 26);
}

TEST(ImageButton, CaptionsAreCopiedAndCut)
{
    TestApp app;
    ASSERT_TRUE(app.ok());
    const std::wstring longCaption(300, L'a');
    CImageButton button(nullptr, 7, RECT{1, 2, 3, 4}, longCaption.c_str());
    EXPECT_EQ(255u, wcslen(button.text));
    EXPECT_EQ(7, button.id);
    EXPECT_EQ(3, button.rect.right);
    CImageButton unnamed(nullptr, 8, RECT{}, nullptr);
    EXPECT_STREQ(L"", unnamed.text);
    unnamed.SetTipText(longCaption.c_str());
    EXPECT_EQ(255u, wcslen(unnamed.tipText));
    // Defaults the owners rely on.
    EXPECT_EQ(-1, unnamed.rightAnchor);
    EXPECT_EQ(-1, unnamed.bottomAnchor);
    EXPECT_EQ(DrawMode::State, unnamed.drawMode);
    EXPECT_TRUE(unnamed.visible);
    EXPECT_TRUE(unnamed.showText);
    ASSERT_TRUE(unnamed.font);
    EXPECT_EQ(Gdiplus::Ok, unnamed.font->GetLastStatus());
    EXPECT_FLOAT_EQ(9.0f, unnamed.font->GetSize());
    ASSERT_TRUE(unnamed.normalTextBrush);
    Gdiplus::Color black;
    unnamed.normalTextBrush->GetColor(&black);
    EXPECT_EQ(0xFF000000u, black.GetValue());
    EXPECT_FALSE(unnamed.HitTestPart(POINT{0, 0}));
}

TEST_F(ImageButtonDraw, BackgroundAndBorderFollowTheStates)
{
    CImageButton button(nullptr, 1, RECT{10, 10, 50, 40}, L"");
    button.normalBackgroundBrush.reset(new Gdiplus::SolidBrush(Gdiplus::Color(0xFF00A000)));
    button.hoverBackgroundBrush.reset(new Gdiplus::SolidBrush(Gdiplus::Color(0xFF0000A0)));
    const POINT inside{30, 25};
    EXPECT_TRUE(ColorNear(0xFF00A000, DrawAndRead(button, POINT{0, 0}, 0, 30, 25), 4));
    EXPECT_TRUE(ColorNear(0xFF00A000, DrawAndRead(button, POINT{0, 0}, 0, 10, 25), 4));  // fills the edge
    EXPECT_TRUE(ColorNear(0xFF0000A0, DrawAndRead(button, inside, 0, 30, 25), 4));
    EXPECT_TRUE(ColorNear(0xFF00A000, DrawAndRead(button, inside, 1, 30, 25), 4));  // pressed -> normal

    button.normalBorderPen.reset(new Gdiplus::Pen(Gdiplus::Color(0xFFC00000), 1.0f));
    canvas->Clear(kPaper);
    button.Draw(canvas->graphics(), POINT{0, 0}, 0, nullptr);
    EXPECT_TRUE(ColorNear(0xFF00A000, canvas->Pixel(30, 25), 4));
    EXPECT_TRUE(ColorNear(0xFFC00000, canvas->Pixel(30, 10), 40)) << std::hex << canvas->Pixel(30, 10);
    EXPECT_TRUE(ColorNear(0xFFC00000, canvas->Pixel(10, 25), 40)) << std::hex << canvas->Pixel(10, 25);
    EXPECT_EQ(0, CountInk(51, 0, 120, 60));
}
