// The colours of the background fades, row by row.
#include "imaging/gradient.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// COLORREF: 0x00BBGGRR.
constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF;

TEST(GradientRows, EachRowTruncatesTheStartLessItsShareOfTheWay)
{
    const struct {
        uint32_t from, to;
        int height, row;
        uint32_t colour;
    } cases[] = {
        {kBlue, 0, 600, 0, kBlue},          {kBlue, 0, 600, 1, 254u << 16},  // 255 - 0.425 truncated
        {kBlue, 0, 600, 2, 254u << 16},     {kBlue, 0, 600, 3, 253u << 16},  // 253.725
        {kBlue, 0, 600, 300, 127u << 16},   {kBlue, 0, 600, 599, 0},         // 0.425 truncated
        {0, kWhite, 600, 1, 0},             {0, kWhite, 600, 3, 0x010101},   // upwards: 0.425, 1.275
        {0, kWhite, 600, 599, 0xFEFEFE},                                      // 254.575
        // 2/6 as a float is a little over a third: row 3 drops to 253, where a double would keep 254.
        {0x0000FF, 0x0000FD, 6, 2, 0x0000FE}, {0x0000FF, 0x0000FD, 6, 3, 0x0000FD},
        {0x204080, 0, 2, 1, 0x102040},                                        // channel by channel
        {kBlue, 0, 1, 0, kBlue},            {0x123456, 0xFEDCBA, 1, 0, 0x123456},  // a one-row window
        {0x02FF0000, 0x01000000, 600, 0, kBlue},                              // the top byte is unused
    };
    for (const auto& c : cases)
        EXPECT_EQ(GradientRowColour(c.from, c.to, c.height, c.row), c.colour)
            << std::hex << c.from << " to " << c.to << std::dec << " over " << c.height << ", row " << c.row;
}

TEST(GradientRows, EachChannelFadesOnItsOwnAndNeverGoesBack)
{
    for (const uint32_t from : {kRed, kGreen, kBlue}) {
        uint32_t previous = GradientRowColour(from, 0, 768, 0);
        EXPECT_EQ(previous, from);
        for (int row = 1; row < 768; ++row) {
            const uint32_t colour = GradientRowColour(from, 0, 768, row);
            EXPECT_LE(colour, previous) << row;
            EXPECT_EQ(colour & ~from, 0u) << row;  // the other channels stay dark
            previous = colour;
        }
        EXPECT_EQ(previous, 0u);  // 255 - 767 * 255 / 768 = 0.33
    }
    for (int row = 0; row < 480; ++row) {
        EXPECT_EQ(GradientRowColour(0x336699, 0x336699, 480, row), 0x336699u) << "equal colours stay solid";
        EXPECT_EQ(GradientRowColour(0, 0, 480, row), 0u);
    }
}

}  // namespace
