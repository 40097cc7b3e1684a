#include "DibCanvas.h"
#include "TestApp.h"
#include "ui/CImageStatic.h"
#include "ui/LoadPngImage.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kPaper = 0xFFFFFFFF;

class ImageStaticDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(app.ok());
        canvas = std::make_unique<DibCanvas>(240, 80);
        ASSERT_TRUE(canvas->ok());
        canvas->Clear(kPaper);
    }

    int CountInk(int x0, int y0, int x1, int y1)
    {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (canvas->Pixel(x, y) != kPaper)
                    ++count;
        return count;
    }

    TestApp app;
    std::unique_ptr<DibCanvas> canvas;
};

std::unique_ptr<Gdiplus::Bitmap> SolidBitmap(int width, int height, Gdiplus::ARGB argb)
{
    std::unique_ptr<Gdiplus::Bitmap> bitmap(new Gdiplus::Bitmap(width, height, PixelFormat32bppARGB));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap->SetPixel(x, y, Gdiplus::Color(argb));
    return bitmap;
}

} // namespace

TEST_F(ImageStaticDraw, MirroredStretchKeepsFullColourAtTheEdges)
{
    // A tiny source stretched far: the plain filter blends the last source
    // row and column with transparency, the mirrored one with themselves.
    const uint32_t colour = 0xFF2060A0;
    CImageStatic plain(1, RECT{10, 10, 110, 50}, false);
    plain.image = SolidBitmap(4, 2, colour);
    CImageStatic smooth(2, RECT{130, 10, 230, 50}, true);
    smooth.image = SolidBitmap(4, 2, colour);
    plain.Draw(canvas->graphics(), nullptr);
    smooth.Draw(canvas->graphics(), nullptr);

    EXPECT_TRUE(ColorNear(colour, canvas->Pixel(60, 30), 4));
    EXPECT_TRUE(ColorNear(colour, canvas->Pixel(180, 30), 4));
    // Right column and bottom row.
    EXPECT_TRUE(ColorNear(colour, canvas->Pixel(229, 30), 8)) << std::hex << canvas->Pixel(229, 30);
    EXPECT_TRUE(ColorNear(colour, canvas->Pixel(180, 49), 8)) << std::hex << canvas->Pixel(180, 49);
    EXPECT_TRUE(ColorNear(colour, canvas->Pixel(229, 49), 8)) << std::hex << canvas->Pixel(229, 49);
    EXPECT_FALSE(ColorNear(colour, canvas->Pixel(109, 30), 40)) << std::hex << canvas->Pixel(109, 30);
    EXPECT_FALSE(ColorNear(colour, canvas->Pixel(60, 49), 40)) << std::hex << canvas->Pixel(60, 49);
    // Neither spills outside its rectangle.
    EXPECT_EQ(0, CountInk(110, 0, 130, 80) + CountInk(230, 0, 240, 80) + CountInk(0, 50, 240, 80));
}

TEST_F(ImageStaticDraw, TitleBarStripStretchedWithMirroring)
{
    // The title-bar background is one picture stretched over the width.
    CImageStatic strip(1, RECT{0, 20, 240, 45}, true);
    strip.image = LoadPngImage(217);
    ASSERT_TRUE(strip.image);
    strip.Draw(canvas->graphics(), nullptr);
    // Art rows: 0 is 0xFF586CA2, 24 is 0xFFCEA65A at every column.
    EXPECT_TRUE(ColorNear(0xFF586CA2, canvas->Pixel(120, 20), 12)) << std::hex << canvas->Pixel(120, 20);
    EXPECT_TRUE(ColorNear(0xFFCEA65A, canvas->Pixel(120, 44), 12)) << std::hex << canvas->Pixel(120, 44);
    EXPECT_TRUE(ColorNear(0xFFCEA65A, canvas->Pixel(239, 44), 12)) << std::hex << canvas->Pixel(239, 44);
    EXPECT_EQ(0, CountInk(0, 0, 240, 20) + CountInk(0, 45, 240, 80));
}

TEST_F(ImageStaticDraw, InvisibleAndOverrideRectangles)
{
    CImageStatic image(3, RECT{10, 10, 35, 35}, false);
    image.image = LoadPngImage(209);
    ASSERT_TRUE(image.image);

    image.visible = false;
    image.Draw(canvas->graphics(), nullptr);
    EXPECT_EQ(0, CountInk(0, 0, 240, 80));
    image.visible = true;

    const RECT degenerate{100, 10, 100, 35};
    image.Draw(canvas->graphics(), &degenerate);
    EXPECT_TRUE(ColorNear(0xFF222F58, canvas->Pixel(16, 16), 6)) << std::hex << canvas->Pixel(16, 16);
    EXPECT_EQ(0, CountInk(40, 0, 240, 80));

    canvas->Clear(kPaper);
    const RECT moved{100, 10, 125, 35};
    image.Draw(canvas->graphics(), &moved);
    EXPECT_TRUE(ColorNear(0xFF222F58, canvas->Pixel(106, 16), 6)) << std::hex << canvas->Pixel(106, 16);
    EXPECT_EQ(0, CountInk(0, 0, 90, 80));

    // No picture: nothing but the optional layers.
    CImageStatic empty(4, RECT{10, 10, 35, 35}, true);
    empty.image = LoadPngImage(136);
    canvas->Clear(kPaper);
    empty.Draw(canvas->graphics(), nullptr);
    EXPECT_EQ(0, CountInk(0, 0, 240, 80));
    empty.backgroundBrush.reset(new Gdiplus::SolidBrush(Gdiplus::Color(0xFF30C030)));
    empty.Draw(canvas->graphics(), nullptr);
    EXPECT_TRUE(ColorNear(0xFF30C030, canvas->Pixel(20, 20), 4));
    EXPECT_EQ(0, CountInk(40, 0, 240, 80));
}

TEST_F(ImageStaticDraw, CaptionStartsAtItsOffset)
{
    CImageStatic label(5, RECT{10, 10, 230, 40}, false);
    label.SetText(L"HHHH");
    label.textAlign = Gdiplus::StringAlignmentNear;
    label.textOffsetX = 100;
    label.Draw(canvas->graphics(), nullptr);
    EXPECT_GT(CountInk(110, 10, 230, 40), 20);
    EXPECT_EQ(0, CountInk(0, 0, 110, 80));

    label.textBrush.reset();
    canvas->Clear(kPaper);
    label.Draw(canvas->graphics(), nullptr);
    EXPECT_EQ(0, CountInk(0, 0, 240, 80));
}
