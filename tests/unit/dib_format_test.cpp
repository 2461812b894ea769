// What the BMP header rules accept, what they refuse, and where they place every part.
#include "imaging/dib_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// A picture with the 40-byte header, described field by field.
struct InfoPicture {
    uint32_t headerSize = 40;
    int32_t width = 4;
    int32_t height = 2;
    uint16_t bitCount = 8;
    uint32_t compression = kCompressionRgb;
    uint32_t sizeImage = 0;
    uint32_t clrUsed = 0;
    uint32_t tableEntries = 256;  // entries actually written
    uint32_t offBits = 0;         // bfOffBits
    uint32_t gap = 0;             // bytes between the table and the pixels
    uint32_t pixelBytes = 8;      // pixel bytes actually written
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

std::vector<uint8_t> FileHeader(uint32_t offBits)
{
    std::vector<uint8_t> bytes(14);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 10, offBits);
    return bytes;
}

void AppendFilled(std::vector<uint8_t>& bytes, size_t count, uint8_t seed)
{
    for (size_t i = 0; i < count; ++i) bytes.push_back(uint8_t(seed + i * 7));
}

std::vector<uint8_t> Bytes(const InfoPicture& picture)
{
    std::vector<uint8_t> bytes = FileHeader(picture.offBits);
    bytes.resize(14 + 40);
    Put32(bytes, 14, picture.headerSize);
    Put32(bytes, 18, uint32_t(picture.width));
    Put32(bytes, 22, uint32_t(picture.height));
    Put16(bytes, 26, 1);
    Put16(bytes, 28, picture.bitCount);
    Put32(bytes, 30, picture.compression);
    Put32(bytes, 34, picture.sizeImage);
    Put32(bytes, 38, 2835);
    Put32(bytes, 42, 2836);
    Put32(bytes, 46, picture.clrUsed);
    Put32(bytes, 50, 7);
    AppendFilled(bytes, 4 * size_t(picture.tableEntries) + picture.gap, 1);
    AppendFilled(bytes, picture.pixelBytes, 3);
    return bytes;
}

std::vector<uint8_t> CoreBytes(uint16_t width, uint16_t height, uint16_t bitCount,
                               uint32_t tableEntries, uint32_t pixelBytes)
{
    std::vector<uint8_t> bytes = FileHeader(0);
    bytes.resize(14 + 12);
    Put32(bytes, 14, 12);
    Put16(bytes, 18, width);
    Put16(bytes, 20, height);
    Put16(bytes, 22, 1);
    Put16(bytes, 24, bitCount);
    AppendFilled(bytes, 3 * size_t(tableEntries), 1);
    AppendFilled(bytes, pixelBytes, 3);
    return bytes;
}

DibLayout Read(const std::vector<uint8_t>& bytes, DibSource source = DibSource::Resource)
{
    return ReadDibLayout(bytes.data(), bytes.size(), bytes.size(), source);
}

DibVerdict VerdictOf(const InfoPicture& picture)
{
    return Read(Bytes(picture)).verdict;
}

// Only the leading bytes, as a file's loader sees them, with a claimed length.
DibLayout ReadHeadOnly(const InfoPicture& picture, uint64_t sourceBytes)
{
    const std::vector<uint8_t> bytes = Bytes(picture);
    return ReadDibLayout(bytes.data(), kBmpHeadBytes, sourceBytes, DibSource::File);
}

}  // namespace

TEST(DibLayoutOfGoodPictures, AnEightBitPictureWithoutStatedSizeGetsItsRowSize)
{
    InfoPicture picture;
    picture.width = 423;
    picture.height = 236;
    picture.pixelBytes = 100064;
    const DibLayout layout = Read(Bytes(picture));

    ASSERT_EQ(layout.verdict, DibVerdict::Loadable);
    EXPECT_EQ(layout.header.sizeImage, 100064u);  // 424-byte rows, 236 of them
    EXPECT_EQ(layout.header.clrUsed, 256u);
    EXPECT_EQ(layout.colourCount, 256u);
    EXPECT_EQ(layout.blockSize, 40u + 1024u + 100064u);
    EXPECT_EQ(layout.blockPixelOffset, 1064u);
    EXPECT_EQ(layout.tableOffset, 54u);
    EXPECT_EQ(layout.tableBytes, 1024u);
    EXPECT_EQ(layout.tablePresentBytes, 1024u);
    EXPECT_EQ(layout.pixelOffset, 1078u);
    EXPECT_EQ(layout.pixelBytes, 100064u);
    EXPECT_FALSE(layout.coreHeader);
}

