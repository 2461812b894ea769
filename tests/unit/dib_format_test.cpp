// What the BMP header rules accept, what they refuse, and where they place every part.
#include "imaging/dib_format.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "tests/support/bmp_bytes.h"

using namespace bmp_bytes;

namespace {

DibLayout Read(const std::vector<uint8_t>& bytes, DibSource source = DibSource::Resource)
{
    return ReadDibLayout(bytes.data(), bytes.size(), bytes.size(), source);
}

template <typename Change>
std::vector<uint8_t> BytesWith(Change change)
{
    Picture picture;
    change(picture);
    return Bytes(picture);
}

// Only the leading bytes, as a file's loader sees them, with a claimed length.
DibLayout ReadHeadOnly(const Picture& picture, uint64_t sourceBytes)
{
    const std::vector<uint8_t> bytes = Bytes(picture);
    return ReadDibLayout(bytes.data(), kBmpHeadBytes, sourceBytes, DibSource::File);
}

// Colours; table bytes; pixel offset and bytes in the source; where the block's pixels, work and end are.
using Where = std::array<uint32_t, 7>;

Where WhereOf(const DibLayout& layout)
{
    return {layout.colourCount,      layout.tableBytes,      layout.pixelOffset, layout.pixels.sourceBytes,
            layout.blockPixelOffset, layout.blockWorkOffset, layout.blockSize};
}

}  // namespace

TEST(DibLayoutOfGoodPictures, EveryPartIsPlacedInTheSourceAndTheBlock)
{
    const struct {
        const char* what;
        void (*make)(Picture&);
        Where where;
    } cases[] = {
        {"8 bits, 424-byte rows", [](Picture& p) { p.width = 423; p.height = 236; p.pixels.resize(100064); },
         {256, 1024, 1078, 100064, 1064, 1064 + 100064, 1064 + 100064 + 424}},
        {"1 bit, colours implied", [](Picture& p) { p.bitCount = 1; p.table.resize(2); },
         {2, 8, 62, 8, 48, 56, 60}},
        {"4 bits, all colours stated", [](Picture& p) { p.bitCount = 4; p.clrUsed = 16; p.table.resize(16); },
         {16, 64, 118, 8, 104, 112, 116}},
        {"true colour at the stated offset",
         [](Picture& p) { p.bitCount = 24; p.width = 3; p.table.clear(); p.pixels.resize(24); p.offBits = 54; },
         {0, 0, 54, 24, 40, 64, 76}},
        {"pixels past a gap", [](Picture& p) { p.clrUsed = 2; p.table.resize(2); p.gap = 10; p.offBits = 72; },
         {2, 8, 72, 8, 48, 56, 60}},
        {"size beyond the rows: only the rows are read", [](Picture& p) { p.sizeImage = 12; p.pixels.resize(12); },
         {256, 1024, 1078, 8, 1064, 1072, 1076}},
        {"run-length codes become rows",
         [](Picture& p) { p.compression = kCompressionRle8; p.sizeImage = 5; p.pixels.resize(5); },
         {256, 1024, 1078, 5, 1064, 1072, 1076}},
    };
    for (const auto& c : cases) {
        const DibLayout layout = Read(BytesWith(c.make));
        ASSERT_EQ(layout.verdict, DibVerdict::Loadable) << c.what;
        EXPECT_EQ(WhereOf(layout), c.where) << c.what;
        EXPECT_EQ(layout.header.sizeImage, layout.blockWorkOffset - layout.blockPixelOffset) << c.what;
        EXPECT_EQ(layout.header.clrUsed, layout.colourCount) << c.what;
    }

    // The core header's 3-byte entries are widened to four in the block.
    const DibLayout core = Read(CoreBytes(5, 3, 8, 256, std::vector<uint8_t>(24)));
    ASSERT_EQ(core.verdict, DibVerdict::Loadable);
    EXPECT_TRUE(core.coreHeader);
    EXPECT_EQ(core.tableOffset, 26u);
    EXPECT_EQ(WhereOf(core), (Where{256, 768, 26 + 768, 24, 1064, 1064 + 24, 1064 + 24 + 8}));
}

TEST(DibLayoutOfGoodPictures, AFiftyMegapixelPhotoLoadsThroughABlockOfOneBandAndMorePixelsAreRefused)
{
    Picture photo;
    photo.width = 8688;
    photo.height = 5792;
    photo.bitCount = 24;
    photo.table.clear();
    const DibLayout layout = ReadHeadOnly(photo, uint64_t(1) << 33);
    ASSERT_EQ(layout.verdict, DibVerdict::Loadable);
    EXPECT_EQ(layout.pixels.sourceBytes, 8688u * 3 * 5792);
    EXPECT_EQ(layout.pixels.bandRows, kBandBytes / (8688 * 3));
    EXPECT_EQ(layout.blockSize, 40 + layout.pixels.bandRows * 8688 * 3 + 8688 * 3 + kReadPiece);

    const struct {
        int32_t width, height;
        DibVerdict verdict;
    } sizes[] = {{8192, 6144, DibVerdict::Loadable},     {kMaxDimension, -1, DibVerdict::Loadable},
                 {8193, 6144, DibVerdict::TooManyPixels}, {8192, -6145, DibVerdict::TooManyPixels},
                 {kMaxDimension, kMaxDimension, DibVerdict::TooManyPixels}};
    for (const auto& size : sizes) {
        photo.width = size.width;
        photo.height = size.height;
        EXPECT_EQ(ReadHeadOnly(photo, uint64_t(1) << 40).verdict, size.verdict) << size.width << "x" << size.height;
    }
}

