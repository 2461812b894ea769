// Loading BMP files into the DIB block, the screen bitmap and the palette, in-process.
#include "imaging/dib_loader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/bmp_bytes.h"

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
        {"top-down", [](Picture& p) { p.height = -2; }},
        {"colour count 65536", [](Picture& p) { p.clrUsed = 0x10000; }},
        {"V4 header", [](Picture& p) { p.headerSize = 108; }},
        {"16 bits", [](Picture& p) { p.bitCount = 16; p.table.clear(); p.pixels.resize(16); }},
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

TEST(ReadingFilesInChunks, AWholeFileComesBackAndAShortOneFails)
{
    std::vector<uint8_t> bytes(100064);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 31 + i / 32768);
    TempFile written(bytes);
    ASSERT_TRUE(written.written());
    UniqueFile file(CreateFileA(written.path(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);

    std::vector<uint8_t> read(bytes.size() + 1);
    EXPECT_EQ(DibLoader().ReadInChunks(file.get(), read.data(), 100064), 100064u);
    EXPECT_EQ(std::memcmp(read.data(), bytes.data(), bytes.size()), 0);
    SetFilePointer(file.get(), 1, nullptr, FILE_BEGIN);
    EXPECT_EQ(DibLoader().ReadInChunks(file.get(), read.data(), 100064), 0u);
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
