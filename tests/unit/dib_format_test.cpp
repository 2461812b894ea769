// What the BMP header rules accept, what they refuse, and where they place every part.
#include "imaging/dib_format.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
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

template <typename Change>
DibVerdict VerdictWith(Change change) { return Read(BytesWith(change)).verdict; }

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

std::vector<int64_t> FieldsOf(const DibHeader& h)
{
    return {h.size,        h.width,         h.height,        h.planes,  h.bitCount,    h.compression,
            h.sizeImage,   h.xPelsPerMeter, h.yPelsPerMeter, h.clrUsed, h.clrImportant};
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
        {"1 bit, colours implied", [](Picture& p) { p.bitCount = 1; p.table.resize(2); }, {2, 8, 62, 8, 48, 56, 60}},
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
}

TEST(DibLayoutOfGoodPictures, BothHeaderFormsBecomeTheFortyByteForm)
{
    const DibLayout info = Read(BytesWith([](Picture& p) { p.clrUsed = 16; p.table.resize(16); }));
    EXPECT_EQ(FieldsOf(info.header),
              (std::vector<int64_t>{40, 4, 2, 1, 8, kCompressionRgb, 8, 2835, 2836, 16, 7}));

    const DibLayout core = Read(CoreBytes(5, 3, 8, 256, std::vector<uint8_t>(24)));
    ASSERT_EQ(core.verdict, DibVerdict::Loadable);
    EXPECT_TRUE(core.coreHeader);  // the table's 3-byte entries are widened
    EXPECT_EQ(FieldsOf(core.header), (std::vector<int64_t>{40, 5, 3, 1, 8, kCompressionRgb, 24, 0, 0, 256, 0}));
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

    for (const auto& size : {std::pair{8193, 6144}, std::pair{20000, 20000}, std::pair{kMaxDimension, kMaxDimension}}) {
        photo.width = size.first;
        photo.height = size.second;
        EXPECT_EQ(ReadHeadOnly(photo, uint64_t(1) << 40).verdict, DibVerdict::TooManyPixels) << size.first;
    }
    photo.width = kMaxDimension;
    photo.height = -1;
    EXPECT_EQ(ReadHeadOnly(photo, uint64_t(1) << 33).verdict, DibVerdict::Loadable);
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
    for (const auto& good : {Bytes(Picture{}), CoreBytes(3, 2, 4, 16, std::vector<uint8_t>(8)), BytesWith(fiveHeader),
                             BytesWith(masksAfter)}) {
        ASSERT_TRUE(Read(good).Loadable());
        for (size_t length = 0; length < good.size(); ++length)
            for (const DibSource source : {DibSource::Resource, DibSource::File})
                EXPECT_FALSE(ReadDibLayout(good.data(), length, length, source).Loadable()) << length;
    }
}

