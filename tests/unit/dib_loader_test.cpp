// Loading BMP files into the DIB block, the screen bitmap and the palette, in-process.
#include "imaging/dib_loader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A picture with the 40-byte header; table entry i is (blue i, green 255 - i, red i ^ 0x55).
struct BmpFile {
    uint32_t headerSize = 40;
    int32_t width = 4;
    int32_t height = 2;
    uint16_t bitCount = 8;
    uint32_t compression = BI_RGB;
    uint32_t sizeImage = 0;
    uint32_t clrUsed = 0;
    uint32_t tableEntries = 256;
    uint32_t offBits = 0;
    uint32_t gap = 0;  // bytes between the table and the pixels
    std::vector<uint8_t> pixels = std::vector<uint8_t>(8, 1);
};

void Put16(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    bytes[at] = uint8_t(value);
    bytes[at + 1] = uint8_t(value >> 8);
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    Put16(bytes, at, value & 0xFFFF);
    Put16(bytes, at + 2, value >> 16);
}

RGBQUAD TableEntry(uint32_t i)
{
    return RGBQUAD{uint8_t(i), uint8_t(255 - i), uint8_t(i ^ 0x55), 0};
}

std::vector<uint8_t> FileHeader(uint32_t offBits, size_t headerSize)
{
    std::vector<uint8_t> bytes(14 + headerSize);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 10, offBits);
    return bytes;
}

std::vector<uint8_t> Bytes(const BmpFile& picture)
{
    std::vector<uint8_t> bytes = FileHeader(picture.offBits, 40);
    Put32(bytes, 14, picture.headerSize);
    Put32(bytes, 18, uint32_t(picture.width));
    Put32(bytes, 22, uint32_t(picture.height));
    Put16(bytes, 26, 1);
    Put16(bytes, 28, picture.bitCount);
    Put32(bytes, 30, picture.compression);
    Put32(bytes, 34, picture.sizeImage);
    Put32(bytes, 46, picture.clrUsed);
    for (uint32_t i = 0; i < picture.tableEntries; ++i) {
        const RGBQUAD entry = TableEntry(i);
        bytes.insert(bytes.end(), {entry.rgbBlue, entry.rgbGreen, entry.rgbRed, 0});
    }
    bytes.insert(bytes.end(), picture.gap, 0xAA);
    bytes.insert(bytes.end(), picture.pixels.begin(), picture.pixels.end());
    return bytes;
}

// A 12-byte core header picture with RGBTRIPLE entries.
std::vector<uint8_t> CoreBytes(uint16_t width, uint16_t height, uint16_t bitCount,
                               const std::vector<uint8_t>& pixels)
{
    std::vector<uint8_t> bytes = FileHeader(0, 12);
    Put32(bytes, 14, 12);
    Put16(bytes, 18, width);
    Put16(bytes, 20, height);
    Put16(bytes, 22, 1);
    Put16(bytes, 24, bitCount);
    for (uint32_t i = 0; i < (1u << bitCount); ++i) {
        const RGBQUAD entry = TableEntry(i);
        bytes.insert(bytes.end(), {entry.rgbBlue, entry.rgbGreen, entry.rgbRed});
    }
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return bytes;
}

std::string TempFolder()
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return folder;
}

