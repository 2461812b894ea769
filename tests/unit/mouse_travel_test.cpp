// The mouse travel that ends the saver: more than four pixels, horizontal plus vertical.
#include "host/mouse_travel.h"

#include <gtest/gtest.h>

TEST(MouseTravel, FourPixelsInAllAreStillNoMovement)
{
    EXPECT_FALSE(TravelExceeds(100, 100, 102, 102, 4));
    EXPECT_FALSE(TravelExceeds(100, 100, 96, 100, 4));
    EXPECT_FALSE(TravelExceeds(100, 100, 100, 100, 4));
}

TEST(MouseTravel, FivePixelsInAnyDirectionAreMovement)
{
    EXPECT_TRUE(TravelExceeds(100, 100, 103, 102, 4));
    EXPECT_TRUE(TravelExceeds(100, 100, 95, 100, 4));
    EXPECT_TRUE(TravelExceeds(100, 100, 98, 97, 4));
}

TEST(MouseTravel, FarAwayPointsDoNotOverflowIntoStillness)
{
    EXPECT_TRUE(TravelExceeds(-30000, -30000, 30000, 30000, 4));
    EXPECT_TRUE(TravelExceeds(0, 0, 0, -2147483647, 4));
}