TEST(DibLayoutOfGoodPictures, FieldsTheLoaderDoesNotDecideOnPassUnchanged)
{
    InfoPicture picture;
    picture.clrUsed = 16;
    picture.tableEntries = 16;
    const DibLayout layout = Read(Bytes(picture));

    ASSERT_EQ(layout.verdict, DibVerdict::Loadable);
    EXPECT_EQ(layout.header.size, 40u);
    EXPECT_EQ(layout.header.width, 4);
    EXPECT_EQ(layout.header.height, 2);
    EXPECT_EQ(layout.header.planes, 1);
    EXPECT_EQ(layout.header.bitCount, 8);
    EXPECT_EQ(layout.header.compression, kCompressionRgb);
    EXPECT_EQ(layout.header.xPelsPerMeter, 2835);
    EXPECT_EQ(layout.header.yPelsPerMeter, 2836);
    EXPECT_EQ(layout.header.clrUsed, 16u);
    EXPECT_EQ(layout.header.clrImportant, 7u);
    EXPECT_EQ(layout.colourCount, 16u);
    EXPECT_EQ(layout.blockPixelOffset, 40u + 64u);
}

TEST(DibLayoutOfGoodPictures, ATrueColourPictureHasNoTableAndPixelsRightAfterTheHeader)
{
    InfoPicture picture;
    picture.bitCount = 24;
    picture.width = 3;
    picture.tableEntries = 0;
    picture.pixelBytes = 24;  // two rows of 9 bytes padded to 12
    const DibLayout layout = Read(Bytes(picture));

    ASSERT_EQ(layout.verdict, DibVerdict::Loadable);
    EXPECT_EQ(layout.colourCount, 0u);
    EXPECT_EQ(layout.header.clrUsed, 0u);
    EXPECT_EQ(layout.header.sizeImage, 24u);
    EXPECT_EQ(layout.blockPixelOffset, 40u);
    EXPECT_EQ(layout.pixelOffset, 54u);
    EXPECT_EQ(layout.blockSize, 64u);
}

TEST(DibLayoutOfGoodPictures, ImpliedColourCountsFollowTheBitCount)
{
    for (const uint16_t bits : {1, 4, 8}) {
        InfoPicture picture;
        picture.bitCount = bits;
        picture.tableEntries = 1u << bits;
        const DibLayout layout = Read(Bytes(picture));
        ASSERT_EQ(layout.verdict, DibVerdict::Loadable) << bits;
        EXPECT_EQ(layout.colourCount, 1u << bits) << bits;
        EXPECT_EQ(layout.header.sizeImage, 8u) << bits;  // two 4-byte rows whatever the depth
    }
}

TEST(DibLayoutOfGoodPictures, ACoreHeaderBecomesTheFortyByteFormWithTripleEntries)
{
    const DibLayout layout = Read(CoreBytes(5, 3, 8, 256, 24));

    ASSERT_EQ(layout.verdict, DibVerdict::Loadable);
    EXPECT_TRUE(layout.coreHeader);
    EXPECT_EQ(layout.header.size, 40u);
    EXPECT_EQ(layout.header.width, 5);
    EXPECT_EQ(layout.header.height, 3);
    EXPECT_EQ(layout.header.planes, 1);
    EXPECT_EQ(layout.header.bitCount, 8);
    EXPECT_EQ(layout.header.compression, kCompressionRgb);
    EXPECT_EQ(layout.header.xPelsPerMeter, 0);
    EXPECT_EQ(layout.header.clrImportant, 0u);
    EXPECT_EQ(layout.header.clrUsed, 256u);
    EXPECT_EQ(layout.header.sizeImage, 24u);
    EXPECT_EQ(layout.tableOffset, 26u);
    EXPECT_EQ(layout.tableBytes, 768u);
    EXPECT_EQ(layout.pixelOffset, 26u + 768u);
    EXPECT_EQ(layout.blockSize, 40u + 1024u + 24u);
}

TEST(DibLayoutOfGoodPictures, ACoreHeadersSizesAreUnsigned)
{
    // 0x9000 would be negative if read as a signed 16-bit number.
    EXPECT_EQ(Read(CoreBytes(0x9000, 1, 24, 0, 0x9000 * 3)).verdict, DibVerdict::BadDimensions);
    EXPECT_EQ(Read(CoreBytes(1, 0x9000, 24, 0, 4 * 0x9000)).verdict, DibVerdict::BadDimensions);
}

