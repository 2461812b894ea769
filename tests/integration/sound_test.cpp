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

// Under Wine here no device makes a sound: the sequencer "plays" a MIDI file without ever
// reaching its end, so stopping the device stands in for the end: it sends the window the same
// MM_MCINOTIFY (aborted rather than successful).

using bmp_bytes::TempFile;
using engine_window::EngineWindow;
using engine_window::RunMessages;

namespace {

std::string InTemp(const char* name) { return bmp_bytes::TempFolder() + name; }

void Put(std::vector<uint8_t>& bytes, std::initializer_list<int> values)
{
    for (int value : values) bytes.push_back(static_cast<uint8_t>(value));
}

void Put(std::vector<uint8_t>& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A standard MIDI file, format 0: four quarter notes rising from middle C.
std::vector<uint8_t> FourNotes()
{
    std::vector<uint8_t> track;
    for (int note = 60; note < 64; ++note) Put(track, {0x00, 0x90, note, 100, 0x60, 0x80, note, 0});
    Put(track, {0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> file;
    Put(file, {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, int(track.size())});
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

// A tune of more than 4 MB, longer than the music may be: the same note, over and over.
std::vector<uint8_t> EndlessTune()
{
    std::vector<uint8_t> track;
    while (track.size() < 4200 * 1024) Put(track, {0x00, 0x90, 60, 100, 0x01, 0x80, 60, 0});
    Put(track, {0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> file;
    Put(file, {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k'});
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(uint8_t(track.size() >> shift));
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

// A tenth of a second of a square wave: 8 kHz, mono, 8 bits.
std::vector<uint8_t> ShortBeep()
{
    const uint32_t samples = 800;
    std::vector<uint8_t> file{'R', 'I', 'F', 'F'};
    Put(file, 36 + samples, 4);
    Put(file, {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    for (auto [value, size] : {std::pair{16, 4}, {WAVE_FORMAT_PCM, 2}, {1, 2}, {8000, 4}, {8000, 4}, {1, 2}, {8, 2}})
        Put(file, value, size);
    Put(file, {'d', 'a', 't', 'a'});
    Put(file, samples, 4);
    for (uint32_t i = 0; i < samples; ++i) file.push_back((i / 10) % 2 ? 200 : 56);
    return file;
}

// ---- The MCI devices of this process, as MCI itself lists them ----

int OpenDevices()
{
    DWORD count = 0;
    MCI_SYSINFO_PARMSA query{};
    query.lpstrReturn = reinterpret_cast<LPSTR>(&count);
    query.dwRetSize = sizeof count;
    mciSendCommandA(MCI_ALL_DEVICE_ID, MCI_SYSINFO, MCI_SYSINFO_QUANTITY | MCI_SYSINFO_OPEN,
                    reinterpret_cast<DWORD_PTR>(&query));
    return static_cast<int>(count);
}

// The name (the file, for a sequencer) of the first open device; "" when none is open.
std::string OpenDeviceName()
{
    char name[MAX_PATH] = {};
    MCI_SYSINFO_PARMSA query{};
    query.lpstrReturn = name;
    query.dwRetSize = sizeof name;
    query.dwNumber = 1;
    if (mciSendCommandA(MCI_ALL_DEVICE_ID, MCI_SYSINFO, MCI_SYSINFO_NAME | MCI_SYSINFO_OPEN,
                        reinterpret_cast<DWORD_PTR>(&query)) != 0)
        return "";
    return name;
}

MCIDEVICEID OpenDevice() { return mciGetDeviceIDA(OpenDeviceName().c_str()); }

bool Playing()
{
    MCI_STATUS_PARMS status{0, 0, MCI_STATUS_MODE, 0};
    return mciSendCommandA(OpenDevice(), MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status)) == 0 &&
           status.dwReturn == MCI_MODE_PLAY;
}

// Cuts the music short, as its end would: the device tells its window so.
void StopTheMusic() { mciSendCommandA(OpenDevice(), MCI_STOP, 0, 0); }
bool MusicEndHandled(DWORD timeoutMs) { return RunMessages(timeoutMs, MM_MCINOTIFY); }

// Message boxes of this thread, counted and refused so that one could not hold up a test.
class DialogRefusal {
public:
    DialogRefusal() { refused = 0; }
    ~DialogRefusal() { UnhookWindowsHookEx(hook_); }
    DialogRefusal(const DialogRefusal&) = delete;
    DialogRefusal& operator=(const DialogRefusal&) = delete;

    static inline int refused = 0;

private:
    static LRESULT CALLBACK Refuse(int code, WPARAM wParam, LPARAM lParam)
    {
        char windowClass[16] = {};
        if (code == HCBT_CREATEWND) GetClassNameA(reinterpret_cast<HWND>(wParam), windowClass, sizeof windowClass);
        if (lstrcmpA(windowClass, "#32770") != 0) return CallNextHookEx(nullptr, code, wParam, lParam);
        return ++refused;
    }

    HHOOK hook_ = SetWindowsHookExA(WH_CBT, Refuse, nullptr, GetCurrentThreadId());
};

// Whether the engine has drawn over most of the black window.
bool ShowsAPicture(const EngineWindow& window)
{
    const engine_window::Pixels shown = window.Shown();
    int drawn = 0;
    for (int y = 0; y < shown.Height(); ++y)
        for (int x = 0; x < shown.Width(); ++x) drawn += shown.At(x, y) != 0;
    return drawn > shown.Width() * shown.Height() / 2;
}

class Sound : public testing::Test {
protected:
    void SetUp() override
    {
        settings_file::Remove();
        for (auto [key, value] : {std::pair{"ChangeTime", "3600"}, {"Centered", "1"}, {"Move", "0"}})
            settings_file::Write(key, value);
    }

    // Music switched on with the given file and looping.
    static void Music(const std::string& path, bool loop)
    {
        settings_file::Write("PlayMidi", "1");
        settings_file::Write("LoopMidi", loop ? "1" : "0");
        settings_file::Write("MidiFile", path);
    }

    TempFile tune_{InTemp("tavrix_sound_test.mid"), FourNotes()};
    TempFile beep_{InTemp("tavrix_sound_test.wav"), ShortBeep()};
};

}  // namespace

TEST_F(Sound, TheMusicStartsWithThePicturesAndEndsWithTheSaverWindow)
{
    Music(tune_.path(), true);
    EngineWindow window(400, 300);
    EXPECT_EQ(OpenDevices(), 0);
    RunMessages(300);
    EXPECT_EQ(OpenDevices(), 1);
    EXPECT_EQ(lstrcmpiA(OpenDeviceName().c_str(), tune_.path()), 0) << OpenDeviceName();
    EXPECT_TRUE(Playing());
    EXPECT_TRUE(ShowsAPicture(window));
    window.Close();
    EXPECT_EQ(OpenDevices(), 0);
}

// Each end starts looping music again on the device it had; without looping it stays ended.
TEST_F(Sound, WithLoopingEachEndStartsTheMusicAgainAndWithoutItTheMusicStaysEnded)
{
    for (const bool loop : {true, false}) {
        Music(tune_.path(), loop);
        EngineWindow window(400, 300);
        RunMessages(300);
        ASSERT_TRUE(Playing()) << loop;
        for (int end = 1; end <= 2; ++end) {
            StopTheMusic();
            EXPECT_EQ(MusicEndHandled(2000), loop || end == 1) << "loop " << loop << ", end " << end;
            if (loop) {
                EXPECT_EQ(OpenDevices(), 1) << "the ended music was closed: end " << end;
            }
            EXPECT_EQ(Playing(), loop) << "loop " << loop << ", end " << end;
        }
    }
}

// The good tune with the music switched off, then no, a missing and two foreign files, a device
// (Wine reads COM1 from the serial port, which never answers), a folder and a tune too long to open
// in a moment; each over a change of pictures, so that the change sound, switched off, would have
// had its chance too.
TEST_F(Sound, MusicSwitchedOffOrWithoutAUsableFileGivesNeitherDeviceNorMessage)
{
    const TempFile text(InTemp("tavrix_sound_test_text.mid"), {'N', 'o', ' ', 'm', 'u', 's', 'i', 'c'});
    const TempFile endless(InTemp("tavrix_sound_test_endless.mid"), EndlessTune());
    const std::string missing = "C:\\no such folder\\no such tune.mid";
    DialogRefusal refusal;
    settings_file::Write("PlayWave", "0");
    settings_file::Write("WaveFile", beep_.path());
    settings_file::Write("ChangeTime", "1");
    for (const std::string& path : {std::string(tune_.path()), std::string(), missing, std::string(text.path()),
                                     std::string(beep_.path()), std::string("COM1"), std::string("C:\\windows"),
                                     std::string(endless.path())}) {
        Music(path, true);
        if (path == tune_.path()) settings_file::Write("PlayMidi", "0");
        EngineWindow window(400, 300);
        RunMessages(1500);
        EXPECT_EQ(OpenDevices(), 0) << path;
        EXPECT_TRUE(ShowsAPicture(window)) << "the pictures go on: " << path;
    }
    EXPECT_EQ(DialogRefusal::refused, 0);
}

// The change sound is asked for by file name, played on without waiting and dropped when the
// device is busy; the system's own sound stands in for a missing file. The end purges it.
TEST_F(Sound, TheChangeSoundIsAskedForWithoutWaitingAndPurgedAtTheEnd)
{
    static std::vector<std::pair<std::string, DWORD>> asked;
    asked.clear();
    SoundPlayer::playSound = [](LPCSTR sound, HMODULE, DWORD flags) -> BOOL {
        asked.emplace_back(sound ? sound : "", flags);
        return TRUE;
    };
    settings_file::Write("PlayWave", "1");
    settings_file::Write("WaveFile", beep_.path());
    {
        EngineWindow window(400, 300);
        RunMessages(300);
    }
    SoundPlayer::playSound = PlaySoundA;
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], std::make_pair(std::string(beep_.path()), DWORD(SND_FILENAME | SND_NOWAIT | SND_ASYNC)));
    EXPECT_EQ(asked[1], std::make_pair(std::string(), DWORD(SND_PURGE)));
}
