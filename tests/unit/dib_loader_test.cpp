// Loading BMP files and the built-in pictures into a screen bitmap and a palette, in-process.
#include "imaging/dib_loader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "tests/support/bmp_bytes.h"
#include "tests/support/folders.h"
#include "tests/support/saver_process.h"

using namespace bmp_bytes;

namespace {

// The bitmap's pixels as 0x00RRGGBB, top row first.
std::vector<uint32_t> Pixels(HBITMAP bitmap)
{
    BITMAP size{};
    GetObjectA(bitmap, sizeof size, &size);
    BITMAPINFO info{};
    info.bmiHeader = {
        DWORD(sizeof info.bmiHeader), size.bmWidth, -size.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> pixels(size_t(size.bmWidth) * size_t(size.bmHeight));
    GetDIBits(WindowDc(nullptr).get(), bitmap, 0, UINT(size.bmHeight), pixels.data(), &info, DIB_RGB_COLORS);
    return pixels;
}

}  // namespace

TEST(LoadingBmpFiles, ALargePictureUnderALongPathLoadsInPiecesAndBandsAndAStopAnywhereLeavesNothing)
{
    Picture picture;  // 1000 x 600, 600,000 bytes of pixels: 19 pieces and 3 bands
    picture.width = 1000;
    picture.pixels.resize(600000);
    for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = uint8_t(i * 13 + i / 1000);
    for (const int32_t height : {600, -600}) {  // the file's rows from the bottom up, then from the top down
        SCOPED_TRACE(height);
        picture.height = height;
        // Under a path of more than 128 characters.
        const TempFile file(TempFolder() + "tavrix " + std::string(120, 'p') + ".bmp", Bytes(picture));
        ASSERT_TRUE(file.written());
        int asked = 0;
        LoadedDib dib;
        ASSERT_TRUE(DibLoader().LoadFromFile(file.path(), dib, [&] {
            ++asked;
            return false;
        }));
        EXPECT_GE(asked, 22);
        const std::vector<uint32_t> pixels = Pixels(dib.hBitmap.get());
        ASSERT_EQ(pixels.size(), 600000u);
        size_t wrong = 0;
        for (size_t i = 0; i < pixels.size(); ++i) {
            const size_t row = height > 0 ? 599 - i / 1000 : i / 1000;
            wrong += pixels[i] != UsualEntry(picture.pixels[row * 1000 + i % 1000]);
        }
        EXPECT_EQ(wrong, 0u) << "pixels unlike the file's";

        for (const int stopAt : {1, 2, asked / 2, asked}) {
            int count = 0;
            LoadedDib stopped;
            EXPECT_FALSE(DibLoader().LoadFromFile(file.path(), stopped, [&] { return ++count == stopAt; }))
                << stopAt;
            EXPECT_EQ(count, stopAt) << "nothing is asked after the stop";
            EXPECT_TRUE(!stopped.hBitmap && !stopped.hPalette) << stopAt;
        }
    }
}

// A 5 x 3 picture of the colours below as ImageMagick 6.9 writes it, kept in tests/fixtures/editor_bmps
// so that what is tested does not change with the editor's version. Written from a plain PPM:
//   convert picture.ppm BMP2:core_24.bmp
//   convert picture.ppm -type palette BMP2:core_palette4.bmp
//   convert picture.ppm BMP3:info_24.bmp
//   convert picture.ppm -type palette -compress RLE BMP3:info_rle8.bmp
//   convert picture.ppm BMP:v5_24.bmp
//   convert picture.ppm -type palette BMP:v5_palette4.bmp
//   convert picture.ppm -alpha on BMP:v5_alpha32.bmp
//   convert picture.ppm -define bmp:subtype=RGB565 BMP:v5_565.bmp   (and RGB555 for v5_555.bmp)
TEST(LoadingBmpFiles, TheFilesAnImageEditorWritesShowTheirColours)
{
    const uint32_t picture[15] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000,
                                  0x8442C6, 0x081018, 0xFFFF00, 0x00FFFF, 0xFF00FF,
                                  0x000000, 0x808080, 0xFFFFFF, 0x0A141E, 0xC86432};
    const struct {
        const char* file;
        int tolerance;  // 16-bit files round each channel to 5 or 6 bits
    } files[] = {{"core_24.bmp", 0},    {"core_palette4.bmp", 0}, {"info_24.bmp", 0},
                 {"v5_24.bmp", 0},      {"v5_565.bmp", 8},        {"v5_555.bmp", 8},
                 {"v5_alpha32.bmp", 0}, {"v5_palette4.bmp", 0},   {"info_rle8.bmp", 0}};
    for (const auto& file : files) {
        const std::string path = BuildFolder() + "editor_bmps\\" + file.file;
        LoadedDib dib;
        ASSERT_TRUE(DibLoader().LoadFromFile(path.c_str(), dib)) << file.file;
        const std::vector<uint32_t> shown = Pixels(dib.hBitmap.get());
        ASSERT_EQ(shown.size(), 15u) << file.file;
        for (size_t i = 0; i < 15; ++i) {
            for (int shift : {0, 8, 16}) {
                const int difference = int(shown[i] >> shift & 0xFF) - int(picture[i] >> shift & 0xFF);
                EXPECT_LE(std::abs(difference), file.tolerance)
                    << file.file << " pixel " << i << ": " << std::hex << shown[i] << " for " << picture[i];
            }
        }
    }
}

