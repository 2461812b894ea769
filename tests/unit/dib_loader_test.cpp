// Loading BMP files into the DIB block, the screen bitmap and the palette, in-process.
#include "imaging/dib_loader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/support/bmp_bytes.h"
#include "tests/support/saver_process.h"

using namespace bmp_bytes;

namespace {

std::unique_ptr<LoadedDib> Load(const std::vector<uint8_t>& bytes)
{
    TempFile file(bytes);
    EXPECT_TRUE(file.written());
    auto dib = std::make_unique<LoadedDib>();
    if (DibLoader().LoadFromFile(file.path(), *dib)) return dib;
    EXPECT_TRUE(!dib->hBitmap && !dib->hPalette) << "a refused picture leaves nothing";
    return nullptr;
}

// The palette's entries as 0x00RRGGBB, with the flags on top.
std::vector<uint32_t> PaletteOf(HPALETTE palette)
{
    PALETTEENTRY e[256];
    std::vector<uint32_t> colours(GetPaletteEntries(palette, 0, 256, e));
    for (size_t i = 0; i < colours.size(); ++i)
        colours[i] = uint32_t(e[i].peFlags) << 24 | e[i].peRed << 16 | e[i].peGreen << 8 | e[i].peBlue;
    return colours;
}

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

// The bitmap's pixels as 0x00RRGGBB, top row first.
std::vector<uint32_t> Pixels(HBITMAP bitmap)
{
    const SIZE size = BitmapSize(bitmap);
    BITMAPINFO info{};
    info.bmiHeader = {DWORD(sizeof info.bmiHeader), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> pixels(size_t(size.cx) * size_t(size.cy));
    WindowDc screen(nullptr);
    GetDIBits(screen.get(), bitmap, 0, UINT(size.cy), pixels.data(), &info, DIB_RGB_COLORS);
    return pixels;
}

}  // namespace

TEST(LoadingBmpFiles, ALargePictureUnderALongPathLoadsInPiecesAndBandsAndAStopAnywhereLeavesNothing)
{
    Picture picture;  // 600,000 bytes of pixels: 19 pieces and 3 bands
    picture.width = 1000;
    picture.height = 600;
    picture.pixels.resize(600000);
    for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = uint8_t(i * 13 + i / 1000);
    const TempFile file(TempFolder() + "tavrix " + std::string(120, 'p') + ".bmp", Bytes(picture));  // 128+ characters
    ASSERT_TRUE(file.written());
    int asked = 0;
    LoadedDib dib;
    ASSERT_TRUE(DibLoader().LoadFromFile(file.path(), dib, [&] { ++asked; return false; }));
    EXPECT_GE(asked, 22);
    EXPECT_EQ(PaletteOf(dib.hPalette.get()), UsualTable(256));
    const SIZE size = BitmapSize(dib.hBitmap.get());
    ASSERT_TRUE(size.cx == 1000 && size.cy == 600) << size.cx << " x " << size.cy;
    const std::vector<uint32_t> pixels = Pixels(dib.hBitmap.get());
    size_t wrong = 0;  // the file's rows run from the bottom up
    for (size_t i = 0; i < pixels.size(); ++i)
        wrong += pixels[i] != UsualEntry(picture.pixels[(599 - i / 1000) * 1000 + i % 1000]);
    EXPECT_EQ(wrong, 0u) << "pixels unlike the file's";

    for (const int stopAt : {1, 2, asked / 2, asked}) {
        int count = 0;
        LoadedDib stopped;
        EXPECT_FALSE(DibLoader().LoadFromFile(file.path(), stopped, [&] { return ++count == stopAt; })) << stopAt;
        EXPECT_EQ(count, stopAt) << "nothing is asked after the stop";
        EXPECT_TRUE(!stopped.hBitmap && !stopped.hPalette) << stopAt;
    }
}

TEST(LoadingBmpFiles, ACoreHeaderPictureReadsItsThreeByteColourTable)
{
    const auto core = Load(CoreBytes(3, 2, 8, 256, {0, 1, 2, 0, 255, 254, 253, 0}));
    ASSERT_TRUE(core);
    EXPECT_EQ(PaletteOf(core->hPalette.get()), UsualTable(256));
    EXPECT_EQ(Pixels(core->hBitmap.get()), UsualEntries({255, 254, 253, 0, 1, 2}));
}

// 2 x 2 pictures, rows padded to 4 bytes; true colours show red, green over blue, white.
TEST(LoadingBmpFiles, EveryFormWindowsShowsLoadsWithItsColours)
{
    const std::vector<uint32_t> trueColours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    const struct {
        const char* what;
        void (*change)(Picture&);
        std::vector<uint32_t> shown;
    } forms[] = {
        {"1 bit", [](Picture& p) { p.bitCount = 1; p.pixels = {0x80, 0, 0, 0, 0x40, 0, 0, 0}; },
         UsualEntries({0, 1, 1, 0})},
        {"8 bits, top-down", [](Picture& p) { p.height = -2; p.pixels = {200, 3, 0, 0, 77, 255, 0, 0}; },
         UsualEntries({200, 3, 77, 255})},
        {"8 bits, 4 colours, pixels at the stated offset past a gap",
         [](Picture& p) {
             p.clrUsed = 4; p.table.resize(4); p.gap = 6; p.offBits = 54 + 16 + 6; p.pixels = {3, 2, 0, 0, 1, 0, 0, 0};
         },
         UsualEntries({1, 0, 3, 2})},
        {"RLE4", [](Picture& p) { p.bitCount = 4; p.compression = BI_RLE4; p.pixels = {2, 0x1F, 0, 0, 2, 0x70, 0, 1}; },
         UsualEntries({7, 0, 1, 15})},
        {"24 bits, top-down",
         [](Picture& p) {
             p.height = -2; p.bitCount = 24; p.pixels = {0, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0};
         },
         trueColours},
        {"16 bits, 5-5-5 without masks, the top bit ignored",
         [](Picture& p) { p.bitCount = 16; p.pixels = {0x1F, 0, 0xFF, 0x7F, 0, 0xFC, 0xE0, 0x03}; }, trueColours},
        {"16 bits, 5-6-5 masks after the header",
         [](Picture& p) {
             p.bitCount = 16; p.compression = BI_BITFIELDS; p.masks = {0xF800, 0x07E0, 0x001F};
             p.pixels = {0x1F, 0, 0xFF, 0xFF, 0, 0xF8, 0xE0, 0x07};
         },
         trueColours},
        {"16 bits, 5-6-5 masks in a 52-byte header, top-down",
         [](Picture& p) {
             p.headerSize = 52; p.height = -2; p.bitCount = 16; p.compression = BI_BITFIELDS;
             p.masks = {0xF800, 0x07E0, 0x001F}; p.pixels = {0, 0xF8, 0xE0, 0x07, 0x1F, 0, 0xFF, 0xFF};
         },
         trueColours},
        {"32 bits without masks, 108-byte header, the spare byte ignored",
         [](Picture& p) {
             p.headerSize = 108; p.bitCount = 32;
             p.pixels = {0xFF, 0, 0, 0xAA, 0xFF, 0xFF, 0xFF, 0xAA, 0, 0, 0xFF, 0xAA, 0, 0xFF, 0, 0xAA};
         },
         trueColours},
        {"32 bits, blue and red swapped by the masks of a 124-byte header",
         [](Picture& p) {
             p.headerSize = 124; p.bitCount = 32; p.compression = BI_BITFIELDS; p.masks = {0xFF, 0xFF00, 0xFF0000};
             p.pixels = {0, 0, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0, 0, 0, 0, 0xFF, 0, 0};
         },
         trueColours},
    };
    for (const auto& form : forms) {
        SCOPED_TRACE(form.what);
        Picture picture;
        picture.width = 2;
        form.change(picture);
        if (picture.bitCount > 8) picture.table.clear();
        else if (picture.clrUsed == 0) picture.table.resize(size_t(1) << picture.bitCount);
        if (picture.compression == BI_RLE4) picture.sizeImage = uint32_t(picture.pixels.size());
        const auto loaded = Load(Bytes(picture));
        ASSERT_TRUE(loaded);
        const SIZE size = BitmapSize(loaded->hBitmap.get());
        EXPECT_TRUE(size.cx == 2 && size.cy == 2) << size.cx << " x " << size.cy;
        EXPECT_EQ(Pixels(loaded->hBitmap.get()), form.shown);
        if (picture.bitCount <= 8)
            EXPECT_EQ(PaletteOf(loaded->hPalette.get()), UsualTable(uint32_t(picture.table.size())));
        else
            EXPECT_EQ(loaded->hPalette.get(), GetStockObject(DEFAULT_PALETTE));
    }
}

// The ImageMagick-written copies of tests/fixtures/editor_picture.ppm that the build makes.
TEST(LoadingBmpFiles, TheFilesAnImageEditorWritesShowTheirColours)
{
    const uint32_t picture[15] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000,
                                  0x8442C6, 0x081018, 0xFFFF00, 0x00FFFF, 0xFF00FF,
                                  0x000000, 0x808080, 0xFFFFFF, 0x0A141E, 0xC86432};
    const struct {
        const char* file;
        int tolerance;  // 16-bit files round each channel to 5 or 6 bits
    } files[] = {{"core_24.bmp", 0},   {"info_24.bmp", 0},   {"v5_24.bmp", 0}, {"v5_565.bmp", 8}, {"v5_555.bmp", 8},
                 {"v5_alpha32.bmp", 0}, {"v5_palette4.bmp", 0}, {"info_rle8.bmp", 0}};
    for (const auto& file : files) {
        const std::string path = BuildFolder() + "editor_bmps\\" + file.file;
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no ImageMagick at build time";
        LoadedDib dib;
        ASSERT_TRUE(DibLoader().LoadFromFile(path.c_str(), dib)) << file.file;
        const SIZE size = BitmapSize(dib.hBitmap.get());
        ASSERT_TRUE(size.cx == 5 && size.cy == 3) << file.file;
        const std::vector<uint32_t> shown = Pixels(dib.hBitmap.get());
        for (size_t i = 0; i < 15; ++i) {
            for (int shift : {0, 8, 16}) {
                const int difference = int(shown[i] >> shift & 0xFF) - int(picture[i] >> shift & 0xFF);
                EXPECT_LE(std::abs(difference), file.tolerance) << file.file << " pixel " << i << ": " << std::hex
                                                                << shown[i] << " for " << picture[i];
            }
        }
    }
}

