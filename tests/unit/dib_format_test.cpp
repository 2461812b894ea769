// What the BMP header rules accept and what they refuse.
#include "imaging/dib_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "tests/support/bmp_bytes.h"

using namespace bmp_bytes;

namespace {

DibLayout Read(const std::vector<uint8_t>& bytes)
{
    return ReadDibLayout(bytes.data(), bytes.size(), bytes.size(), DibSource::Resource);
}

}  // namespace

// 48 Mi pixels at most: 8192 x 6144 (a 50-megapixel photo's 8688 x 5792 is fewer), seen from the
// leading bytes of a file long enough; not a pixel more.
TEST(DibLayoutOfGoodPictures, PicturesUpToTheLargestAllowedLoadAndLargerOnesAreRefused)
{
    Picture photo;
    photo.height = -6144;
    photo.bitCount = 24;
    photo.table.clear();
    for (const int32_t width : {8192, 8193}) {
        photo.width = width;
        const std::vector<uint8_t> head = Bytes(photo);
        EXPECT_EQ(ReadDibLayout(head.data(), kBmpHeadBytes, uint64_t(1) << 40, DibSource::File).verdict,
                  width == 8192 ? DibVerdict::Loadable : DibVerdict::TooManyPixels)
            << width;
    }
}

// Every cut-short copy of a good picture, then changes to an 8-bit 4 x 2 picture with its colour
// table, once for each pair of values.
TEST(DibLayoutRefusals, CutShortCopiesAndHeadersFormatsSizesMasksColoursAndOffsetsWeDoNotLoad)
{
    const Picture masked{124, 4, 2,  16, kCompressionBitfields,    0,
                         0,   0, {}, 0,  std::vector<uint8_t>(16), {0x7C00, 0x03E0, 0x001F}};
    // 1 x 1, one bit: the 12-byte core header, two 3-byte colours, one row.
    const std::vector<uint8_t> core = {'B', 'M', 36, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0,   0,   12,  0,    0, 0,
                                       1,   0,   1,  0, 1, 0, 1, 0, 0, 0, 0,  0, 255, 255, 255, 0x80, 0, 0};
    for (const auto& good : {Bytes(Picture{}), Bytes(masked), core}) {
        ASSERT_TRUE(Read(good).Loadable());
        for (size_t length = 0; length < good.size(); ++length)
            for (const DibSource source : {DibSource::Resource, DibSource::File})
                EXPECT_FALSE(ReadDibLayout(good.data(), length, length, source).Loadable()) << length;
    }

    using I = int64_t;
    using V = DibVerdict;
    // Empty, split, overlapping or wider than the pixel: three of 16 bits, three of 32.
    static const std::vector<uint32_t> badMasks[] = {{0, 0x3E0, 0x1F},       {0x7C00, 0x505, 0x1F},
                                                     {0xF800, 0xFC00, 0x1F}, {0x1F0000, 0x3E0, 0x1F},
                                                     {0xFF, 0xFF, 0xFF00},   {0x80000001, 0xFF00, 0xFF}};
    const struct {
        const char* what;
        DibVerdict verdict;
        void (*change)(Picture&, I, I);
        std::vector<std::pair<I, I>> values;
    } refusals[] = {
        {"header size",
         V::UnsupportedHeader,
         [](Picture& p, I a, I) { p.headerSize = uint32_t(a); },
         {{0, 0}, {41, 0}, {64, 0}, {125, 0}, {UINT32_MAX, 0}}},
        // JPEG, PNG, alpha bit fields, and codings that do not fit the bit count.
        {"bit count, compression",
         V::UnsupportedFormat,
         [](Picture& p, I a, I b) {
             p.bitCount = uint16_t(a);
             p.compression = uint32_t(b);
             p.sizeImage = 8;
             p.masks = {0xFF0000, 0xFF00, 0xFF};
         },
         {{2, 0}, {64, 0}, {24, 3}, {8, 3}, {4, 1}, {8, 2}, {16, 2}, {8, 4}, {8, 5}, {32, 6}}},
        {"top-down run-length codes, bit count",
         V::UnsupportedFormat,
         [](Picture& p, I a, I b) {
             p.height = -2;
             p.compression = uint32_t(a);
             p.bitCount = uint16_t(b);
             p.sizeImage = 8;
         },
         {{kCompressionRle8, 8}, {kCompressionRle4, 4}}},
        {"run-length codes without a size, bit count",
         V::SizeImageMissing,
         [](Picture& p, I a, I b) {
             p.compression = uint32_t(a);
             p.bitCount = uint16_t(b);
         },
         {{kCompressionRle8, 8}, {kCompressionRle4, 4}}},
        {"width 5, size",
         V::SizeImageTooSmall,  // two rows of 8
         [](Picture& p, I a, I) {
             p.width = 5;
             p.sizeImage = uint32_t(a);
             p.pixels.resize(64);
         },
         {{15, 0}}},
        {"width, height",
         V::BadDimensions,
         [](Picture& p, I a, I b) {
             p.width = int32_t(a);
             p.height = int32_t(b);
         },
         {{0, 2},
          {-2, 2},
          {kMaxDimension + 1, 1},
          {INT32_MIN, 2},
          {4, 0},
          {1, -kMaxDimension - 1},
          {4, INT32_MIN}}},
        {"masks of 16 or 32 bits, header size",
         V::BadMasks,
         [](Picture& p, I a, I b) {
             p.headerSize = uint32_t(b);
             p.bitCount = a < 4 ? 16 : 32;
             p.compression = kCompressionBitfields;
             p.masks = badMasks[a];
             p.table.clear();
             p.pixels.resize(64);
         },
         {{0, 40}, {1, 52}, {2, 108}, {3, 40}, {4, 52}, {5, 108}}},
        {"bit count, colours",
         V::TooManyColours,
         [](Picture& p, I a, I b) {
             p.bitCount = uint16_t(a);
             p.clrUsed = uint32_t(b);
             p.pixels.resize(64);
         },
         {{1, 3}, {4, 17}, {8, 257}, {8, UINT32_MAX}, {24, 257}}},
        {"pixel offset",
         V::PixelsBeyondEnd,
         [](Picture& p, I a, I) { p.offBits = uint32_t(a); },
         {{54 + 1024 + 1, 0}, {UINT32_MAX, 0}}},
        {"true colour, stated size",
         V::PixelsBeyondEnd,
         [](Picture& p, I a, I) {
             p.bitCount = 24;
             p.table.clear();
             p.sizeImage = uint32_t(a);
         },
         {{0x7FFFFFF0, 0}}},
        {"pixel offset",
         V::PixelOffsetInHeader,
         [](Picture& p, I a, I) { p.offBits = uint32_t(a); },
         {{1, 0}, {14, 0}, {53, 0}}},
    };
    for (const auto& refusal : refusals) {
        for (const auto& [a, b] : refusal.values) {
            Picture picture;
            refusal.change(picture, a, b);
            EXPECT_EQ(Read(Bytes(picture)).verdict, refusal.verdict)
                << refusal.what << ": " << a << ", " << b;
        }
    }
}