// A file in the temporary folder for one test, deleted afterwards.
class TempFile {
public:
    TempFile(const std::string& path, const std::vector<uint8_t>& bytes) : path_(path)
    {
        UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        written_ = file &&
                   WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                   written == bytes.size();
    }
    explicit TempFile(const std::vector<uint8_t>& bytes)
        : TempFile(TempFolder() + "tavrix_dib_test.bmp", bytes)
    {
    }
    ~TempFile() { DeleteFileA(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const char* path() const { return path_.c_str(); }
    bool written() const { return written_; }

private:
    std::string path_;
    bool written_ = false;
};

// A successful load, owned for the test's length, with a view of the locked block.
struct Loaded {
    explicit Loaded(LoadedDib& dib) : owned(dib), block(owned.block.get()) {}

    const BITMAPINFOHEADER& header() const
    {
        return *static_cast<const BITMAPINFOHEADER*>(block.get());
    }
    const uint8_t* bytes() const { return static_cast<const uint8_t*>(block.get()); }
    const RGBQUAD* table() const { return reinterpret_cast<const RGBQUAD*>(bytes() + 40); }
    SIZE_T size() const { return LocalSize(owned.block.get()); }

    OwnedDib owned;
    LockedMemory block;
};

BOOL LoadFile(const std::vector<uint8_t>& bytes, LoadedDib& dib)
{
    TempFile file(bytes);
    EXPECT_TRUE(file.written());
    return DibLoader().LoadFromFile(file.path(), dib);
}

std::vector<PALETTEENTRY> PaletteEntries(HPALETTE palette)
{
    WORD count = 0;
    GetObjectA(palette, sizeof count, &count);
    std::vector<PALETTEENTRY> entries(count);
    if (count) GetPaletteEntries(palette, 0, count, entries.data());
    return entries;
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
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(size_t(size.cx) * size_t(size.cy));
    WindowDc screen(nullptr);
    GetDIBits(screen.get(), bitmap, 0, UINT(size.cy), pixels.data(), &info, DIB_RGB_COLORS);
    return pixels;
}

uint32_t Rgb(const RGBQUAD& entry)
{
    return uint32_t(entry.rgbRed) << 16 | uint32_t(entry.rgbGreen) << 8 | entry.rgbBlue;
}

bool SameColour(const PALETTEENTRY& entry, const RGBQUAD& quad)
{
    return entry.peRed == quad.rgbRed && entry.peGreen == quad.rgbGreen &&
           entry.peBlue == quad.rgbBlue && entry.peFlags == 0;
}

HPALETTE StockPalette()
{
    return static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
}

BmpFile LargeEightBitPicture()
{
    BmpFile picture;
    picture.width = 423;
    picture.height = 236;
    picture.pixels.resize(100064);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = uint8_t(i * 13 + i / 424);
    return picture;
}

}  // namespace

TEST(LoadingBmpFiles, AnEightBitPictureFillsTheBlockTheBitmapAndThePalette)
{
    const BmpFile picture = LargeEightBitPicture();
    LoadedDib dib;
    ASSERT_TRUE(LoadFile(Bytes(picture), dib));
    const Loaded loaded(dib);

    EXPECT_EQ(loaded.size(), SIZE_T(40 + 1024 + 100064));
    EXPECT_EQ(loaded.header().biSize, 40u);
    EXPECT_EQ(loaded.header().biSizeImage, 100064u);
    EXPECT_EQ(loaded.header().biClrUsed, 256u);
    for (uint32_t i = 0; i < 256; ++i) EXPECT_EQ(Rgb(loaded.table()[i]), Rgb(TableEntry(i))) << i;
    EXPECT_EQ(std::memcmp(loaded.bytes() + 1064, picture.pixels.data(), 100064), 0);

    const std::vector<PALETTEENTRY> entries = PaletteEntries(loaded.owned.paletteInUse);
    ASSERT_EQ(entries.size(), 256u);
    for (uint32_t i = 0; i < 256; ++i) EXPECT_TRUE(SameColour(entries[i], TableEntry(i))) << i;

    const SIZE size = BitmapSize(loaded.owned.bitmap.get());
    EXPECT_EQ(size.cx, 423);
    EXPECT_EQ(size.cy, 236);
    const std::vector<uint32_t> pixels = Pixels(loaded.owned.bitmap.get());
    const size_t bottomRow = size_t(235) * 423;  // the file's first row
    for (size_t x = 0; x < 423; ++x)
        EXPECT_EQ(pixels[bottomRow + x], Rgb(TableEntry(picture.pixels[x]))) << x;
}

TEST(LoadingBmpFiles, ATrueColourPictureHasPixelsAfterTheHeaderAndTheStockPalette)
{
    BmpFile picture;
    picture.bitCount = 24;
    picture.width = 2;
    picture.tableEntries = 0;
    picture.pixels = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0, 0,  // bottom row, padded to 8
                      0x11, 0x21, 0x31, 0x41, 0x51, 0x61, 0, 0};
    LoadedDib dib;
    ASSERT_TRUE(LoadFile(Bytes(picture), dib));
    EXPECT_EQ(dib.hPalette, StockPalette());
    const Loaded loaded(dib);

