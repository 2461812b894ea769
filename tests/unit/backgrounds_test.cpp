// What the background painters leave on a real window, read back pixel by pixel.
#include "imaging/backgrounds.h"

#include <gtest/gtest.h>

#include "settings/saver_settings.h"
#include "tests/support/bmp_bytes.h"
#include "win32/handles.h"

namespace {

constexpr COLORREF kMarker = RGB(12, 34, 56);
constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

// A visible pop-up window with its own DC, like the saver's, filled with the marker colour.
class TestWindow {
public:
    TestWindow(int width, int height)
    {
        const WNDCLASSA windowClass{CS_OWNDC, DefWindowProcA, 0,       0,      GetModuleHandleA(nullptr),
                                    nullptr,  nullptr,        nullptr, nullptr, "TavrixBackgroundsTest"};
        RegisterClassA(&windowClass);  // fails harmlessly when already registered
        window_ = CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        const RECT all{0, 0, width, height};
        FillRect(WindowDc(window_).get(), &all, UniqueBrush(CreateSolidBrush(kMarker)).get());
    }
    ~TestWindow() { DestroyWindow(window_); }
    TestWindow(const TestWindow&) = delete;

    HWND get() const { return window_; }
    COLORREF Pixel(int x, int y) const { return GetPixel(WindowDc(window_).get(), x, y); }
    HGDIOBJ Palette() const { return GetCurrentObject(WindowDc(window_).get(), OBJ_PAL); }

private:
    HWND window_ = nullptr;
};

}  // namespace

TEST(PaintingBackgrounds, EachFadeRunsDownTheWholeWindowAMissingPictureGivesBlackTheDesktopNothing)
{
    SaverSettings settings;
    settings.Color1 = RGB(200, 100, 50);
    settings.Color2 = RGB(0, 100, 250);
    lstrcpyA(settings.OwnBitmap, "C:\\no such folder\\no such picture.bmp");
    const struct {
        UINT background;
        COLORREF top, second, last;
    } choices[] = {
        {0, kBlack, kBlack, kBlack},
        {1, kBlue, RGB(0, 0, 252), RGB(0, 0, 2)},  // 255 less 2.55 a row, truncated
        {2, kWhite, RGB(252, 252, 252), RGB(2, 2, 2)},
        {6, RGB(200, 100, 50), RGB(198, 100, 52), RGB(2, 100, 248)},  // 200 - 99 * 2, 50 + 99 * 2
        {5, kBlack, kBlack, kBlack},  // the picture cannot be read
        {3, kMarker, kMarker, kMarker}, {7, kMarker, kMarker, kMarker}, {0xFFFFFFFF, kMarker, kMarker, kMarker},
    };
    for (const auto& choice : choices) {
        TestWindow window(16, 100);
        ASSERT_TRUE(window.get());
        settings.Background = choice.background;
        PaintBackground(window.get(), settings);
        EXPECT_EQ(window.Pixel(0, 0), choice.top) << choice.background;
        EXPECT_EQ(window.Pixel(15, 1), choice.second) << choice.background;
        EXPECT_EQ(window.Pixel(5, 99), choice.last) << choice.background;
    }
}

TEST(PaintingBackgrounds, ThePictureIsStretchedOrTiledAndItsPaletteNoLongerSelectedAfterwards)
{
    // 2 x 2 with a four-entry palette: top row red, green; bottom row blue, white.
    bmp_bytes::Picture fourColours;
    fourColours.width = 2;
    fourColours.clrUsed = 4;
    fourColours.table = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    fourColours.pixels = {2, 3, 0, 0, 0, 1, 0, 0};  // bottom row first, rows padded to 4 bytes
    const bmp_bytes::TempFile picture(bmp_bytes::Bytes(fourColours));
    ASSERT_TRUE(picture.written());
    SaverSettings settings;
    settings.Background = 5;
    lstrcpyA(settings.OwnBitmap, picture.path());

    TestWindow stretched(40, 20);
    ASSERT_EQ(stretched.Palette(), GetStockObject(DEFAULT_PALETTE));
    PaintBackground(stretched.get(), settings);
    EXPECT_EQ(stretched.Palette(), GetStockObject(DEFAULT_PALETTE));
    const struct {
        int x, y;
        COLORREF colour;
    } points[] = {{0, 0, kRed}, {39, 0, kGreen}, {0, 19, kBlue}, {39, 19, kWhite}, {19, 9, kRed}, {20, 10, kWhite}};
    for (const auto& p : points) EXPECT_EQ(stretched.Pixel(p.x, p.y), p.colour) << p.x << "," << p.y;

    // Tiles of their own width and height: 3 x 2, top row red, green, blue; bottom row white.
    fourColours.width = 3;
    fourColours.pixels = {3, 3, 3, 0, 0, 1, 2, 0};
    const bmp_bytes::TempFile wide(bmp_bytes::Bytes(fourColours));  // the same file, rewritten
    lstrcpyA(settings.OwnBitmap, wide.path());
    settings.Tiles = 1;
    TestWindow tiled(7, 5);
    PaintBackground(tiled.get(), settings);
    EXPECT_EQ(tiled.Palette(), GetStockObject(DEFAULT_PALETTE));
    const COLORREF top[7] = {kRed, kGreen, kBlue, kRed, kGreen, kBlue, kRed};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(tiled.Pixel(x, y), y % 2 ? kWhite : top[x]) << x << "," << y;
}

TEST(CapturingTheScreen, TheCopyHasTheAskedSizeAndTheWindowsPixels)
{
    TestWindow window(24, 12);
    const UniqueBitmap copy = CaptureScreen(window.get(), 24, 12);
    BITMAP size{};
    ASSERT_TRUE(GetObjectA(copy.get(), sizeof size, &size));
    EXPECT_TRUE(size.bmWidth == 24 && size.bmHeight == 12) << size.bmWidth << " x " << size.bmHeight;
    UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    SelectedObject selected(memory.get(), copy.get());
    EXPECT_EQ(GetPixel(memory.get(), 23, 11), kMarker);
}
