// What input ends the saver: more than four pixels of mouse travel, and nothing within 200 ms of
// a refused password.
#include "host/mouse_travel.h"
#include "host/host_state.h"
#include "host/password.h"

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

TEST(QuietTime, InputAsksNothingFor200MillisecondsAfterAnAnswerAndNothingIsQuietBeforeTheFirst)
{
    EXPECT_TRUE(WithinQuietTime(5000, 5000));
    EXPECT_TRUE(WithinQuietTime(5199, 5000));
    EXPECT_FALSE(WithinQuietTime(5200, 5000));
    EXPECT_TRUE(WithinQuietTime(100, 0xFFFFFFF0u)) << "across the tick count's wrap";
    EXPECT_FALSE(WithinQuietTime(0xFFFFFFFFu, kNoVerifyYet)) << "no answer yet";
    EXPECT_FALSE(WithinQuietTime(10, kNoVerifyYet));
}