    EXPECT_EQ(loaded.header().biClrUsed, 0u);
    EXPECT_EQ(loaded.header().biSizeImage, 16u);
    EXPECT_EQ(loaded.size(), SIZE_T(40 + 16));
    EXPECT_EQ(std::memcmp(loaded.bytes() + 40, picture.pixels.data(), 16), 0);
    EXPECT_EQ(Pixels(loaded.owned.bitmap.get()),
              (std::vector<uint32_t>{0x312111, 0x615141, 0x302010, 0x605040}));
}

TEST(LoadingBmpFiles, ACoreHeaderPictureIsWidenedToTheFortyByteForm)
{
    const std::vector<uint8_t> pixels = {0, 1, 2, 0, 255, 254, 253, 0};  // 3 x 2, rows of 4
    LoadedDib dib;
    ASSERT_TRUE(LoadFile(CoreBytes(3, 2, 8, pixels), dib));
    const Loaded loaded(dib);

    const BITMAPINFOHEADER& header = loaded.header();
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 3);
    EXPECT_EQ(header.biHeight, 2);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biCompression, DWORD(BI_RGB));
    EXPECT_EQ(header.biClrUsed, 256u);
    EXPECT_EQ(header.biSizeImage, 8u);
    for (uint32_t i = 0; i < 256; ++i) {
        EXPECT_EQ(Rgb(loaded.table()[i]), Rgb(TableEntry(i))) << i;
        EXPECT_EQ(loaded.table()[i].rgbReserved, 0) << i;
    }
    EXPECT_EQ(std::memcmp(loaded.bytes() + 1064, pixels.data(), pixels.size()), 0);
    EXPECT_EQ(PaletteEntries(loaded.owned.paletteInUse).size(), 256u);
    EXPECT_EQ(
        Pixels(loaded.owned.bitmap.get()),
        (std::vector<uint32_t>{Rgb(TableEntry(255)), Rgb(TableEntry(254)), Rgb(TableEntry(253)),
                               Rgb(TableEntry(0)), Rgb(TableEntry(1)), Rgb(TableEntry(2))}));
}

TEST(LoadingBmpFiles, PixelsComeFromTheStatedOffsetOrRightAfterTheTable)
{
    BmpFile picture;
    picture.clrUsed = 4;
    picture.tableEntries = 4;
    picture.pixels = {3, 2, 1, 0, 0, 1, 2, 3};

    for (const uint32_t gap : {0u, 6u}) {
        picture.gap = gap;
        picture.offBits = gap ? 54 + 16 + gap : 0;
        LoadedDib dib;
        ASSERT_TRUE(LoadFile(Bytes(picture), dib)) << gap;
        const Loaded loaded(dib);
        EXPECT_EQ(loaded.size(), SIZE_T(40 + 16 + 8));
        EXPECT_EQ(std::memcmp(loaded.bytes() + 56, picture.pixels.data(), 8), 0) << gap;
        EXPECT_EQ(Pixels(loaded.owned.bitmap.get())[0], Rgb(TableEntry(0))) << gap;
        EXPECT_EQ(PaletteEntries(loaded.owned.paletteInUse).size(), 4u);
    }
}

TEST(LoadingBmpFiles, RunLengthPicturesAreDecodedWhenTheBitmapIsMade)
{
    BmpFile picture;
    picture.compression = BI_RLE8;
    picture.pixels = {4, 7, 0, 0, 2, 9, 2, 8, 0, 1};  // row of 7s, end of line, 9 9 8 8, end
    picture.sizeImage = uint32_t(picture.pixels.size());
    LoadedDib dib;
    ASSERT_TRUE(LoadFile(Bytes(picture), dib));
    const Loaded loaded(dib);
    EXPECT_EQ(loaded.header().biCompression, DWORD(BI_RLE8));
    EXPECT_EQ(loaded.header().biSizeImage, 10u);
    const uint32_t seven = Rgb(TableEntry(7)), nine = Rgb(TableEntry(9)),
                   eight = Rgb(TableEntry(8));
    EXPECT_EQ(Pixels(loaded.owned.bitmap.get()),
              (std::vector<uint32_t>{nine, nine, eight, eight, seven, seven, seven, seven}));
}