TEST(LoadingBmpFiles, AColourTableCutShortByTheEndOfTheFileEndsInBlackEntries)
{
    Picture picture;
    picture.table.resize(16);  // 256 expected; the pixels are right after the 16
    picture.offBits = 54 + 64;
    const auto loaded = Load(Bytes(picture));  // ends 64 + 8 bytes into the table
    ASSERT_TRUE(loaded);
    // The pixel bytes follow the 16 entries in the file, so they were read as two more.
    std::vector<uint32_t> expected = UsualTable(16);
    expected.resize(18, 0x010101);
    expected.resize(256, 0);
    EXPECT_EQ(PaletteOf(loaded->hPalette.get()), expected);
}

// The module's own pictures, half of them run-length coded: none may come out blank or cut short
// (Wine's own decoder turns a valid one black after eight rows, so the loader decodes them itself).
TEST(LoadingBuiltInPictures, EveryPictureOfBothStylesShowsItsColoursToTheLastRow)
{
    for (const char* style : {"STYLE00_PIC", "STYLE01_PIC"}) {
        for (int number = 1; number <= 16; ++number) {
            char name[32];
            wsprintfA(name, "%s%02d", style, number);
            LoadedDib dib;
            ASSERT_TRUE(DibLoader().LoadFromResource("DIB", name, dib)) << name;
            const SIZE size = BitmapSize(dib.hBitmap.get());
            const std::vector<uint32_t> pixels = Pixels(dib.hBitmap.get());
            const size_t half = size_t(size.cx) * size_t(size.cy / 2);  // each half has a hundred colours or more
            const auto distinct = [&](size_t from) {
                const auto start = pixels.begin() + std::ptrdiff_t(from);
                return std::set<uint32_t>(start, start + std::ptrdiff_t(half)).size();
            };
            EXPECT_GE(distinct(0), 64u) << name << ", the upper half";
            EXPECT_GE(distinct(pixels.size() - half), 64u) << name << ", the lower half";
        }
    }
}

