// The full-screen saver's backgrounds as they appear on the real screen under its one tiny picture.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/background_stage.h"
#include "tests/support/bmp_bytes.h"
#include "tests/support/engine_window.h"
#include "tests/support/saver_process.h"
#include "tests/support/screen.h"
#include "tests/support/settings_file.h"
#include "tests/support/unix_fifo.h"
#include "win32/handles.h"

using engine_window::Pixels;
using engine_window::RunMessages;

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
// Scale 0 shrinks every picture to a tenth (at most 48 x 27), and Centered puts it here.
constexpr RECT kPictureZone = {470, 355, 560, 415};

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// Four bright stripes, left to right, that nothing the saver paints would produce.
constexpr COLORREF kStripes[4] = {RGB(250, 210, 20), RGB(10, 200, 30), RGB(230, 40, 160), RGB(40, 220, 230)};

COLORREF StripeAt(int x) { return kStripes[x / (kScreenWidth / 4)]; }

bool InPictureZone(int x, int y) { return PtInRect(&kPictureZone, POINT{x, y}) != FALSE; }

// Points spread over the whole screen, clear of the picture.
std::vector<POINT> ProbesAwayFromThePicture()
{
    std::vector<POINT> probes;
    for (int y = 0; y < kScreenHeight; y += 96)
        for (int x = 5; x < kScreenWidth; x += 64)
            if (!InPictureZone(x, y)) probes.push_back({x, y});
    probes.push_back({kScreenWidth - 1, kScreenHeight - 1});
    return probes;
}

// A full-screen window of the test program standing in for the desktop: four stripes.
class Desktop {
public:
    Desktop()
    {
        const WNDCLASSA windowClass{0, DefWindowProcA, 0, 0, GetModuleHandleA(nullptr),
                                    nullptr, nullptr, nullptr, nullptr, "TavrixTestDesktop"};
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "TavrixTestDesktop", "", WS_POPUP | WS_VISIBLE, 0, 0, kScreenWidth,
                                  kScreenHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        RunMessages(100);  // Wine shows a window's drawing once its thread looks at its messages
        {
            WindowDc dc(window_);
            for (int stripe = 0; stripe < 4; ++stripe) {
                UniqueBrush brush(CreateSolidBrush(kStripes[stripe]));
                RECT band = {stripe * kScreenWidth / 4, 0, (stripe + 1) * kScreenWidth / 4, kScreenHeight};
                FillRect(dc.get(), &band, brush.get());
            }
        }
        RunMessages(200);
    }
    ~Desktop() { DestroyWindow(window_); }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    bool Shown() const
    {
        const ScreenShot shot;
        for (const POINT& probe : ProbesAwayFromThePicture())
            if (shot.At(probe.x, probe.y) != StripeAt(probe.x)) return false;
        return true;
    }

private:
    HWND window_ = nullptr;
};

// An uncompressed 24-bit BMP; colourAt(x, y) counts y from the top row.
std::vector<uint8_t> Bmp24(int width, int height, const std::function<COLORREF(int, int)>& colourAt)
{
    bmp_bytes::Picture picture{40, width, height, 24, 0, 0, 0, 54, {}, 0, {}, {}};
    for (int y = height - 1; y >= 0; --y) {  // bottom row first, each padded to four bytes
        for (int x = 0; x < width; ++x) {
            const COLORREF colour = colourAt(x, y);
            for (const BYTE channel : {GetBValue(colour), GetGValue(colour), GetRValue(colour)})
                picture.pixels.push_back(channel);
        }
        picture.pixels.resize((picture.pixels.size() + 3) / 4 * 4);
    }
    return bmp_bytes::Bytes(picture);
}

// An 8-bit BMP whose pixel bytes are a hole in the file: it costs no disk, yet claims every byte.
class SparseBmp {
public:
    SparseBmp(int32_t width, int32_t height)
    {
        bmp_bytes::Picture picture;
        picture.width = width;
        picture.height = height;
        picture.pixels.clear();
        const std::vector<uint8_t> head = bmp_bytes::Bytes(picture);
        UniqueFile file(CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        DWORD written = 0;
        LARGE_INTEGER end;
        end.QuadPart = LONGLONG(head.size()) + LONGLONG((width + 3) / 4 * 4) * height;
        made_ = file && WriteFile(file.get(), head.data(), DWORD(head.size()), &written, nullptr) &&
                SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get());
    }
    ~SparseBmp() { DeleteFileA(path_.c_str()); }
    SparseBmp(const SparseBmp&) = delete;
    SparseBmp& operator=(const SparseBmp&) = delete;

    bool Made() const { return made_; }
    const char* path() const { return path_.c_str(); }

private:
    std::string path_ = bmp_bytes::TempFolder() + "tavrix_sparse.bmp";
    bool made_ = false;
};

// A key pressed (or only released) on the keyboard as the user would, reaching the foreground
// window's queue.
void PressKey(bool releaseOnly = false)
{
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = 'A';
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(releaseOnly ? 1 : 2, releaseOnly ? &keys[1] : keys, sizeof(INPUT));
}

