// The pictures as they land on the real screen: place, stacking, order, motion, fitting, wiping and styles.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "win32/handles.h"
#include "imaging/dib_loader.h"
#include "imaging/gradient.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/engine_window.h"
#include "tests/support/saver_process.h"
#include "tests/support/screen.h"
#include "tests/support/settings_file.h"

using engine_window::Pixels;

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr COLORREF kBlack = RGB(0, 0, 0);

using Colouring = std::function<COLORREF(int x, int y)>;

COLORREF Black(int, int) { return kBlack; }
// The blue fade (Background=1) as the full screen shows it.
COLORREF BlueFade(int, int y) { return GradientRowColour(RGB(0, 0, 255), kBlack, kScreenHeight, y); }

// One of our own pictures as the saver loads it from the module. Given a size, its top-left source
// pixels (all by default) stretched to that size, as StretchBlt puts them on a screen DC in its
// first, unchanged stretching mode.
Pixels Picture(const char* name, int width = 0, int height = 0, int sourceWidth = 0, int sourceHeight = 0)
{
    LoadedDib dib;
    if (!DibLoader().LoadFromResource("DIB", name, dib)) return Pixels(nullptr, 0, 0);
    BITMAP size{};
    GetObjectA(dib.hBitmap.get(), sizeof size, &size);
    if (width == 0) return Pixels(dib.hBitmap.get(), size.bmWidth, size.bmHeight);
    WindowDc screen(nullptr);
    UniqueBitmap canvas(CreateCompatibleBitmap(screen.get(), width, height));
    UniqueMemoryDc to(CreateCompatibleDC(screen.get()));
    UniqueMemoryDc from(CreateCompatibleDC(screen.get()));
    {
        SelectedObject target(to.get(), canvas.get());
        SelectedObject source(from.get(), dib.hBitmap.get());
        StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, sourceWidth ? sourceWidth : size.bmWidth,
                   sourceHeight ? sourceHeight : size.bmHeight, SRCCOPY);
    }
    return Pixels(canvas.get(), width, height);
}

constexpr COLORREF kAny = CLR_INVALID;  // a colour a Colouring gives where any colour will do

RECT RectOf(const Pixels& pixels, POINT at) { return {at.x, at.y, at.x + pixels.Width(), at.y + pixels.Height()}; }
bool Inside(const RECT& rect, int x, int y) { return PtInRect(&rect, POINT{x, y}) != FALSE; }
POINT Centred(const Pixels& picture)
{
    return {(kScreenWidth - picture.Width()) / 2, (kScreenHeight - picture.Height()) / 2};
}

// `pixels` with their top-left corner at `at`, and `around` everywhere else.
Colouring Placed(const Pixels& pixels, POINT at, const Colouring& around = [](int, int) { return kAny; })
{
    return [&pixels, at, around](int x, int y) {
        return Inside(RectOf(pixels, at), x, y) ? pixels.At(x - at.x, y - at.y) : around(x, y);
    };
}

// "" when every pixel of the screen has its expected colour; else what differs.
std::string Differences(const ScreenShot& shot, const Colouring& expected, const std::string& what,
                        RECT area = {0, 0, kScreenWidth, kScreenHeight})
{
    int wrong = 0;
    std::ostringstream first;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const COLORREF colour = expected(x, y);
            if (colour == kAny || shot.At(x, y) == colour || wrong++ > 0) continue;
            first << ", the first at (" << x << "," << y << "): " << std::hex << shot.At(x, y) << " instead of "
                  << colour << std::dec;
        }
    }
    return wrong == 0 ? "" : std::to_string(wrong) + " pixels of " + what + " differ" + first.str() + ". ";
}

std::string Differences(const ScreenShot& shot, const Pixels& pixels, POINT at, const std::string& what)
{
    return Differences(shot, Placed(pixels, at), what, RectOf(pixels, at));
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

// The smallest rectangle holding every pixel of the area unlike the background; empty when none.
RECT UnlikeTheBackground(const ScreenShot& shot, const Colouring& background,
                         const RECT& area = {0, 0, kScreenWidth, kScreenHeight})
{
    RECT box{};
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const RECT pixel{x, y, x + 1, y + 1};
            if (shot.At(x, y) != background(x, y)) UnionRect(&box, &box, &pixel);
        }
    }
    return box;
}