TEST(DibLayoutOfGoodPictures, PixelsFollowTheTableWhenNoOffsetIsGiven)
{
    InfoPicture picture;
    picture.clrUsed = 2;
    picture.tableEntries = 2;
    const DibLayout layout = Read(Bytes(picture));
    ASSERT_EQ(layout.verdict, DibVerdict::Loadable);
    EXPECT_EQ(layout.pixelOffset, 54u + 8u);
}

TEST(DibLayoutOfGoodPictures, PixelsComeFromTheStatedOffsetEvenPastAGap)
{
    InfoPicture picture;
    picture.clrUsed = 2;
    picture.tableEntries = 2;
    picture.gap = 10;
    picture.offBits = 54 + 8 + 10;
    const DibLayout layout = Read(Bytes(picture));
    ASSERT_EQ(layout.verdict, DibVerdict::Loadable);
    EXPECT_EQ(layout.pixelOffset, 72u);
    EXPECT_EQ(layout.blockPixelOffset, 48u);
}

TEST(DibLayoutOfGoodPictures, AStatedSizeLargerThanTheRowsIsKept)
{
    InfoPicture picture;
    picture.sizeImage = 12;
    picture.pixelBytes = 12;
    const DibLayout layout = Read(Bytes(picture));
    ASSERT_EQ(layout.verdict, DibVerdict::Loadable);
    EXPECT_EQ(layout.pixelBytes, 12u);
}

TEST(DibLayoutOfGoodPictures, RunLengthPicturesUseTheirStatedSize)
{
    InfoPicture picture;
    picture.compression = kCompressionRle8;
    picture.sizeImage = 5;  // fewer bytes than the unpacked rows: that is the point of packing
    picture.pixelBytes = 5;
    const DibLayout layout = Read(Bytes(picture));
    ASSERT_EQ(layout.verdict, DibVerdict::Loadable);
    EXPECT_EQ(layout.pixelBytes, 5u);
    EXPECT_EQ(layout.header.compression, kCompressionRle8);
}

TEST(DibLayoutOfGoodPictures, TheLargestPictureAllowedIsSizedWithoutOverflow)
{
    InfoPicture picture;
    picture.width = kMaxDimension;
    picture.height = kMaxDimension;
    picture.bitCount = 24;
    const DibLayout layout = ReadHeadOnly(picture, uint64_t(1) << 33);
    ASSERT_EQ(layout.verdict, DibVerdict::Loadable);
    EXPECT_EQ(layout.header.sizeImage, 98304u * 32767u);  // past INT32_MAX
    EXPECT_EQ(layout.blockSize, 40u + 98304u * 32767u);
}

TEST(DibLayoutRefusals, SomethingOtherThanABitmap)
{
    std::vector<uint8_t> bytes = Bytes(InfoPicture{});
    bytes[0] = 'P';
    EXPECT_EQ(Read(bytes).verdict, DibVerdict::NotBitmap);
    EXPECT_EQ(ReadDibLayout(bytes.data(), 0, 0, DibSource::File).verdict, DibVerdict::NotBitmap);
}

TEST(DibLayoutRefusals, EveryCutShortCopyOfAGoodPicture)
{
    for (const auto& good : {Bytes(InfoPicture{}), CoreBytes(3, 2, 4, 16, 8)}) {
        ASSERT_TRUE(Read(good).Loadable());
        for (size_t length = 0; length < good.size(); ++length) {
            EXPECT_FALSE(ReadDibLayout(good.data(), length, length, DibSource::Resource).Loadable())
                << length;
            EXPECT_FALSE(ReadDibLayout(good.data(), length, length, DibSource::File).Loadable())
                << length;
        }
    }
}

TEST(DibLayoutRefusals, HeadersOtherThanTheCoreAndInfoForms)
{
    for (const uint32_t size : {0u, 16u, 52u, 56u, 64u, 108u, 124u}) {
        InfoPicture picture;
        picture.headerSize = size;
        EXPECT_EQ(VerdictOf(picture), DibVerdict::UnsupportedHeader) << size;
    }
}

TEST(DibLayoutRefusals, BitCountsAndCompressionsWeDoNotLoad)
{
    struct Format {
        uint16_t bitCount;
        uint32_t compression;
    };
    const Format refused[] = {{0, 0}, {2, 0}, {16, 0}, {32, 0}, {16, 3}, {32, 3},
                              {4, 2}, {4, 1}, {24, 1}, {8, 2},  {8, 4},  {8, 5}};
    for (const Format& format : refused) {
        InfoPicture picture;
        picture.bitCount = format.bitCount;
        picture.compression = format.compression;
        picture.sizeImage = 8;
        picture.pixelBytes = 64;
        EXPECT_EQ(VerdictOf(picture), DibVerdict::UnsupportedFormat)
            << format.bitCount << "/" << format.compression;
    }
}

