// The full-screen saver's backgrounds as they appear on the real screen under its one tiny picture.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/handles.h"
#include "tests/support/saver_process.h"
#include "tests/support/screen.h"
#include "tests/support/settings_file.h"

namespace {

constexpr DWORD kFirstChange = 700;  // the background, then the first picture, are on screen by then
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
// Scale 0 shrinks every picture to a tenth (at most 48 x 27), and Centered puts it here.
constexpr RECT kPictureZone = {470, 355, 560, 415};

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// Four bright stripes, left to right, that nothing the saver paints would produce.
constexpr COLORREF kStripes[4] = {RGB(250, 210, 20), RGB(10, 200, 30), RGB(230, 40, 160),
                                  RGB(40, 220, 230)};

bool InPictureZone(int x, int y)
{
    return x >= kPictureZone.left && x < kPictureZone.right && y >= kPictureZone.top &&
           y < kPictureZone.bottom;
}

// A row of a fade and its colour. Each channel moves from its top value towards its bottom
// one by (top - bottom) / 768 a row, the fraction cut off; from 255 to 0 that is 85/256 a row.
struct Row {
    int y;
    COLORREF colour;
};

void ExpectRows(const ScreenShot& shot, const std::vector<Row>& rows)
{
    for (const Row& row : rows)
        for (int x : {0, 200, 800, kScreenWidth - 1})
            EXPECT_EQ(shot.At(x, row.y), row.colour) << "x " << x << ", row " << row.y;
}

// A point of the screen to look at.
struct Probe {
    int x;
    int y;
};

// Points spread over the whole screen, clear of the picture.
std::vector<Probe> ProbesAwayFromThePicture()
{
    std::vector<Probe> probes;
    for (int y = 0; y < kScreenHeight; y += 96)
        for (int x = 5; x < kScreenWidth; x += 64)
            if (!InPictureZone(x, y)) probes.push_back({x, y});
    probes.push_back({kScreenWidth - 1, kScreenHeight - 1});
    return probes;
}

COLORREF StripeAt(int x) { return kStripes[x / (kScreenWidth / 4)]; }

// A full-screen window of the test program standing in for the desktop: four stripes.
class Desktop {
public:
    Desktop()
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TavrixTestDesktop";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "TavrixTestDesktop", "", WS_POPUP | WS_VISIBLE, 0, 0, kScreenWidth,
                                  kScreenHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        Pump(100);
        {
            WindowDc dc(window_);
            for (int stripe = 0; stripe < 4; ++stripe) {
                UniqueBrush brush(CreateSolidBrush(kStripes[stripe]));
                RECT band = {stripe * kScreenWidth / 4, 0, (stripe + 1) * kScreenWidth / 4, kScreenHeight};
                FillRect(dc.get(), &band, brush.get());
            }
        }
        Pump(200);  // Wine shows a window's drawing once its thread looks at its messages
    }
    ~Desktop()
    {
        if (window_) DestroyWindow(window_);
    }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    bool Shown() const
    {
        ScreenShot shot;
        for (const Probe& probe : ProbesAwayFromThePicture())
            if (shot.At(probe.x, probe.y) != StripeAt(probe.x)) return false;
        return true;
    }

    static void Pump(DWORD ms)
    {
        DWORD start = GetTickCount();
        do {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            Sleep(10);
        } while (GetTickCount() - start < ms);
    }

private:
    HWND window_ = nullptr;
};

// Ends a saver with key presses: one that comes while a picture changes is dropped.
void Dismiss(SaverProcess& saver, HWND window)
{
    WaitUntil(
        [&] {
            PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
            return saver.WaitForExit(100) != STILL_ACTIVE;
        },
        5000);
}

// Starts the full-screen saver, lets it paint and change its picture, and keeps the screen.
std::unique_ptr<ScreenShot> ShotOfTheRunningSaver()
{
    SaverProcess saver(SaverPath(), "/s");
    HWND window = WaitForSaverWindow(saver);
    if (window == nullptr) return nullptr;
    Desktop::Pump(kFirstChange);
    auto shot = std::make_unique<ScreenShot>();
    Dismiss(saver, window);
    return shot;
}

void Put16(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    bytes[at] = uint8_t(value);
    bytes[at + 1] = uint8_t(value >> 8);
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
}

