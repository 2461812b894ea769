// What the background painters leave on a real window, read back pixel by pixel.
#include "imaging/backgrounds.h"

#include <gtest/gtest.h>

#include "engine/background_stage.h"
#include "settings/saver_settings.h"
#include "tests/support/bmp_bytes.h"
#include "tests/support/engine_window.h"
#include "win32/handles.h"

namespace {

constexpr COLORREF kMarker = RGB(12, 34, 56);
constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

// A visible pop-up window with its own DC, like the saver's, filled with the marker colour.
class TestWindow : public engine_window::EngineWindow {
public:
    TestWindow(int width, int height) : EngineWindow(width, height, DefWindowProcA, "TavrixBackgroundsTest")
    {
        engine_window::Fill(get(), kMarker);
    }
    COLORREF Pixel(int x, int y) const { return GetPixel(WindowDc(get()).get(), x, y); }
    HGDIOBJ Palette() const { return GetCurrentObject(WindowDc(get()).get(), OBJ_PAL); }
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
        COLORREF top, last;
    } choices[] = {
        {1, kBlue, RGB(0, 0, 2)},
        {2, kWhite, RGB(2, 2, 2)},                 // 255 less 2.55 a row, truncated
        {6, RGB(200, 100, 50), RGB(2, 100, 248)},  // 200 - 99 * 2, 50 + 99 * 2
        {0, kBlack, kBlack},
        {5, kBlack, kBlack},  // 5: the picture cannot be read
        {3, kMarker, kMarker},
        {7, kMarker, kMarker},
        {0xFFFFFFFF, kMarker, kMarker},
    };
    for (const auto& choice : choices) {
        TestWindow painted(16, 100);
        ASSERT_TRUE(painted.get());
        settings.Background = choice.background;
        PaintBackground(painted.get(), BackgroundLookFor(settings));
        EXPECT_EQ(painted.Pixel(0, 0), choice.top) << choice.background;
        EXPECT_EQ(painted.Pixel(5, 99), choice.last) << choice.background;
    }
}

TEST(PaintingBackgrounds, ThePictureIsStretchedOrTiledAndItsPaletteNoLongerSelectedAfterwards)
{
    // 3 x 2 with a four-entry palette: top row red, green, blue; bottom row white.
    bmp_bytes::Picture picture;
    picture.width = 3;
    picture.clrUsed = 4;
    picture.table = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    picture.pixels = {3, 3, 3, 0, 0, 1, 2, 0};  // bottom row first, rows padded to 4 bytes
    const bmp_bytes::TempFile file(bmp_bytes::Bytes(picture));
    ASSERT_TRUE(file.written());
    SaverSettings settings;
    settings.Background = 5;
    lstrcpyA(settings.OwnBitmap, file.path());

    TestWindow stretched(30, 20);
    PaintBackground(stretched.get(), BackgroundLookFor(settings));
    EXPECT_EQ(stretched.Palette(), GetStockObject(DEFAULT_PALETTE));
    const COLORREF top[7] = {kRed, kGreen, kBlue, kRed, kGreen, kBlue, kRed};
    for (const int y : {0, 9, 10, 19})  // each pixel of the picture becomes 10 x 10
        for (const int x : {0, 9, 10, 19, 20, 29})
            EXPECT_EQ(stretched.Pixel(x, y), y < 10 ? top[x / 10] : kWhite) << x << "," << y;

    // Tiles of their own width and height.
    settings.Tiles = 1;
    TestWindow tiled(7, 5);
    PaintBackground(tiled.get(), BackgroundLookFor(settings));
    EXPECT_EQ(tiled.Palette(), GetStockObject(DEFAULT_PALETTE));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(tiled.Pixel(x, y), y % 2 ? kWhite : top[x]) << x << "," << y;
}