TEST(DibLayoutRefusals, EmptyTopDownAndAbsurdDimensions)
{
    const int32_t widths[] = {0, -4, kMaxDimension + 1, 0x7FFFFFFF, INT32_MIN};
    for (const int32_t width : widths) {
        InfoPicture picture;
        picture.width = width;
        EXPECT_EQ(VerdictOf(picture), DibVerdict::BadDimensions) << width;
    }
    const int32_t heights[] = {0, -2, kMaxDimension + 1, 0x7FFFFFFF, INT32_MIN};
    for (const int32_t height : heights) {
        InfoPicture picture;
        picture.height = height;
        EXPECT_EQ(VerdictOf(picture), DibVerdict::BadDimensions) << height;
    }
}

TEST(DibLayoutRefusals, MoreColoursThanTheBitCountCanUse)
{
    const struct {
        uint16_t bitCount;
        uint32_t clrUsed;
    } cases[] = {{1, 3}, {4, 17}, {8, 257}, {8, 0x10000}, {8, 0x10010}, {8, 0xFFFFFFFF}, {24, 257}};
    for (const auto& c : cases) {
        InfoPicture picture;
        picture.bitCount = c.bitCount;
        picture.clrUsed = c.clrUsed;
        picture.pixelBytes = 64;
        EXPECT_EQ(VerdictOf(picture), DibVerdict::TooManyColours) << c.bitCount << "/" << c.clrUsed;
    }
}

TEST(DibLayoutRefusals, AStatedSizeSmallerThanTheRows)
{
    InfoPicture picture;
    picture.width = 5;       // 8-byte rows
    picture.sizeImage = 15;  // two rows need 16
    picture.pixelBytes = 64;
    EXPECT_EQ(VerdictOf(picture), DibVerdict::SizeImageTooSmall);
}

TEST(DibLayoutRefusals, ARunLengthPictureWithoutAStatedSize)
{
    InfoPicture picture;
    picture.compression = kCompressionRle8;
    EXPECT_EQ(VerdictOf(picture), DibVerdict::SizeImageMissing);
}

TEST(DibLayoutRefusals, ABlockTooLargeForThirtyTwoBits)
{
    InfoPicture picture;
    picture.compression = kCompressionRle8;
    picture.sizeImage = 0xFFFFFF00;
    EXPECT_EQ(ReadHeadOnly(picture, uint64_t(1) << 33).verdict, DibVerdict::TooLarge);
}

TEST(DibLayoutRefusals, AColourTableRunningPastTheEndOfAResource)
{
    InfoPicture picture;
    picture.tableEntries = 100;  // 256 expected
    picture.pixelBytes = 0;
    picture.offBits = 54 + 400 - 8;  // the pixels are there, inside the short table
    const std::vector<uint8_t> bytes = Bytes(picture);
    EXPECT_EQ(Read(bytes, DibSource::Resource).verdict, DibVerdict::TableBeyondEnd);
}

TEST(DibLayoutRefusals, ATableEndingOneByteAfterTheResource)
{
    InfoPicture picture;
    picture.pixelBytes = 0;
    picture.offBits = 54 + 1024 - 8;  // the last two entries double as the pixels
    std::vector<uint8_t> bytes = Bytes(picture);
    EXPECT_EQ(Read(bytes).verdict, DibVerdict::Loadable);

    bytes.pop_back();
    bytes[10] -= 1;  // the pixels still fit, the table no longer does
    EXPECT_EQ(Read(bytes).verdict, DibVerdict::TableBeyondEnd);
}

TEST(DibLayoutRefusals, PixelsRunningPastTheEnd)
{
    InfoPicture picture;
    picture.pixelBytes = 7;  // 8 needed
    EXPECT_EQ(Read(Bytes(picture), DibSource::Resource).verdict, DibVerdict::PixelsBeyondEnd);
    EXPECT_EQ(Read(Bytes(picture), DibSource::File).verdict, DibVerdict::PixelsBeyondEnd);

    picture.pixelBytes = 8;
    picture.offBits = 54 + 1024 + 1;
    EXPECT_EQ(Read(Bytes(picture)).verdict, DibVerdict::PixelsBeyondEnd);

    picture.offBits = 0xFFFFFFFF;
    EXPECT_EQ(Read(Bytes(picture)).verdict, DibVerdict::PixelsBeyondEnd);

    picture.offBits = 0;
    picture.sizeImage = 0x7FFFFFF0;
    picture.bitCount = 24;
    picture.tableEntries = 0;
    EXPECT_EQ(Read(Bytes(picture)).verdict, DibVerdict::PixelsBeyondEnd);
}

