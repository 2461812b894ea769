// The engine's life in a saver window: first tick, background once, the copy under the pictures, the end.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/animation_engine.h"
#include "engine/background_stage.h"
#include "engine/engine_proc.h"
#include "host/host_state.h"
#include "host/host_window.h"
#include "tests/support/bmp_bytes.h"
#include "tests/support/engine_window.h"
#include "tests/support/saver_process.h"
#include "tests/support/screen.h"
#include "tests/support/settings_file.h"

using engine_window::Pixels;
using engine_window::RunMessages;

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kMarker = RGB(12, 34, 56);  // drawn by the test, never by the engine

// The first picture in order, STYLE00_PIC01, is 488 x 277 and has no black pixel.
constexpr RECT kFirstPictureCentred = {268, 245, 268 + 488, 245 + 277};
constexpr RECT kTenthOfItCentred = {488, 370, 488 + 48, 370 + 27};  // at Scale 0

// The blue fade on 768 rows: each row 85/256 less blue, the fraction cut off.
COLORREF BlueFadeRow(int row) { return RGB(0, 0, 255 - (row * 85 + 255) / 256); }

// Everything but WM_CREATE goes the saver window's usual way, so the engine never sees the window made.
LRESULT CALLBACK CreationUnseenProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) return DefWindowProcA(window, message, wParam, lParam);
    return HostWindowProc(window, message, wParam, lParam);
}

void RegisterClassWithProc(const char* name, WNDPROC procedure)
{
    const WNDCLASSA windowClass{CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, procedure, 0, 0,
                                GetModuleHandleA(nullptr), nullptr, nullptr,
                                static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr, name};
    RegisterClassA(&windowClass);
}

