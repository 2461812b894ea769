// The engine's life in a saver window: first tick, background once, the copy under the pictures, the end.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/animation_engine.h"
#include "engine/engine_proc.h"
#include "engine/stages.h"
#include "host/handles.h"
#include "host/host_state.h"
#include "host/host_window.h"
#include "tests/support/saver_process.h"
#include "tests/support/screen.h"
#include "tests/support/settings_file.h"

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr UINT_PTR kFrameTimer = 1;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kMarker = RGB(12, 34, 56);  // drawn by the test, never by the engine

// The first picture in order, STYLE00_PIC01, is 488 x 277 and has no black pixel.
constexpr RECT kFirstPictureCentred = {268, 245, 268 + 488, 245 + 277};
// At Scale 0 (a tenth) it is 48 x 27, in the middle of the screen.
constexpr RECT kTinyPictureCentred = {488, 370, 488 + 48, 370 + 27};

// The blue fade on 768 rows: each row 85/256 less blue, the fraction cut off.
COLORREF BlueFadeRow(int row)
{
    return RGB(0, 0, 255 - (row * 85 + 255) / 256);
}

constexpr char kTestOnlyClass[] = "TavrixLateEngine";

// Everything but WM_CREATE goes the saver window's usual way, so the engine never sees the window made.
LRESULT CALLBACK CreationUnseenProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) return DefWindowProcA(window, message, wParam, lParam);
    return HostWindowProc(window, message, wParam, lParam);
}

void RegisterClassWithProc(const char* name, WNDPROC procedure)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

