// What input ends the saver: more than four pixels of mouse travel, and nothing within 200 ms of
// a refused password.
#include "host/mouse_travel.h"
#include "host/host_state.h"
#include "host/password.h"

#include <gtest/gtest.h>

TEST(MouseTravel, MoreThanFourPixelsInAllAreMovementAndFarPointsDoNotOverflowIntoStillness)
{
    const struct {
        int32_t x, y;
        bool moved;
    } cases[] = {
        {102, 102, false}, {96, 100, false}, {103, 102, true}, {98, 97, true}, {100, -2147483547, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TravelExceeds(100, 100, c.x, c.y, 4), c.moved) << c.x << "," << c.y;
}

TEST(QuietTime, InputAsksNothingFor200MillisecondsAfterAnAnswerAndNothingIsQuietBeforeTheFirst)
{
    EXPECT_TRUE(WithinQuietTime(5199, 5000));
    EXPECT_FALSE(WithinQuietTime(5200, 5000));
    EXPECT_TRUE(WithinQuietTime(100, 0xFFFFFFF0u)) << "across the tick count's wrap";
    EXPECT_FALSE(WithinQuietTime(10, kNoVerifyYet)) << "no answer yet";
}
