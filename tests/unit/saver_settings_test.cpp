// The settings record against the real settings file: defaults, key order, working copies.
#include "settings/saver_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/settings_file.h"

namespace {

class SettingsFile : public testing::Test {
protected:
    void SetUp() override { settings_file::Remove(); }
    void TearDown() override { settings_file::Remove(); }
};

}  // namespace

TEST_F(SettingsFile, WithoutAFileLoadGivesTheDefaults)
{
    SaverSettings settings;
    settings.Load();
    EXPECT_EQ(settings.ChangeTime, 10u);
    EXPECT_EQ(settings.Background, 0u);
    EXPECT_EQ(settings.Move, 1u);
    EXPECT_EQ(settings.Scale, 9u);
    EXPECT_EQ(settings.Speed, 9u);
    for (UINT value : {settings.Random, settings.ChangePos, settings.FitDesktop, settings.WipeEffect,
                       settings.Centered, settings.Proportional, settings.PlayMidi, settings.PlayWave,
                       settings.LoopMidi, settings.Tiles, settings.Pictures, settings.Style})
        EXPECT_EQ(value, 0u);
    EXPECT_EQ(settings.Color1, 0u);
    EXPECT_EQ(settings.Color2, 0u);
    EXPECT_STREQ(settings.OwnBitmap, "");
    EXPECT_STREQ(settings.MidiFile, "");
    EXPECT_STREQ(settings.WaveFile, "");
}

TEST_F(SettingsFile, TheFirstLoadCreatesTheFileWithTheWorkingColours)
{
    SaverSettings().Load();
    EXPECT_EQ(settings_file::Text(), "[Options]\r\nColor1_tmp=0\r\nColor2_tmp=0\r\n");
}

TEST_F(SettingsFile, ASavedFileHoldsEveryKeyInItsOrder)
{
    SaverSettings settings;
    settings.Load();
    settings.ChangeTime = 25;
    settings.Background = 6;
    settings.Pictures = 8;
    settings.Color1_tmp = RGB(0, 0, 255);
    settings.Color2_tmp = RGB(255, 0, 0);
    lstrcpyA(settings.OwnBitmap, "C:\\pics\\a.bmp");
    lstrcpyA(settings.MidiFile, "C:\\music\\b.mid");
    settings.PlayWave = 1;
    settings_file::Remove();
    settings.Save();
    EXPECT_EQ(settings_file::Text(),
              "[Options]\r\n"
              "ChangeTime=25\r\nBackground=6\r\nMove=1\r\nChangePos=0\r\nRandom=0\r\nSpeed=9\r\nScale=9\r\n"
              "Pictures=8\r\nStyle=0\r\nFitDesktop=0\r\nProportional=0\r\nCentered=0\r\nWipeEffect=0\r\n"
              "OwnBitmap=C:\\pics\\a.bmp\r\nOwnBitmap_tmp=C:\\pics\\a.bmp\r\n"
              "Color1=16711680\r\nColor1_tmp=16711680\r\nColor2=255\r\nColor2_tmp=255\r\n"
              "MidiFile=C:\\music\\b.mid\r\nMidiFile_tmp=C:\\music\\b.mid\r\nWaveFile=\r\nWaveFile_tmp=\r\n"
              "PlayMidi=0\r\nPlayWave=1\r\nLoopMidi=0\r\nTiles=0\r\n");
}

TEST_F(SettingsFile, AColourThatIsNoNumberReadsAsBlackAndIsCopiedUnchanged)
{
    settings_file::Write("Color1", "abc");
    settings_file::Write("Color2", "255");
    SaverSettings settings;
    settings.Load();
    EXPECT_EQ(settings.Color1, 0u);
    EXPECT_EQ(settings.Color2, RGB(255, 0, 0));
    EXPECT_EQ(settings_file::Read("Color1_tmp"), "abc");
    EXPECT_EQ(settings_file::Read("Color2_tmp"), "255");
}

TEST_F(SettingsFile, AColourWithBlanksAndSignReadsLikeTheRuntimeConversion)
{
    settings_file::Write("Color1", "-1");
    settings_file::Write("Color2", "12abc");
    SaverSettings settings;
    settings.Load();
    EXPECT_EQ(settings.Color1, 0xFFFFFFFFu);
    EXPECT_EQ(settings.Color2, 12u);
}

TEST_F(SettingsFile, ALongPathIsCutToTwoHundredFiftyFourCharacters)
{
    std::string path = "C:\\" + std::string(297, 'p');
    settings_file::Write("OwnBitmap", path);
    SaverSettings settings;
    settings.Load();
    EXPECT_EQ(std::string(settings.OwnBitmap), path.substr(0, 254));
}

TEST_F(SettingsFile, IntegerKeysReadTheirLeadingNumberAndStayUnclamped)
{
    settings_file::Write("ChangeTime", "12abc");
    settings_file::Write("Pictures", "42");
    settings_file::Write("Background", "abc");
    SaverSettings settings;
    settings.Load();
    EXPECT_EQ(settings.ChangeTime, 12u);
    EXPECT_EQ(settings.Pictures, 42u);
    EXPECT_EQ(settings.Background, 0u);
}

TEST_F(SettingsFile, ConstructionReadsOnlyTheWorkingCopiesAndLoadReplacesTheNames)
{
    settings_file::Write("OwnBitmap_tmp", "C:\\working.bmp");
    settings_file::Write("OwnBitmap", "C:\\committed.bmp");
    settings_file::Write("Color1_tmp", "255");
    settings_file::Write("Color1", "65280");
    SaverSettings settings;
    EXPECT_STREQ(settings.OwnBitmap, "C:\\working.bmp");
    EXPECT_EQ(settings.Color1_tmp, 255u);
    settings.Load();
    EXPECT_STREQ(settings.OwnBitmap, "C:\\committed.bmp");
    EXPECT_EQ(settings.Color1, 65280u);
    EXPECT_EQ(settings.Color1_tmp, 255u) << "the field keeps what construction read";
    EXPECT_EQ(settings_file::Read("Color1_tmp"), "65280") << "the file's working copy is reset";
}

TEST_F(SettingsFile, SaveCommitsTheWorkingColoursAndNeverTheCommittedFields)
{
    SaverSettings settings;
    settings.Load();
    settings.Color1 = RGB(1, 2, 3);
    settings.Color1_tmp = RGB(0, 0, 255);
    settings.Save();
    EXPECT_EQ(settings_file::Read("Color1"), "16711680");
    EXPECT_EQ(settings_file::Read("Color1_tmp"), "16711680");
}