// A saver window of this process, made as the saver makes its own; destroyed at the end.
class SaverWindow {
public:
    // Full screen, like the saver's.
    explicit SaverWindow(const char* windowClass = kSaverClass)
    {
        const DWORD style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        window_ = CreateWindowExA(0, windowClass, kSaverTitle, style, 0, 0, kScreenWidth, kScreenHeight,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    // A preview filling a parent of this size.
    SaverWindow(int width, int height)
    {
        parent_ = CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        window_ = CreateWindowExA(0, kSaverClass, "Preview", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                  width, height, parent_, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~SaverWindow()
    {
        if (IsWindow(window_)) DestroyWindow(window_);
        if (parent_) DestroyWindow(parent_);
    }
    SaverWindow(const SaverWindow&) = delete;
    SaverWindow& operator=(const SaverWindow&) = delete;

    HWND get() const { return window_; }

    // Paints over the whole window as some other program might, leaving the DC's state as it was.
    void Fill(COLORREF colour) const
    {
        WindowDc dc(window_);
        int saved = SaveDC(dc.get());
        SelectClipRgn(dc.get(), nullptr);
        UniqueBrush brush(CreateSolidBrush(colour));
        RECT client = {};
        GetClientRect(window_, &client);
        FillRect(dc.get(), &client, brush.get());
        RestoreDC(dc.get(), saved);
    }

private:
    HWND parent_ = nullptr;
    HWND window_ = nullptr;
};

// The window's pixels as they are now, read back through its own DC.
class WindowPixels {
public:
    explicit WindowPixels(HWND window)
    {
        RECT client = {};
        GetClientRect(window, &client);
        width_ = client.right;
        height_ = client.bottom;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        WindowDc dc(window);
        UniqueMemoryDc memory(CreateCompatibleDC(dc.get()));
        void* bits = nullptr;
        UniqueBitmap copy(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!memory || !bits) return;
        SelectedObject selected(memory.get(), copy.get());
        BitBlt(memory.get(), 0, 0, width_, height_, dc.get(), 0, 0, SRCCOPY);
        GdiFlush();
        const auto* first = static_cast<const uint32_t*>(bits);
        pixels_.assign(first, first + static_cast<size_t>(width_) * height_);
    }

    COLORREF At(int x, int y) const
    {
        if (pixels_.empty()) return CLR_INVALID;
        uint32_t bgr = pixels_[static_cast<size_t>(y) * width_ + x];
        return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }

    // The smallest rectangle holding every pixel of another colour than `background`; empty if none.
    RECT BoundsOfAllBut(COLORREF background) const
    {
        RECT bounds = {width_, height_, 0, 0};
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                if (At(x, y) == background) continue;
                if (x < bounds.left) bounds.left = x;
                if (y < bounds.top) bounds.top = y;
                if (x + 1 > bounds.right) bounds.right = x + 1;
                if (y + 1 > bounds.bottom) bounds.bottom = y + 1;
            }
        }
        return bounds.right == 0 ? RECT{0, 0, 0, 0} : bounds;
    }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

void ExpectRect(const RECT& actual, const RECT& expected)
{
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    EXPECT_EQ(actual.bottom, expected.bottom);
}

// One frame tick as the frame timer sends it; only the background stage returns from it at once.
LRESULT FirstTick(HWND window) { return SendMessageA(window, WM_TIMER, kFrameTimer, 0); }

// Lets the window run as the saver's message loop would for a while. The drawing loop
// gives way when the stop timer comes due, as it would for any waiting message.
void RunFor(DWORD ms)
{
    UINT_PTR stop = SetTimer(nullptr, 0, ms, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == WM_TIMER && message.wParam == stop) break;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    KillTimer(nullptr, stop);
}

bool TickWaits(HWND window)
{
    MSG message;
    return PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_NOREMOVE) != FALSE;
}

bool PicturesAreCurrent() { return dynamic_cast<AnimationEngine*>(currentStage.get()) != nullptr; }

class EngineLifecycle : public testing::Test {
protected:
    void SetUp() override
    {
        settings_file::Remove();
        settings_file::Write("ChangeTime", "3600");
        settings_file::Write("Centered", "1");
        settings_file::Write("Move", "0");
        hostState.instance = GetModuleHandleA(nullptr);
        RegisterClassWithProc(kSaverClass, HostWindowProc);
    }
};

}  // namespace

TEST_F(EngineLifecycle, ACloseRequestBeforeTheFirstTickIsDropped)
{
    settings_file::Write("Background", "1");
    SaverWindow window;
    ASSERT_TRUE(window.get());
    EXPECT_EQ(SendMessageA(window.get(), WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(IsWindow(window.get()));

    FirstTick(window.get());
    SendMessageA(window.get(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window.get())) << "once painted, the same request closes the window";
}

TEST_F(EngineLifecycle, TheBackgroundIsPaintedAtTheFirstTickAndNeverAgain)
{
    settings_file::Write("Background", "1");
    settings_file::Write("Scale", "0");
    SaverWindow window;
    ASSERT_TRUE(window.get());
    window.Fill(kMarker);
    EXPECT_EQ(FirstTick(window.get()), 1);
    {
        WindowPixels painted(window.get());
        for (int row : {0, 1, 384, 767}) {
            EXPECT_EQ(painted.At(0, row), BlueFadeRow(row)) << row;
            EXPECT_EQ(painted.At(kScreenWidth - 1, row), BlueFadeRow(row)) << row;
        }
    }

    window.Fill(kMarker);
    RunFor(400);
    ExpectRect(WindowPixels(window.get()).BoundsOfAllBut(kMarker), kTinyPictureCentred);
}

TEST_F(EngineLifecycle, BlackAndAnUnusablePictureCoverWhatTheWindowShowedAtTheFirstTick)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string notAPicture = std::string(folder) + "tavrix_engine_test.bmp";
    {
        UniqueFile file(CreateFileA(notAPicture.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), "BM, but no more", 15, &written, nullptr);
    }
    const struct {
        const char* background;
        std::string picture;
    } choices[] = {{"0", ""}, {"5", notAPicture}, {"5", std::string(folder) + "no such picture.bmp"}};
    for (const auto& choice : choices) {
        settings_file::Write("Background", choice.background);
        settings_file::Write("OwnBitmap", choice.picture);
        SaverWindow window;
        ASSERT_TRUE(window.get());
        window.Fill(kMarker);
        FirstTick(window.get());
        WindowPixels painted(window.get());
        for (int row : {0, 384, 767})
            EXPECT_EQ(painted.At(700, row), kBlack) << choice.background << " " << choice.picture << " " << row;
    }
    DeleteFileA(notAPicture.c_str());
}

TEST_F(EngineLifecycle, ATickOnAWindowTheEngineNeverSawCreatedPaintsTheBackgroundAtOnce)
{
    settings_file::Write("Background", "2");
    RegisterClassWithProc(kTestOnlyClass, CreationUnseenProc);
    SaverWindow window(kTestOnlyClass);
    ASSERT_TRUE(window.get());
    ASSERT_FALSE(currentStage);
    window.Fill(kMarker);

    EXPECT_EQ(FirstTick(window.get()), 1);
    WindowPixels painted(window.get());
    EXPECT_EQ(painted.At(100, 0), RGB(255, 255, 255));
    EXPECT_EQ(painted.At(100, 767), kBlack);
    EXPECT_TRUE(PicturesAreCurrent());
}

TEST_F(EngineLifecycle, AfterAResetTheNextTickStartsOverWithTheBackground)
{
    settings_file::Write("Background", "1");
    SaverWindow window;
    ASSERT_TRUE(window.get());
    FirstTick(window.get());
    RunFor(200);
    ResetEngineState();
    EXPECT_FALSE(currentStage);

    window.Fill(kMarker);
    FirstTick(window.get());
    WindowPixels painted(window.get());
    EXPECT_EQ(painted.At(100, 0), BlueFadeRow(0));
    EXPECT_EQ(painted.At(100, 600), BlueFadeRow(600));
    EXPECT_TRUE(PicturesAreCurrent());
}

TEST_F(EngineLifecycle, ThePicturesAreWipedAwayWithThePaintedBackground)
{
    settings_file::Write("Background", "1");
    SaverWindow window;
    ASSERT_TRUE(window.get());
    FirstTick(window.get());
    window.Fill(kMarker);  // after the engine took its copy
    RunFor(300);
    ExpectRect(WindowPixels(window.get()).BoundsOfAllBut(kMarker), kFirstPictureCentred);

    EXPECT_EQ(EngineProc(window.get(), WM_DESTROY, 0, 0), 1);
    WindowPixels wiped(window.get());
    const RECT& was = kFirstPictureCentred;
    for (int y = was.top; y < was.bottom; y += 23)
        for (int x = was.left; x < was.right; x += 61)
            EXPECT_EQ(wiped.At(x, y), BlueFadeRow(y)) << x << "," << y;
    EXPECT_EQ(wiped.At(was.right - 1, was.bottom - 1), BlueFadeRow(was.bottom - 1));
    EXPECT_EQ(wiped.At(100, 100), kMarker) << "the rest of the window is left alone";
}

TEST_F(EngineLifecycle, TheDesktopIsLeftAsItWasAndThePicturesAreWipedBackToIt)
{
    settings_file::Write("Background", "4");
    SaverWindow window;
    ASSERT_TRUE(window.get());
    window.Fill(kMarker);  // what the window shows when it comes
    FirstTick(window.get());
    RunFor(300);
    ExpectRect(WindowPixels(window.get()).BoundsOfAllBut(kMarker), kFirstPictureCentred);

    EngineProc(window.get(), WM_DESTROY, 0, 0);
    WindowPixels wiped(window.get());
    EXPECT_EQ(wiped.At(kScreenWidth / 2, kScreenHeight / 2), kMarker);
    EXPECT_EQ(wiped.At(kFirstPictureCentred.left, kFirstPictureCentred.top), kMarker);
    EXPECT_EQ(wiped.At(kFirstPictureCentred.right - 1, kFirstPictureCentred.bottom - 1), kMarker);
}

TEST_F(EngineLifecycle, UnknownBackgroundsInTheSettingsFilePaintNothing)
{
    for (const char* background : {"3", "7", "-1", "4294967295"}) {
        settings_file::Write("Background", background);
        SaverWindow window;
        ASSERT_TRUE(window.get());
        window.Fill(kMarker);
        FirstTick(window.get());
        WindowPixels after(window.get());
        for (int row : {0, 384, 767}) EXPECT_EQ(after.At(100, row), kMarker) << background << ", row " << row;
    }
}

TEST_F(EngineLifecycle, TheFirstPictureComesAtOnceWithAnHourBetweenChanges)
{
    settings_file::Write("Background", "0");
    SaverWindow window;
    ASSERT_TRUE(window.get());
    FirstTick(window.get());
    RunFor(50);
    EXPECT_NE(WindowPixels(window.get()).At(kScreenWidth / 2, kScreenHeight / 2), kBlack);
}

TEST_F(EngineLifecycle, TheFullScreenShowsAPictureAtItsOwnSize)
{
    settings_file::Write("Background", "0");
    SaverWindow window;
    ASSERT_TRUE(window.get());
    FirstTick(window.get());
    RunFor(300);
    ExpectRect(WindowPixels(window.get()).BoundsOfAllBut(kBlack), kFirstPictureCentred);
}

TEST_F(EngineLifecycle, AUsualPreviewShrinksAPictureAsItsWidthShrinksTheScreen)
{
    // 152 of 1024 pixels: 488 x 277 becomes 72 x 41, centred in 152 x 112.
    settings_file::Write("Background", "0");
    hostState.isPreview = 1;
    SaverWindow preview(152, 112);
    ASSERT_TRUE(preview.get());
    FirstTick(preview.get());
    RunFor(300);
    ExpectRect(WindowPixels(preview.get()).BoundsOfAllBut(kBlack), RECT{40, 35, 40 + 72, 35 + 41});
}

TEST_F(EngineLifecycle, NoTimerIsLeftOnceTheEngineEnds)
{
    settings_file::Write("ChangeTime", "1");
    SaverWindow window;
    ASSERT_TRUE(window.get());
    FirstTick(window.get());
    RunFor(300);
    Sleep(50);
    ASSERT_TRUE(TickWaits(window.get())) << "the frame timer runs while the pictures move";

    EXPECT_EQ(EngineProc(window.get(), WM_DESTROY, 0, 0), 1);
    EXPECT_FALSE(currentStage);
    Sleep(1300);  // past the change timer's second
    EXPECT_FALSE(TickWaits(window.get()));
}

TEST(EngineInTheRunningSaver, AKeyPressEndsTheSaverWhileNinePicturesMove)
{
    settings_file::Remove();
    settings_file::Write("ChangeTime", "3600");
    settings_file::Write("Background", "1");
    settings_file::Write("Pictures", "8");
    SaverProcess saver(SaverPath(), "/s");
    HWND window = WaitForSaverWindow(saver);
    ASSERT_NE(window, nullptr);
    // The fade is painted (a picture may cover one top corner, not both) and what lies on it
    // changes from one moment to the next.
    ASSERT_TRUE(WaitUntil(
        [] {
            ScreenShot before;
            Sleep(100);
            ScreenShot after;
            const COLORREF top = BlueFadeRow(0);
            if (before.At(0, 0) != top && before.At(kScreenWidth - 1, 0) != top) return false;
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