// The module's own pictures, half of them run-length coded: none may come out blank or cut short
// (Wine's own decoder turns a valid one black after eight rows, so the loader decodes them itself).
TEST(LoadingBuiltInPictures, EveryPictureOfBothStylesShowsItsColoursToTheLastRow)
{
    for (int i = 0; i < 32; ++i) {
        char name[32];
        wsprintfA(name, "STYLE%02d_PIC%02d", i / 16, i % 16 + 1);
        LoadedDib dib;
        ASSERT_TRUE(DibLoader().LoadFromResource("DIB", name, dib)) << name;
        const std::vector<uint32_t> pixels = Pixels(dib.hBitmap.get());
        const auto half = std::ptrdiff_t(pixels.size() / 2);  // each half has a hundred colours or more
        EXPECT_GE(std::set<uint32_t>(pixels.begin(), pixels.begin() + half).size(), 64u)
            << name << ", the upper half";
        EXPECT_GE(std::set<uint32_t>(pixels.end() - half, pixels.end()).size(), 64u)
            << name << ", the lower half";
    }
}

TEST(RefusingBmpFiles, MissingEmptyNoBitmapCutShortOrOfFourGigabytes)
{
    LoadedDib dib;
    EXPECT_FALSE(DibLoader().LoadFromFile((TempFolder() + "tavrix_no_such_picture.bmp").c_str(), dib));
    std::vector<uint8_t> notBitmap = Bytes(Picture{});
    notBitmap[1] = 'A';
    std::vector<uint8_t> cutShort = Bytes(Picture{});
    cutShort.pop_back();
    for (const auto& bytes : {std::vector<uint8_t>(), notBitmap, cutShort}) {
        const TempFile file(bytes);
        ASSERT_TRUE(file.written());
        EXPECT_FALSE(DibLoader().LoadFromFile(file.path(), dib)) << bytes.size() << " bytes";
    }
    EXPECT_TRUE(!dib.hBitmap && !dib.hPalette) << "a refused picture leaves nothing";

    const TempFile file(Bytes(Picture{}));
    ASSERT_TRUE(DibLoader().LoadFromFile(file.path(), dib));
    {  // The same picture at the start of a (sparse) file 16 bytes past 4 GB.
        UniqueFile grown(CreateFileA(file.path(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        LONG high = 1;
        ASSERT_NE(SetFilePointer(grown.get(), 16, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
        ASSERT_TRUE(SetEndOfFile(grown.get()));
    }
    LoadedDib large;
    EXPECT_FALSE(DibLoader().LoadFromFile(file.path(), large));
    EXPECT_TRUE(!large.hBitmap && !large.hPalette);
}
