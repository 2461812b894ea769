// The pictures as they land on the real screen: place, stacking, order, motion, fitting, wiping and styles.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine_proc.h"
#include "host/handles.h"
#include "imaging/dib_loader.h"
#include "imaging/gradient.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/saver_process.h"
#include "tests/support/screen.h"
#include "tests/support/settings_file.h"

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

using Colouring = std::function<COLORREF(int x, int y)>;

COLORREF Black(int, int) { return kBlack; }

// The blue fade (Background=1) as the full screen shows it.
COLORREF BlueFade(int, int y) { return GradientRowColour(kBlue, kBlack, kScreenHeight, y); }

std::string Hex(COLORREF colour)
{
    char text[16];
    wsprintfA(text, "#%02X%02X%02X", Red(colour), Green(colour), Blue(colour));
    return text;
}

// A picture's pixels as the saver's bitmap holds them, top row first.
class Pixels {
public:
    // The pixels of a bitmap of the screen's kind.
    Pixels(HBITMAP bitmap, int width, int height) : width_(width), height_(height)
    {
        colours_.resize(static_cast<size_t>(width) * height);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        WindowDc screen(nullptr);
        GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), colours_.data(), &info, DIB_RGB_COLORS);
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const
    {
        const uint32_t bgr = colours_[static_cast<size_t>(y) * width_ + x];
        return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }

private:
    int width_;
    int height_;
    std::vector<uint32_t> colours_;
};

// One of our own pictures, loaded from the module as the saver loads it.
class Picture {
public:
    explicit Picture(const char* name) : name_(name)
    {
        LoadedDib loaded;
        if (DibLoader().LoadFromResource("DIB", name, loaded)) dib_ = std::make_unique<OwnedDib>(loaded);
        BITMAP size{};
        if (dib_) GetObjectA(dib_->bitmap.get(), sizeof size, &size);
        width_ = size.bmWidth;
        height_ = size.bmHeight;
    }

    const std::string& Name() const { return name_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    Pixels Own() const { return Pixels(dib_ ? dib_->bitmap.get() : nullptr, width_, height_); }

    // The picture's top-left sourceWidth x sourceHeight pixels stretched to width x height, as
    // StretchBlt puts them on a screen DC in its first, unchanged stretching mode.
    Pixels Stretched(int width, int height, int sourceWidth, int sourceHeight) const
    {
        WindowDc screen(nullptr);
        UniqueBitmap canvas(CreateCompatibleBitmap(screen.get(), width, height));
        UniqueMemoryDc to(CreateCompatibleDC(screen.get()));
        UniqueMemoryDc from(CreateCompatibleDC(screen.get()));
        {
            SelectedObject target(to.get(), canvas.get());
            SelectedObject source(from.get(), dib_ ? dib_->bitmap.get() : nullptr);
            StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, sourceWidth, sourceHeight, SRCCOPY);
        }
        return Pixels(canvas.get(), width, height);
    }
    Pixels Stretched(int width, int height) const { return Stretched(width, height, width_, height_); }

private:
    std::string name_;
    std::unique_ptr<OwnedDib> dib_;
    int width_ = 0;
    int height_ = 0;
};

RECT RectAt(POINT at, int width, int height) { return {at.x, at.y, at.x + width, at.y + height}; }

bool Inside(const RECT& rect, int x, int y)
{
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

// Where a picture of this size stands when centred on the full screen.
POINT Centred(const Picture& picture)
{
    return {(kScreenWidth - picture.Width()) / 2, (kScreenHeight - picture.Height()) / 2};
}

// Whether the screen shows `pixels` with their top-left corner at `at`.
bool Shows(const ScreenShot& shot, const Pixels& pixels, POINT at)
{
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x)
            if (shot.At(at.x + x, at.y + y) != pixels.At(x, y)) return false;
    return true;
}