// An uncompressed 24-bit BMP; colourAt(x, y) counts y from the top row.
std::vector<uint8_t> Bmp24(int width, int height, const std::function<COLORREF(int, int)>& colourAt)
{
    const uint32_t stride = (uint32_t(width) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> bytes(54 + stride * height);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 2, uint32_t(bytes.size()));
    Put32(bytes, 10, 54);
    Put32(bytes, 14, 40);
    Put32(bytes, 18, uint32_t(width));
    Put32(bytes, 22, uint32_t(height));
    Put16(bytes, 26, 1);
    Put16(bytes, 28, 24);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = &bytes[54 + stride * (height - 1 - y)];  // bottom row first
        for (int x = 0; x < width; ++x) {
            COLORREF colour = colourAt(x, y);
            row[3 * x] = GetBValue(colour);
            row[3 * x + 1] = GetGValue(colour);
            row[3 * x + 2] = GetRValue(colour);
        }
    }
    return bytes;
}

// A square picture whose top-left pixel is red and all the rest blue: each tile's start shows.
std::vector<uint8_t> MarkedSquare(int side)
{
    return Bmp24(side, side, [](int x, int y) { return x == 0 && y == 0 ? kRed : kBlue; });
}

// A picture file of the test, in the temporary folder, removed afterwards.
class PictureFile {
public:
    explicit PictureFile(const std::vector<uint8_t>& bytes)
    {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        path_ = std::string(folder) + "tavrix_background_test.bmp";
        UniqueFile file(CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file && !bytes.empty())
            WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
    }
    ~PictureFile() { DeleteFileA(path_.c_str()); }
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

class ScreenBackground : public testing::Test {
protected:
    void SetUp() override
    {
        settings_file::Remove();
        settings_file::Write("ChangeTime", "3600");
        settings_file::Write("Scale", "0");  // beyond the dialog's range: a tenth of the size
        settings_file::Write("Centered", "1");
        settings_file::Write("Move", "0");
    }

    std::unique_ptr<ScreenShot> ShotWithBackground(const std::string& background)
    {
        settings_file::Write("Background", background);
        return ShotOfTheRunningSaver();
    }

    std::unique_ptr<ScreenShot> ShotWithPicture(const std::string& path, bool tiled)
    {
        settings_file::Write("OwnBitmap", path);
        settings_file::Write("Tiles", tiled ? "1" : "0");
        return ShotWithBackground("5");
    }
};

void ExpectEverywhere(const ScreenShot& shot, COLORREF colour, const char* what)
{
    for (const Probe& probe : ProbesAwayFromThePicture())
        EXPECT_EQ(shot.At(probe.x, probe.y), colour) << what << " at " << probe.x << "," << probe.y;
}

}  // namespace

TEST_F(ScreenBackground, TheBlueFadeRunsFromPureBlueAtTheTopToBlackAtTheBottom)
{
    auto shot = ShotWithBackground("1");
    ASSERT_TRUE(shot);
    ExpectRows(*shot, {{0, RGB(0, 0, 255)}, {1, RGB(0, 0, 254)}, {384, RGB(0, 0, 127)}, {767, kBlack}});
}

TEST_F(ScreenBackground, TheWhiteFadeRunsFromWhiteToBlack)
{
    auto shot = ShotWithBackground("2");
    ASSERT_TRUE(shot);
    ExpectRows(*shot,
               {{0, kWhite}, {1, RGB(254, 254, 254)}, {384, RGB(127, 127, 127)}, {767, kBlack}});
}

TEST_F(ScreenBackground, TheOwnColoursFadeFromTheFirstToTheSecond)
{
    settings_file::Write("Color1", "255");       // red
    settings_file::Write("Color2", "16711680");  // blue
    auto shot = ShotWithBackground("6");
    ASSERT_TRUE(shot);
    ExpectRows(*shot, {{0, RGB(255, 0, 0)},
                       {1, RGB(254, 0, 0)},
                       {384, RGB(127, 0, 127)},
                       {767, RGB(0, 0, 254)}});
}

TEST_F(ScreenBackground, BlackCoversWhatWasOnTheScreen)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.Shown());
    auto shot = ShotWithBackground("0");
    ASSERT_TRUE(shot);
    ExpectEverywhere(*shot, kBlack, "black");
}