// Where the picture stands once the screen shows it whole on untouched fade; {-1, -1} if it never does.
POINT PlaceOnTheFade(const Pixels& picture, DWORD timeoutMs)
{
    POINT at{-1, -1};
    const bool found = WaitUntil(
        [&] {
            const ScreenShot shot;
            const RECT box = UnlikeTheBackground(shot, BlueFade);
            at = {box.left, box.top};
            return box.right - box.left == picture.Width() && box.bottom - box.top == picture.Height() &&
                   Shows(shot, picture, at);
        },
        timeoutMs);
    return found ? at : POINT{-1, -1};
}

// A picture that moved diagonally from `start`, steps times on each axis, without turning.
struct Travel {
    POINT start;
    int stepX;  // +1 or -1
    int stepY;
    int steps;

    POINT Now() const { return {start.x + stepX * steps, start.y + stepY * steps}; }

    // Whether (x, y) lay under the picture, or its far edge, at an earlier step. The edge is the
    // row and column just past the picture: the trail behind a picture moving up or left is
    // repainted one step late, so the saver counts it to the picture's place.
    bool PassedOver(int width, int height, int x, int y) const
    {
        const auto stepsOver = [](int position, int from, int step, int size) {  // first and last
            const int offset = (position - from) * step;
            return std::pair{step > 0 ? offset - size : offset, step > 0 ? offset : offset + size};
        };
        const auto [fromX, toX] = stepsOver(x, start.x, stepX, width);
        const auto [fromY, toY] = stepsOver(y, start.y, stepY, height);
        return std::max({fromX, fromY, 0}) <= std::min({toX, toY, steps - 1});
    }
};

// Finds where the picture went from `start`, trying every diagonal; steps is -1 when it is nowhere.
Travel TravelFrom(const ScreenShot& shot, const Pixels& picture, POINT start)
{
    for (int steps = 1; steps < 400; ++steps) {
        for (int stepX : {1, -1}) {
            for (int stepY : {1, -1}) {
                const Travel travel{start, stepX, stepY, steps};
                const POINT at = travel.Now();
                if (at.x >= 0 && at.y >= 0 && at.x + picture.Width() <= shot.Width() &&
                    at.y + picture.Height() <= shot.Height() && Shows(shot, picture, at))
                    return travel;
            }
        }
    }
    return {start, 0, 0, -1};
}

// "" once the first picture has moved 20 steps from the middle and, apart from it and its far edge
// (cleaned by its next step: see Travel::PassedOver), the screen shows the fade; after the wipe,
// the fade only along the picture's path and black elsewhere.
std::string TrailDifferences(const ScreenShot& shot, bool wiped)
{
    const Pixels own = Picture("STYLE00_PIC01");
    const Travel travel = TravelFrom(shot, own, Centred(own));
    if (travel.steps < 20) return "the picture has not been seen 20 steps from the middle";
    const RECT place = RectOf(own, travel.Now()), withEdge{place.left, place.top, place.right + 1, place.bottom + 1};
    const Colouring behind = [&](int x, int y) {
        if (Inside(withEdge, x, y)) return kAny;
        return !wiped || travel.PassedOver(own.Width(), own.Height(), x, y) ? BlueFade(x, y) : kBlack;
    };
    return Differences(shot, behind, "what lies behind the picture");
}

class Pictures : public testing::Test {
protected:
    // Unless a test says otherwise, every picture stands still in the middle, where it is
    // known to be, on black, and stays until the test ends.
    void SetUp() override
    {
        settings_file::Remove();
        Set({{"ChangeTime", 3600}, {"Centered", 1}, {"Move", 0}});
    }

    static void Set(std::initializer_list<std::pair<const char*, int>> settings)
    {
        for (const auto& [key, value] : settings) settings_file::Write(key, std::to_string(value));
    }

    bool StartSaver()
    {
        saver_.reset();  // the one before, if any, ends first
        saver_ = std::make_unique<SaverProcess>(SaverPath(), "/s");
        return WaitForSaverWindow(*saver_) != nullptr;
    }

    std::unique_ptr<SaverProcess> saver_;
};

}  // namespace

// ---- Where the pictures stand, which lies on top, and in what order they come ----

TEST_F(Pictures, EachChangeBringsTheNextPictureAloneInTheMiddleAndClearsTheOldPlace)
{
    Set({{"ChangeTime", 3}});
    ASSERT_TRUE(StartSaver());
    // The third is smaller than the second: the second's rim must go back to black. A rim left
    // over never matches, so one matching screen suffices: on a busy machine the steady shots
    // might not all fit into one picture's three seconds.
    for (const char* name : {"STYLE00_PIC01", "STYLE00_PIC02", "STYLE00_PIC03"}) {
        const Pixels own = Picture(name);
        const Colouring alone = Placed(own, Centred(own), Black);
        EXPECT_TRUE(Steadily([&](const ScreenShot& shot) { return Differences(shot, alone, name); }, 8000, 0));
    }
}