// "" when the screen shows `pixels` with their top-left corner at `at`; else what differs.
std::string Differences(const ScreenShot& shot, const Pixels& pixels, POINT at, const std::string& what)
{
    int wrong = 0;
    std::ostringstream first;
    for (int y = 0; y < pixels.Height(); ++y) {
        for (int x = 0; x < pixels.Width(); ++x) {
            const COLORREF seen = shot.At(at.x + x, at.y + y);
            if (seen == pixels.At(x, y)) continue;
            if (wrong++ == 0)
                first << ", the first at (" << at.x + x << "," << at.y + y << "): " << Hex(seen) << " instead of "
                      << Hex(pixels.At(x, y));
        }
    }
    if (wrong == 0) return "";
    std::ostringstream complaint;
    complaint << wrong << " pixels of " << what << " at (" << at.x << "," << at.y << ") differ" << first.str()
              << ". ";
    return complaint.str();
}

// "" when every pixel that `counts` picks has its expected colour; else what differs.
std::string Differences(const ScreenShot& shot, const std::function<bool(int, int)>& counts,
                        const Colouring& expected, const std::string& what)
{
    int wrong = 0;
    std::ostringstream first;
    for (int y = 0; y < shot.Height(); ++y) {
        for (int x = 0; x < shot.Width(); ++x) {
            if (!counts(x, y) || shot.At(x, y) == expected(x, y)) continue;
            if (wrong++ == 0)
                first << ", the first at (" << x << "," << y << "): " << Hex(shot.At(x, y)) << " instead of "
                      << Hex(expected(x, y));
        }
    }
    if (wrong == 0) return "";
    std::ostringstream complaint;
    complaint << wrong << " pixels of " << what << " differ" << first.str() << ". ";
    return complaint.str();
}

std::string DifferencesOutside(const ScreenShot& shot, const RECT& rect, const Colouring& expected,
                               const std::string& what)
{
    return Differences(
        shot, [&](int x, int y) { return !Inside(rect, x, y); }, expected, what);
}

// Screenshots until one satisfies `complaint`, then `steadyShots` more that must satisfy it too:
// a screen that only passes through the expected look, between frames, does not count.
// Returns the last complaint, "" when there is none.
std::string WaitForScreen(const std::function<std::string(const ScreenShot&)>& complaint, DWORD timeoutMs = 5000,
                          int steadyShots = 4)
{
    std::string last = "no screenshot was taken";
    WaitUntil(
        [&] {
            last = complaint(ScreenShot());
            return last.empty();
        },
        timeoutMs);
    for (int shot = 0; shot < steadyShots && last.empty(); ++shot) {
        Sleep(50);
        last = complaint(ScreenShot());
        if (!last.empty()) last = "shown, but not steadily: " + last;
    }
    return last;
}

// The smallest rectangle holding every pixel of the area unlike the background; empty when
// there is none.
RECT UnlikeTheBackground(const ScreenShot& shot, const Colouring& background,
                         const RECT& area = {0, 0, kScreenWidth, kScreenHeight})
{
    RECT box{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (shot.At(x, y) == background(x, y)) continue;
            if (x < box.left) box.left = x;
            if (y < box.top) box.top = y;
            if (x >= box.right) box.right = x + 1;
            if (y >= box.bottom) box.bottom = y + 1;
        }
    }
    return box;
}

// Where a picture stands, found as the one place unlike the background; {-1, -1} when the screen
// shows anything else than the whole picture on untouched background.
POINT PlaceOf(const ScreenShot& shot, const Pixels& picture, const Colouring& background)
{
    const RECT box = UnlikeTheBackground(shot, background);
    const POINT at{box.left, box.top};
    if (box.right - box.left != picture.Width() || box.bottom - box.top != picture.Height()) return {-1, -1};
    if (!Shows(shot, picture, at)) return {-1, -1};
    return at;
}

// A picture that moved diagonally from `start`, steps times on each axis, without turning.
struct Travel {
    POINT start;
    int stepX;  // +1 or -1
    int stepY;
    int steps;

    POINT At(int step) const { return {start.x + stepX * step, start.y + stepY * step}; }
    POINT Now() const { return At(steps); }
};

// Finds where the picture went from `start`, trying every diagonal; steps is -1 when it is nowhere.
Travel TravelFrom(const ScreenShot& shot, const Pixels& picture, POINT start)
{
    for (int steps = 1; steps < 400; ++steps) {
        for (int stepX : {1, -1}) {
            for (int stepY : {1, -1}) {
                const Travel travel{start, stepX, stepY, steps};
                const POINT at = travel.Now();
                if (at.x < 0 || at.y < 0 || at.x + picture.Width() > shot.Width() ||
                    at.y + picture.Height() > shot.Height())
                    continue;
                if (Shows(shot, picture, at)) return travel;
            }
        }
    }
    return {start, 0, 0, -1};
}

