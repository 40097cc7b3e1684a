#include "DibCanvas.h"
#include "TestApp.h"
#include "ui/LoadPngImage.h"

#include <gtest/gtest.h>

#include <psapi.h>

namespace {

SIZE_T WorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize;
}

// Loads, decodes (by drawing) and deletes one picture.
void LoadDrawDelete(int id, DibCanvas& canvas)
{
    auto image = LoadPngImage(id);
    ASSERT_TRUE(image);
    canvas.graphics().DrawImage(image.get(), 0, 0, canvas.width(), canvas.height());
    canvas.Flush();
}

} // namespace

TEST(PngImageLoader, NoPictureForIdZeroOrIdsWithoutResource)
{
    TestApp app;
    ASSERT_TRUE(app.ok());
    EXPECT_EQ(nullptr, LoadPngImage(0));
    EXPECT_EQ(nullptr, LoadPngImage(136));  // a gap in the skin's ids
    EXPECT_EQ(nullptr, LoadPngImage(144));
    EXPECT_EQ(nullptr, LoadPngImage(229));
    EXPECT_EQ(nullptr, LoadPngImage(128));  // the icon group is no "PNG"
    // Only the low word names the resource.
    auto high = LoadPngImage(0x10000 | 209);
    ASSERT_TRUE(high);
    EXPECT_EQ(25u, high->GetWidth());
}

TEST(PngImageLoader, LoadsPicturesWithTheirSizesAndColours)
{
    TestApp app;
    ASSERT_TRUE(app.ok());
    struct Expected {
        int id;
        UINT width;
        UINT height;
    };
    const Expected pictures[] = {{130, 69, 33}, {131, 237, 42}, {137, 16, 16},   {142, 295, 190},
                                 {145, 1411, 704}, {209, 25, 25}, {217, 1366, 25}};
    for (const Expected& e : pictures) {
        auto image = LoadPngImage(e.id);
        ASSERT_TRUE(image) << e.id;
        EXPECT_EQ(Gdiplus::Ok, image->GetLastStatus()) << e.id;
        EXPECT_EQ(e.width, image->GetWidth()) << e.id;
        EXPECT_EQ(e.height, image->GetHeight()) << e.id;
    }

    DibCanvas canvas(25, 25);
    ASSERT_TRUE(canvas.ok());
    auto close = LoadPngImage(209);
    ASSERT_TRUE(close);
    canvas.graphics().DrawImage(close.get(), 0, 0, 25, 25);
    EXPECT_TRUE(ColorNear(0xFF586CA2, canvas.Pixel(12, 0), 6)) << std::hex << canvas.Pixel(12, 0);
    EXPECT_TRUE(ColorNear(0xFF222F58, canvas.Pixel(6, 6), 6)) << std::hex << canvas.Pixel(6, 6);
    EXPECT_TRUE(ColorNear(0xFFCEA65A, canvas.Pixel(12, 24), 6)) << std::hex << canvas.Pixel(12, 24);
}

TEST(PngImageLoader, TwoLoadsOfOneIdAreIndependent)
{
    TestApp app;
    ASSERT_TRUE(app.ok());
    auto first = LoadPngImage(210);
    auto second = LoadPngImage(210);
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first.get(), second.get());
    first.reset();

    DibCanvas canvas(25, 25);
    ASSERT_TRUE(canvas.ok());
    canvas.Clear(0xFFFFFFFF);
    EXPECT_EQ(Gdiplus::Ok, canvas.graphics().DrawImage(second.get(), 0, 0, 25, 25));
    EXPECT_TRUE(ColorNear(0xFFD6473B, canvas.Pixel(6, 6), 6)) << std::hex << canvas.Pixel(6, 6);
}

TEST(PngImageLoader, RepeatedLoadAndDeleteKeepsMemoryFlat)
{
    TestApp app;
    ASSERT_TRUE(app.ok());
    DibCanvas canvas(64, 32);
    ASSERT_TRUE(canvas.ok());
    // The launcher background: 200 KB of PNG, 4 MB decoded. A kept stream
    // would add ~40 MB over the loop, a kept image far more.
    for (int i = 0; i < 20; ++i)
        LoadDrawDelete(145, canvas);
    const SIZE_T before = WorkingSet();
    for (int i = 0; i < 200; ++i)
        LoadDrawDelete(145, canvas);
    const SIZE_T after = WorkingSet();
    ASSERT_GT(before, 0u);
    const SIZE_T growth = after > before ? after - before : 0;
    EXPECT_LT(growth, SIZE_T(12) * 1024 * 1024) << "before " << before << " after " << after;
}
