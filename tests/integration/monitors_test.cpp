// The full-screen saver on two monitors side by side: the primary 1024 x 768 and a second one of
// 800 x 600 to its right. Run in a session of its own (label "two-monitors"), whose display has both.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/bmp_bytes.h"
#include "tests/support/folders.h"
#include "tests/support/saver_process.h"
#include "tests/support/screen.h"
#include "tests/support/settings_file.h"
#include "tests/support/waiting.h"

namespace {

constexpr RECT kPrimary = {0, 0, 1024, 768};
constexpr RECT kSecond = {1024, 0, 1824, 600};
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A fade's channel on row `row` of `rows`: the top value, less the row's share of the way down (a
// single-precision step, also where the x87 would keep more), cut off toward zero.
BYTE Fading(int top, int bottom, int rows, int row)
{
    const volatile float step = float(top - bottom) / float(rows);
    return BYTE(int(double(top) - double(row) * double(step)));
}

// The whole virtual screen over both monitors, as the user sees it.
class BothMonitors {
public:
    BothMonitors()
        : left_(GetSystemMetrics(SM_XVIRTUALSCREEN)),
          top_(GetSystemMetrics(SM_YVIRTUALSCREEN)),
          pixels_(Capture(left_, top_, GetSystemMetrics(SM_CXVIRTUALSCREEN),
                          GetSystemMetrics(SM_CYVIRTUALSCREEN)))
    {
    }
    COLORREF At(int x, int y) const { return pixels_.At(x - left_, y - top_); }

private:
    static Pixels Capture(int left, int top, int width, int height)
    {
        WindowDc screen(nullptr);
        UniqueBitmap copy(CreateCompatibleBitmap(screen.get(), width, height));
        UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
        {
            SelectedObject selected(memory.get(), copy.get());
            BitBlt(memory.get(), 0, 0, width, height, screen.get(), left, top, SRCCOPY);
        }
        return Pixels(copy.get(), width, height);
    }

    int left_, top_;
    Pixels pixels_;
};

// A window of another program, left open on the second monitor: none of it may show.
HWND RedWindowOnTheSecondMonitor()
{
    WNDCLASSA red{};
    red.lpfnWndProc = DefWindowProcA;
    red.hInstance = GetModuleHandleA(nullptr);
    red.hbrBackground = CreateSolidBrush(kRed);
    red.lpszClassName = "TavrixRedWindow";
    RegisterClassA(&red);
    HWND window = CreateWindowA("TavrixRedWindow", "Rot", WS_POPUP | WS_VISIBLE, 1200, 150, 400, 300,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    UpdateWindow(window);
    return window;
}

// "" when every sampled point of the monitor shows the expected colour, else the first that does not.
std::string Differences(const BothMonitors& shot, const RECT& monitor,
                        const std::function<COLORREF(int x, int y)>& expected)
{
    for (int y = monitor.top; y < monitor.bottom; y += 25) {
        for (int x = monitor.left; x < monitor.right; x += 25) {
            const COLORREF want = expected(x - monitor.left, y - monitor.top);
            if (shot.At(x, y) == want) continue;
            char text[80];
            wsprintfA(text, "%06x instead of %06x at %d,%d", shot.At(x, y), want, x, y);
            return text;
        }
    }
    return "";
}

class TwoMonitors : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "this session's display has two monitors";
        ASSERT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 1824);
        settings_file::Reset({{"ChangeTime", "3600"}});
    }
};

}  // namespace