// Whether (x, y) lay under the picture, with its far edge, at any place before the current one.
// The edge is the row and column just past the picture: the trail behind a picture moving up
// or left is repainted one step late, so the saver counts it to the picture's place.
bool OnThePathBefore(const Travel& travel, int width, int height, int x, int y)
{
    auto stepsCovering = [](int position, int start, int step, int size, int& from, int& to) {
        // The steps k at which the place [start + step k, start + step k + size] holds position.
        const int offset = (position - start) * step;
        from = step > 0 ? offset - size : offset;
        to = step > 0 ? offset : offset + size;
    };
    int fromX = 0, toX = 0, fromY = 0, toY = 0;
    stepsCovering(x, travel.start.x, travel.stepX, width, fromX, toX);
    stepsCovering(y, travel.start.y, travel.stepY, height, fromY, toY);
    const int from = std::max({fromX, fromY, 0});
    const int to = std::min({toX, toY, travel.steps - 1});
    return from <= to;
}

class Pictures : public testing::Test {
protected:
    // Unless a test says otherwise, every picture stands still in the middle, where it is
    // known to be, on black, and stays until the test ends.
    void SetUp() override
    {
        settings_file::Remove();
        Set("ChangeTime", 3600);
        Set("Centered", 1);
        Set("Move", 0);
    }

    static void Set(const char* key, int value) { settings_file::Write(key, std::to_string(value)); }

    bool StartSaver()
    {
        saver_ = std::make_unique<SaverProcess>(SaverPath(), "/s");
        window_ = WaitForSaverWindow(*saver_);
        return window_ != nullptr;
    }

    std::unique_ptr<SaverProcess> saver_;
    HWND window_ = nullptr;
};

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

// A window of this test run by the engine itself, the way the saver's own window is.
class EngineWindow {
public:
    EngineWindow(int width, int height)
    {
        WNDCLASSA windowClass{};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = EngineWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = "TavrixPicturesTest";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "TavrixPicturesTest", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~EngineWindow()
    {
        if (window_) DestroyWindow(window_);
    }
    EngineWindow(const EngineWindow&) = delete;
    EngineWindow& operator=(const EngineWindow&) = delete;

    HWND get() const { return window_; }

    // Lets the engine work for a while: its drawing loop gives way when our own timer is due.
    void RunFor(DWORD ms)
    {
        const UINT_PTR timer = SetTimer(nullptr, 0, ms, nullptr);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == timer) break;
            DispatchMessageA(&message);
        }
        KillTimer(nullptr, timer);
    }

private:
    HWND window_ = nullptr;
};


// "" when the screen shows the picture at `at` and the background everywhere else.
std::string Alone(const ScreenShot& shot, const Pixels& picture, POINT at, const Colouring& background,
                  const std::string& what)
{
    return Differences(shot, picture, at, what) +
           DifferencesOutside(shot, RectAt(at, picture.Width(), picture.Height()), background, "the background");
}

// "" when the part of a centred picture that the one above leaves free shows that picture.
std::string Rim(const ScreenShot& shot, const Picture& picture, const Picture& above)
{
    const Pixels own = picture.Own();
    const POINT at = Centred(picture);
    const RECT place = RectAt(at, own.Width(), own.Height());
    const RECT covered = RectAt(Centred(above), above.Width(), above.Height());
    return Differences(
        shot, [&](int x, int y) { return Inside(place, x, y) && !Inside(covered, x, y); },
        [&](int x, int y) { return own.At(x - at.x, y - at.y); }, picture.Name() + "'s rim");
}

}  // namespace

// ---- Where the pictures stand, and which lies on top ----

TEST_F(Pictures, ACentredPictureShowsExactlyItsOwnPixelsOnTheBackground)
{
    ASSERT_TRUE(StartSaver());
    const Picture first("STYLE00_PIC01");
    const Pixels own = first.Own();
    EXPECT_EQ(WaitForScreen([&](const ScreenShot& shot) {
                  return Alone(shot, own, Centred(first), Black, first.Name());
              }),
              "");
}