TEST_F(Pictures, TwelvePicturesAskedForGiveNineStackedInOrder)
{
    Set({{"Pictures", 12}});
    ASSERT_TRUE(StartSaver());
    // Centred, the ninth (410 x 248) covers the smaller ones; around it the eighth (456 x 256)
    // shows, hiding the seventh of its size; around that the second (488 x 277), hiding the first.
    const Pixels ninth = Picture("STYLE00_PIC09"), eighth = Picture("STYLE00_PIC08");
    const Pixels second = Picture("STYLE00_PIC02");
    const Colouring stack =
        Placed(ninth, Centred(ninth), Placed(eighth, Centred(eighth), Placed(second, Centred(second))));
    EXPECT_TRUE(Steadily([&](const ScreenShot& shot) { return Differences(shot, stack, "09 on 08 on 02"); }));
    EXPECT_TRUE(saver_->Running());
}

TEST_F(Pictures, TheNextPictureTakesTheOldOnesPlaceUnlessPlacesChange)
{
    const Pixels first = Picture("STYLE00_PIC01"), second = Picture("STYLE00_PIC02");
    for (const int changePlace : {0, 1}) {
        Set({{"Centered", 0}, {"ChangePos", changePlace}, {"Background", 1}, {"ChangeTime", 2}});
        ASSERT_TRUE(StartSaver());
        const POINT firstPlace = PlaceOnTheFade(first, 5000);
        ASSERT_GE(firstPlace.x, 0) << "ChangePos=" << changePlace;
        if (changePlace == 0) {
            const Colouring alone = Placed(second, firstPlace, BlueFade);
            EXPECT_TRUE(Steadily([&](const ScreenShot& shot) { return Differences(shot, alone, "02"); }, 6000));
            continue;
        }
        const POINT secondPlace = PlaceOnTheFade(second, 6000);
        ASSERT_GE(secondPlace.x, 0);
        EXPECT_TRUE(firstPlace.x != secondPlace.x || firstPlace.y != secondPlace.y)
            << "both at " << firstPlace.x << "," << firstPlace.y;
    }
}

TEST_F(Pictures, InRandomOrderThePictureIsOneOfTheStyle)
{
    Set({{"Random", 1}});
    ASSERT_TRUE(StartSaver());
    std::vector<Pixels> style;
    char name[32];
    for (int number = 1; number <= 16; ++number)
        style.push_back(Picture((wsprintfA(name, "STYLE00_PIC%02d", number), name)));
    EXPECT_TRUE(Steadily([&](const ScreenShot& shot) -> std::string {
                  for (const Pixels& picture : style)
                      if (Shows(shot, picture, Centred(picture))) return "";
                  return "none of the sixteen pictures is in the middle";
              }));
}

// ---- Motion and the wipe ----

TEST_F(Pictures, TheWipeLeavesStillPicturesOnBlackAndHalfTheScaleDrawsThemAtHalfTheirSize)
{
    Set({{"WipeEffect", 1}, {"Background", 1}, {"Scale", 4}});
    ASSERT_TRUE(StartSaver());
    // 488 x 277 at half size is 244 x 138, drawn from the picture's top 276 rows.
    const Pixels half = Picture("STYLE00_PIC01", 244, 138, 488, 276);
    const Colouring alone = Placed(half, Centred(half), Black);
    EXPECT_TRUE(Steadily([&](const ScreenShot& shot) { return Differences(shot, alone, "01"); }));
}

// Without the wipe only the background lies behind a moving picture; after it, black, but for
// the path along which the picture brought the background back.
TEST_F(Pictures, AMovingPictureLeavesTheBackgroundBehindItAndAfterTheWipeOnlyAlongItsPath)
{
    for (const int wipe : {0, 1}) {
        // A step every 50 ms: 20 steps in a second, and some twelve before the first turn, which
        // leaves a busy machine time for its steady screenshots.
        Set({{"WipeEffect", wipe}, {"Background", 1}, {"Move", 1}, {"Speed", 5}});
        ASSERT_TRUE(StartSaver());
        EXPECT_TRUE(Steadily([&](const ScreenShot& shot) { return TrailDifferences(shot, wipe); }, 10000))
            << "wipe " << wipe;
    }
}

// ---- Filling the screen ----