// Each monitor shows the whole background as if it were the only one: the fades run down each, the
// user's picture is stretched over each or tiled from each one's corner. The pictures move over
// the primary monitor only; the window left open on the second one never shows.
TEST_F(TwoMonitors, TheSaverCoversBothWithItsBackgroundAndThePicturesStayOnThePrimary)
{
    // 96 x 64, green but for its blue top-left pixel, which marks where each copy starts: 1024 is
    // no multiple of 96, so tiles that ran on from the primary monitor would start elsewhere.
    bmp_bytes::Picture picture{40, 96, 64, 24, 0, 0, 0, 54, {}, 0, {}, {}};
    for (int pixel = 0; pixel < 96 * 64; ++pixel) picture.pixels.insert(picture.pixels.end(), {0, 255, 0});
    picture.pixels[63 * 96 * 3] = 255;  // rows go bottom first: the top row comes last
    picture.pixels[63 * 96 * 3 + 1] = 0;
    const bmp_bytes::TempFile green(bmp_bytes::Bytes(picture));
    const HWND red = RedWindowOnTheSecondMonitor();
    ScopeExit gone([&] { DestroyWindow(red); });
    const struct {
        const char* what;
        std::vector<std::pair<const char*, std::string>> settings;
        std::function<COLORREF(const RECT&, int x, int y)> background;
    } cases[] = {
        {"black", {{"Background", "0"}}, [](const RECT&, int, int) { return kBlack; }},
        {"the blue fade",
         {{"Background", "1"}},
         [](const RECT& monitor, int, int y) {
             return RGB(0, 0, Fading(255, 0, monitor.bottom - monitor.top, y));
         }},
        {"the own picture, stretched",
         {{"Background", "5"}, {"OwnBitmap", green.path()}, {"Tiles", "0"}},
         [](const RECT& monitor, int x, int y) {
             const int width = monitor.right - monitor.left, height = monitor.bottom - monitor.top;
             return x < width / 96 && y < height / 64 ? kBlue : kGreen;
         }},
        {"the own picture, tiled from each monitor's corner",
         {{"Background", "5"}, {"OwnBitmap", green.path()}, {"Tiles", "1"}},
         [](const RECT&, int x, int y) { return x % 96 == 0 && y % 64 == 0 ? kBlue : kGreen; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        settings_file::Reset({{"ChangeTime", "3600"}, {"Pictures", "8"}, {"Move", "1"}});
        for (const auto& [key, value] : c.settings) settings_file::Write(key, value);
        SaverProcess saver(SaverPath(), "/s");
        const HWND window = WaitForSaverWindow(saver);
        ASSERT_TRUE(window);
        RECT covered{};
        GetWindowRect(window, &covered);
        EXPECT_EQ(std::vector<LONG>({covered.left, covered.top, covered.right, covered.bottom}),
                  std::vector<LONG>({0, 0, 1824, 768}))
            << "the window covers both monitors";
        std::string second;
        const bool secondShown = WaitUntil(
            [&] {
                second = Differences(BothMonitors(), kSecond,
                                     [&](int x, int y) { return c.background(kSecond, x, y); });
                return second.empty();
            },
            30000);
        EXPECT_TRUE(secondShown) << "the second monitor: " << second;
        // The pictures, nine of them moving, are all on the primary: its background shows around
        // them. They come after the background, so the first look may be too early.
        int pictures = 0, backgroundPoints = 0;
        std::string red;
        WaitUntil(
            [&] {
                const BothMonitors shot;
                pictures = backgroundPoints = 0;
                for (int y = 10; y < 768; y += 25) {
                    for (int x = 10; x < 1024; x += 25) {
                        const bool background = shot.At(x, y) == c.background(kPrimary, x, y);
                        backgroundPoints += background;
                        pictures += !background;
                        if (shot.At(x, y) == kRed) red += std::to_string(x) + "," + std::to_string(y) + " ";
                    }
                }
                return pictures > 0 && backgroundPoints > 0;
            },
            30000);
        EXPECT_EQ(red, "") << "the red window shows through";
        EXPECT_GT(pictures, 0) << "pictures on the primary monitor";
        EXPECT_GT(backgroundPoints, 0) << "and its background around them";
    }
}

// The ends the user knows: five pixels of travel on the second monitor, or a key there, close the
// saver; four do not. A second start on two monitors hands over to the running saver.
TEST_F(TwoMonitors, TravelOrAKeyOnTheSecondMonitorCloseTheSaverAndASecondStartHandsOver)
{
    const POINT start{1400, 300};
    const auto cursorAt = [](int x, int y) {
        return WaitUntil(
            [&] {
                SetCursorPos(x, y);
                POINT at{};
                return GetCursorPos(&at) && at.x == x && at.y == y;
            },
            10000);
    };
    for (const bool key : {false, true}) {
        SCOPED_TRACE(key ? "a key" : "the mouse");
        ASSERT_TRUE(cursorAt(start.x, start.y));
        SaverProcess saver(SaverPath(), "/s");
        const HWND window = WaitForSaverWindow(saver);
        ASSERT_TRUE(window);
        ASSERT_TRUE(WaitForAPictureOnTheScreen());
        if (key) {
            SaverProcess second(SaverPath(), "/s");
            EXPECT_EQ(second.WaitForExit(), 0u) << "a second start ends at once";
            EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 10000))
                << "and the running saver keeps the screen";
            INPUT keys[2] = {};
            keys[0].type = keys[1].type = INPUT_KEYBOARD;
            keys[0].ki.wVk = keys[1].ki.wVk = 'K';
            keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
            SendInput(2, keys, sizeof(INPUT));
        } else {
            ASSERT_TRUE(cursorAt(start.x + 2, start.y + 2));
            PostMessageA(window, WM_MOUSEMOVE, 0, 0);
            EXPECT_EQ(saver.WaitForExit(400), STILL_ACTIVE) << "four pixels are no travel";
            ASSERT_TRUE(cursorAt(start.x + 3, start.y + 2));
            PostMessageA(window, WM_MOUSEMOVE, 0, 0);
        }
        EXPECT_EQ(saver.WaitForExit(10000), 0u);
    }
}
