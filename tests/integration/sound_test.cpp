// Music and the change sound of the pictures' engine, run in this process on Wine's silent sequencer.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine_proc.h"
#include "host/handles.h"
#include "tests/support/settings_file.h"

// Under Wine here no device makes a sound: the sequencer opens a MIDI file and "plays" it
// without ever reaching its end, so the end of the music is stood in for by stopping the
// device, which sends the window the same MM_MCINOTIFY (aborted rather than successful).

namespace {

constexpr int kWindowWidth = 400;
constexpr int kWindowHeight = 300;

void Put(std::vector<uint8_t>& bytes, std::initializer_list<int> values)
{
    for (int value : values) bytes.push_back(static_cast<uint8_t>(value));
}

void PutLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A standard MIDI file, format 0: four quarter notes rising from middle C.
std::vector<uint8_t> FourNotes()
{
    std::vector<uint8_t> track;
    for (int note = 60; note < 64; ++note) Put(track, {0x00, 0x90, note, 100, 0x60, 0x80, note, 0});
    Put(track, {0x00, 0xFF, 0x2F, 0x00});  // end of track
    std::vector<uint8_t> file;
    Put(file, {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96});
    Put(file, {'M', 'T', 'r', 'k', 0, 0, 0, static_cast<int>(track.size())});
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

// A tenth of a second of a square wave: 8 kHz, mono, 8 bits.
std::vector<uint8_t> ShortBeep()
{
    const uint32_t samples = 800;
    std::vector<uint8_t> file;
    Put(file, {'R', 'I', 'F', 'F'});
    PutLittleEndian(file, 36 + samples, 4);
    Put(file, {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLittleEndian(file, 16, 4);
    PutLittleEndian(file, WAVE_FORMAT_PCM, 2);
    PutLittleEndian(file, 1, 2);
    PutLittleEndian(file, 8000, 4);
    PutLittleEndian(file, 8000, 4);
    PutLittleEndian(file, 1, 2);
    PutLittleEndian(file, 8, 2);
    Put(file, {'d', 'a', 't', 'a'});
    PutLittleEndian(file, samples, 4);
    for (uint32_t i = 0; i < samples; ++i) file.push_back((i / 10) % 2 ? 200 : 56);
    return file;
}

// A file of the test in the temporary folder, removed when the test is done with it.
class TestFile {
public:
    TestFile(const char* name, const std::vector<uint8_t>& bytes)
    {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        path_ = std::string(folder) + name;
        UniqueFile file(CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        DWORD written = 0;
        if (file) WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    ~TestFile() { DeleteFileA(path_.c_str()); }
    TestFile(const TestFile&) = delete;
    TestFile& operator=(const TestFile&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

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

MCIDEVICEID OpenDevice()
{
    const std::string name = OpenDeviceName();
    return name.empty() ? 0 : mciGetDeviceIDA(name.c_str());
}

bool Playing()
{
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_STATUS_MODE;
    const MCIDEVICEID device = OpenDevice();
    return device != 0 &&
           mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status)) == 0 &&
           status.dwReturn == MCI_MODE_PLAY;
}

// Cuts the music short, as its end would: the device tells its window so.
void StopTheMusic() { mciSendCommandA(OpenDevice(), MCI_STOP, 0, 0); }

// ---- Message boxes: counted and refused, so that one could not hold up a test ----

int dialogsRefused = 0;

LRESULT CALLBACK RefuseDialogs(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        char windowClass[16] = {};
        GetClassNameA(reinterpret_cast<HWND>(wParam), windowClass, sizeof windowClass);
        if (lstrcmpA(windowClass, "#32770") == 0) {
            ++dialogsRefused;
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class DialogRefusal {
public:
    DialogRefusal() : hook_(SetWindowsHookExA(WH_CBT, RefuseDialogs, nullptr, GetCurrentThreadId()))
    {
        dialogsRefused = 0;
    }
    ~DialogRefusal() { UnhookWindowsHookEx(hook_); }
    DialogRefusal(const DialogRefusal&) = delete;
    DialogRefusal& operator=(const DialogRefusal&) = delete;

private:
    HHOOK hook_;
};

// ---- The engine, on a window of this test ----

// The engine's own messages go to it; input and activation, which the host would turn into a
// close, are no concern here.
LRESULT CALLBACK EngineWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
    case WM_DESTROY:
    case WM_ERASEBKGND:
    case WM_TIMER:
    case MM_MCINOTIFY: return EngineProc(window, message, wParam, lParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// A window of this test whose messages go to the engine, as the saver window's do.
class EngineWindow {
public:
    EngineWindow()
    {
        WNDCLASSA windowClass{};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = EngineWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = "TavrixSoundTest";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "TavrixSoundTest", "", WS_POPUP | WS_VISIBLE, 0, 0, kWindowWidth,
                                  kWindowHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~EngineWindow() { Close(); }
    EngineWindow(const EngineWindow&) = delete;
    EngineWindow& operator=(const EngineWindow&) = delete;

    HWND get() const { return window_; }

    void Close()
    {
        if (window_) DestroyWindow(window_);
        window_ = nullptr;
    }

    // Lets the engine paint its background, start and draw for a while.
    void RunFor(DWORD ms) { RunUntil(ms, 0); }

    // Lets the engine run until it has handled an MCI notification; false when none came in time.
    bool RunUntilNotified(DWORD timeoutMs) { return RunUntil(timeoutMs, MM_MCINOTIFY); }

    // The window's pixels, top row first, as 0x00RRGGBB.
    std::vector<uint32_t> Pixels() const
    {
        std::vector<uint32_t> pixels(static_cast<size_t>(kWindowWidth) * kWindowHeight);
        WindowDc dc(window_);
        UniqueMemoryDc memory(CreateCompatibleDC(dc.get()));
        UniqueBitmap copy(CreateCompatibleBitmap(dc.get(), kWindowWidth, kWindowHeight));
        {
            SelectedObject selected(memory.get(), copy.get());
            BitBlt(memory.get(), 0, 0, kWindowWidth, kWindowHeight, dc.get(), 0, 0, SRCCOPY);
        }
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = kWindowWidth;
        info.bmiHeader.biHeight = -kWindowHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        GetDIBits(memory.get(), copy.get(), 0, kWindowHeight, pixels.data(), &info, DIB_RGB_COLORS);
        for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
        return pixels;
    }

    // Whether the engine has drawn over most of the black window.
    bool ShowsAPicture() const
    {
        const std::vector<uint32_t> pixels = Pixels();
        size_t drawn = 0;
        for (uint32_t pixel : pixels) drawn += pixel != 0;
        return drawn > pixels.size() / 2;
    }

private:
    // The engine draws until a message waits; our own timer is such a message.
    bool RunUntil(DWORD timeoutMs, UINT awaited)
    {
        const UINT_PTR deadline = SetTimer(nullptr, 0, timeoutMs, nullptr);
        bool arrived = false;
        MSG message;
        while (!arrived && GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == deadline) break;
            DispatchMessageA(&message);
            arrived = awaited != 0 && message.message == awaited;
        }
        KillTimer(nullptr, deadline);
        return arrived;
    }

    HWND window_ = nullptr;
};

class Sound : public testing::Test {
protected:
    void SetUp() override
    {
        settings_file::Remove();
        Set("ChangeTime", "3600");
        Set("Centered", "1");
        Set("Move", "0");
    }

    static void Set(const char* key, const std::string& value) { settings_file::Write(key, value); }

    TestFile tune_{"tavrix_sound_test.mid", FourNotes()};
    TestFile beep_{"tavrix_sound_test.wav", ShortBeep()};
};

}  // namespace

// ---- The music ----

TEST_F(Sound, TheMusicStartsWithThePictures)
{
    Set("PlayMidi", "1");
    Set("MidiFile", tune_.Path());
    EngineWindow window;
    ASSERT_TRUE(window.get());
    EXPECT_EQ(OpenDevices(), 0);
    window.RunFor(300);
    EXPECT_EQ(OpenDevices(), 1);
    EXPECT_EQ(lstrcmpiA(OpenDeviceName().c_str(), tune_.Path().c_str()), 0) << OpenDeviceName();
    EXPECT_TRUE(Playing());
    EXPECT_TRUE(window.ShowsAPicture());
}

TEST_F(Sound, WithLoopingEachEndStartsTheMusicAgain)
{
    Set("PlayMidi", "1");
    Set("LoopMidi", "1");
    Set("MidiFile", tune_.Path());
    EngineWindow window;
    window.RunFor(300);
    ASSERT_TRUE(Playing());
    for (int end = 1; end <= 3; ++end) {
        StopTheMusic();
        ASSERT_TRUE(window.RunUntilNotified(2000)) << "end " << end;
        EXPECT_EQ(OpenDevices(), 1) << "the ended music was closed: end " << end;
        EXPECT_TRUE(Playing()) << "end " << end;
    }
}

TEST_F(Sound, WithoutLoopingTheMusicStaysEnded)
{
    Set("PlayMidi", "1");
    Set("LoopMidi", "0");
    Set("MidiFile", tune_.Path());
    EngineWindow window;
    window.RunFor(300);
    ASSERT_TRUE(Playing());
    StopTheMusic();
    ASSERT_TRUE(window.RunUntilNotified(2000));
    window.RunFor(300);
    EXPECT_FALSE(Playing());
    StopTheMusic();
    EXPECT_FALSE(window.RunUntilNotified(500)) << "nothing was playing that a stop could end";
}

TEST_F(Sound, TheMusicEndsWithTheSaverWindow)
{
    Set("PlayMidi", "1");
    Set("LoopMidi", "1");
    Set("MidiFile", tune_.Path());
    EngineWindow window;
    window.RunFor(300);
    ASSERT_EQ(OpenDevices(), 1);
    window.Close();
    EXPECT_EQ(OpenDevices(), 0);
}

TEST_F(Sound, AMissingOrForeignFileGivesNeitherMusicNorAMessage)
{
    TestFile text("tavrix_sound_test_text.mid", {'N', 'o', ' ', 'm', 'u', 's', 'i', 'c', '\r', '\n'});
    DialogRefusal refusal;
    const std::string missing = "C:\\no such folder\\no such tune.mid";
    for (const std::string& path : {missing, text.Path(), beep_.Path()}) {
        Set("PlayMidi", "1");
        Set("LoopMidi", "1");
        Set("MidiFile", path);
        EngineWindow window;
        window.RunFor(400);
        EXPECT_EQ(OpenDevices(), 0) << path;
        EXPECT_TRUE(window.ShowsAPicture()) << "the pictures go on: " << path;
    }
    EXPECT_EQ(dialogsRefused, 0);
}

TEST_F(Sound, SwitchedOnWithoutAFileThereIsNoMusic)
{
    Set("PlayMidi", "1");
    Set("LoopMidi", "1");
    Set("MidiFile", "");
    EngineWindow window;
    window.RunFor(300);
    EXPECT_EQ(OpenDevices(), 0);
    EXPECT_TRUE(window.ShowsAPicture());
}

TEST_F(Sound, WithMusicAndSoundSwitchedOffNoDeviceIsOpened)
{
    Set("PlayMidi", "0");
    Set("PlayWave", "0");
    Set("MidiFile", tune_.Path());
    Set("WaveFile", beep_.Path());
    Set("ChangeTime", "1");
    EngineWindow window;
    window.RunFor(1500);
    EXPECT_EQ(OpenDevices(), 0);
    EXPECT_TRUE(window.ShowsAPicture());
}

// ---- The change sound ----
// PlaySound leaves nothing to see here (it answers TRUE even for a missing file and there
// is no device to play on), so these show only that the pictures go on changing with it.

TEST_F(Sound, WithTheChangeSoundOnThePicturesStillChange)
{
    DialogRefusal refusal;
    for (const std::string& path : {beep_.Path(), std::string("C:\\no such folder\\no such sound.wav")}) {
        Set("PlayWave", "1");
        Set("WaveFile", path);
        Set("ChangeTime", "1");
        EngineWindow window;
        window.RunFor(300);
        const std::vector<uint32_t> first = window.Pixels();
        window.RunFor(1500);
        EXPECT_NE(window.Pixels(), first) << "the second picture replaced the first: " << path;
        EXPECT_TRUE(window.ShowsAPicture()) << path;
    }
    EXPECT_EQ(dialogsRefused, 0);
}