class ScreenBackground : public testing::Test {
protected:
    void SetUp() override
    {
        settings_file::Remove();
        // Scale 0, beyond the dialog's range, is a tenth of the size.
        for (auto [key, value] : {std::pair{"ChangeTime", "3600"}, {"Scale", "0"}, {"Centered", "1"}, {"Move", "0"}})
            settings_file::Write(key, value);
    }

    // Starts the full-screen saver with this background, waits until the screen's top-left and
    // bottom-right corners (clear of the picture) show the colours expected there, keeps the
    // screen and ends the saver; null when there was no window or no end.
    static std::unique_ptr<ScreenShot> ShotWithBackground(const std::string& background, COLORREF topLeft,
                                                          COLORREF bottomRight)
    {
        settings_file::Write("Background", background);
        SaverProcess saver(SaverPath(), "/s");
        HWND window = WaitForSaverWindow(saver);
        EXPECT_TRUE(window) << "no saver window; the saver " << (saver.Running() ? "runs" : "ended");
        if (window == nullptr) return nullptr;
        auto shot = std::make_unique<ScreenShot>();
        WaitUntil(
            [&] {
                RunMessages(10);
                shot = std::make_unique<ScreenShot>();
                return shot->At(0, 0) == topLeft && shot->At(kScreenWidth - 1, kScreenHeight - 1) == bottomRight;
            },
            20000);
        // A key press that comes while a picture changes is dropped: press until the saver ends.
        // Meanwhile this thread answers its own windows' messages: the stand-in desktop is
        // activated as the saver's window goes.
        const auto pressed = [&] {
            PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
            RunMessages(100);
            return !saver.Running();
        };
        return WaitUntil(pressed, 20000) ? std::move(shot) : nullptr;
    }
};

}  // namespace

// Each channel of a fade moves from its top value towards its bottom one by (top - bottom) / 768
// a row, the fraction cut off; from 255 to 0 that is 85/256 a row.
TEST_F(ScreenBackground, TheFadesRunFromTheirTopColourToTheirBottomOne)
{
    const struct {
        const char* background;
        COLORREF rows[4];  // rows 0, 1, 384 and 767
    } fades[] = {{"1", {kBlue, RGB(0, 0, 254), RGB(0, 0, 127), kBlack}},
                 {"2", {kWhite, RGB(254, 254, 254), RGB(127, 127, 127), kBlack}},
                 {"6", {kRed, RGB(254, 0, 0), RGB(127, 0, 127), RGB(0, 0, 254)}}};  // own colours: red to blue
    settings_file::Write("Color1", "255");
    settings_file::Write("Color2", "16711680");
    for (const auto& fade : fades) {
        auto shot = ShotWithBackground(fade.background, fade.rows[0], fade.rows[3]);
        ASSERT_TRUE(shot) << fade.background;
        for (int row = 0; row < 4; ++row) {
            const int y = std::vector<int>{0, 1, 384, 767}[row];
            for (int x : {0, 200, 800, kScreenWidth - 1})
                EXPECT_EQ(shot->At(x, y), fade.rows[row]) << fade.background << " at " << x << "," << y;
        }
    }
}

TEST_F(ScreenBackground, TheOwnPictureIsStretchedOverTheScreen)
{
    const COLORREF corners[2][2] = {{kRed, kGreen}, {kBlue, kWhite}};  // [row][column]
    const bmp_bytes::TempFile picture(Bmp24(2, 2, [&](int x, int y) { return corners[y][x]; }));
    settings_file::Write("OwnBitmap", picture.path());  // not tiled, unless asked for
    auto shot = ShotWithBackground("5", kRed, kWhite);
    ASSERT_TRUE(shot);
    const struct {
        int x, y;
        COLORREF colour;
    } probes[] = {{0, 0, kRed},      {511, 100, kRed},  {100, 383, kRed},   {512, 100, kGreen}, {1023, 0, kGreen},
                  {100, 384, kBlue}, {0, 767, kBlue},   {700, 384, kWhite}, {1023, 767, kWhite}};
    for (const auto& probe : probes) EXPECT_EQ(shot->At(probe.x, probe.y), probe.colour) << probe.x << "," << probe.y;
}

// A square whose top-left pixel is red and all the rest blue: each tile's start shows.
TEST_F(ScreenBackground, TheOwnPictureIsTiledFromTheTopLeftCornerAndCutAtTheRightAndBottomEdges)
{
    for (const int side : {100}) {  // neither side divides the screen's
        const auto marked = [](int x, int y) { return x == 0 && y == 0 ? kRed : kBlue; };
        const bmp_bytes::TempFile picture(Bmp24(side, side, marked));
        settings_file::Write("OwnBitmap", picture.path());
        settings_file::Write("Tiles", "1");
        auto shot = ShotWithBackground("5", kRed, kBlue);
        ASSERT_TRUE(shot) << side;
        for (int x = 0; x < kScreenWidth; x += side) {
            for (int y = 0; y < kScreenHeight; y += side) {
                if (InPictureZone(x, y) || InPictureZone(x + 1, y + 1)) continue;
                EXPECT_EQ(shot->At(x, y), kRed) << "a tile of " << side << " starts at " << x << "," << y;
                EXPECT_EQ(shot->At(x + 1, y + 1), kBlue) << side << ": " << x + 1 << "," << y + 1;
            }
        }
        for (const POINT& edge : {POINT{1023, 767}, POINT{1023, 699}, POINT{999, 767}})
            EXPECT_EQ(shot->At(edge.x, edge.y), kBlue) << side << ": " << edge.x << "," << edge.y;
    }
}