TEST(DibLayoutRefusals, HeadersFormatsAndStatedSizesWeDoNotLoad)
{
    for (const uint32_t size : {0u, 16u, 41u, 64u, 125u, UINT32_MAX})
        EXPECT_EQ(VerdictWith([&](Picture& p) { p.headerSize = size; }), DibVerdict::UnsupportedHeader) << size;

    // Bit count and compression: JPEG, PNG, alpha bit fields, and codings that do not fit the bit count.
    const std::pair<uint16_t, uint32_t> formats[] = {{0, 0}, {2, 0}, {15, 0}, {64, 0}, {24, 3}, {8, 3}, {4, 1},
                                                     {24, 1}, {8, 2},  {16, 2}, {8, 4},  {8, 5}, {32, 6}};
    for (const auto& format : formats) {
        const auto refused = [&](Picture& p) {
            p.bitCount = format.first; p.compression = format.second; p.sizeImage = 8; p.pixels.resize(64);
            p.masks = {0xFF0000, 0xFF00, 0xFF};
        };
        EXPECT_EQ(VerdictWith(refused), DibVerdict::UnsupportedFormat) << format.first << "/" << format.second;
    }
    for (const uint32_t compression : {kCompressionRle8, kCompressionRle4}) {
        const auto topDownCodes = [&](Picture& p) {
            p.height = -2; p.compression = compression; p.bitCount = compression == kCompressionRle8 ? 8 : 4;
            p.sizeImage = 8;
        };
        EXPECT_EQ(VerdictWith(topDownCodes), DibVerdict::UnsupportedFormat) << compression;
    }
    EXPECT_EQ(Read(CoreBytes(2, 2, 16, 0, std::vector<uint8_t>(8))).verdict, DibVerdict::UnsupportedFormat);

    const auto tooSmall = [](Picture& p) { p.width = 5; p.sizeImage = 15; p.pixels.resize(64); };  // 2 rows of 8
    EXPECT_EQ(VerdictWith(tooSmall), DibVerdict::SizeImageTooSmall);
    EXPECT_EQ(VerdictWith([](Picture& p) { p.compression = kCompressionRle8; }), DibVerdict::SizeImageMissing);
    const auto rle4WithoutSize = [](Picture& p) { p.bitCount = 4; p.compression = kCompressionRle4; };
    EXPECT_EQ(VerdictWith(rle4WithoutSize), DibVerdict::SizeImageMissing);
}

TEST(DibLayoutRefusals, EmptyAndAbsurdDimensions)
{
    for (const int32_t size : {0, kMaxDimension + 1, INT32_MAX, INT32_MIN}) {
        EXPECT_EQ(VerdictWith([&](Picture& p) { p.width = size; }), DibVerdict::BadDimensions) << size;
        EXPECT_EQ(VerdictWith([&](Picture& p) { p.height = size; }), DibVerdict::BadDimensions) << size;
    }
    EXPECT_EQ(VerdictWith([](Picture& p) { p.width = -2; }), DibVerdict::BadDimensions);
    EXPECT_EQ(VerdictWith([](Picture& p) { p.height = -kMaxDimension - 1; }), DibVerdict::BadDimensions);
    // A core header's unsigned 16-bit sizes reach past the largest allowed.
    EXPECT_EQ(Read(CoreBytes(0x9000, 1, 24, 0, std::vector<uint8_t>(0x9000 * 3))).verdict, DibVerdict::BadDimensions);
    EXPECT_EQ(Read(CoreBytes(1, 0x9000, 24, 0, std::vector<uint8_t>(4 * 0x9000))).verdict, DibVerdict::BadDimensions);
}

TEST(DibLayoutRefusals, MasksThatAreEmptySplitOverlappingOrWiderThanThePixel)
{
    const struct {
        uint16_t bitCount;
        std::vector<uint32_t> masks;
    } cases[] = {{16, {0, 0x03E0, 0x001F}},      {16, {0x7C00, 0x0505, 0x001F}}, {16, {0xF800, 0xFC00, 0x001F}},
                 {16, {0x1F0000, 0x03E0, 0x1F}}, {32, {0xFF, 0xFF, 0xFF00}},      {32, {0x80000001, 0xFF00, 0xFF}}};
    for (const auto& c : cases) {
        for (const uint32_t headerSize : {40u, 52u, 108u}) {
            const auto refused = [&](Picture& p) {
                p.headerSize = headerSize; p.bitCount = c.bitCount; p.compression = kCompressionBitfields;
                p.masks = c.masks; p.table.clear(); p.pixels.resize(64);
            };
            EXPECT_EQ(VerdictWith(refused), DibVerdict::BadMasks) << c.bitCount << ", header " << headerSize;
        }
    }
}

