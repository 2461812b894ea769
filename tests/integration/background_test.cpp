// The full-screen saver's backgrounds as they appear on the real screen around its one tiny picture.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/background_stage.h"
#include "tests/support/bmp_bytes.h"
#include "tests/support/engine_window.h"
#include "tests/support/folders.h"
#include "tests/support/saver_process.h"
#include "tests/support/settings_file.h"
#include "tests/support/waiting.h"

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A channel of a fade over 768 rows moves by 85/256 a row, the fraction cut off.
BYTE Falling(int row)
{
    return BYTE(255 - (row * 85 + 255) / 256);
}
BYTE Rising(int row)
{
    return BYTE(row * 85 / 256);
}

// A 96 x 160 picture, blue but for its red top-left pixel, which shows where each tile starts.
std::vector<uint8_t> MarkedBmp()
{
    bmp_bytes::Picture picture{40, 96, 160, 24, 0, 0, 0, 54, {}, 0, {}, {}};
    for (int pixel = 0; pixel < 96 * 160; ++pixel) picture.pixels.insert(picture.pixels.end(), {255, 0, 0});
    const size_t topLeft = 159 * 96 * 3;  // rows go bottom first, each 288 bytes
    picture.pixels[topLeft] = 0;
    picture.pixels[topLeft + 2] = 255;
    return bmp_bytes::Bytes(picture);
}

// "" when the screen shows the expected colours on a grid of points clear of the picture (scaled
// to a tenth and centred); else the first point that differs.
std::string Differences(const std::function<COLORREF(int, int)>& expected)
{
    const ScreenShot shot;
    const RECT picture = {470, 355, 560, 415};
    for (int y = 0; y <= kScreenHeight; y += 32) {
        for (int x = 0; x <= kScreenWidth; x += 32) {
            for (const int step : {0, 1}) {  // a tile's start and the pixel after it, down to the last row
                const POINT at{std::min(x + step, kScreenWidth - 1), std::min(y + step, kScreenHeight - 1)};
                if (PtInRect(&picture, at) || shot.At(at.x, at.y) == expected(at.x, at.y)) continue;
                char difference[64];
                wsprintfA(difference, "%06x instead of %06x at %d,%d", shot.At(at.x, at.y),
                          expected(at.x, at.y), at.x, at.y);
                return difference;
            }
        }
    }
    return "";
}

}  // namespace

TEST(ScreenBackground, EachBackgroundFillsTheScreenAroundThePictureAndTheSaverStillCloses)
{
    const bmp_bytes::TempFile marked(MarkedBmp());
    // Scale 0, beyond the dialog's range, is a tenth of the size. Own colours: red down to blue.
    settings_file::Reset({{"ChangeTime", "3600"},
                          {"Scale", "0"},
                          {"Centered", "1"},
                          {"Move", "0"},
                          {"Color1", "255"},
                          {"Color2", "16711680"}});
    const struct {
        const char* background;
        const char* ownBitmap;
        const char* tiles;
        std::function<COLORREF(int, int)> expected;
    } cases[] = {
        {"1", "", "0", [](int, int y) { return RGB(0, 0, Falling(y)); }},
        {"2", "", "0", [](int, int y) { return RGB(Falling(y), Falling(y), Falling(y)); }},
        {"6", "", "0", [](int, int y) { return RGB(Falling(y), 0, Rising(y)); }},
        {"5", marked.path(), "0", [](int x, int y) { return x < 10 && y < 4 ? kRed : kBlue; }},  // stretched
        {"5", marked.path(), "1", [](int x, int y) { return x % 96 + y % 160 == 0 ? kRed : kBlue; }},
        // Under Wine COM1.bmp is the serial port, whose reads never return.
        {"5", "COM1.bmp", "0", [](int, int) { return kBlack; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("Background ") + c.background + ", " + c.ownBitmap + ", tiles " + c.tiles);
        settings_file::Write({{"Background", c.background}, {"OwnBitmap", c.ownBitmap}, {"Tiles", c.tiles}});
        SaverProcess saver(SaverPath(), "/s");
        const HWND window = WaitForSaverWindow(saver);
        ASSERT_TRUE(window);
        std::string differences;
        WaitUntil([&] { return (differences = Differences(c.expected)).empty(); }, 20000);
        EXPECT_EQ(differences, "");
        // A key press that comes while a picture changes is dropped: press until the saver ends.
        const auto pressed = [&] {
            PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
            return saver.WaitForExit(100) != STILL_ACTIVE;
        };
        EXPECT_TRUE(WaitUntil(pressed, 20000)) << "the saver did not close";
    }
}

// The saver window's first stage only, in a window of this process: a key pressed before the
// user's bitmap loads gives up the load in full screen; a key released is no reason, and the
// preview ignores input.
TEST(LoadingTheOwnPicture, AKeyPressWaitingStopsTheLoadInFullScreenButNotInThePreview)
{
    const bmp_bytes::TempFile picture(MarkedBmp());
    settings_file::Reset({{"Background", "5"}, {"OwnBitmap", picture.path()}});
    const struct {
        const char* what;
        bool preview;
        int keys;  // 1: a press and its release; 2: a release only
        COLORREF shown;
    } cases[] = {{"full screen, a key press waits", false, 1, kBlack},
                 {"full screen, only a key release waits", false, 2, kBlue},
                 {"preview, a key press waits", true, 1, kBlue}};
    for (const auto& c : cases) {
        const HWND top = CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48, nullptr,
                                         nullptr, GetModuleHandleA(nullptr), nullptr);
        const HWND window = c.preview ? CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 0, 0, 64, 48,
                                                        top, nullptr, GetModuleHandleA(nullptr), nullptr)
                                      : top;
        ASSERT_TRUE(window) << c.what;
        SetForegroundWindow(top);
        RunMessages(50, WM_NULL);
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = 'A';
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(c.keys == 2 ? 1 : 2, c.keys == 2 ? &keys[1] : keys, sizeof(INPUT));
        ASSERT_TRUE(WaitUntil([] { return HIWORD(GetQueueStatus(QS_KEY)) != 0; }, 10000)) << c.what;
        {
            BackgroundStage stage(window);
            EXPECT_EQ(stage.OnTimer(window), 0) << c.what;
        }
        EXPECT_EQ(Pixels::Of(window).At(32, 24), c.shown) << c.what;
        // The keys this case left waiting are dropped.
        for (MSG leftOver; PeekMessageA(&leftOver, nullptr, 0, 0, PM_REMOVE);) {
        }
        DestroyWindow(top);
    }
}