TEST_F(Pictures, TheSecondPictureLiesOnTopOfTheFirst)
{
    Set("Pictures", 1);  // two pictures, 01 and 02, of the same size and both centred
    ASSERT_TRUE(StartSaver());
    const Picture second("STYLE00_PIC02");
    const Pixels own = second.Own();
    EXPECT_EQ(WaitForScreen([&](const ScreenShot& shot) {
                  return Differences(shot, own, Centred(second), second.Name());
              }),
              "");
}

TEST_F(Pictures, TwelvePicturesAskedForGiveNineStackedInOrder)
{
    Set("Pictures", 12);
    ASSERT_TRUE(StartSaver());
    // Centred, the ninth (410 x 248) covers the smaller ones; around it the eighth (456 x 256)
    // shows, hiding the seventh of its size; around that the second (488 x 277), hiding the first.
    const Picture ninth("STYLE00_PIC09");
    const Picture eighth("STYLE00_PIC08");
    const Picture second("STYLE00_PIC02");
    const Pixels ninthPixels = ninth.Own();
    EXPECT_EQ(WaitForScreen([&](const ScreenShot& shot) {
                  return Differences(shot, ninthPixels, Centred(ninth), ninth.Name()) + Rim(shot, eighth, ninth) +
                         Rim(shot, second, eighth);
              }),
              "");
    EXPECT_TRUE(saver_->Running());
}

// ---- Changes: order, size, place ----

TEST_F(Pictures, EachChangeBringsTheNextPictureInOrderAndClearsTheOldPlace)
{
    Set("ChangeTime", 2);
    ASSERT_TRUE(StartSaver());
    // The third is smaller than the second: the second's rim must go back to black.
    for (const char* name : {"STYLE00_PIC01", "STYLE00_PIC02", "STYLE00_PIC03"}) {
        const Picture picture(name);
        const Pixels own = picture.Own();
        const auto alone = [&](const ScreenShot& shot) { return Alone(shot, own, Centred(picture), Black, name); };
        EXPECT_EQ(WaitForScreen(alone, 6000), "");
    }
}

TEST_F(Pictures, HalfTheScaleDrawsThePictureAtHalfItsSize)
{
    Set("Scale", 4);
    ASSERT_TRUE(StartSaver());
    // 488 x 277 at half size is 244 x 138, drawn from the picture's top 276 rows.
    const Pixels half = Picture("STYLE00_PIC01").Stretched(244, 138, 488, 276);
    const POINT at{(kScreenWidth - 244) / 2, (kScreenHeight - 138) / 2};
    EXPECT_EQ(WaitForScreen([&](const ScreenShot& shot) { return Alone(shot, half, at, Black, "the half picture"); }),
              "");
}

TEST_F(Pictures, WithoutChangingPlacesTheNextPictureTakesTheOldOnesPlace)
{
    Set("Centered", 0);
    Set("ChangePos", 0);
    Set("Background", 1);
    Set("ChangeTime", 2);
    ASSERT_TRUE(StartSaver());
    const Pixels first = Picture("STYLE00_PIC01").Own();
    const Pixels second = Picture("STYLE00_PIC02").Own();
    POINT firstPlace{-1, -1};
    ASSERT_TRUE(WaitUntil(
        [&] {
            firstPlace = PlaceOf(ScreenShot(), first, BlueFade);
            return firstPlace.x >= 0;
        },
        5000));
    const auto alone = [&](const ScreenShot& shot) { return Alone(shot, second, firstPlace, BlueFade, "02"); };
    EXPECT_EQ(WaitForScreen(alone, 6000), "");
}

