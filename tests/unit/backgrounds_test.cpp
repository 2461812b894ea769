// What the background painters leave on a real window, read back pixel by pixel.
#include "imaging/backgrounds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/handles.h"
#include "settings/saver_settings.h"

namespace {

constexpr char kTestClass[] = "TavrixBackgroundsTest";
constexpr COLORREF kMarker = RGB(12, 34, 56);

// A visible pop-up window with its own DC, like the saver's, destroyed after the test.
class TestWindow {
public:
    TestWindow(int width, int height)
    {
        WNDCLASSA windowClass{};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kTestClass;
        RegisterClassA(&windowClass);  // fails harmlessly when already registered
        window_ = CreateWindowExA(0, kTestClass, "", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~TestWindow()
    {
        if (window_) DestroyWindow(window_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND get() const { return window_; }

    void Fill(COLORREF colour) const
    {
        WindowDc dc(window_);
        UniqueBrush brush(CreateSolidBrush(colour));
        RECT client{};
        GetClientRect(window_, &client);
        FillRect(dc.get(), &client, brush.get());
    }

    COLORREF Pixel(int x, int y) const
    {
        WindowDc dc(window_);
        return GetPixel(dc.get(), x, y);
    }

private:
    HWND window_ = nullptr;
};

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
}

// A 2 x 2 BMP with a four-entry palette: top row red, green; bottom row blue, white.
std::vector<uint8_t> FourColourBmp()
{
    std::vector<uint8_t> bytes(54);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 14, 40);
    Put32(bytes, 18, 2);
    Put32(bytes, 22, 2);
    bytes[26] = 1;
    bytes[28] = 8;
    Put32(bytes, 46, 4);
    const uint8_t table[] = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
    const uint8_t rows[] = {2, 3, 0, 0,  // bottom row first, padded to 4 bytes
                            0, 1, 0, 0};
    bytes.insert(bytes.end(), std::begin(table), std::end(table));
    bytes.insert(bytes.end(), std::begin(rows), std::end(rows));
    return bytes;
}

std::string TempBmpPath()
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "tavrix_background_test.bmp";
}

// The four-colour picture on disk for one test.
class FourColourFile {
public:
    FourColourFile()
    {
        const std::vector<uint8_t> bytes = FourColourBmp();
        UniqueFile file(CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file) WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
    }
    ~FourColourFile() { DeleteFileA(path_.c_str()); }
    FourColourFile(const FourColourFile&) = delete;
    FourColourFile& operator=(const FourColourFile&) = delete;

