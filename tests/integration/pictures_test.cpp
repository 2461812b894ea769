// The pictures as they land on the real screen: changes, motion, the wipe and filling the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <utility>

#include "tests/support/folders.h"
#include "tests/support/saver_process.h"
#include "tests/support/screen.h"
#include "tests/support/settings_file.h"
#include "tests/support/waiting.h"
#include "win32/handles.h"

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kAny = CLR_INVALID;  // a colour a Colouring gives where any colour will do

using Colouring = std::function<COLORREF(int x, int y)>;

// Black, the background unless a test says otherwise, and the blue fade (Background=1): over the
// 768 rows the blue falls by 255/768 = 85/256 of a level a row (exact in binary), truncated.
COLORREF Black(int, int)
{
    return kBlack;
}
COLORREF BlueFade(int, int y)
{
    return RGB(0, 0, (255 * 256 - 85 * y) / 256);
}

// One of our own pictures, decoded by Windows itself from the BMP file the module carries (so a
// fault in the saver's own loader cannot creep into the expectation); given a size, stretched to
// it as StretchBlt puts it on a screen DC in its first, unchanged stretching mode.
Pixels Picture(const char* name, int width = 0, int height = 0)
{
    const HRSRC found = FindResourceA(nullptr, name, "DIB");
    const HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const auto* file = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    if (!file) return Pixels(nullptr, 0, 0);
    const auto* header = reinterpret_cast<const BITMAPFILEHEADER*>(file);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(file + sizeof(BITMAPFILEHEADER));
    WindowDc screen(nullptr);
    UniqueBitmap decoded(CreateDIBitmap(screen.get(), &info->bmiHeader, CBM_INIT, file + header->bfOffBits,
                                        info, DIB_RGB_COLORS));
    const int pictureWidth = info->bmiHeader.biWidth, pictureHeight = std::abs(info->bmiHeader.biHeight);
    if (width == 0) return Pixels(decoded.get(), pictureWidth, pictureHeight);
    UniqueBitmap canvas(CreateCompatibleBitmap(screen.get(), width, height));
    UniqueMemoryDc to(CreateCompatibleDC(screen.get()));
    UniqueMemoryDc from(CreateCompatibleDC(screen.get()));
    {
        SelectedObject target(to.get(), canvas.get());
        SelectedObject source(from.get(), decoded.get());
        StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, pictureWidth, pictureHeight, SRCCOPY);
    }
    return Pixels(canvas.get(), width, height);
}

struct Area {
    int x, y, width, height;
};

POINT Centred(const Pixels& picture)
{
    return {(kScreenWidth - picture.Width()) / 2, (kScreenHeight - picture.Height()) / 2};
}

// `pixels` with their top-left corner at `at`, and `around` everywhere else.
Colouring Placed(const Pixels& pixels, POINT at, const Colouring& around)
{
    return [&pixels, at, around](int x, int y) {
        const RECT place{at.x, at.y, at.x + pixels.Width(), at.y + pixels.Height()};
        return PtInRect(&place, POINT{x, y}) ? pixels.At(x - at.x, y - at.y) : around(x, y);
    };
}

// "" when every pixel of the screen has its expected colour; else what differs.
std::string Differences(const ScreenShot& shot, const Colouring& expected, const std::string& what)
{
    int wrong = 0;
    std::ostringstream first;
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            const COLORREF colour = expected(x, y);
            if (colour == kAny || shot.At(x, y) == colour || wrong++ > 0) continue;
            first << ", the first at (" << x << "," << y << "): " << std::hex << shot.At(x, y)
                  << " instead of " << colour << std::dec;
        }
    }
    return wrong == 0 ? "" : std::to_string(wrong) + " pixels of " + what + " differ" + first.str() + ". ";
}

bool Shows(const ScreenShot& shot, const Pixels& pixels, POINT at)
{
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x)
            if (shot.At(at.x + x, at.y + y) != pixels.At(x, y)) return false;
    return true;
}

// Screenshots until one satisfies `complaint`, then `steadyShots` more that must satisfy it too:
// a screen that only passes through the expected look, between frames, does not count.
testing::AssertionResult Steadily(const std::function<std::string(const ScreenShot&)>& complaint,
                                  DWORD timeoutMs = 5000, int steadyShots = 4)
{
    std::string last = "no screenshot was taken";
    WaitUntil([&] { return (last = complaint(ScreenShot())).empty(); }, timeoutMs);
    for (int shot = 0; shot < steadyShots && last.empty(); ++shot) {
        Sleep(50);
        if (!(last = complaint(ScreenShot())).empty()) last = "shown, but not steadily: " + last;
    }
    return last.empty() ? testing::AssertionSuccess() : testing::AssertionFailure() << last;
}

// "" once the first picture has been seen 20 or more single diagonal steps from the middle, before
// any turn, and, apart from it and its far edge, the screen shows the fade; after the wipe, the fade
// only along the picture's path and black elsewhere. The edge is the row and column just past the
// picture: the trail behind a picture moving up or left is repainted one step late.
std::string TrailDifferences(const ScreenShot& shot, bool wiped)
{
    const Pixels own = Picture("STYLE00_PIC01");
    const POINT start = Centred(own);
    for (int steps = 20; steps < 400; ++steps) {
        for (const POINT step : {POINT{1, 1}, POINT{1, -1}, POINT{-1, 1}, POINT{-1, -1}}) {
            const POINT at{start.x + step.x * steps, start.y + step.y * steps};
            if (at.x < 0 || at.y < 0 || at.x + own.Width() > kScreenWidth ||
                at.y + own.Height() > kScreenHeight || !Shows(shot, own, at))
                continue;
            // The first and last steps at which the picture, with its far edge, lay over a column or row.
            const auto stepsOver = [](int position, int from, int step, int size) {
                const int offset = (position - from) * step;
                return std::pair{step > 0 ? offset - size : offset, step > 0 ? offset : offset + size};
            };
            const Colouring behind = [&](int x, int y) {
                if (x >= at.x && x <= at.x + own.Width() && y >= at.y && y <= at.y + own.Height())
                    return kAny;
                const auto [fromX, toX] = stepsOver(x, start.x, step.x, own.Width());
                const auto [fromY, toY] = stepsOver(y, start.y, step.y, own.Height());
                const bool passedOver = std::max({fromX, fromY, 0}) <= std::min({toX, toY, steps - 1});
                return !wiped || passedOver ? BlueFade(x, y) : kBlack;
            };
            return Differences(shot, behind, "what lies behind the picture");
        }
    }
    return "the picture has not been seen 20 steps from the middle";
}