TEST(DibLayoutRefusals, APixelOffsetPointingIntoTheHeaders)
{
    for (const uint32_t offBits : {1u, 14u, 53u}) {
        InfoPicture picture;
        picture.offBits = offBits;
        EXPECT_EQ(VerdictOf(picture), DibVerdict::PixelOffsetInHeader) << offBits;
    }
}

TEST(DibLayoutOfFiles, AColourTableCutShortByTheEndOfTheFileIsAllowed)
{
    InfoPicture picture;
    picture.tableEntries = 100;  // 256 expected
    picture.pixelBytes = 0;
    picture.offBits = 54 + 400 - 8;
    const DibLayout layout = Read(Bytes(picture), DibSource::File);
    ASSERT_EQ(layout.verdict, DibVerdict::Loadable);
    EXPECT_EQ(layout.tableBytes, 1024u);
    EXPECT_EQ(layout.tablePresentBytes, 400u);
    EXPECT_EQ(layout.colourCount, 256u);
}

TEST(DibLayoutOfFiles, ACutShortTableStillNeedsItsPixels)
{
    InfoPicture picture;
    picture.tableEntries = 100;  // the pixels would follow 256 entries
    EXPECT_EQ(Read(Bytes(picture), DibSource::File).verdict, DibVerdict::PixelsBeyondEnd);
}

TEST(DibLayoutOfFiles, OnlyTheLeadingBytesAndTheLengthAreNeeded)
{
    InfoPicture picture;
    picture.width = 423;
    picture.height = 236;
    picture.pixelBytes = 100064;
    EXPECT_EQ(ReadHeadOnly(picture, 54 + 1024 + 100064).verdict, DibVerdict::Loadable);
    EXPECT_EQ(ReadHeadOnly(picture, 54 + 1024 + 100063).verdict, DibVerdict::PixelsBeyondEnd);

    // A small core-header file is shorter than the longest head.
    const std::vector<uint8_t> core = CoreBytes(1, 1, 1, 2, 4);
    ASSERT_LT(core.size(), kBmpHeadBytes);
    EXPECT_TRUE(Read(core, DibSource::File).Loadable());
}

TEST(ColourTableWidening, TriplesBecomeEntriesWithAZeroFourthByte)
{
    std::vector<uint8_t> table = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE};
    WidenColourTriples(table.data(), 3);
    EXPECT_EQ(table, (std::vector<uint8_t>{1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0}));
}

TEST(ReadingInPieces, LongReadsGoInPiecesOf32768AndTheRestInOne)
{
    const struct {
        uint32_t count;
        std::vector<uint32_t> pieces;
    } cases[] = {{100064, {32768, 32768, 32768, 1760}},
                 {32768, {32768}},
                 {65536, {32768, 32768}},
                 {32769, {32768, 1}},
                 {10, {10}}};
    for (const auto& c : cases) {
        std::vector<uint8_t> destination(c.count);
        std::vector<uint32_t> pieces;
        std::vector<size_t> offsets;
        auto read = [&](uint8_t* to, uint32_t size) {
            pieces.push_back(size);
            offsets.push_back(size_t(to - destination.data()));
            return size;
        };
        EXPECT_EQ(ReadInPieces(read, destination.data(), c.count), c.count);
        EXPECT_EQ(pieces, c.pieces) << c.count;
        for (size_t i = 0; i < offsets.size(); ++i) EXPECT_EQ(offsets[i], i * kReadPiece);
    }
}

TEST(ReadingInPieces, AShortPieceFailsTheWholeReadAndStopsIt)
{
    std::vector<uint8_t> destination(100064);
    int calls = 0;
    auto shortSecondPiece = [&](uint8_t*, uint32_t size) { return ++calls == 2 ? size - 1 : size; };
    EXPECT_EQ(ReadInPieces(shortSecondPiece, destination.data(), 100064), 0u);
    EXPECT_EQ(calls, 2);

    auto shortLastPiece = [](uint8_t*, uint32_t size) { return size == 1760 ? 1759u : size; };
    EXPECT_EQ(ReadInPieces(shortLastPiece, destination.data(), 100064), 0u);
}