TEST(LoadingBmpFiles, AColourTableCutShortByTheEndOfTheFileEndsInBlackEntries)
{
    BmpFile picture;
    picture.tableEntries = 16;  // 256 expected; the pixels are right after the 16
    picture.offBits = 54 + 64;
    const std::vector<uint8_t> bytes = Bytes(picture);  // ends 64 + 8 bytes into the table
    LoadedDib dib;
    ASSERT_TRUE(LoadFile(bytes, dib));
    const Loaded loaded(dib);

    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(Rgb(loaded.table()[i]), Rgb(TableEntry(i))) << i;
    // The pixel bytes follow the 16 entries in the file, so they were read as two more.
    EXPECT_EQ(std::memcmp(loaded.bytes() + 40 + 64, picture.pixels.data(), 8), 0);
    for (uint32_t i = 18; i < 256; ++i) {
        const RGBQUAD entry = loaded.table()[i];
        EXPECT_EQ(Rgb(entry) | entry.rgbReserved, 0u) << i;
    }
    const std::vector<PALETTEENTRY> entries = PaletteEntries(loaded.owned.paletteInUse);
    ASSERT_EQ(entries.size(), 256u);
    EXPECT_TRUE(SameColour(entries[255], RGBQUAD{}));
}

TEST(LoadingBmpFiles, APathLongerThan127CharactersLoads)
{
    const std::string folder = TempFolder() + "tavrix_" + std::string(60, 'p') + "\\";
    const std::string subfolder = folder + std::string(70, 'q') + "\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CreateDirectoryA(subfolder.c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
    {
        const std::string path = subfolder + "a picture with a long name.bmp";
        ASSERT_GT(path.size(), 127u);
        ASSERT_LE(path.size(), 254u);
        TempFile file(path, Bytes(BmpFile{}));
        ASSERT_TRUE(file.written());
        LoadedDib dib;
        EXPECT_TRUE(DibLoader().LoadFromFile(file.path(), dib));
        const Loaded loaded(dib);
        EXPECT_EQ(BitmapSize(loaded.owned.bitmap.get()).cx, 4);
    }
    RemoveDirectoryA(subfolder.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(RefusingBmpFiles, AMissingOrEmptyFileOrOneThatIsNoBitmap)
{
    LoadedDib dib;
    EXPECT_FALSE(
        DibLoader().LoadFromFile((TempFolder() + "tavrix_no_such_picture.bmp").c_str(), dib));
    EXPECT_FALSE(LoadFile({}, dib));
    std::vector<uint8_t> notBitmap = Bytes(BmpFile{});
    notBitmap[1] = 'A';
    EXPECT_FALSE(LoadFile(notBitmap, dib));
    EXPECT_EQ(dib.hDIB, nullptr);
    EXPECT_EQ(dib.hBitmap, nullptr);
    EXPECT_EQ(dib.hPalette, nullptr);
}

TEST(RefusingBmpFiles, HeadersThatClaimMoreThanTheFileHoldsOrWeCanDraw)
{
    struct Fault {
        const char* what;
        void (*make)(BmpFile&);
    };
    const Fault faults[] = {
        {"pixels past the end", [](BmpFile& p) { p.pixels.pop_back(); }},
        {"table past the end", [](BmpFile& p) { p.tableEntries = 100; }},
        {"offset past the end", [](BmpFile& p) { p.offBits = 54 + 1024 + 1; }},
        {"stated size too small", [](BmpFile& p) { p.sizeImage = 7; }},
        {"width 0x7FFFFFFF", [](BmpFile& p) { p.width = 0x7FFFFFFF; }},
        {"width 32768", [](BmpFile& p) { p.width = 32768; }},
        {"zero height", [](BmpFile& p) { p.height = 0; }},
        {"top-down", [](BmpFile& p) { p.height = -2; }},
        {"huge colour count", [](BmpFile& p) { p.clrUsed = 0x40000000; }},
        {"colour count 65536", [](BmpFile& p) { p.clrUsed = 0x10000; }},
        {"V5 header", [](BmpFile& p) { p.headerSize = 124; }},
        {"V4 header", [](BmpFile& p) { p.headerSize = 108; }},
        {"32 bits",
         [](BmpFile& p) {
             p.bitCount = 32;
             p.tableEntries = 0;
             p.pixels.resize(32);
         }},
        {"16 bits",
         [](BmpFile& p) {
             p.bitCount = 16;
             p.tableEntries = 0;
             p.pixels.resize(16);
         }},
        {"bit fields",
         [](BmpFile& p) {
             p.bitCount = 16;
             p.compression = BI_BITFIELDS;
             p.tableEntries = 3;
             p.pixels.resize(16);
         }},
        {"RLE4",
         [](BmpFile& p) {
             p.bitCount = 4;
             p.compression = BI_RLE4;
             p.sizeImage = 8;
         }},
        {"RLE8 without a size", [](BmpFile& p) { p.compression = BI_RLE8; }},
    };
    for (const Fault& fault : faults) {
        BmpFile picture;
        fault.make(picture);
        LoadedDib dib;
        EXPECT_FALSE(LoadFile(Bytes(picture), dib)) << fault.what;
        EXPECT_EQ(dib.hDIB, nullptr) << fault.what;
    }
}

TEST(ReadingFilesInChunks, AWholeFileComesBackAndAShortOneFails)
{
    std::vector<uint8_t> bytes(100064);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 31 + i / 32768);
    TempFile written(bytes);
    ASSERT_TRUE(written.written());
    UniqueFile file(CreateFileA(written.path(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);

    std::vector<uint8_t> read(bytes.size() + 1);
    EXPECT_EQ(DibLoader().ReadInChunks(file.get(), read.data(), 100064), 100064u);
    EXPECT_EQ(std::memcmp(read.data(), bytes.data(), bytes.size()), 0);

    SetFilePointer(file.get(), 1, nullptr, FILE_BEGIN);
    EXPECT_EQ(DibLoader().ReadInChunks(file.get(), read.data(), 100064), 0u);
}

TEST(DibPalettes, NoColourTableMeansTheStockPalette)
{
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    EXPECT_EQ(DibLoader().CreateDibPalette(&header), StockPalette());
}

TEST(DibPalettes, EntriesCopyTheTableColoursWithoutFlags)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD table[3];
    } dib{};
    dib.header.biSize = 40;
    dib.header.biClrUsed = 3;
    for (uint32_t i = 0; i < 3; ++i) dib.table[i] = TableEntry(i + 100);
    dib.table[1].rgbReserved = 0xFF;  // not a flag

    UniquePalette palette(DibLoader().CreateDibPalette(&dib.header));
    const std::vector<PALETTEENTRY> entries = PaletteEntries(palette.get());
    ASSERT_EQ(entries.size(), 3u);
    for (uint32_t i = 0; i < 3; ++i) EXPECT_TRUE(SameColour(entries[i], TableEntry(i + 100))) << i;
}

TEST(DibPalettes, MakingTheBitmapLeavesTheDeviceContextsPaletteAsItWas)
{
    BmpFile picture;
    LoadedDib dib;
    ASSERT_TRUE(LoadFile(Bytes(picture), dib));
    OwnedDib owned(dib);

    WindowDc screen(nullptr);
    const HGDIOBJ before = GetCurrentObject(screen.get(), OBJ_PAL);
    HPALETTE palette = nullptr;
    HBITMAP bitmap = nullptr;
    ASSERT_TRUE(
        DibLoader().CreateBitmapAndPalette(screen.get(), owned.block.get(), &palette, &bitmap));
    UniquePalette ownedPalette(palette);
    UniqueBitmap ownedBitmap(bitmap);
    EXPECT_EQ(GetCurrentObject(screen.get(), OBJ_PAL), before);
    EXPECT_NE(palette, StockPalette());
}

TEST(OwningALoadedDib, TakingItOverLeavesTheLoadedDibEmpty)
{
    LoadedDib dib;
    ASSERT_TRUE(LoadFile(Bytes(BmpFile{}), dib));
    const HPALETTE palette = dib.hPalette;
    OwnedDib owned(dib);
    EXPECT_EQ(dib.hDIB, nullptr);
    EXPECT_EQ(dib.hBitmap, nullptr);
    EXPECT_EQ(dib.hPalette, nullptr);
    EXPECT_EQ(owned.paletteInUse, palette);
    EXPECT_EQ(owned.palette.get(), palette);
}

TEST(OwningALoadedDib, TheStockPaletteIsNotTakenOver)
{
    BmpFile picture;
    picture.bitCount = 24;
    picture.tableEntries = 0;
    picture.pixels.resize(24);
    LoadedDib dib;
    ASSERT_TRUE(LoadFile(Bytes(picture), dib));
    OwnedDib owned(dib);
    EXPECT_EQ(owned.paletteInUse, StockPalette());
    EXPECT_FALSE(owned.palette);
}
