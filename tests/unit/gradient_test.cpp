// The colours of the background fades, row by row.
#include "imaging/gradient.h"

#include <gtest/gtest.h>

#include <cstdint>

// COLORREF: 0x00BBGGRR.
TEST(GradientRows, EachChannelOfARowTruncatesTheStartLessItsShareOfTheWay)
{
    constexpr uint32_t kBlue = 0xFF0000, kWhite = 0xFFFFFF;
    const struct {
        uint32_t from, to;
        int height, row;
        uint32_t colour;
    } cases[] = {
        {kBlue, 0, 600, 0, kBlue},        {kBlue, 0, 600, 1, 254u << 16},  // 255 - 0.425 truncated
        {kBlue, 0, 600, 3, 253u << 16},   {kBlue, 0, 600, 300, 127u << 16},  // 253.725; 127.5
        {kBlue, 0, 600, 599, 0},          {0, kWhite, 600, 1, 0},            // 0.425 truncated, up and down
        {0, kWhite, 600, 3, 0x010101},    {0, kWhite, 600, 599, 0xFEFEFE},   // 1.275; 254.575
        // 2/6 as a float is a little over a third: row 3 drops to 253, where a double would keep 254.
        {0x0000FF, 0x0000FD, 6, 2, 0x0000FE}, {0x0000FF, 0x0000FD, 6, 3, 0x0000FD},
        {0x204080, 0, 2, 1, 0x102040},    {0x336699, 0x336699, 480, 479, 0x336699},  // channel by channel
        {0x123456, 0xFEDCBA, 1, 0, 0x123456},  // a one-row window
        {0x02FF0000, 0x01000000, 600, 0, kBlue},  // the top byte is unused
    };
    for (const auto& c : cases)
        EXPECT_EQ(GradientRowColour(c.from, c.to, c.height, c.row), c.colour)
            << std::hex << c.from << " to " << c.to << std::dec << " over " << c.height << ", row " << c.row;
}