TEST(RefusingBmpFiles, MissingEmptyOrNoBitmapOrClaimingMoreThanTheFileHoldsOrWeCanDrawOrOfFourGigabytes)
{
    LoadedDib dib;
    EXPECT_FALSE(DibLoader().LoadFromFile((TempFolder() + "tavrix_no_such_picture.bmp").c_str(), dib));
    EXPECT_FALSE(Load({}));
    std::vector<uint8_t> notBitmap = Bytes(Picture{});
    notBitmap[1] = 'A';
    EXPECT_FALSE(Load(notBitmap));
    const struct {
        const char* what;
        void (*make)(Picture&);
    } faults[] = {
        {"pixels past the end", [](Picture& p) { p.pixels.pop_back(); }},
        {"more pixels than the limit", [](Picture& p) { p.width = 8193; p.height = 6144; }},
        {"top-down run-length codes", [](Picture& p) { p.height = -2; p.compression = BI_RLE8; p.sizeImage = 8; }},
    };
    for (const auto& fault : faults) {
        Picture picture;
        fault.make(picture);
        EXPECT_FALSE(Load(Bytes(picture))) << fault.what;
    }

    TempFile file(Bytes(Picture{}));
    ASSERT_TRUE(DibLoader().LoadFromFile(file.path(), dib));
    {   // The same picture at the start of a (sparse) file 16 bytes past 4 GB.
        UniqueFile grown(CreateFileA(file.path(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        LONG high = 1;
        ASSERT_NE(SetFilePointer(grown.get(), 16, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
        ASSERT_TRUE(SetEndOfFile(grown.get()));
    }
    LoadedDib large;
    EXPECT_FALSE(DibLoader().LoadFromFile(file.path(), large));
    EXPECT_TRUE(!large.hBitmap && !large.hPalette);
}

TEST(DibPalettes, EntriesCopyTheTableColoursWithoutFlagsAndNoTableMeansTheStockPalette)
{
    struct { BITMAPINFOHEADER header; uint32_t table[3]; } dib{};
    dib.header.biSize = 40;
    EXPECT_EQ(DibLoader().CreateDibPalette(&dib.header).get(), GetStockObject(DEFAULT_PALETTE));

    dib.header.biClrUsed = 3;
    for (uint32_t i = 0; i < 3; ++i) dib.table[i] = UsualEntry(i + 100);
    dib.table[1] |= 0xFF000000;  // the fourth byte is no flag
    UniquePalette palette = DibLoader().CreateDibPalette(&dib.header);
    EXPECT_EQ(PaletteOf(palette.get()), UsualEntries({100, 101, 102}));
}

TEST(DibPalettes, MakingTheBitmapLeavesTheDeviceContextsPaletteAsItWas)
{
    UniqueLocalMemory block(LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, 40 + 1024 + 8));
    {
        LockedMemory bytes(block.get());
        const std::vector<uint8_t> file = Bytes(Picture{});
        std::memcpy(bytes.get(), file.data() + 14, 40 + 1024 + 8);
        static_cast<BITMAPINFOHEADER*>(bytes.get())->biClrUsed = 256;
    }
    WindowDc screen(nullptr);
    const HGDIOBJ before = GetCurrentObject(screen.get(), OBJ_PAL);
    LoadedDib dib;
    ASSERT_TRUE(DibLoader().CreateBitmapAndPalette(screen.get(), block.get(), dib));
    EXPECT_EQ(GetCurrentObject(screen.get(), OBJ_PAL), before);
    EXPECT_NE(dib.hPalette.get(), GetStockObject(DEFAULT_PALETTE));
    EXPECT_TRUE(dib.hBitmap);
}
