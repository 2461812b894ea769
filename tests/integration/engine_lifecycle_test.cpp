// The engine's life in a saver window: the background once, repair, the wipe back to it, the end, no leaks.
#include <windows.h>

#include <gtest/gtest.h>

#include "engine/animation_engine.h"
#include "engine/engine_proc.h"
#include "host/host_state.h"
#include "host/host_window.h"
#include "tests/support/engine_window.h"
#include "tests/support/saver_process.h"
#include "tests/support/settings_file.h"
#include "tests/support/waiting.h"

using engine_window::EngineWindow;
using engine_window::Fill;

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr COLORREF kMarker = RGB(12, 34, 56);  // drawn by the test, never by the engine

// The first picture in order, STYLE00_PIC01, is 488 x 277 and has no black pixel.
constexpr RECT kFirstPictureCentred = {268, 245, 268 + 488, 245 + 277};
constexpr RECT kTenthOfItCentred = {488, 370, 488 + 48, 370 + 27};  // at Scale 0

// The blue fade on 768 rows: each row 85/256 less blue, the fraction cut off.
COLORREF BlueFadeRow(int row)
{
    return RGB(0, 0, 255 - (row * 85 + 255) / 256);
}

// Whether a timer message waits for the window.
bool TimerWaits(HWND window)
{
    MSG message;
    return PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_NOREMOVE) != FALSE;
}

class EngineLifecycle : public testing::Test {
protected:
    void SetUp() override
    {
        settings_file::Reset({{"ChangeTime", "3600"}, {"Centered", "1"}, {"Move", "0"}});
        hostState.instance = GetModuleHandleA(nullptr);
    }
};

}  // namespace

// The first tick paints the fade (or, for the desktop, nothing) and the engine keeps a copy of it to
// repair the window with and to wipe the pictures back to; the marker stands for whatever covers the
// rest of the window meanwhile. The window's own palette comes back and the change timer goes.
TEST_F(EngineLifecycle, TheBackgroundIsPaintedOnceRepairsTheWindowAndIsWhatThePicturesAreWipedBackTo)
{
    // Long enough that no change comes before the first picture is judged, even on a busy machine.
    settings_file::Write("ChangeTime", "3");
    for (const bool desktop : {true, false}) {
        SCOPED_TRACE(desktop ? "the desktop" : "the blue fade");
        MSG quit;  // the window before, ending, asked this thread's message loop to stop
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        settings_file::Write({{"Background", desktop ? "4" : "1"}, {"Scale", desktop ? "0" : "9"}});
        const RECT& picture = desktop ? kTenthOfItCentred : kFirstPictureCentred;
        // A full-screen window whose messages go the saver window's way; as in the saver, the first
        // paint comes before the first frame tick.
        EngineWindow window(kScreenWidth, kScreenHeight, HostWindowProc, kSaverWindowClass);
        ASSERT_TRUE(window.get());
        UpdateWindow(window.get());
        const LOGPALETTE oneColour{0x300, 1, {{10, 20, 30, 0}}};
        const UniquePalette own(CreatePalette(&oneColour));
        WindowDc dc(window.get());
        SelectPalette(dc.get(), own.get(), FALSE);
        Fill(window.get(), kMarker);  // what the window shows when it comes
        EXPECT_EQ(SendMessageA(window.get(), WM_TIMER, kFrameTimerId, 0), 1)
            << "a frame tick of the background stage returns at once";
        if (!desktop) {
            EXPECT_EQ(window.Shown().At(kScreenWidth - 1, 767), BlueFadeRow(767)) << "the fade at once";
            Fill(window.get(), kMarker);  // after the engine took its copy: the fade is never painted again
        }
        // At once: long before the change timer's three seconds.
        EXPECT_TRUE(RunMessagesUntil(
            [&] { return window.Shown().At(kScreenWidth / 2, kScreenHeight / 2) != kMarker; }, 2000))
            << "the first picture at once";
        RECT shown{};
        RunMessagesUntil(
            [&] {
                shown = window.Shown().BoundsOfAllBut(kMarker);
                return EqualRect(&shown, &picture) != FALSE;
            },
            2000);
        EXPECT_TRUE(EqualRect(&shown, &picture))
            << "not at the size asked for: " << shown.left << "," << shown.top << " to " << shown.right
            << "," << shown.bottom;
        EXPECT_NE(GetCurrentObject(dc.get(), OBJ_PAL), own.get()) << "the pictures bring their own palettes";
        if (!desktop) {
            Fill(window.get(), kMarker);  // another window painted over ours, and went
            const RECT lost{0, 0, kScreenWidth / 2, kScreenHeight};
            InvalidateRect(window.get(), &lost, FALSE);
            ASSERT_TRUE(RunMessages(5000, WM_PAINT));
            const Pixels repaired = window.Shown();
            EXPECT_EQ(repaired.At(100, 100), BlueFadeRow(100)) << "the background comes back";
            EXPECT_NE(repaired.At(picture.left, picture.top), kMarker) << "and the picture over it";
            EXPECT_NE(repaired.At(picture.left, picture.top), BlueFadeRow(picture.top));
            EXPECT_EQ(repaired.At(kScreenWidth - 100, 100), kMarker)
                << "what was not lost is not drawn again";
        }
        ASSERT_TRUE(WaitUntil([&] { return TimerWaits(window.get()); }, 20000))
            << "the change timer runs while the engine lives";

        EXPECT_EQ(EngineProc(window.get(), WM_DESTROY, 0, 0, DefWindowProcA), 1);
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PAL), own.get())
            << "the window's own palette is given back";
        SelectPalette(dc.get(), static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
        const Pixels wiped = window.Shown();
        for (int y = picture.top; y < picture.bottom; y += 23)
            for (int x = picture.left; x < picture.right; x += 61)
                EXPECT_EQ(wiped.At(x, y), desktop ? kMarker : BlueFadeRow(y)) << x << "," << y;
        EXPECT_EQ(wiped.At(kScreenWidth - 100, 100), kMarker) << "the rest of the window is left alone";
        EXPECT_FALSE(currentStage);
        Sleep(3300);  // past the change timer's three seconds
        EXPECT_FALSE(TimerWaits(window.get()));
    }
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
    settings_file::Write({{"ChangeTime", "-1"}, {"Pictures", "8"}, {"Move", "1"}, {"Speed", "10"}});
    drawn = Drawn{};
    AnimationEngine::frameDrawn = CountFrame;
    EngineWindow window(kScreenWidth, kScreenHeight);
    ASSERT_TRUE(window.get());
    const auto runUntil = [](int frames, int changes) {
        return RunMessagesUntil([&] { return drawn.frames >= frames && drawn.changes >= changes; }, 60000);
    };
    ASSERT_TRUE(runUntil(10, 3)) << drawn.frames << " frames, " << drawn.changes << " changes";  // warmed up
    const int objects = LiveGdiObjects();
    const SIZE_T heap = HeapBytesInUse();
    const Drawn before = drawn;
    ASSERT_TRUE(runUntil(before.frames + 100, before.changes + 30));
    AnimationEngine::frameDrawn = nullptr;
    EXPECT_LE(LiveGdiObjects(), objects + 9)
        << drawn.frames - before.frames << " frames, " << drawn.changes - before.changes << " changes";
    EXPECT_LE(HeapBytesInUse(), heap + 256 * 1024) << "the smallest picture's block is 90 KB";
}
