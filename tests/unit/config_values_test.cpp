// Tests of the configuration dialog's value logic that the dialog cannot show in full: the background
// buttons, the seconds field at its limits, file names cut to what a setting holds, the lists' entries
// and every reason the save-failure box gives.
#include "settings/config_values.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>

#include "resources/resource_ids.h"

namespace {

TEST(BackgroundButtons, EachBackgroundHasItsButtonAndOtherValuesShowTheBlackScreen)
{
    const int buttons[] = {IDC_BACKGROUND_BLACK,    IDC_BACKGROUND_BLUE,    IDC_BACKGROUND_WHITE,
                           IDC_BACKGROUND_BLACK,    IDC_BACKGROUND_DESKTOP, IDC_BACKGROUND_BITMAP,
                           IDC_BACKGROUND_GRADIENT, IDC_BACKGROUND_BLACK};
    for (unsigned value = 0; value < 8; ++value) EXPECT_EQ(BackgroundButton(value), buttons[value]) << value;
    EXPECT_EQ(BackgroundButton(0xFFFFFFFFu), IDC_BACKGROUND_BLACK);
}

TEST(SecondsField, ReadsTheLeadingDigitsUpTo32BitsAndElseZeroButNoLongerThanATimerCanWait)
{
    const std::pair<const char*, unsigned> cases[] = {{"10", 10},
                                                      {"0", 0},
                                                      {"007", 7},
                                                      {"", 0},
                                                      {"   ", 0},
                                                      {" 30", 30},
                                                      {"12s", 12},
                                                      {"abc", 0},
                                                      {"-5", 0},
                                                      {"2147483", 2147483},
                                                      {"2147484", 2147483},
                                                      {"4294967295", 2147483},
                                                      {"4294967296", 0},
                                                      {"99999999999999999999999999", 0}};
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

// The lists as the dialog fills them: speeds in tens up to "max.", one to nine pictures.
TEST(ListEntries, TheSpeedsGoUpInTensToMaxAndThePicturesCountFromOneToNine)
{
    const char* speeds[] = {"10", "20", "30", "40", "50", "60", "70", "80", "90", "100", "max."};
    ASSERT_EQ(std::size(speeds), size_t(kSpeedEntries));
    for (unsigned i = 0; i < kSpeedEntries; ++i) EXPECT_EQ(SpeedEntry(i), speeds[i]) << i;
    ASSERT_EQ(kPictureEntries, 9u);
    for (unsigned i = 0; i < kPictureEntries; ++i) EXPECT_EQ(PictureEntry(i), std::to_string(i + 1)) << i;
}

// What the user reads when OK cannot store the settings: what happened, why in plain German, the file,
// and that nothing stored before is lost. Every reason the box can give.
TEST(SaveFailure, TheBoxNamesEachReasonInPlainWordsWithTheFileAndKeepsWhatWasStored)
{
    const std::pair<unsigned long, const char*> reasons[] = {
        {ERROR_ACCESS_DENIED,
         "Windows verweigert das Schreiben: Die Datei ist schreibgesch\xFCtzt, oder der Ordner darf nicht "
         "beschrieben werden."},
        {ERROR_SHARING_VIOLATION, "Die Datei wird gerade von einem anderen Programm benutzt."},
        {ERROR_LOCK_VIOLATION, "Die Datei wird gerade von einem anderen Programm benutzt."},
        {ERROR_DISK_FULL, "Auf dem Datentr\xE4ger ist kein Platz mehr frei."},
        {ERROR_HANDLE_DISK_FULL, "Auf dem Datentr\xE4ger ist kein Platz mehr frei."},
        {ERROR_WRITE_PROTECT, "Der Datentr\xE4ger ist schreibgesch\xFCtzt."},
        {ERROR_FILE_NOT_FOUND, "Der Ordner der Datei ist nicht zu finden."},
        {ERROR_PATH_NOT_FOUND, "Der Ordner der Datei ist nicht zu finden."},
        {ERROR_BAD_FILE_TYPE,
         "Unter diesem Namen steht keine gew\xF6hnliche Datei, sondern ein Ordner, ein Ger\xE4t oder eine "
         "Pipe."},
        {ERROR_NOT_READY, "Windows meldet den Fehler 21."},
    };
    for (const auto& [error, reason] : reasons) {
        EXPECT_EQ(SaveFailureText("C:\\WINDOWS\\tavrixsaver.ini", error),
                  std::string("Die Einstellungen konnten nicht gespeichert werden.\n\n") + reason +
                      "\n\nDatei: C:\\WINDOWS\\tavrixsaver.ini\n\nDie bisher gespeicherten Einstellungen "
                      "gelten weiter.")
            << error;
    }
}

}  // namespace