TEST(DibLayoutRefusals, SomethingOtherThanABitmapAndEveryCutShortCopyOfOne)
{
    std::vector<uint8_t> bytes = Bytes(Picture{});
    bytes[0] = 'P';
    EXPECT_EQ(Read(bytes).verdict, DibVerdict::NotBitmap);
    EXPECT_EQ(ReadDibLayout(bytes.data(), 0, 0, DibSource::File).verdict, DibVerdict::NotBitmap);

    const auto fiveHeader = [](Picture& p) { p.headerSize = 124; p.table.resize(2); p.clrUsed = 2; };
    const auto masksAfter = [](Picture& p) {
        p.bitCount = 16; p.compression = kCompressionBitfields; p.masks = {0x7C00, 0x03E0, 0x001F}; p.table.clear();
        p.pixels.resize(16);
    };
    const auto core = CoreBytes(3, 2, 4, 16, std::vector<uint8_t>(8));
    for (const auto& good : {Bytes(Picture{}), core, BytesWith(fiveHeader), BytesWith(masksAfter)}) {
        ASSERT_TRUE(Read(good).Loadable());
        for (size_t length = 0; length < good.size(); ++length)
            for (const DibSource source : {DibSource::Resource, DibSource::File})
                EXPECT_FALSE(ReadDibLayout(good.data(), length, length, source).Loadable()) << length;
    }
}

namespace {

// Empty, split, overlapping or wider than the pixel: three of 16 bits, three of 32.
const std::vector<uint32_t> kBadMasks[] = {{0, 0x03E0, 0x001F},   {0x7C00, 0x0505, 0x001F}, {0xF800, 0xFC00, 0x1F},
                                           {0x1F0000, 0x3E0, 0x1F}, {0xFF, 0xFF, 0xFF00},   {0x80000001, 0xFF00, 0xFF}};

}  // namespace

