// Music and the change sound of the pictures' engine, run in this process on Wine's silent sequencer.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/sound_player.h"
#include "tests/support/bmp_bytes.h"
#include "tests/support/engine_window.h"
#include "tests/support/settings_file.h"
#include "tests/support/waiting.h"

// Under Wine here no device makes a sound: the sequencer "plays" a MIDI file without ever
// reaching its end, so stopping the device stands in for the end: it sends the window the same
// MM_MCINOTIFY (aborted rather than successful).

using bmp_bytes::TempFile;
using engine_window::EngineWindow;

namespace {

// A standard MIDI file, format 0: middle C, over and over.
std::vector<uint8_t> Tune(size_t notes)
{
    std::vector<uint8_t> track;
    for (size_t i = 0; i < notes; ++i)
        for (uint8_t byte : {0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0}) track.push_back(byte);
    for (uint8_t byte : {0x00, 0xFF, 0x2F, 0x00}) track.push_back(byte);
    std::vector<uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k'};
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<uint8_t>(track.size() >> shift));
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

// The name (the file, for a sequencer) of this process's first open MCI device; "" when none is open.
std::string OpenDeviceName()
{
    char name[MAX_PATH] = {};
    return mciSendStringA("sysinfo all name 1 open", name, sizeof name, nullptr) == 0 ? name : "";
}

bool Playing()
{
    MCI_STATUS_PARMS status{0, 0, MCI_STATUS_MODE, 0};
    return mciSendCommandA(mciGetDeviceIDA(OpenDeviceName().c_str()), MCI_STATUS, MCI_STATUS_ITEM,
                           reinterpret_cast<DWORD_PTR>(&status)) == 0 &&
           status.dwReturn == MCI_MODE_PLAY;
}

// Anything drawn on the black window: the bounds of what is not black are empty when nothing is.
bool ShowsAPicture(const EngineWindow& window)
{
    return window.Shown().BoundsOfAllBut(RGB(0, 0, 0)).right != 0;
}

class Sound : public testing::Test {
protected:
    void SetUp() override { settings_file::Reset({{"ChangeTime", "3600"}}); }

    static void Music(const std::string& path, bool loop)
    {
        settings_file::Write({{"PlayMidi", "1"}, {"LoopMidi", loop ? "1" : "0"}, {"MidiFile", path}});
    }

    TempFile tune_{bmp_bytes::TempFolder() + "tavrix_sound_test.mid", Tune(4)};
};

}  // namespace

TEST_F(Sound, TheMusicPlaysWithThePicturesStartsAgainAtItsEndOnlyWhenLoopingAndEndsWithTheSaverWindow)
{
    for (const bool loop : {true, false}) {
        SCOPED_TRACE(loop ? "looping" : "once");
        Music(tune_.path(), loop);
        EngineWindow window(400, 300);
        ASSERT_TRUE(RunMessagesUntil([&] { return ShowsAPicture(window); }, 30000));
        EXPECT_EQ(lstrcmpiA(OpenDeviceName().c_str(), tune_.path()), 0) << OpenDeviceName();
        EXPECT_TRUE(Playing());
        mciSendCommandA(mciGetDeviceIDA(OpenDeviceName().c_str()), MCI_STOP, 0,
                        0);  // its end, to the window
        EXPECT_TRUE(RunMessages(2000, MM_MCINOTIFY));
        EXPECT_EQ(Playing(), loop);
        window.Close();
        EXPECT_EQ(OpenDeviceName(), "") << "the music ends with the saver";
    }
}

// Music switched off, a device (Wine reads COM1 from the serial port, which never answers), a
// folder, and a tune too long to open in a moment: no music, and the pictures go on.
TEST_F(Sound, MusicSwitchedOffOrWithoutAUsableFileGivesNoDevice)
{
    const TempFile endless(bmp_bytes::TempFolder() + "tavrix_sound_test_endless.mid", Tune(4200 * 1024 / 8));
    for (const std::string path : {"", "COM1", "C:\\windows", endless.path()}) {
        Music(path.empty() ? tune_.path() : path, true);
        if (path.empty()) settings_file::Write("PlayMidi", "0");
        EngineWindow window(400, 300);
        EXPECT_TRUE(RunMessagesUntil([&] { return ShowsAPicture(window); }, 30000))
            << "the pictures go on: " << path;
        EXPECT_EQ(OpenDeviceName(), "") << path;
    }
}

namespace {

std::vector<std::pair<std::string, DWORD>> asked;  // what the engine asked PlaySoundA to do

// A plain function, not a lambda: the 32-bit PlaySoundA is stdcall.
BOOL WINAPI RecordPlaySound(LPCSTR sound, HMODULE, DWORD flags)
{
    asked.emplace_back(sound ? sound : "", flags);
    return TRUE;
}

}  // namespace

// The change sound is asked for by file name, played on without waiting and dropped when the
// device is busy. The end purges it.
TEST_F(Sound, TheChangeSoundIsAskedForWithoutWaitingAndPurgedAtTheEnd)
{
    asked.clear();
    SoundPlayer::playSound = RecordPlaySound;
    const TempFile beep(bmp_bytes::TempFolder() + "tavrix_sound_test.wav",
                        {'R', 'I', 'F', 'F'});  // never played
    settings_file::Write({{"PlayWave", "1"}, {"WaveFile", beep.path()}});
    {
        EngineWindow window(400, 300);
        ASSERT_TRUE(RunMessagesUntil([] { return !asked.empty(); }, 30000)) << "the first pictures came";
    }
    SoundPlayer::playSound = PlaySoundA;
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0],
              std::make_pair(std::string(beep.path()), DWORD(SND_FILENAME | SND_NOWAIT | SND_ASYNC)));
    EXPECT_EQ(asked[1], std::make_pair(std::string(), DWORD(SND_PURGE)));
}