TEST(DibLayoutRefusals, MoreColoursThanTheBitCountCanUse)
{
    const std::pair<uint16_t, uint32_t> cases[] = {{1, 3},       {4, 17},      {8, 257},   {8, 0x10000},
                                                   {8, 0x10010}, {8, UINT32_MAX}, {24, 257}, {16, 257}, {32, 257}};
    for (const auto& c : cases) {
        const auto refused = [&](Picture& p) { p.bitCount = c.first; p.clrUsed = c.second; p.pixels.resize(64); };
        EXPECT_EQ(VerdictWith(refused), DibVerdict::TooManyColours) << c.first << "/" << c.second;
    }
}

TEST(DibLayoutRefusals, PartsPastTheEndOrPixelsInsideTheHeaders)
{
    Picture picture;
    picture.pixels.clear();
    picture.offBits = 54 + 1024 - 8;  // the last two entries double as the pixels
    std::vector<uint8_t> bytes = Bytes(picture);
    EXPECT_EQ(Read(bytes).verdict, DibVerdict::Loadable);
    bytes.pop_back();
    bytes[10] -= 1;  // the pixels still fit, the table no longer does
    EXPECT_EQ(Read(bytes).verdict, DibVerdict::TableBeyondEnd);

    const std::vector<uint8_t> shortPixels = BytesWith([](Picture& p) { p.pixels.pop_back(); });
    for (const DibSource source : {DibSource::Resource, DibSource::File})
        EXPECT_EQ(Read(shortPixels, source).verdict, DibVerdict::PixelsBeyondEnd);
    for (const uint32_t offBits : {54u + 1024u + 1u, UINT32_MAX})
        EXPECT_EQ(VerdictWith([&](Picture& p) { p.offBits = offBits; }), DibVerdict::PixelsBeyondEnd) << offBits;
    const auto hugeTrueColour = [](Picture& p) { p.bitCount = 24; p.sizeImage = 0x7FFFFFF0; p.table.clear(); };
    EXPECT_EQ(VerdictWith(hugeTrueColour), DibVerdict::PixelsBeyondEnd);

    for (const uint32_t offBits : {1u, 14u, 53u})
        EXPECT_EQ(VerdictWith([&](Picture& p) { p.offBits = offBits; }), DibVerdict::PixelOffsetInHeader) << offBits;
    const auto intoTheMasks = [](Picture& p) {
        p.bitCount = 32; p.compression = kCompressionBitfields; p.masks = {0xFF0000, 0xFF00, 0xFF}; p.table.clear();
        p.pixels.resize(32); p.offBits = 62;
    };
    EXPECT_EQ(VerdictWith(intoTheMasks), DibVerdict::PixelOffsetInHeader);
}

TEST(DibLayoutOfFiles, AColourTableCutShortByTheEndIsAllowedInAFileOnly)
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
}

TEST(DibLayoutOfFiles, OnlyTheLeadingBytesAndTheLengthAreNeeded)
{
    Picture picture;
    picture.width = 423;
    picture.height = 236;
    picture.pixels.resize(100064);
    EXPECT_EQ(ReadHeadOnly(picture, 54 + 1024 + 100064).verdict, DibVerdict::Loadable);
    EXPECT_EQ(ReadHeadOnly(picture, 54 + 1024 + 100063).verdict, DibVerdict::PixelsBeyondEnd);

    picture.headerSize = 124;  // the head ends inside it
    EXPECT_EQ(ReadHeadOnly(picture, 138 + 1024 + 100064).verdict, DibVerdict::Loadable);

    // A small core-header file is shorter than the longest head.
    const std::vector<uint8_t> core = CoreBytes(1, 1, 1, 2, std::vector<uint8_t>(4));
    ASSERT_LT(core.size(), kBmpHeadBytes);
    EXPECT_TRUE(Read(core, DibSource::File).Loadable());
}

TEST(ColourTableWidening, TriplesBecomeEntriesWithAZeroFourthByte)
{
    std::vector<uint8_t> table = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE};
    WidenColourTriples(table.data(), 3);
    EXPECT_EQ(table, (std::vector<uint8_t>{1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0}));
}
