// Tests of the configuration dialog's value logic: list entries and indexes, seconds, file names.
#include "settings/config_values.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/resource_ids.h"

namespace {

// --- List entries ---------------------------------------------------------

TEST(SpeedList, RunsFromTenToHundredPercentInStepsOfTen)
{
    EXPECT_EQ(SpeedEntry(0), "10");
    EXPECT_EQ(SpeedEntry(4), "50");
    EXPECT_EQ(SpeedEntry(9), "100");
}

TEST(SpeedList, EndsWithMaxAsItsEleventhEntry)
{
    EXPECT_EQ(kSpeedEntries, 11u);
    EXPECT_EQ(SpeedEntry(kSpeedEntries - 1), "max.");
}

TEST(PictureList, OffersOneToNinePictures)
{
    EXPECT_EQ(kPictureEntries, 9u);
    EXPECT_EQ(PictureEntry(0), "1");
    EXPECT_EQ(PictureEntry(kPictureEntries - 1), "9");
}

// --- Stored indexes against the lists --------------------------------------

TEST(VisibleListIndex, AnIndexTheListHasIsShownAsItIs)
{
    EXPECT_EQ(ClampListIndex(0, kSpeedEntries), 0u);
    EXPECT_EQ(ClampListIndex(10, kSpeedEntries), 10u);
    EXPECT_EQ(ClampListIndex(8, kPictureEntries), 8u);
    EXPECT_EQ(ClampListIndex(1, kStyleEntries), 1u);
}

TEST(VisibleListIndex, AHandEditedIndexBeyondTheListShowsTheLastEntry)
{
    EXPECT_EQ(ClampListIndex(99, kSpeedEntries), 10u);
    EXPECT_EQ(ClampListIndex(12, kPictureEntries), 8u);
    EXPECT_EQ(ClampListIndex(7, kStyleEntries), 1u);
    EXPECT_EQ(ClampListIndex(0xFFFFFFFFu, kStyleEntries), 1u);
}

TEST(VisibleListIndex, AnEmptyListFallsBackToTheFirstEntry) { EXPECT_EQ(ClampListIndex(3, 0), 0u); }

TEST(ScaleList, ShowsEveryScaleItHasAnEntryFor)
{
    for (unsigned scale = 0; scale < kSpeedEntries; ++scale) EXPECT_EQ(ScaleSelection(scale), static_cast<int>(scale));
}

TEST(ScaleList, SelectsNothingForAScaleBeyondItsEntries)
{
    EXPECT_EQ(ScaleSelection(11), kNoSelection);
    EXPECT_EQ(ScaleSelection(250), kNoSelection);
}

TEST(ScaleList, AHandSetScaleBeyondTheListPassesThroughUnchanged)
{
    EXPECT_EQ(StoredIndex(ScaleSelection(42), 42), 42u);
    EXPECT_EQ(StoredIndex(ScaleSelection(0xFFFFFFFFu), 0xFFFFFFFFu), 0xFFFFFFFFu);
}

TEST(StoredListIndex, ASelectedEntryIsStoredByItsIndex)
{
    EXPECT_EQ(StoredIndex(0, 7), 0u);
    EXPECT_EQ(StoredIndex(10, 42), 10u);
}

TEST(StoredListIndex, NoSelectionKeepsTheGivenValue) { EXPECT_EQ(StoredIndex(kNoSelection, 5), 5u); }

// --- Background buttons ----------------------------------------------------

TEST(BackgroundButtons, EachBackgroundHasItsButton)
{
    EXPECT_EQ(BackgroundButton(0), IDC_BACKGROUND_BLACK);
    EXPECT_EQ(BackgroundButton(1), IDC_BACKGROUND_BLUE);
    EXPECT_EQ(BackgroundButton(2), IDC_BACKGROUND_WHITE);
    EXPECT_EQ(BackgroundButton(4), IDC_BACKGROUND_DESKTOP);
    EXPECT_EQ(BackgroundButton(5), IDC_BACKGROUND_BITMAP);
    EXPECT_EQ(BackgroundButton(6), IDC_BACKGROUND_GRADIENT);
}

TEST(BackgroundButtons, AValueNoButtonStandsForShowsTheBlackScreen)
{
    EXPECT_EQ(BackgroundButton(3), IDC_BACKGROUND_BLACK);
    EXPECT_EQ(BackgroundButton(7), IDC_BACKGROUND_BLACK);
    EXPECT_EQ(BackgroundButton(0xFFFFFFFFu), IDC_BACKGROUND_BLACK);
}

// --- The seconds field ------------------------------------------------------

TEST(SecondsField, ReadsTheNumberTyped)
{
    EXPECT_EQ(ParseSeconds("10"), 10u);
    EXPECT_EQ(ParseSeconds("0"), 0u);
    EXPECT_EQ(ParseSeconds("007"), 7u);
}

TEST(SecondsField, AnEmptyFieldMeansZero)
{
    EXPECT_EQ(ParseSeconds(""), 0u);
    EXPECT_EQ(ParseSeconds("   "), 0u);
}

TEST(SecondsField, TheLargest32BitNumberIsKept) { EXPECT_EQ(ParseSeconds("4294967295"), 4294967295u); }

TEST(SecondsField, ANumberBeyond32BitsMeansZero)
{
    EXPECT_EQ(ParseSeconds("4294967296"), 0u);
    EXPECT_EQ(ParseSeconds("99999999999999999999999999"), 0u);
}

TEST(SecondsField, ReadsOnlyTheLeadingDigits)
{
    EXPECT_EQ(ParseSeconds(" 30"), 30u);
    EXPECT_EQ(ParseSeconds("12s"), 12u);
    EXPECT_EQ(ParseSeconds("abc"), 0u);
    EXPECT_EQ(ParseSeconds("-5"), 0u);
}

TEST(SecondsField, ShowsTheSettingAsUnsignedDecimal)
{
    EXPECT_EQ(UnsignedText(10), "10");
    EXPECT_EQ(UnsignedText(4294967295u), "4294967295");
}

// --- File names -------------------------------------------------------------

TEST(PathText, AShortPathIsCopiedWhole)
{
    char target[kPathCharacters + 1];
    CopyPathText(target, "C:\\Bilder\\see.bmp");
    EXPECT_STREQ(target, "C:\\Bilder\\see.bmp");
}

TEST(PathText, APathIsCutTo254Characters)
{
    char target[kPathCharacters + 1];
    target[kPathCharacters] = 'x';
    CopyPathText(target, std::string(300, 'a'));
    EXPECT_EQ(std::string(target), std::string(254, 'a'));
}

TEST(PathText, AnEmptyTextClearsTheTarget)
{
    char target[kPathCharacters + 1] = "old.bmp";
    CopyPathText(target, "");
    EXPECT_STREQ(target, "");
}

TEST(ChooserStart, AFileStartsTheChooserInItsFolderWithItsName)
{
    ChooserStart start = ChooserStartFor("C:\\Musik\\Klassik\\bach.mid", "*.mid");
    EXPECT_EQ(start.directory, "C:\\Musik\\Klassik\\");
    EXPECT_EQ(start.fileName, "bach.mid");
}

TEST(ChooserStart, NoFileStartsTheChooserOnThePatternInNoParticularFolder)
{
    ChooserStart start = ChooserStartFor("", "*.wav");
    EXPECT_EQ(start.directory, "");
    EXPECT_EQ(start.fileName, "*.wav");
}

TEST(ChooserStart, ABareFileNameLeavesTheFolderToTheChooser)
{
    ChooserStart start = ChooserStartFor("see.bmp", "*.bmp");
    EXPECT_EQ(start.directory, "");
    EXPECT_EQ(start.fileName, "see.bmp");
}

TEST(ChooserStart, AFolderWithoutDriveIsKept)
{
    ChooserStart start = ChooserStartFor("\\Bilder\\see", "*.bmp");
    EXPECT_EQ(start.directory, "\\Bilder\\");
    EXPECT_EQ(start.fileName, "see");
}

TEST(ChooserFilter, HoldsOnePairEachEndedByNul)
{
    std::string filter = FilterPair("Bitmap-Datei (*.bmp)", "*.bmp");
    EXPECT_EQ(filter, std::string("Bitmap-Datei (*.bmp)\0*.bmp\0", 27));
    EXPECT_EQ(filter.c_str()[filter.size()], '\0');  // the closing NUL of the list
}

// --- Working colours ----------------------------------------------------------

TEST(WorkingColors, EachColourHasItsWorkingKey)
{
    EXPECT_EQ(WorkingColorKey(1), "Color1_tmp");
    EXPECT_EQ(WorkingColorKey(2), "Color2_tmp");
}

TEST(WorkingColors, AColourIsWrittenAsSignedDecimal)
{
    EXPECT_EQ(ColorText(0), "0");
    EXPECT_EQ(ColorText(0xFFFFFF), "16777215");
    EXPECT_EQ(ColorText(0x00FF0000), "16711680");
    EXPECT_EQ(ColorText(0xFFFFFFFF), "-1");
}

}  // namespace
