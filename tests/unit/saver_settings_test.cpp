// The settings record against the real settings file: the defaults, the keys in their order, the working colours.
#include "settings/saver_settings.h"

#include <gtest/gtest.h>

#include <utility>

#include "tests/support/settings_file.h"

// The defaults of every key, as loaded without a file, and the working colours that Save commits
// as signed decimal, never the committed fields.
TEST(SettingsFile, ASavedFileHoldsEveryKeyInItsOrder)
{
    settings_file::Remove();
    SaverSettings settings;
    settings.Load();
    EXPECT_EQ(settings_file::Text(), "[Options]\r\nColor1_tmp=0\r\nColor2_tmp=0\r\n") << "what Load writes";
    settings.ChangeTime = 25;
    settings.Pictures = 8;
    settings.Color1 = RGB(1, 2, 3);
    settings.Color1_tmp = RGB(0, 0, 255);
    settings.Color2_tmp = 0xFFFFFFFF;  // "-1" by hand
    lstrcpyA(settings.OwnBitmap, "C:\\pics\\a.bmp");
    settings.PlayWave = 1;
    settings_file::Remove();
    settings.Save();
    EXPECT_EQ(settings_file::Text(),
              "[Options]\r\n"
              "ChangeTime=25\r\nBackground=0\r\nMove=1\r\nChangePos=0\r\nRandom=0\r\nSpeed=9\r\nScale=9\r\n"
              "Pictures=8\r\nStyle=0\r\nFitDesktop=0\r\nProportional=0\r\nCentered=0\r\nWipeEffect=0\r\n"
              "OwnBitmap=C:\\pics\\a.bmp\r\nOwnBitmap_tmp=C:\\pics\\a.bmp\r\n"
              "Color1=16711680\r\nColor1_tmp=16711680\r\nColor2=-1\r\nColor2_tmp=-1\r\n"
              "MidiFile=\r\nMidiFile_tmp=\r\nWaveFile=\r\nWaveFile_tmp=\r\n"
              "PlayMidi=0\r\nPlayWave=1\r\nLoopMidi=0\r\nTiles=0\r\n");
    settings_file::Remove();
}

// A ChangeTime typed into the file by hand: every time of 2^31 seconds and more waits the longest a
// timer can, however it would wrap in 32 bits; only a real minus sign means "at every tick".
TEST(SettingsFile, AHandSetChangeTimeWaitsAtMostTheLongestTimeAndOnlyANegativeOneChangesAtEveryTick)
{
    const std::pair<const char*, UINT> intervals[] = {
        {"10", 10000},
        {"2147483", 2147483000},
        {"2147484", 2147483000},
        {"2147483647", 2147483000},
        {"2147483648", 2147483000},
        {"3000000000", 2147483000},
        {"4294967296", 2147483000},  // 2^32 would wrap to 0
        {"99999999999", 2147483000},
        {"-5", 0},
        {"-3000000000", 0},
    };
    for (const auto& [text, interval] : intervals) {
        settings_file::Reset({{"ChangeTime", text}});
        SaverSettings settings;
        settings.Load();
        EXPECT_EQ(ChangeIntervalMs(settings.ChangeTime), interval) << "ChangeTime=" << text;
    }
    settings_file::Remove();
}

// A folder under the file's name is neither read nor written: Save fails and says why, so that the
// dialog can tell the user that something else stands where the settings belong.
TEST(SettingsFile, AFolderUnderTheFileNameIsNotWrittenAndSaveSaysSo)
{
    settings_file::Remove();
    ASSERT_TRUE(CreateDirectoryA(settings_file::Path().c_str(), nullptr));
    SaverSettings settings;
    settings.Load();
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(settings.Save());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_FILE_TYPE)) << "the reason the dialog names";
    EXPECT_EQ(GetFileAttributesA(settings_file::Path().c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              DWORD(FILE_ATTRIBUTE_DIRECTORY))
        << "the folder is left as it was";
    RemoveDirectoryA(settings_file::Path().c_str());
}