// Each change is applied to an 8-bit 4 x 2 picture with its colour table, once for each pair of values.
TEST(DibLayoutRefusals, HeadersFormatsSizesMasksColoursAndOffsetsWeDoNotLoad)
{
    using I = int64_t;
    using V = DibVerdict;
    const struct {
        const char* what;
        DibVerdict verdict;
        void (*change)(Picture&, I, I);
        std::vector<std::pair<I, I>> values;
    } refusals[] = {
        {"header size", V::UnsupportedHeader, [](Picture& p, I a, I) { p.headerSize = uint32_t(a); },
         {{0, 0}, {16, 0}, {41, 0}, {64, 0}, {125, 0}, {UINT32_MAX, 0}}},
        // JPEG, PNG, alpha bit fields, and codings that do not fit the bit count.
        {"bit count, compression", V::UnsupportedFormat,
         [](Picture& p, I a, I b) {
             p.bitCount = uint16_t(a); p.compression = uint32_t(b); p.sizeImage = 8; p.pixels.resize(64);
             p.masks = {0xFF0000, 0xFF00, 0xFF};
         },
         {{0, 0}, {2, 0}, {15, 0}, {64, 0}, {24, 3}, {8, 3}, {4, 1}, {24, 1}, {8, 2}, {16, 2}, {8, 4}, {8, 5},
          {32, 6}}},
        {"top-down run-length codes, bit count", V::UnsupportedFormat,
         [](Picture& p, I a, I b) {
             p.height = -2; p.compression = uint32_t(a); p.bitCount = uint16_t(b); p.sizeImage = 8;
         },
         {{kCompressionRle8, 8}, {kCompressionRle4, 4}}},
        {"run-length codes without a size, bit count", V::SizeImageMissing,
         [](Picture& p, I a, I b) { p.compression = uint32_t(a); p.bitCount = uint16_t(b); },
         {{kCompressionRle8, 8}, {kCompressionRle4, 4}}},
        {"width 5, size", V::SizeImageTooSmall,  // two rows of 8
         [](Picture& p, I a, I) { p.width = 5; p.sizeImage = uint32_t(a); p.pixels.resize(64); }, {{15, 0}}},
        {"width", V::BadDimensions, [](Picture& p, I a, I) { p.width = int32_t(a); },
         {{0, 0}, {-2, 0}, {kMaxDimension + 1, 0}, {INT32_MAX, 0}, {INT32_MIN, 0}}},
        {"height", V::BadDimensions, [](Picture& p, I a, I) { p.height = int32_t(a); },
         {{0, 0}, {kMaxDimension + 1, 0}, {-kMaxDimension - 1, 0}, {INT32_MIN, 0}}},
        {"masks of 16 or 32 bits, header size", V::BadMasks,
         [](Picture& p, I a, I b) {
             p.headerSize = uint32_t(b); p.bitCount = a < 4 ? 16 : 32; p.compression = kCompressionBitfields;
             p.masks = kBadMasks[a]; p.table.clear(); p.pixels.resize(64);
         },
         {{0, 40}, {1, 52}, {2, 108}, {3, 40}, {4, 52}, {5, 108}}},
        {"bit count, colours", V::TooManyColours,
         [](Picture& p, I a, I b) { p.bitCount = uint16_t(a); p.clrUsed = uint32_t(b); p.pixels.resize(64); },
         {{1, 3}, {4, 17}, {8, 257}, {8, 0x10000}, {8, 0x10010}, {8, UINT32_MAX}, {24, 257}, {16, 257}, {32, 257}}},
        {"pixel offset", V::PixelsBeyondEnd, [](Picture& p, I a, I) { p.offBits = uint32_t(a); },
         {{54 + 1024 + 1, 0}, {UINT32_MAX, 0}}},
        {"8 bits, pixel bytes", V::PixelsBeyondEnd, [](Picture& p, I a, I) { p.pixels.resize(size_t(a)); }, {{7, 0}}},
        {"true colour, stated size", V::PixelsBeyondEnd,
         [](Picture& p, I a, I) { p.bitCount = 24; p.table.clear(); p.sizeImage = uint32_t(a); }, {{0x7FFFFFF0, 0}}},
        {"pixel offset", V::PixelOffsetInHeader, [](Picture& p, I a, I) { p.offBits = uint32_t(a); },
         {{1, 0}, {14, 0}, {53, 0}}},
        {"32 bits, pixel offset into the masks", V::PixelOffsetInHeader,
         [](Picture& p, I a, I) {
             p.bitCount = 32; p.compression = kCompressionBitfields; p.masks = {0xFF0000, 0xFF00, 0xFF};
             p.table.clear(); p.pixels.resize(32); p.offBits = uint32_t(a);
         },
         {{62, 0}}},
    };
    for (const auto& refusal : refusals) {
        for (const auto& [a, b] : refusal.values) {
            Picture picture;
            refusal.change(picture, a, b);
            EXPECT_EQ(Read(Bytes(picture)).verdict, refusal.verdict) << refusal.what << ": " << a << ", " << b;
        }
    }
    // A core header's unsigned 16-bit sizes reach past the largest allowed; it has no 16-bit form.
    EXPECT_EQ(Read(CoreBytes(0x9000, 1, 24, 0, std::vector<uint8_t>(0x9000 * 3))).verdict, V::BadDimensions);
    EXPECT_EQ(Read(CoreBytes(1, 0x9000, 24, 0, std::vector<uint8_t>(4 * 0x9000))).verdict, V::BadDimensions);
    EXPECT_EQ(Read(CoreBytes(2, 2, 16, 0, std::vector<uint8_t>(8))).verdict, V::UnsupportedFormat);
}

TEST(DibLayoutOfFiles, AColourTableCutShortByTheEndIsAllowedInAFileOnlyAndOnlyTheLeadingBytesAreNeeded)
{
    Picture picture;
    picture.table.resize(100);  // 256 expected
    picture.pixels.clear();
    picture.offBits = 54 + 400 - 8;  // the pixels are there, inside the short table
    EXPECT_EQ(Read(Bytes(picture), DibSource::Resource).verdict, DibVerdict::TableBeyondEnd);
    const DibLayout layout = Read(Bytes(picture), DibSource::File);
    ASSERT_EQ(layout.verdict, DibVerdict::Loadable);
    EXPECT_EQ(WhereOf(layout), (Where{256, 1024, 54 + 400 - 8, 8, 1064, 1072, 1072 + 4 + kReadPiece}));
    picture.offBits = 0;  // the pixels would follow all 256 entries
    picture.pixels.resize(8);
    EXPECT_EQ(Read(Bytes(picture), DibSource::File).verdict, DibVerdict::PixelsBeyondEnd);

    picture.table.resize(256);
    picture.width = 423;
    picture.height = 236;
    picture.pixels.resize(100064);
    EXPECT_EQ(ReadHeadOnly(picture, 54 + 1024 + 100064).verdict, DibVerdict::Loadable);
    EXPECT_EQ(ReadHeadOnly(picture, 54 + 1024 + 100063).verdict, DibVerdict::PixelsBeyondEnd);
    picture.headerSize = 124;  // the head ends inside it
    EXPECT_EQ(ReadHeadOnly(picture, 138 + 1024 + 100064).verdict, DibVerdict::Loadable);
    // A small core-header file is shorter than the longest head.
    EXPECT_TRUE(Read(CoreBytes(1, 1, 1, 2, std::vector<uint8_t>(4)), DibSource::File).Loadable());
}
