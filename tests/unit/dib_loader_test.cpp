// Loading BMP files into the DIB block, the screen bitmap and the palette, in-process.
#include "imaging/dib_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/support/bmp_bytes.h"
#include "tests/support/saver_process.h"

using namespace bmp_bytes;

namespace {

BOOL LoadFile(const std::vector<uint8_t>& bytes, LoadedDib& dib)
{
    TempFile file(bytes);
    EXPECT_TRUE(file.written());
    return DibLoader().LoadFromFile(file.path(), dib);
}

std::unique_ptr<LoadedDib> Load(const std::vector<uint8_t>& bytes)
{
    auto dib = std::make_unique<LoadedDib>();
    return LoadFile(bytes, *dib) ? std::move(dib) : nullptr;
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
    info.bmiHeader = BITMAPINFOHEADER{DWORD(sizeof info.bmiHeader), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> pixels(size_t(size.cx) * size_t(size.cy));
    WindowDc screen(nullptr);
    GetDIBits(screen.get(), bitmap, 0, UINT(size.cy), pixels.data(), &info, DIB_RGB_COLORS);
    return pixels;
}


// The picture every form below shows: 3 x 2, top row first.
constexpr uint32_t kTrueColours[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x840042};

// Rows of 3 colour indices of `bits` each, in file order.
std::vector<uint8_t> IndexRows(uint16_t bits, const std::vector<uint8_t>& topFirst, bool topDown)
{
    const size_t stride = (3 * bits + 31) / 32 * 4;
    std::vector<uint8_t> rows;
    for (int r = 0; r < 2; ++r) {
        const int y = topDown ? r : 1 - r;
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < 3; ++x) {
            const size_t bit = size_t(x) * bits;
            row[bit / 8] |= uint8_t(topFirst[size_t(y) * 3 + x] << (8 - bits - bit % 8));
        }
        rows.insert(rows.end(), row.begin(), row.end());
    }
    return rows;
}

// Rows of the true colours: 24 bits as blue, green, red; 16 and 32 bits packed by the red, green
// and blue masks, every other bit set (it must be ignored).
std::vector<uint8_t> ColourRows(uint16_t bits, std::vector<uint32_t> masks, bool topDown)
{
    const size_t stride = (3 * bits + 31) / 32 * 4;
    std::vector<uint8_t> rows;
    for (int r = 0; r < 2; ++r) {
        const int y = topDown ? r : 1 - r;
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < 3; ++x) {
            const uint32_t colour = kTrueColours[y * 3 + x];
            uint8_t* at = row.data() + size_t(x) * bits / 8;
            if (bits == 24) {
                at[0] = uint8_t(colour), at[1] = uint8_t(colour >> 8), at[2] = uint8_t(colour >> 16);
                continue;
            }
            uint32_t pixel = bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
            for (int channel = 0; channel < 3; ++channel) {
                const uint32_t mask = masks[size_t(channel)];
                uint32_t shift = 0, width = 0;
                while (!(mask >> shift & 1)) ++shift;
                while (mask >> (shift + width) & 1) ++width;
                const uint32_t value = (colour >> (16 - 8 * channel)) & 0xFF;
                pixel = (pixel & ~mask) | (value >> (8 - std::min(width, 8u)) << shift);
            }
            for (uint16_t byte = 0; byte < bits / 8; ++byte) at[byte] = uint8_t(pixel >> (8 * byte));
        }
        rows.insert(rows.end(), row.begin(), row.end());
    }
    return rows;
}

}  // namespace

TEST(LoadingBmpFiles, AnEightBitPictureGivesTheBitmapAndThePalette)
{
    Picture picture;
    picture.width = 423;
    picture.height = 236;
    picture.pixels.resize(100064);
    for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = uint8_t(i * 13 + i / 424);
    const auto loaded = Load(Bytes(picture));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(PaletteOf(loaded->hPalette.get()), UsualTable(256));

    const SIZE size = BitmapSize(loaded->hBitmap.get());
    EXPECT_EQ(size.cx, 423);
    EXPECT_EQ(size.cy, 236);
    const std::vector<uint32_t> pixels = Pixels(loaded->hBitmap.get());
    const size_t bottomRow = size_t(235) * 423;  // the file's first row
    for (size_t x = 0; x < 423; ++x) EXPECT_EQ(pixels[bottomRow + x], UsualEntry(picture.pixels[x])) << x;
}