class Pictures : public testing::Test {
protected:
    // Unless a test says otherwise, every picture stands still in the middle, where it is
    // known to be, on black, and stays until the test ends.
    void SetUp() override
    {
        settings_file::Reset({{"ChangeTime", "3600"}, {"Centered", "1"}, {"Move", "0"}});
    }
};

}  // namespace

TEST_F(Pictures, EachChangeBringsTheNextPictureAloneInTheMiddleAndClearsTheOldPlace)
{
    settings_file::Write("ChangeTime", "3");
    SaverProcess saver(SaverPath(), "/s");
    ASSERT_TRUE(WaitForSaverWindow(saver));
    // The third is smaller than the second: the second's rim must go back to black. A rim left
    // over never matches, so one matching screen suffices: on a busy machine the steady shots
    // might not all fit into one picture's three seconds.
    for (const char* name : {"STYLE00_PIC01", "STYLE00_PIC02", "STYLE00_PIC03"}) {
        const Pixels own = Picture(name);
        const Colouring alone = Placed(own, Centred(own), Black);
        EXPECT_TRUE(
            Steadily([&](const ScreenShot& shot) { return Differences(shot, alone, name); }, 8000, 0));
    }
}

// Without the wipe only the background lies behind a moving picture; after it, black, but for
// the path along which the picture brought the background back.
TEST_F(Pictures, AMovingPictureLeavesTheBackgroundBehindItAndAfterTheWipeOnlyAlongItsPath)
{
    for (const int wipe : {0, 1}) {
        // A step every 50 ms: 20 steps in a second, and some twelve before the first turn, which
        // leaves a busy machine time for its steady screenshots.
        settings_file::Write(
            {{"WipeEffect", std::to_string(wipe)}, {"Background", "1"}, {"Move", "1"}, {"Speed", "5"}});
        SaverProcess saver(SaverPath(), "/s");
        ASSERT_TRUE(WaitForSaverWindow(saver));
        EXPECT_TRUE(Steadily([&](const ScreenShot& shot) { return TrailDifferences(shot, wipe); }, 10000))
            << "wipe " << wipe;
    }
}

// Filling the screen: the top picture stretched over it alone, frame after frame, the pictures below
// never showing through, not even between two frames; or, keeping its proportions (488 x 277 is
// wider than 4:3), over the whole width between bands of black.
TEST_F(Pictures, FittingTheScreenShowsOnlyTheTopPictureStretchedOverItOrInItsProportions)
{
    for (const int proportional : {0, 1}) {
        // 01, 02 and, on top, 03; or 01 alone.
        settings_file::Write({{"Pictures", proportional ? "0" : "2"},
                              {"FitDesktop", "1"},
                              {"Proportional", std::to_string(proportional)}});
        SaverProcess saver(SaverPath(), "/s");
        ASSERT_TRUE(WaitForSaverWindow(saver));
        const char* name = proportional ? "STYLE00_PIC01" : "STYLE00_PIC03";
        const Pixels own = Picture(name);
        // 488 x 277 times the single-precision ratio 1024 / 488: 1023 x 581, 93 rows down.
        const Area to = proportional ? Area{0, 93, 1023, 581} : Area{0, 0, kScreenWidth, kScreenHeight};
        const Pixels fitted = Picture(name, to.width, to.height);
        const Colouring expected = Placed(fitted, {to.x, to.y}, Black);
        EXPECT_TRUE(
            Steadily([&](const ScreenShot& shot) { return Differences(shot, expected, name); }, 5000, 30))
            << "Proportional=" << proportional;
    }
}

// A style without pictures, set by hand, ends the run with 1 after the loader's box. The box names
// the missing picture as the order asks for it, and stands in front of the topmost saver, where the
// user sees it and can answer it.
TEST(MissingPictures, TheErrorBoxNamesThePictureStandsInFrontOfTheSaverAndItsOkEndsTheRunWithOne)
{
    const std::pair<const char*, std::string> orders[] = {{"0", "STYLE02_PIC01"}, {"1", "STYLE02_PIC00"}};
    for (const auto& [random, name] : orders) {
        settings_file::Reset({{"Style", "2"}, {"Random", random}});
        SaverProcess saver(SaverPath(), "/s");
        const HWND box = saver.WaitForWindow("#32770", "Error");
        ASSERT_TRUE(box) << name;
        EXPECT_TRUE(FindWindowExA(box, nullptr, "Static", ("Can't find resource '" + name + "'").c_str()))
            << name;
        RECT shown{};
        GetWindowRect(box, &shown);
        const POINT middle{(shown.left + shown.right) / 2, (shown.top + shown.bottom) / 2};
        EXPECT_EQ(GetAncestor(WindowFromPoint(middle), GA_ROOT), box) << "in front of the saver: " << name;
        EXPECT_EQ(GetForegroundWindow(), box) << "it takes the keys: " << name;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(saver.WaitForExit(), 1u) << name;
    }
}
