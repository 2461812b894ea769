// Tests of the configuration dialog's value logic that the dialog cannot show in full: the background
// buttons, the seconds field at its limits, file names cut to what a setting holds.
#include "settings/config_values.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/resource_ids.h"

namespace {

TEST(BackgroundButtons, EachBackgroundHasItsButtonAndOtherValuesShowTheBlackScreen)
{
    const int buttons[] = {IDC_BACKGROUND_BLACK,   IDC_BACKGROUND_BLUE,   IDC_BACKGROUND_WHITE,
                           IDC_BACKGROUND_BLACK,   IDC_BACKGROUND_DESKTOP, IDC_BACKGROUND_BITMAP,
                           IDC_BACKGROUND_GRADIENT, IDC_BACKGROUND_BLACK};
    for (unsigned value = 0; value < 8; ++value) EXPECT_EQ(BackgroundButton(value), buttons[value]) << value;
    EXPECT_EQ(BackgroundButton(0xFFFFFFFFu), IDC_BACKGROUND_BLACK);
}

TEST(SecondsField, ReadsTheLeadingDigitsUpTo32BitsAndElseZeroButNoLongerThanATimerCanWait)
{
    const std::pair<const char*, unsigned> cases[] = {
        {"10", 10},         {"0", 0},           {"007", 7},  {"", 0},    {"   ", 0},  {" 30", 30},
        {"12s", 12},        {"abc", 0},         {"-5", 0},   {"2147483", 2147483},   {"2147484", 2147483},
        {"4294967295", 2147483},  {"4294967296", 0},  {"99999999999999999999999999", 0}};
    for (const auto& c : cases) EXPECT_EQ(ParseSeconds(c.first), c.second) << '"' << c.first << '"';
}

TEST(PathText, APathIsCopiedWholeOrCutTo254Characters)
{
    char target[kPathCharacters + 1] = "old.bmp";
    for (const std::string& path : {std::string(), std::string(254, 'a'), std::string(300, 'b')}) {
        CopyPathText(target, path);
        EXPECT_EQ(std::string(target), path.substr(0, 254)) << path.size();
    }
}

}  // namespace
