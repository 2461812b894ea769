// The colours of the background fades, row by row.
#include "imaging/gradient.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRed = 0x0000FF;  // COLORREF: 0x00BBGGRR
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kWhite = 0xFFFFFF;

uint32_t Red(uint32_t colour)
{
    return colour & 0xFF;
}
uint32_t Green(uint32_t colour)
{
    return (colour >> 8) & 0xFF;
}
uint32_t Blue(uint32_t colour)
{
    return (colour >> 16) & 0xFF;
}

}  // namespace

TEST(GradientRows, TheBlueFadeOverSixHundredRowsEndsInBlack)
{
    EXPECT_EQ(GradientRowColour(kBlue, kBlack, 600, 0), kBlue);
    EXPECT_EQ(GradientRowColour(kBlue, kBlack, 600, 1), 254u << 16);  // 255 - 0.425 truncated
    EXPECT_EQ(GradientRowColour(kBlue, kBlack, 600, 2), 254u << 16);  // 254.15
    EXPECT_EQ(GradientRowColour(kBlue, kBlack, 600, 3), 253u << 16);  // 253.725
    EXPECT_EQ(GradientRowColour(kBlue, kBlack, 600, 300), 127u << 16);
    EXPECT_EQ(GradientRowColour(kBlue, kBlack, 600, 599), 0u);  // 0.425 truncated
    for (int row = 0; row < 600; ++row) {
        const uint32_t colour = GradientRowColour(kBlue, kBlack, 600, row);
        EXPECT_EQ(Red(colour), 0u);
        EXPECT_EQ(Green(colour), 0u);
    }
}

TEST(GradientRows, EachChannelFadesOnItsOwnAndNeverGoesBack)
{
    uint32_t previous = GradientRowColour(kRed, kBlack, 768, 0);
    EXPECT_EQ(previous, kRed);
    for (int row = 1; row < 768; ++row) {
        const uint32_t colour = GradientRowColour(kRed, kBlack, 768, row);
        EXPECT_LE(Red(colour), Red(previous)) << row;
        EXPECT_EQ(colour & ~0xFFu, 0u) << row;
        previous = colour;
    }
    EXPECT_EQ(Red(previous), 0u);  // 255 - 767 * 255 / 768 = 0.33
}

TEST(GradientRows, AFadeUpwardsTruncatesTowardTheStart)
{
    EXPECT_EQ(GradientRowColour(kBlack, kWhite, 600, 0), kBlack);
    EXPECT_EQ(GradientRowColour(kBlack, kWhite, 600, 1), kBlack);       // 0.425
    EXPECT_EQ(GradientRowColour(kBlack, kWhite, 600, 3), 0x010101u);    // 1.275
    EXPECT_EQ(GradientRowColour(kBlack, kWhite, 600, 599), 0xFEFEFEu);  // 254.575
}

TEST(GradientRows, TheStepIsHeldInAThirtyTwoBitFloat)
{
    // 2/6 as a float is a little over a third, so three steps pass 1 and row 3 drops to 253;
    // in double precision it would stay at 254.
    EXPECT_EQ(GradientRowColour(0x0000FF, 0x0000FD, 6, 3), 0x0000FDu);
    EXPECT_EQ(GradientRowColour(0x0000FF, 0x0000FD, 6, 2), 0x0000FEu);
}

TEST(GradientRows, MixedColoursFadeChannelByChannel)
{
    const uint32_t from = 0x204080;  // red 0x80, green 0x40, blue 0x20
    const uint32_t to = 0x000000;
    const uint32_t halfway = GradientRowColour(from, to, 2, 1);
    EXPECT_EQ(Red(halfway), 0x40u);
    EXPECT_EQ(Green(halfway), 0x20u);
    EXPECT_EQ(Blue(halfway), 0x10u);
}

TEST(GradientRows, EqualColoursGiveOneSolidColour)
{
    for (int row = 0; row < 480; ++row)
        EXPECT_EQ(GradientRowColour(0x336699, 0x336699, 480, row), 0x336699u);
    for (int row = 0; row < 480; ++row)
        EXPECT_EQ(GradientRowColour(kBlack, kBlack, 480, row), kBlack);
}

TEST(GradientRows, AOneRowWindowShowsTheStartColour)
{
    EXPECT_EQ(GradientRowColour(kBlue, kBlack, 1, 0), kBlue);
    EXPECT_EQ(GradientRowColour(0x123456, 0xFEDCBA, 1, 0), 0x123456u);
}

TEST(GradientRows, TheUnusedTopByteOfAColourIsIgnored)
{
    EXPECT_EQ(GradientRowColour(0x02FF0000, 0x01000000, 600, 0), kBlue);
}