    const char* path() const { return path_.c_str(); }

private:
    std::string path_ = TempBmpPath();
};

HGDIOBJ CurrentPalette(HWND window)
{
    WindowDc dc(window);
    return GetCurrentObject(dc.get(), OBJ_PAL);
}

}  // namespace

TEST(PaintingBackgrounds, TheBlueFadeRunsFromPureBlueToBlackOverTheWindow)
{
    TestWindow window(32, 600);
    ASSERT_TRUE(window.get());
    SaverSettings settings;
    settings.Background = 1;
    EXPECT_EQ(PaintBackground(window.get(), settings), 0);

    EXPECT_EQ(window.Pixel(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(window.Pixel(31, 1), RGB(0, 0, 254));
    EXPECT_EQ(window.Pixel(5, 300), RGB(0, 0, 127));
    EXPECT_EQ(window.Pixel(31, 599), RGB(0, 0, 0));
}

TEST(PaintingBackgrounds, EachChoicePaintsItsOwnFade)
{
    TestWindow window(16, 100);
    ASSERT_TRUE(window.get());
    SaverSettings settings;
    const struct {
        UINT background;
        COLORREF top;
    } choices[] = {{0, RGB(0, 0, 0)}, {2, RGB(255, 255, 255)}, {6, RGB(200, 100, 50)}};
    settings.Color1 = RGB(200, 100, 50);
    settings.Color2 = RGB(0, 100, 250);
    for (const auto& choice : choices) {
        window.Fill(kMarker);
        settings.Background = choice.background;
        PaintBackground(window.get(), settings);
        EXPECT_EQ(window.Pixel(3, 0), choice.top) << choice.background;
    }
    EXPECT_EQ(window.Pixel(3, 99), RGB(2, 100, 248));  // 200 - 99 * 2, 50 + 99 * 2
}

TEST(PaintingBackgrounds, TheDesktopAndUnknownChoicesLeaveTheWindowAlone)
{
    TestWindow window(16, 16);
    ASSERT_TRUE(window.get());
    SaverSettings settings;
    for (const UINT background : {3u, 4u, 7u, 0xFFFFFFFFu}) {
        window.Fill(kMarker);
        settings.Background = background;
        EXPECT_EQ(PaintBackground(window.get(), settings), 0);
        EXPECT_EQ(window.Pixel(8, 8), kMarker) << background;
    }
}

TEST(PaintingBackgrounds, AMissingPictureGivesBlack)
{
    TestWindow window(16, 16);
    ASSERT_TRUE(window.get());
    window.Fill(kMarker);
    SaverSettings settings;
    settings.Background = 5;
    lstrcpyA(settings.OwnBitmap, "C:\\no such folder\\no such picture.bmp");
    PaintBackground(window.get(), settings);
    EXPECT_EQ(window.Pixel(8, 8), RGB(0, 0, 0));
}

TEST(PaintingBackgrounds, AnUnreadablePictureGivesBlack)
{
    TestWindow window(16, 16);
    ASSERT_TRUE(window.get());
    window.Fill(kMarker);
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    PaintBitmap(window.get(), WindowDc(window.get()).get(), folder, false);  // a folder, not a file
    EXPECT_EQ(window.Pixel(8, 8), RGB(0, 0, 0));
}

TEST(PaintingBackgrounds, ThePictureIsStretchedOverTheWholeWindow)
{
    FourColourFile picture;
    TestWindow window(40, 20);
    ASSERT_TRUE(window.get());
    SaverSettings settings;
    settings.Background = 5;
    lstrcpyA(settings.OwnBitmap, picture.path());
    PaintBackground(window.get(), settings);

    EXPECT_EQ(window.Pixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(window.Pixel(39, 0), RGB(0, 255, 0));
    EXPECT_EQ(window.Pixel(0, 19), RGB(0, 0, 255));
    EXPECT_EQ(window.Pixel(39, 19), RGB(255, 255, 255));
    EXPECT_EQ(window.Pixel(19, 9), RGB(255, 0, 0));
    EXPECT_EQ(window.Pixel(20, 10), RGB(255, 255, 255));
}

TEST(PaintingBackgrounds, ThePictureIsTiledUpToTheEdges)
{
    FourColourFile picture;
    TestWindow window(5, 3);
    ASSERT_TRUE(window.get());
    SaverSettings settings;
    settings.Background = 5;
    settings.Tiles = 1;
    lstrcpyA(settings.OwnBitmap, picture.path());
    PaintBackground(window.get(), settings);

    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255);
    const COLORREF rows[3][5] = {{red, green, red, green, red},
                                 {blue, RGB(255, 255, 255), blue, RGB(255, 255, 255), blue},
                                 {red, green, red, green, red}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(window.Pixel(x, y), rows[y][x]) << x << "," << y;
}

TEST(PaintingBackgrounds, ThePicturesPaletteIsNoLongerSelectedAfterPainting)
{
    FourColourFile picture;
    TestWindow window(8, 8);
    ASSERT_TRUE(window.get());
    const HGDIOBJ before = CurrentPalette(window.get());
    ASSERT_EQ(before, GetStockObject(DEFAULT_PALETTE));
    {
        WindowDc dc(window.get());
        PaintBitmap(window.get(), dc.get(), picture.path(), false);
    }
    EXPECT_EQ(CurrentPalette(window.get()), before);
}

TEST(CapturingTheScreen, TheCopyHasTheAskedSizeAndTheWindowsPixels)
{
    TestWindow window(24, 12);
    ASSERT_TRUE(window.get());
    window.Fill(kMarker);
    UniqueBitmap copy(CaptureScreen(window.get(), 24, 12));
    ASSERT_TRUE(copy);

    BITMAP size{};
    GetObjectA(copy.get(), sizeof size, &size);
    EXPECT_EQ(size.bmWidth, 24);
    EXPECT_EQ(size.bmHeight, 12);
    UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    SelectedObject selected(memory.get(), copy.get());
    EXPECT_EQ(GetPixel(memory.get(), 23, 11), kMarker);
}
