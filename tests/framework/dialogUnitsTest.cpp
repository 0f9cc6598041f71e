#include "framework/dialogUnits.h"

#include <gtest/gtest.h>

namespace
{

TEST(dialogUnitsTest, ConvertsWithTheBaseUnitsOfTheEightPointFont)
{
    const dialogUnits units(6, 13);
    EXPECT_EQ(units.toPixelsX(4), 6);
    EXPECT_EQ(units.toPixelsY(8), 13);
    // The whole main dialog: 724 x 350 units.
    EXPECT_EQ(units.toPixelsX(724), 1086);
    EXPECT_EQ(units.toPixelsY(350), 569); // 568.75 rounds up
    EXPECT_EQ(units.toPixels(12, 24, 50, 10), QRect(18, 39, 75, 16));
}

TEST(dialogUnitsTest, RoundsHalfAwayFromZeroLikeMulDiv)
{
    const dialogUnits units(6, 13);
    EXPECT_EQ(units.toPixelsX(1), 2); // 1.5
    EXPECT_EQ(units.toPixelsX(-1), -2);
    EXPECT_EQ(units.toPixelsY(1), 2);   // 1.625
    EXPECT_EQ(units.toPixelsY(-3), -5); // -4.875
    EXPECT_EQ(units.toPixelsX(0), 0);
}

TEST(dialogUnitsTest, BaseUnitsBelowOneAreOne)
{
    const dialogUnits units(0, -4);
    EXPECT_EQ(units.baseX(), 1);
    EXPECT_EQ(units.baseY(), 1);
}

TEST(dialogUnitsTest, TheStandInFontMeasuresSixByThirteen)
{
    const dialogUnits units = dialogUnits::ofFont(dialogUnits::dialogFont(8));
    EXPECT_EQ(units.baseX(), 6);
    EXPECT_EQ(units.baseY(), 13);
}

} // namespace