// The saver window's first stage only, in a window of this process: a key pressed before the
// user's bitmap loads gives up the load in full screen; a key released is no reason, and the
// preview ignores input.
TEST(LoadingTheOwnPicture, AKeyPressWaitingStopsTheLoadInFullScreenButNotInThePreview)
{
    const bmp_bytes::TempFile picture(Bmp24(2, 2, [](int, int) { return kRed; }));
    settings_file::Remove();
    settings_file::Write("Background", "5");
    settings_file::Write("OwnBitmap", picture.path());
    const struct {
        const char* what;
        bool preview;
        int keys;  // 0: none; 1: a press and its release; 2: a release only
        COLORREF shown;
    } cases[] = {{"full screen, nothing waits", false, 0, kRed},
                 {"full screen, a key press waits", false, 1, kBlack},
                 {"full screen, only a key release waits", false, 2, kRed},
                 {"preview, a key press waits", true, 1, kRed}};
    for (const auto& c : cases) {
        const HWND top = CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48, nullptr, nullptr,
                                         GetModuleHandleA(nullptr), nullptr);
        const HWND window = c.preview ? CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 0, 0, 64, 48, top,
                                                        nullptr, GetModuleHandleA(nullptr), nullptr)
                                      : top;
        ASSERT_TRUE(window) << c.what;
        SetForegroundWindow(top);
        RunMessages(50, WM_NULL);
        if (c.keys != 0) {
            PressKey(c.keys == 2);
            ASSERT_TRUE(WaitUntil([] { return HIWORD(GetQueueStatus(QS_KEY)) != 0; }, 10000)) << c.what;
        }
        {
            BackgroundStage stage(window);
            EXPECT_EQ(stage.OnTimer(window), 0) << c.what;
        }
        EXPECT_EQ(Pixels::Of(window).At(32, 24), c.shown) << c.what;
        MSG leftOver;
        while (PeekMessageA(&leftOver, nullptr, 0, 0, PM_REMOVE)) {
        }
        DestroyWindow(top);
    }
    settings_file::Remove();
}

TEST_F(ScreenBackground, ADeviceAPipeOrAFolderAsTheOwnPictureGivesBlackAndTheSaverStillCloses)
{
    // Under Wine COM1.bmp is the serial port, whose reads never return; the
    // FIFO is held open by this test, which never writes to it.
    const UnixFifo fifo;
    ASSERT_TRUE(fifo.Made());
    const UniqueFile writer = fifo.HoldOpen();
    ASSERT_TRUE(writer);
    const std::string folder = bmp_bytes::TempFolder();
    for (const char* path : {"COM1.bmp", fifo.path(), folder.c_str()}) {
        const Desktop desktop;
        ASSERT_TRUE(desktop.Shown());
        settings_file::Write("OwnBitmap", path);
        auto shot = ShotWithBackground("5", kBlack, kBlack);
        ASSERT_TRUE(shot) << path << ": the saver did not close";
        for (const POINT& probe : ProbesAwayFromThePicture())
            EXPECT_EQ(shot->At(probe.x, probe.y), kBlack) << path << " at " << probe.x << "," << probe.y;
    }
}

// 20000 x 20000 is refused from its header; 8192 x 6144, the most pixels allowed, loads
// until a key comes. Either way the saver ends on the keyboard's keys (real input, not posted
// messages). How soon is a benchmark figure (tools/bench/bitmap_bench.cpp).
TEST_F(ScreenBackground, AKeyPressedWhileAHugePictureLoadsClosesTheSaver)
{
    for (const auto& [width, height] : {std::pair{20000, 20000}, std::pair{8192, 6144}}) {
        const SparseBmp picture(width, height);
        ASSERT_TRUE(picture.Made()) << width;
        settings_file::Write("OwnBitmap", picture.path());
        settings_file::Write("Background", "5");
        SaverProcess saver(SaverPath(), "/s");
        const HWND window = WaitForSaverWindow(saver);
        ASSERT_TRUE(window) << width;
        SetForegroundWindow(window);
        // A close that comes before the background stage has begun is dropped: press until the end.
        const auto pressed = [&] {
            PressKey();
            return saver.WaitForExit(100) != STILL_ACTIVE;
        };
        EXPECT_TRUE(WaitUntil(pressed, 60000)) << width;
    }
}