TEST_F(Pictures, WithChangingPlacesTheNextPictureStandsSomewhereElse)
{
    Set("Centered", 0);
    Set("ChangePos", 1);
    Set("Background", 1);
    Set("ChangeTime", 2);
    ASSERT_TRUE(StartSaver());
    const Pixels first = Picture("STYLE00_PIC01").Own();
    const Pixels second = Picture("STYLE00_PIC02").Own();
    POINT firstPlace{-1, -1};
    POINT secondPlace{-1, -1};
    ASSERT_TRUE(WaitUntil(
        [&] {
            firstPlace = PlaceOf(ScreenShot(), first, BlueFade);
            return firstPlace.x >= 0;
        },
        5000));
    ASSERT_TRUE(WaitUntil(
        [&] {
            secondPlace = PlaceOf(ScreenShot(), second, BlueFade);
            return secondPlace.x >= 0;
        },
        6000));
    EXPECT_TRUE(firstPlace.x != secondPlace.x || firstPlace.y != secondPlace.y)
        << "both at " << firstPlace.x << "," << firstPlace.y;
}

TEST_F(Pictures, InRandomOrderThePictureIsOneOfTheStyle)
{
    Set("Random", 1);
    ASSERT_TRUE(StartSaver());
    std::vector<std::unique_ptr<Picture>> style;
    std::vector<Pixels> pixels;
    for (int number = 1; number <= 16; ++number) {
        char name[32];
        wsprintfA(name, "STYLE00_PIC%02d", number);
        style.push_back(std::make_unique<Picture>(name));
        pixels.push_back(style.back()->Own());
    }
    EXPECT_EQ(WaitForScreen([&](const ScreenShot& shot) -> std::string {
                  for (size_t i = 0; i < style.size(); ++i)
                      if (Shows(shot, pixels[i], Centred(*style[i]))) return "";
                  return "none of the sixteen pictures is in the middle";
              }),
              "");
}

// ---- Motion ----

TEST_F(Pictures, AMovingPictureLeavesOnlyTheBackgroundBehindIt)
{
    Set("Background", 1);
    Set("Move", 1);
    Set("Speed", 9);  // a step every 10 ms
    ASSERT_TRUE(StartSaver());
    const Picture first("STYLE00_PIC01");
    const Pixels own = first.Own();
    EXPECT_EQ(WaitForScreen([&](const ScreenShot& shot) -> std::string {
                  const Travel travel = TravelFrom(shot, own, Centred(first));
                  if (travel.steps < 20) return "the picture has not been seen 20 steps from the middle";
                  // The picture's far edge is cleaned by its next step: see OnThePathBefore.
                  const RECT withEdge = RectAt(travel.Now(), own.Width() + 1, own.Height() + 1);
                  return DifferencesOutside(shot, withEdge, BlueFade, "the background");
              }),
              "");
}

// ---- Filling the screen ----

TEST_F(Pictures, FittingTheScreenShowsOnlyTheTopPictureStretchedOverIt)
{
    Set("Pictures", 2);  // 01, 02 and, on top, 03
    Set("FitDesktop", 1);
    Set("Proportional", 0);
    ASSERT_TRUE(StartSaver());
    const Pixels stretched = Picture("STYLE00_PIC03").Stretched(kScreenWidth, kScreenHeight);
    // Frame after frame: the pictures below must not show through, not even between two frames.
    const auto topAlone = [&](const ScreenShot& shot) { return Differences(shot, stretched, {0, 0}, "03"); };
    EXPECT_EQ(WaitForScreen(topAlone, 5000, 30), "");
}

TEST_F(Pictures, KeepingProportionsLeavesBandsOfBackgroundAboveAndBelow)
{
    Set("FitDesktop", 1);
    Set("Proportional", 1);
    Set("Background", 1);
    ASSERT_TRUE(StartSaver());
    const Picture first("STYLE00_PIC01");  // 488 x 277 is wider than the screen's 4:3
    RECT box{};
    EXPECT_EQ(WaitForScreen([&](const ScreenShot& shot) -> std::string {
                  box = UnlikeTheBackground(shot, BlueFade);
                  const int width = box.right - box.left;
                  const int height = box.bottom - box.top;
                  if (width <= 0 || height <= 0) return "only the background is shown";
                  return Differences(shot, first.Stretched(width, height), {box.left, box.top}, "the picture");
              }),
              "");
    // The width in single precision, 1024 / 488 * 488, comes out a hair short of 1024.
    EXPECT_EQ(box.left, 0);
    EXPECT_GE(box.right, kScreenWidth - 1);
    EXPECT_NEAR(box.top, kScreenHeight - box.bottom, 1) << "bands of one height";
    EXPECT_GT(box.top, 80);
    EXPECT_NEAR(double(box.bottom - box.top) / kScreenWidth, 277.0 / 488.0, 0.002) << "the picture's proportions";
}

