// Scale and place of the launcher, laid out in 96-DPI units, on a monitor.
#include "windows/DisplayPlacement.h"

#include "RectAssert.h"

#include <gtest/gtest.h>

TEST(DisplayPlacement, ScaleFitsTheWorkAreaAndTheOriginCentresInIt)
{
    const SIZE launcher = {1411, 704};
    // Fits: the monitor's own scale, exactly 96 on a full-HD screen.
    EXPECT_EQ(FittingDpi(launcher, RECT{0, 0, 1920, 1040}, 96), 96u);
    EXPECT_EQ(FittingDpi(launcher, RECT{0, 0, 2117, 1056}, 144), 144u);
    // Does not fit: the largest scale that does (2116.5 pixels round up),
    // by the width or the height, below 96 too; wherever the area lies.
    EXPECT_EQ(FittingDpi(launcher, RECT{0, 0, 2116, 1056}, 144), 143u);
    EXPECT_EQ(FittingDpi(launcher, RECT{0, 0, 2560, 700}, 96), 95u);
    EXPECT_EQ(FittingDpi(launcher, RECT{-1366, 40, 0, 768}, 120), 92u);
    EXPECT_EQ(FittingDpi(launcher, RECT{0, 0, 0, 0}, 144), 24u) << "never 0";
    // Outwards, as the painters round: 599.9 down, 1203.7 up.
    EXPECT_TRUE(RectIs(ScaleToDpi(RECT{626, 212, 1256, 584}, 92), 599, 203, 1204, 560));

    // Centred in the work area, its own corner counting; never before it.
    const POINT plain = CentredOrigin(SIZE{1411, 704}, RECT{0, 0, 1920, 1040});
    EXPECT_EQ(plain.x, 254);
    EXPECT_EQ(plain.y, 168);
    const POINT shifted = CentredOrigin(SIZE{1353, 675}, RECT{60, 40, 1426, 768});
    EXPECT_EQ(shifted.x, 66);
    EXPECT_EQ(shifted.y, 66);
    const POINT large = CentredOrigin(SIZE{1411, 704}, RECT{-1124, 50, 0, 718});
    EXPECT_EQ(large.x, -1124);
    EXPECT_EQ(large.y, 50);
}