TEST_F(ScreenBackground, TheOwnPictureIsStretchedOverTheScreen)
{
    // Top row red, green; bottom row blue, white.
    const COLORREF corners[2][2] = {{kRed, kGreen}, {kBlue, kWhite}};
    PictureFile picture(Bmp24(2, 2, [&](int x, int y) { return corners[y][x]; }));
    auto shot = ShotWithPicture(picture.Path(), false);
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->At(0, 0), kRed);
    EXPECT_EQ(shot->At(511, 100), kRed);
    EXPECT_EQ(shot->At(100, 383), kRed);
    EXPECT_EQ(shot->At(512, 100), kGreen);
    EXPECT_EQ(shot->At(1023, 0), kGreen);
    EXPECT_EQ(shot->At(100, 384), kBlue);
    EXPECT_EQ(shot->At(0, 767), kBlue);
    EXPECT_EQ(shot->At(700, 384), kWhite);
    EXPECT_EQ(shot->At(1023, 767), kWhite);
}

TEST_F(ScreenBackground, TheOwnPictureIsTiledFromTheTopLeftCorner)
{
    PictureFile picture(MarkedSquare(128));
    auto shot = ShotWithPicture(picture.Path(), true);
    ASSERT_TRUE(shot);
    for (int x = 0; x < kScreenWidth; x += 128) {
        for (int y = 0; y < kScreenHeight; y += 128) {
            if (InPictureZone(x, y) || InPictureZone(x + 1, y + 1)) continue;
            EXPECT_EQ(shot->At(x, y), kRed) << "a tile starts at " << x << "," << y;
            EXPECT_EQ(shot->At(x + 1, y + 1), kBlue) << x + 1 << "," << y + 1;
        }
    }
}

TEST_F(ScreenBackground, TilesThatDoNotFitAreCutAtTheRightAndBottomEdges)
{
    PictureFile picture(MarkedSquare(100));
    auto shot = ShotWithPicture(picture.Path(), true);
    ASSERT_TRUE(shot);
    int tiles = 0;
    for (int x = 0; x < kScreenWidth; x += 100) {
        for (int y = 0; y < kScreenHeight; y += 100) {
            ++tiles;
            if (InPictureZone(x, y)) continue;
            EXPECT_EQ(shot->At(x, y), kRed) << "a tile starts at " << x << "," << y;
        }
    }
    EXPECT_EQ(tiles, 11 * 8);
    EXPECT_EQ(shot->At(1023, 767), kBlue);
    EXPECT_EQ(shot->At(1023, 699), kBlue);
    EXPECT_EQ(shot->At(999, 767), kBlue);
}

TEST_F(ScreenBackground, APictureFileThatCannotBeLoadedGivesBlack)
{
    std::vector<uint8_t> cutShort = Bmp24(100, 100, [](int, int) { return kWhite; });
    cutShort.resize(54 + 1000);  // the header still asks for 30,000 bytes of pixels
    std::vector<uint8_t> sizeImageTooSmall = Bmp24(2, 2, [](int, int) { return kWhite; });
    Put32(sizeImageTooSmall, 34, 4);  // the two rows need 16 bytes
    const std::string text = "Dies ist kein Bild.\r\n";
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } files[] = {{"an empty file", {}},
                 {"text", std::vector<uint8_t>(text.begin(), text.end())},
                 {"pixels beyond the end of the file", cutShort},
                 {"a stated image size too small for the rows", sizeImageTooSmall}};

    for (const auto& file : files) {
        PictureFile picture(file.bytes);
        Desktop desktop;
        ASSERT_TRUE(desktop.Shown());
        auto shot = ShotWithPicture(picture.Path(), false);
        ASSERT_TRUE(shot) << file.what;
        ExpectEverywhere(*shot, kBlack, file.what);
    }
    Desktop desktop;
    ASSERT_TRUE(desktop.Shown());
    auto shot = ShotWithPicture("C:\\no such folder\\no such picture.bmp", true);
    ASSERT_TRUE(shot);
    ExpectEverywhere(*shot, kBlack, "a missing file");
}

// A window that never paints shows what lay beneath it; under Wine it may instead show its
// own blank surface, which is black. Either way no colour of the saver's own appears.
TEST_F(ScreenBackground, TheDesktopAndTheUnknownChoicesPaintNothingOfTheirOwn)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.Shown());
    for (const char* background : {"4", "3", "7", "-1", "4294967295"}) {
        auto shot = ShotWithBackground(background);
        ASSERT_TRUE(shot) << background;
        for (const Probe& probe : ProbesAwayFromThePicture()) {
            COLORREF shown = shot->At(probe.x, probe.y);
            EXPECT_TRUE(shown == StripeAt(probe.x) || shown == kBlack)
                << "Background=" << background << " shows " << std::hex << shown << " at " << std::dec
                << probe.x << "," << probe.y;
        }
    }
}