TEST(PicturesInAWindow, KeepingProportionsInAWideWindowLeavesBandsAtTheSides)
{
    settings_file::Remove();
    settings_file::Write("ChangeTime", "3600");
    settings_file::Write("FitDesktop", "1");
    settings_file::Write("Proportional", "1");
    settings_file::Write("Move", "0");
    EngineWindow window(1000, 300);
    ASSERT_TRUE(window.get());
    window.RunFor(500);
    ScreenShot shot;
    const RECT box = UnlikeTheBackground(shot, Black, {0, 0, 1000, 300});  // the rest of the screen is not ours
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    ASSERT_TRUE(width > 0 && height > 0) << "the window shows no picture";
    const Pixels fitted = Picture("STYLE00_PIC01").Stretched(width, height);
    EXPECT_EQ(Differences(shot, fitted, {box.left, box.top}, "the picture"), "");
    EXPECT_NEAR(box.top, 0, 1);
    EXPECT_NEAR(box.bottom, 300, 1);
    EXPECT_NEAR(box.left, 1000 - box.right, 1) << "bands of one width";
    EXPECT_GT(box.left, 200);
    EXPECT_NEAR(double(width) / height, 488.0 / 277.0, 0.01) << "the picture's proportions";
}

// ---- The wipe ----

TEST_F(Pictures, TheWipeLeavesStillPicturesOnBlack)
{
    Set("WipeEffect", 1);
    Set("Background", 1);
    ASSERT_TRUE(StartSaver());
    const Picture first("STYLE00_PIC01");
    const Pixels own = first.Own();
    EXPECT_EQ(WaitForScreen([&](const ScreenShot& shot) {
                  return Alone(shot, own, Centred(first), Black, first.Name());
              }),
              "");
}

TEST_F(Pictures, AfterTheWipeAMovingPictureBringsTheBackgroundBackOnlyAlongItsPath)
{
    Set("WipeEffect", 1);
    Set("Background", 1);
    Set("Move", 1);
    Set("Speed", 9);
    ASSERT_TRUE(StartSaver());
    const Picture first("STYLE00_PIC01");
    const Pixels own = first.Own();
    EXPECT_EQ(WaitForScreen([&](const ScreenShot& shot) -> std::string {
                  const Travel travel = TravelFrom(shot, own, Centred(first));
                  if (travel.steps < 20) return "the picture has not been seen 20 steps from the middle";
                  const RECT withEdge = RectAt(travel.Now(), own.Width() + 1, own.Height() + 1);
                  const Colouring pathOnBlack = [&](int x, int y) {
                      return OnThePathBefore(travel, own.Width(), own.Height(), x, y) ? BlueFade(x, y) : kBlack;
                  };
                  return DifferencesOutside(shot, withEdge, pathOnBlack, "the path on black");
              }),
              "");
}

// ---- Styles ----

TEST_F(Pictures, TheGreyStyleShowsItsOwnPicturesInGreysOnly)
{
    Set("Style", 1);
    ASSERT_TRUE(StartSaver());
    const Picture grey("STYLE01_PIC01");
    const Pixels own = grey.Own();
    const POINT at = Centred(grey);
    EXPECT_EQ(WaitForScreen([&](const ScreenShot& shot) { return Differences(shot, own, at, grey.Name()); }), "");
    ScreenShot shot;
    int coloured = 0;
    for (int y = at.y; y < at.y + own.Height(); ++y) {
        for (int x = at.x; x < at.x + own.Width(); ++x) {
            const COLORREF seen = shot.At(x, y);
            if (Red(seen) != Green(seen) || Green(seen) != Blue(seen)) ++coloured;
        }
    }
    EXPECT_EQ(coloured, 0);
}

TEST_F(Pictures, AStyleWithoutPicturesNamesTheMissingOneAndEndsWithOne)
{
    Set("Style", 2);
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
