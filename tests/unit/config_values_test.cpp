// Tests of the configuration dialog's value logic: list entries and indexes, seconds, file names.
#include "settings/config_values.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/resource_ids.h"

namespace {

TEST(ListEntries, SpeedRunsFromTenToHundredThenMaxAndPicturesFromOneToNine)
{
    EXPECT_EQ(kSpeedEntries, 11u);
    const std::string speeds[] = {"10", "20", "30", "40", "50", "60", "70", "80", "90", "100", "max."};
    for (unsigned i = 0; i < kSpeedEntries; ++i) EXPECT_EQ(SpeedEntry(i), speeds[i]) << i;
    EXPECT_EQ(kPictureEntries, 9u);
    for (unsigned i = 0; i < kPictureEntries; ++i) EXPECT_EQ(PictureEntry(i), std::to_string(i + 1)) << i;
}

TEST(ListIndexes, AVisibleListShowsAnIndexBeyondItAsItsLastEntryOrElseTheFirst)
{
    EXPECT_EQ(ClampListIndex(0, kSpeedEntries), 0u);
    EXPECT_EQ(ClampListIndex(10, kSpeedEntries), 10u);
    EXPECT_EQ(ClampListIndex(8, kPictureEntries), 8u);
    EXPECT_EQ(ClampListIndex(1, kStyleEntries), 1u);
    EXPECT_EQ(ClampListIndex(99, kSpeedEntries), 10u);
    EXPECT_EQ(ClampListIndex(12, kPictureEntries), 8u);
    EXPECT_EQ(ClampListIndex(7, kStyleEntries), 1u);
    EXPECT_EQ(ClampListIndex(0xFFFFFFFFu, kStyleEntries), 1u);
    EXPECT_EQ(ClampListIndex(3, 0), 0u);  // an empty list
}

TEST(ListIndexes, TheHiddenScaleListCarriesAScaleBeyondItsEntriesThroughUnchanged)
{
    for (unsigned scale = 0; scale < kSpeedEntries; ++scale) EXPECT_EQ(ScaleSelection(scale), int(scale));
    EXPECT_EQ(ScaleSelection(11), kNoSelection);
    EXPECT_EQ(ScaleSelection(250), kNoSelection);
    EXPECT_EQ(StoredIndex(ScaleSelection(42), 42), 42u);
    EXPECT_EQ(StoredIndex(ScaleSelection(0xFFFFFFFFu), 0xFFFFFFFFu), 0xFFFFFFFFu);
}

TEST(ListIndexes, ASelectionIsStoredByItsIndexAndNoSelectionKeepsTheGivenValue)
{
    EXPECT_EQ(StoredIndex(0, 7), 0u);
    EXPECT_EQ(StoredIndex(10, 42), 10u);
    EXPECT_EQ(StoredIndex(kNoSelection, 5), 5u);
}

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
    EXPECT_EQ(UnsignedText(10), "10");
    EXPECT_EQ(UnsignedText(4294967295u), "4294967295");
}

TEST(PathText, APathIsCopiedWholeOrCutTo254Characters)
{
    char target[kPathCharacters + 1] = "old.bmp";
    CopyPathText(target, "");
    EXPECT_STREQ(target, "");
    CopyPathText(target, "C:\\Bilder\\see.bmp");
    EXPECT_STREQ(target, "C:\\Bilder\\see.bmp");
    target[kPathCharacters] = 'x';
    CopyPathText(target, std::string(300, 'a'));
    EXPECT_EQ(std::string(target), std::string(254, 'a'));
}

TEST(FileChooser, StartsInTheFilesFolderWithItsNameOrOnThePattern)
{
    const struct {
        const char* path;
        const char* directory;
        const char* fileName;
    } cases[] = {{"C:\\Musik\\Klassik\\bach.mid", "C:\\Musik\\Klassik\\", "bach.mid"},
                 {"", "", "*.mid"},  // no particular folder
                 {"see.bmp", "", "see.bmp"},
                 {"\\Bilder\\see", "\\Bilder\\", "see"}};
    for (const auto& c : cases) {
        const ChooserStart start = ChooserStartFor(c.path, "*.mid");
        EXPECT_EQ(start.directory, c.directory) << c.path;
        EXPECT_EQ(start.fileName, c.fileName) << c.path;
    }
}

TEST(FileChooser, TheFilterHoldsOnePairEachEndedByNul)
{
    const std::string filter = FilterPair("Bitmap-Datei (*.bmp)", "*.bmp");
    EXPECT_EQ(filter, std::string("Bitmap-Datei (*.bmp)\0*.bmp\0", 27));
    EXPECT_EQ(filter.c_str()[filter.size()], '\0');  // the closing NUL of the list
}

TEST(WorkingColours, EachColourHasItsWorkingKeyAndIsWrittenAsSignedDecimal)
{
    EXPECT_EQ(WorkingColorKey(1), "Color1_tmp");
    EXPECT_EQ(WorkingColorKey(2), "Color2_tmp");
    EXPECT_EQ(ColorText(0), "0");
    EXPECT_EQ(ColorText(0xFFFFFF), "16777215");
    EXPECT_EQ(ColorText(0x00FF0000), "16711680");
    EXPECT_EQ(ColorText(0xFFFFFFFF), "-1");
}

}  // namespace