TEST_F(Pictures, FittingTheScreenShowsOnlyTheTopPictureStretchedOverIt)
{
    Set({{"Pictures", 2}, {"FitDesktop", 1}, {"Proportional", 0}});  // 01, 02 and, on top, 03
    ASSERT_TRUE(StartSaver());
    const Pixels stretched = Picture("STYLE00_PIC03", kScreenWidth, kScreenHeight);
    // Frame after frame: the pictures below must not show through, not even between two frames.
    EXPECT_TRUE(Steadily([&](const ScreenShot& shot) { return Differences(shot, stretched, {0, 0}, "03"); }, 5000, 30));
}

// 488 x 277 is wider than the screen's 4:3 and narrower than a 1000 x 300 window.
TEST_F(Pictures, KeepingProportionsLeavesBandsOfBackgroundAboveAndBelow)
{
    Set({{"FitDesktop", 1}, {"Proportional", 1}, {"Background", 1}});
    ASSERT_TRUE(StartSaver());
    RECT box{};
    EXPECT_TRUE(Steadily([&](const ScreenShot& shot) -> std::string {
                  box = UnlikeTheBackground(shot, BlueFade);
                  if (box.right <= box.left || box.bottom <= box.top) return "only the background is shown";
                  return Differences(shot, Picture("STYLE00_PIC01", box.right - box.left, box.bottom - box.top),
                                     {box.left, box.top}, "the picture");
              }));
    // The width in single precision, 1024 / 488 * 488, comes out a hair short of 1024.
    EXPECT_EQ(box.left, 0);
    EXPECT_GE(box.right, kScreenWidth - 1);
    EXPECT_NEAR(box.top, kScreenHeight - box.bottom, 1) << "bands of one height";
    EXPECT_GT(box.top, 80);
    EXPECT_NEAR(double(box.bottom - box.top) / kScreenWidth, 277.0 / 488.0, 0.002) << "the picture's proportions";
}

TEST_F(Pictures, KeepingProportionsInAWideWindowLeavesBandsAtTheSides)
{
    Set({{"FitDesktop", 1}, {"Proportional", 1}});
    engine_window::EngineWindow window(1000, 300);
    ASSERT_TRUE(window.get());
    engine_window::RunMessages(500);
    const ScreenShot shot;
    const RECT box = UnlikeTheBackground(shot, Black, {0, 0, 1000, 300});  // the rest of the screen is not ours
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    ASSERT_TRUE(width > 0 && height > 0) << "the window shows no picture";
    EXPECT_EQ(Differences(shot, Picture("STYLE00_PIC01", width, height), {box.left, box.top}, "the picture"), "");
    EXPECT_NEAR(box.top, 0, 1);
    EXPECT_NEAR(box.bottom, 300, 1);
    EXPECT_NEAR(box.left, 1000 - box.right, 1) << "bands of one width";
    EXPECT_GT(box.left, 200);
    EXPECT_NEAR(double(width) / height, 488.0 / 277.0, 0.01) << "the picture's proportions";
}

// ---- Styles ----

TEST_F(Pictures, TheGreyStyleShowsItsOwnPicturesInGreysOnly)
{
    Set({{"Style", 1}});
    ASSERT_TRUE(StartSaver());
    const Pixels grey = Picture("STYLE01_PIC01");
    EXPECT_TRUE(Steadily([&](const ScreenShot& shot) { return Differences(shot, grey, Centred(grey), "01"); }));
    const ScreenShot shot;
    const Colouring greyOfRed = [&](int x, int y) { return Red(shot.At(x, y)) * 0x010101u; };  // RGB(r, r, r)
    EXPECT_EQ(Differences(shot, greyOfRed, "the grey picture", RectOf(grey, Centred(grey))), "");
}

TEST_F(Pictures, AStyleWithoutPicturesNamesTheMissingOneAndEndsWithOne)
{
    Set({{"Style", 2}});
    ASSERT_TRUE(StartSaver());
    HWND box = saver_->WaitForWindow("#32770", "Error");
    ASSERT_NE(box, nullptr);
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char windowClass[16] = {};
        GetClassNameA(child, windowClass, sizeof windowClass);
        if (lstrcmpiA(windowClass, "Static") == 0) text += dialog_driver::TextOf(child);
    }
    EXPECT_EQ(text, "Can't find resource 'STYLE02_PIC01'");
    EXPECT_EQ(saver_->WaitForExit(300), STILL_ACTIVE) << "the saver waits for the box";
    dialog_driver::Press(box, IDOK);
    EXPECT_EQ(saver_->WaitForExit(), 1u);
}