TEST(LoadingBmpFiles, ATrueColourPictureHasTheStockPalette)
{
    Picture picture;
    picture.bitCount = 24;
    picture.width = 2;
    picture.table.clear();
    picture.pixels = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0, 0,  // bottom row, padded to 8
                      0x11, 0x21, 0x31, 0x41, 0x51, 0x61, 0, 0};
    const auto loaded = Load(Bytes(picture));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->hPalette.get(), GetStockObject(DEFAULT_PALETTE));
    EXPECT_EQ(Pixels(loaded->hBitmap.get()), (std::vector<uint32_t>{0x312111, 0x615141, 0x302010, 0x605040}));
}

TEST(LoadingBmpFiles, EveryFormWindowsShowsLoadsWithItsColours)
{
    const std::vector<uint8_t> indices1 = {1, 0, 1, 0, 1, 1}, indices4 = {1, 15, 7, 0, 9, 3},
                               indices8 = {200, 3, 77, 255, 0, 128};
    const std::vector<uint32_t> rgb555 = {0x7C00, 0x03E0, 0x001F}, rgb565 = {0xF800, 0x07E0, 0x001F},
                                rgb888 = {0xFF0000, 0x00FF00, 0x0000FF}, bgr888 = {0x0000FF, 0x00FF00, 0xFF0000};
    const std::vector<uint32_t> trueColours(std::begin(kTrueColours), std::end(kTrueColours));
    const auto palette = [](const std::vector<uint8_t>& indices) {
        std::vector<uint32_t> colours;
        for (const uint8_t index : indices) colours.push_back(UsualEntry(index));
        return colours;
    };
    const struct {
        const char* what;
        uint32_t headerSize;
        uint16_t bits;
        uint32_t compression;
        bool topDown;
        std::vector<uint32_t> masks;  // written into the file
        std::vector<uint8_t> pixels;
        std::vector<uint32_t> shown;
    } forms[] = {
        {"1 bit", 40, 1, BI_RGB, false, {}, IndexRows(1, indices1, false), palette(indices1)},
        {"4 bits, 108-byte header", 108, 4, BI_RGB, false, {}, IndexRows(4, indices4, false), palette(indices4)},
        {"8 bits, top-down", 40, 8, BI_RGB, true, {}, IndexRows(8, indices8, true), palette(indices8)},
        {"8 bits, 124-byte header, top-down", 124, 8, BI_RGB, true, {}, IndexRows(8, indices8, true),
         palette(indices8)},
        {"24 bits, 124-byte header", 124, 24, BI_RGB, false, {}, ColourRows(24, {}, false), trueColours},
        {"24 bits, top-down", 40, 24, BI_RGB, true, {}, ColourRows(24, {}, true), trueColours},
        {"16 bits, 5-5-5 without masks", 40, 16, BI_RGB, false, {}, ColourRows(16, rgb555, false), trueColours},
        {"16 bits, 5-6-5 masks after the header", 40, 16, BI_BITFIELDS, false, rgb565, ColourRows(16, rgb565, false),
         trueColours},
        {"16 bits, 5-6-5 masks in a 52-byte header, top-down", 52, 16, BI_BITFIELDS, true, rgb565,
         ColourRows(16, rgb565, true), trueColours},
        {"32 bits without masks", 108, 32, BI_RGB, false, {}, ColourRows(32, rgb888, false), trueColours},
        {"32 bits, masks and alpha in a 56-byte header", 56, 32, BI_BITFIELDS, false, {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
         ColourRows(32, rgb888, false), trueColours},
        {"32 bits, blue and red swapped by the masks of a 124-byte header", 124, 32, BI_BITFIELDS, false, bgr888,
         ColourRows(32, bgr888, false), trueColours},
        {"RLE4", 40, 4, BI_RLE4, false, {}, {3, 0x09, 0, 0, 0, 3, 0x1F, 0x70, 0, 1}, palette({1, 15, 7, 0, 9, 0})},
    };
    for (const auto& form : forms) {
        Picture picture;
        picture.headerSize = form.headerSize;
        picture.width = 3;
        picture.height = form.topDown ? -2 : 2;
        picture.bitCount = form.bits;
        picture.compression = form.compression;
        if (form.bits > 8) picture.table.clear();
        else picture.table.resize(size_t(1) << form.bits);
        if (form.compression == BI_RLE4) picture.sizeImage = uint32_t(form.pixels.size());
        picture.masks = form.masks;
        picture.pixels = form.pixels;
        const auto loaded = Load(Bytes(picture));
        ASSERT_TRUE(loaded) << form.what;
        const SIZE size = BitmapSize(loaded->hBitmap.get());
        EXPECT_TRUE(size.cx == 3 && size.cy == 2) << form.what;
        EXPECT_EQ(Pixels(loaded->hBitmap.get()), form.shown) << form.what;
        if (form.bits <= 8) EXPECT_EQ(PaletteOf(loaded->hPalette.get()), UsualTable(1u << form.bits)) << form.what;
        else EXPECT_EQ(loaded->hPalette.get(), GetStockObject(DEFAULT_PALETTE)) << form.what;
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

TEST(LoadingBmpFiles, ACoreHeaderPictureReadsItsThreeByteColourTable)
{
    const std::vector<uint8_t> pixels = {0, 1, 2, 0, 255, 254, 253, 0};  // 3 x 2, rows of 4
    const auto loaded = Load(CoreBytes(3, 2, 8, 256, pixels));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(PaletteOf(loaded->hPalette.get()), UsualTable(256));
    EXPECT_EQ(Pixels(loaded->hBitmap.get()), UsualEntries({255, 254, 253, 0, 1, 2}));
}

TEST(LoadingBmpFiles, PixelsComeFromTheStatedOffsetOrRightAfterTheTable)
{
    Picture picture;
    picture.clrUsed = 4;
    picture.table.resize(4);
    picture.pixels = {3, 2, 1, 0, 0, 1, 2, 3};
    for (const uint32_t gap : {0u, 6u}) {
        picture.gap = gap;
        picture.offBits = gap ? 54 + 16 + gap : 0;
        const auto loaded = Load(Bytes(picture));
        ASSERT_TRUE(loaded) << gap;
        EXPECT_EQ(Pixels(loaded->hBitmap.get()), UsualEntries({0, 1, 2, 3, 3, 2, 1, 0})) << gap;
        EXPECT_EQ(PaletteOf(loaded->hPalette.get()).size(), 4u);
    }
}

TEST(LoadingBmpFiles, RunLengthPicturesAreDecodedWhenTheBitmapIsMade)
{
    Picture picture;
    picture.compression = BI_RLE8;
    picture.pixels = {4, 7, 0, 0, 2, 9, 2, 8, 0, 1};  // row of 7s, end of line, 9 9 8 8, end
    picture.sizeImage = uint32_t(picture.pixels.size());
    const auto loaded = Load(Bytes(picture));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(Pixels(loaded->hBitmap.get()), UsualEntries({9, 9, 8, 8, 7, 7, 7, 7}));
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

TEST(LoadingBmpFiles, APathLongerThan127CharactersLoads)
{
    const std::string path = TempFolder() + "tavrix " + std::string(120, 'p') + ".bmp";
    ASSERT_GT(path.size(), 127u);
    ASSERT_LE(path.size(), 254u);
    TempFile file(path, Bytes(Picture{}));
    ASSERT_TRUE(file.written());
    LoadedDib dib;
    ASSERT_TRUE(DibLoader().LoadFromFile(file.path(), dib));
    EXPECT_EQ(BitmapSize(dib.hBitmap.get()).cx, 4);
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
            const auto distinct = [&](size_t from, size_t to) {
                return std::set<uint32_t>(pixels.begin() + std::ptrdiff_t(from), pixels.begin() + std::ptrdiff_t(to)).size();
            };
            const size_t half = size_t(size.cx) * size_t(size.cy / 2);  // each half has a hundred colours or more
            EXPECT_GE(distinct(0, half), 64u) << name << ", the upper half";
            EXPECT_GE(distinct(pixels.size() - half, pixels.size()), 64u) << name << ", the lower half";
        }
    }
}

TEST(RefusingBmpFiles, MissingEmptyOrNoBitmapOrClaimingMoreThanTheFileHoldsOrWeCanDraw)
{
    LoadedDib dib;
    EXPECT_FALSE(DibLoader().LoadFromFile((TempFolder() + "tavrix_no_such_picture.bmp").c_str(), dib));
    EXPECT_FALSE(LoadFile({}, dib));
    std::vector<uint8_t> notBitmap = Bytes(Picture{});
    notBitmap[1] = 'A';
    EXPECT_FALSE(LoadFile(notBitmap, dib));
    EXPECT_TRUE(!dib.hBitmap && !dib.hPalette);

    const struct {
        const char* what;
        void (*make)(Picture&);
    } faults[] = {
        {"pixels past the end", [](Picture& p) { p.pixels.pop_back(); }},
        {"table past the end", [](Picture& p) { p.table.resize(100); }},
        {"offset past the end", [](Picture& p) { p.offBits = 54 + 1024 + 1; }},
        {"stated size too small", [](Picture& p) { p.sizeImage = 7; }},
        {"width 32768", [](Picture& p) { p.width = 32768; }},
        {"more pixels than the limit", [](Picture& p) { p.width = 8193; p.height = 6144; }},
        {"colour count 65536", [](Picture& p) { p.clrUsed = 0x10000; }},
        {"64-byte header", [](Picture& p) { p.headerSize = 64; }},
        {"top-down run-length codes", [](Picture& p) { p.height = -2; p.compression = BI_RLE8; p.sizeImage = 8; }},
        {"split masks", [](Picture& p) { p.bitCount = 16; p.compression = BI_BITFIELDS; p.masks = {0x7C00, 0x0505, 0x1F};
                                         p.table.clear(); p.pixels.resize(16); }},
        {"RLE8 without a size", [](Picture& p) { p.compression = BI_RLE8; }},
    };
    for (const auto& fault : faults) {
        Picture picture;
        fault.make(picture);
        EXPECT_FALSE(LoadFile(Bytes(picture), dib)) << fault.what;
        EXPECT_TRUE(!dib.hBitmap && !dib.hPalette) << fault.what;
    }
}

TEST(RefusingBmpFiles, AFileOfFourGigabytesOrMoreIsRefusedWhateverItsHeaderSays)
{
    TempFile file(Bytes(Picture{}));
    ASSERT_TRUE(file.written());
    LoadedDib small;
    ASSERT_TRUE(DibLoader().LoadFromFile(file.path(), small));

    {   // The same picture at the start of a (sparse) file 16 bytes past 4 GB.
        UniqueFile grown(CreateFileA(file.path(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(grown);
        LONG high = 1;
        ASSERT_NE(SetFilePointer(grown.get(), 16, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
        ASSERT_TRUE(SetEndOfFile(grown.get()));
    }
    LoadedDib large;
    EXPECT_FALSE(DibLoader().LoadFromFile(file.path(), large));
    EXPECT_TRUE(!large.hBitmap && !large.hPalette);
}

TEST(RefusingBmpFiles, AStopRequestEndsTheLoadWhereverItComesAndLeavesNothing)
{
    Picture picture;  // 1000 x 100 at 24 bits: ten pieces and three bands
    picture.width = 1000;
    picture.height = 100;
    picture.bitCount = 24;
    picture.table.clear();
    picture.pixels.assign(300000, 0x5A);
    TempFile file(Bytes(picture));
    ASSERT_TRUE(file.written());
    int asked = 0;
    LoadedDib dib;
    ASSERT_TRUE(DibLoader().LoadFromFile(file.path(), dib, [&] { ++asked; return false; }));
    EXPECT_GE(asked, 10);

    for (const int stopAt : {1, 2, asked / 2, asked}) {
        int count = 0;
        LoadedDib stopped;
        EXPECT_FALSE(DibLoader().LoadFromFile(file.path(), stopped, [&] { return ++count == stopAt; })) << stopAt;
        EXPECT_EQ(count, stopAt) << "nothing is asked after the stop";
        EXPECT_TRUE(!stopped.hBitmap && !stopped.hPalette) << stopAt;
    }
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
