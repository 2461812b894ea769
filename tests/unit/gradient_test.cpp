// The colours of the background fades, row by row.
#include "imaging/gradient.h"

#include <gtest/gtest.h>

#include <cstdint>

// COLORREF: 0x00BBGGRR.
TEST(GradientRows, EachChannelOfARowTruncatesTheStartLessItsShareOfTheWay)
{
    const struct {
        uint32_t from, to;
        int height, row;
        uint32_t colour;
    } cases[] = {
        {0xFF0000, 0, 600, 1, 254u << 16},
        {0xFF0000, 0, 600, 300, 127u << 16},  // 254.575; 127.5
        {0, 0xFFFFFF, 600, 3, 0x010101},      // 1.275, upwards
        // 2/6 as a float is a little over a third: row 3 drops to 253, where a double would keep 254.
        {0x0000FF, 0x0000FD, 6, 3, 0x0000FD},
        {0x204080, 0, 2, 1, 0x102040},               // channel by channel
        {0x02FF0000, 0x01000000, 600, 0, 0xFF0000},  // the top byte is unused
    };
    for (const auto& c : cases)
        EXPECT_EQ(GradientRowColour(c.from, c.to, c.height, c.row), c.colour)
            << std::hex << c.from << " to " << c.to << std::dec << " over " << c.height << ", row " << c.row;
}