// A saver window of this process, made as the saver makes its own; destroyed at the end.
class SaverWindow {
public:
    // Full screen, like the saver's.
    explicit SaverWindow(const char* windowClass = kSaverClass)
    {
        const DWORD style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        window_ = CreateWindowExA(0, windowClass, kSaverTitle, style, 0, 0, kScreenWidth, kScreenHeight, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        // As in the saver, the first paint comes before the first frame tick.
        if (window_) UpdateWindow(window_);
    }
    // A preview filling a parent of this size.
    SaverWindow(int width, int height)
    {
        parent_ = CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        window_ = CreateWindowExA(0, kSaverClass, "Preview", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width,
                                  height, parent_, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~SaverWindow() { DestroyWindow(parent_ ? parent_ : window_); }  // a preview goes with its parent
    SaverWindow(const SaverWindow&) = delete;
    SaverWindow& operator=(const SaverWindow&) = delete;

    HWND get() const { return window_; }
    Pixels Shown() const { return Pixels::Of(window_); }

    // Paints over the whole window as some other program might, leaving the DC's state as it was.
    void Fill(COLORREF colour) const
    {
        WindowDc dc(window_);
        const int saved = SaveDC(dc.get());
        SelectClipRgn(dc.get(), nullptr);
        UniqueBrush brush(CreateSolidBrush(colour));
        const RECT all{0, 0, kScreenWidth, kScreenHeight};
        FillRect(dc.get(), &all, brush.get());
        RestoreDC(dc.get(), saved);
    }

    // One frame tick as the frame timer sends it; only the background stage returns from it at once.
    LRESULT Tick() const { return SendMessageA(window_, WM_TIMER, 1, 0); }

    bool TickWaits() const
    {
        MSG message;
        return PeekMessageA(&message, window_, WM_TIMER, WM_TIMER, PM_NOREMOVE) != FALSE;
    }

private:
    HWND parent_ = nullptr;
    HWND window_ = nullptr;
};

std::vector<LONG> Sides(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

bool PicturesAreCurrent() { return dynamic_cast<AnimationEngine*>(currentStage.get()) != nullptr; }

class EngineLifecycle : public testing::Test {
protected:
    void SetUp() override
    {
        settings_file::Remove();
        for (auto [key, value] : {std::pair{"ChangeTime", "3600"}, {"Centered", "1"}, {"Move", "0"}})
            settings_file::Write(key, value);
        hostState.instance = GetModuleHandleA(nullptr);
        RegisterClassWithProc(kSaverClass, HostWindowProc);
    }
};

}  // namespace

TEST_F(EngineLifecycle, CloseRequestsAreDroppedUntilTheFirstTickPaintsTheBackgroundEvenAfterAReset)
{
    settings_file::Write("Background", "1");
    SaverWindow window;
    ASSERT_TRUE(window.get());
    EXPECT_EQ(SendMessageA(window.get(), WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(IsWindow(window.get()));
    window.Tick();
    RunMessages(200);
    ResetEngineState();
    EXPECT_FALSE(currentStage);
    window.Fill(kMarker);
    window.Tick();
    EXPECT_EQ(window.Shown().At(100, 600), BlueFadeRow(600)) << "the next tick starts over with the background";
    EXPECT_TRUE(PicturesAreCurrent());
    SendMessageA(window.get(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window.get())) << "once painted, the same request closes the window";
}

TEST_F(EngineLifecycle, ATickOnAWindowTheEngineNeverSawCreatedPaintsTheBackgroundAtOnce)
{
    settings_file::Write("Background", "2");
    RegisterClassWithProc("TavrixLateEngine", CreationUnseenProc);
    SaverWindow window("TavrixLateEngine");
    ASSERT_TRUE(window.get());
    window.Fill(kMarker);
    EXPECT_EQ(window.Tick(), 1);
    const Pixels painted = window.Shown();
    EXPECT_EQ(painted.At(100, 0), RGB(255, 255, 255));
    EXPECT_EQ(painted.At(100, 767), kBlack);
    EXPECT_TRUE(PicturesAreCurrent());
}

// The first tick paints the fade (or, for the desktop, nothing) and the engine keeps a copy of it to
// wipe the pictures back to; the marker stands for whatever covers the rest of the window meanwhile.
TEST_F(EngineLifecycle, TheBackgroundIsPaintedOnceAndThePicturesComeAtOnceAndAreWipedBackToIt)
{
    // Long enough that no change comes before the first picture is judged, even on a busy machine.
    settings_file::Write("ChangeTime", "3");
    for (const bool desktop : {true, false}) {
        MSG quit;  // the window before, ending, asked this thread's message loop to stop
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        settings_file::Write("Background", desktop ? "4" : "1");
        if (!desktop) settings_file::Write("Scale", "0");
        const RECT& was = desktop ? kFirstPictureCentred : kTenthOfItCentred;
        SaverWindow window;
        ASSERT_TRUE(window.get());
        if (desktop) window.Fill(kMarker);  // what the window shows when it comes
        EXPECT_EQ(window.Tick(), 1);
        if (!desktop) {
            const Pixels painted = window.Shown();
            for (int row : {0, 1, 384, 767})
                for (int x : {0, kScreenWidth - 1}) EXPECT_EQ(painted.At(x, row), BlueFadeRow(row)) << x << "," << row;
            window.Fill(kMarker);  // after the engine took its copy: the fade is never painted again
        }
        RunMessages(50);
        EXPECT_NE(window.Shown().At(kScreenWidth / 2, kScreenHeight / 2), kMarker) << "the first picture at once";
        RunMessages(250);
        EXPECT_EQ(Sides(window.Shown().BoundsOfAllBut(kMarker)), Sides(was)) << "at the size asked for";
        ASSERT_TRUE(WaitUntil([&] { return window.TickWaits(); }, 20000)) << "the change timer runs while the engine lives";

        EXPECT_EQ(EngineProc(window.get(), WM_DESTROY, 0, 0), 1);
        const Pixels wiped = window.Shown();
        for (int y = was.top; y < was.bottom; y += 23)
            for (int x = was.left; x < was.right; x += 61)
                EXPECT_EQ(wiped.At(x, y), desktop ? kMarker : BlueFadeRow(y)) << x << "," << y << " " << desktop;
        EXPECT_EQ(wiped.At(was.right - 1, was.bottom - 1), desktop ? kMarker : BlueFadeRow(was.bottom - 1));
        EXPECT_EQ(wiped.At(100, 100), kMarker) << "the rest of the window is left alone";
        EXPECT_FALSE(currentStage);
        Sleep(3300);  // past the change timer's three seconds
        EXPECT_FALSE(window.TickWaits());
    }
}

// The window's own DC keeps what is selected into it: whatever palette it had before the
// pictures came, it has again once they are gone.
TEST_F(EngineLifecycle, TheWindowsOwnPaletteIsGivenBackAtTheEnd)
{
    settings_file::Write("Background", "0");
    SaverWindow window;
    ASSERT_TRUE(window.get());
    const LOGPALETTE oneColour{0x300, 1, {{10, 20, 30, 0}}};
    const UniquePalette own(CreatePalette(&oneColour));
    WindowDc dc(window.get());
    SelectPalette(dc.get(), own.get(), FALSE);
    window.Tick();
    RunMessages(100);
    EXPECT_NE(GetCurrentObject(dc.get(), OBJ_PAL), own.get()) << "the pictures bring their own palettes";
    EXPECT_EQ(EngineProc(window.get(), WM_DESTROY, 0, 0), 1);
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PAL), own.get());
    SelectPalette(dc.get(), static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
}

TEST_F(EngineLifecycle, WhatTheWindowLosesIsRepairedWithTheBackgroundAndThePicturesOnTop)
{
    settings_file::Write("Background", "1");
    SaverWindow window;
    ASSERT_TRUE(window.get());
    window.Tick();
    RunMessages(300);  // the first picture, standing in the middle
    window.Fill(kMarker);  // another window painted over ours, and went
    const RECT lost{0, 0, kScreenWidth / 2, kScreenHeight};
    InvalidateRect(window.get(), &lost, FALSE);
    ASSERT_TRUE(RunMessages(5000, WM_PAINT));
    const Pixels shown = window.Shown();
    EXPECT_EQ(shown.At(100, 100), BlueFadeRow(100)) << "the background comes back";
    EXPECT_EQ(shown.At(kScreenWidth / 2 - 1, kScreenHeight - 1), BlueFadeRow(kScreenHeight - 1));
    const RECT& picture = kFirstPictureCentred;
    EXPECT_NE(shown.At(picture.left, picture.top), kMarker) << "and the picture over it";
    EXPECT_NE(shown.At(picture.left, picture.top), BlueFadeRow(picture.top));
    EXPECT_EQ(shown.At(kScreenWidth - 100, 100), kMarker) << "what was not lost is not drawn again";
}

TEST_F(EngineLifecycle, AUsualPreviewShrinksAPictureAsItsWidthShrinksTheScreen)
{
    // 152 of 1024 pixels: 488 x 277 becomes 72 x 41, centred in 152 x 112.
    settings_file::Write("Background", "0");
    hostState.isPreview = 1;
    SaverWindow preview(152, 112);
    ASSERT_TRUE(preview.get());
    preview.Tick();
    RunMessages(300);
    EXPECT_EQ(Sides(preview.Shown().BoundsOfAllBut(kBlack)), Sides({40, 35, 40 + 72, 35 + 41}));
}

// GDI objects alive in this process: Wine answers GetObjectType for a handle given by its table
// index alone (GetGuiResources answers 0 here).
int LiveGdiObjects()
{
    int live = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++live;
    return live;
}

// Bytes in use on the process heap, where the loader's blocks come from.
SIZE_T HeapBytesInUse()
{
    SIZE_T bytes = 0;
    PROCESS_HEAP_ENTRY entry{};
    HeapLock(GetProcessHeap());
    while (HeapWalk(GetProcessHeap(), &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes += entry.cbData;
    HeapUnlock(GetProcessHeap());
    return bytes;
}

// What an engine run has drawn: frames, and picture changes (the first slot gets a new bitmap).
struct Drawn {
    int frames = 0;
    int changes = 0;
    HBITMAP lastPicture = nullptr;
};
Drawn drawn;

void CountFrame(const AnimationEngine& engine)
{
    ++drawn.frames;
    const HBITMAP picture = engine.SpriteAt(0).bitmap.get();
    if (picture != drawn.lastPicture) ++drawn.changes;
    drawn.lastPicture = picture;
}

// Nine moving pictures changing on every tick (a hand-set negative ChangeTime): neither frames nor
// changes may leave anything behind.
TEST_F(EngineLifecycle, NeitherFramesNorPictureChangesLeakGdiObjectsOrMemory)
{
    for (auto [key, value] : {std::pair{"ChangeTime", "-1"}, {"Pictures", "8"}, {"Move", "1"}, {"Speed", "10"}})
        settings_file::Write(key, value);
    drawn = Drawn{};
    AnimationEngine::frameDrawn = CountFrame;
    engine_window::EngineWindow window(kScreenWidth, kScreenHeight);
    ASSERT_TRUE(window.get());
    const auto runUntil = [](int frames, int changes) {
        return WaitUntil(
            [&] {
                RunMessages(50);
                return drawn.frames >= frames && drawn.changes >= changes;
            },
            60000);
    };
    ASSERT_TRUE(runUntil(10, 3)) << drawn.frames << " frames, " << drawn.changes << " changes";  // warmed up
    const int objects = LiveGdiObjects();
    const SIZE_T heap = HeapBytesInUse();
    const Drawn before = drawn;
    ASSERT_TRUE(runUntil(before.frames + 100, before.changes + 30));
    AnimationEngine::frameDrawn = nullptr;
    EXPECT_LE(LiveGdiObjects(), objects + 9) << drawn.frames - before.frames << " frames, "
                                             << drawn.changes - before.changes << " changes";
    EXPECT_LE(HeapBytesInUse(), heap + 256 * 1024) << "the smallest picture's block is 90 KB";
}

TEST(EngineInTheRunningSaver, AKeyPressEndsTheSaverWhileNinePicturesMove)
{
    settings_file::Remove();
    for (auto [key, value] : {std::pair{"ChangeTime", "3600"}, {"Background", "1"}, {"Pictures", "8"}})
        settings_file::Write(key, value);
    SaverProcess saver(SaverPath(), "/s");
    HWND window = WaitForSaverWindow(saver);
    ASSERT_NE(window, nullptr);
    // The fade is painted (a picture may cover one top corner, not both) and what lies on it
    // changes from one moment to the next.
    ASSERT_TRUE(WaitUntil(
        [] {
            const ScreenShot before;
            Sleep(100);
            const ScreenShot after;
            if (before.At(0, 0) != BlueFadeRow(0) && before.At(kScreenWidth - 1, 0) != BlueFadeRow(0)) return false;
            for (int y = 0; y < kScreenHeight; y += 8)
                for (int x = 0; x < kScreenWidth; x += 8)
                    if (before.At(x, y) != after.At(x, y)) return true;
            return false;
        },
        5000))
        << "the pictures move";
    PostMessageA(window, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(saver.WaitForExit(3000), 0u);
}
