// Pixel rows of every BMP kind into 8- and 24-bit rows, and run-length codes decoded.
#include "imaging/dib_pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

PixelFormat FormatOf(uint16_t bitCount, uint32_t width, uint32_t height,
                     PixelCoding coding = PixelCoding::Rows)
{
    return PixelFormat{coding,
                       bitCount,
                       width,
                       height,
                       uint32_t(StrideOf(width, bitCount)),
                       {},
                       uint32_t(StrideOf(width, OutputBits(bitCount)))};
}

// Every row a decoder gives for `codes`, fed in pieces of `piece` bytes, joined.
Bytes Decode(const PixelFormat& format, const Bytes& codes, size_t piece)
{
    Bytes work(PixelDecoder::WorkBytes(format));
    PixelDecoder decoder(format, work.data());
    Bytes rows;
    size_t at = 0;
    while (!decoder.Finished()) {
        while (decoder.RowReady()) {
            rows.resize(rows.size() + format.outStride, 0xEE);
            decoder.TakeRow(rows.data() + rows.size() - format.outStride);
        }
        if (!decoder.WantsBytes()) continue;
        if (at == codes.size())
            decoder.EndOfSource();
        else
            at += decoder.Feed(codes.data() + at, std::min(piece, codes.size() - at));
    }
    return rows;
}

}  // namespace

// The other bit counts are left to the files an image editor writes (LoadingBmpFiles).
TEST(ConvertingRows, OneBitRowsBecomeIndicesFromTheTopBitOnWithZeroPadding)
{
    Bytes row(12, 0xEE);
    ConvertRow(FormatOf(1, 10, 1), Bytes{0xA5, 0xC0, 0xFF, 0xFF}.data(), row.data());
    EXPECT_EQ(row, (Bytes{1, 0, 1, 0, 0, 1, 0, 1, 1, 1, 0, 0}));
}

TEST(DecodingRows, RunsLiteralsEndsOfLineDeltasAndShortSourcesInAnyPieces)
{
    const PixelCoding rle8 = PixelCoding::Rle8, rle4 = PixelCoding::Rle4;
    const struct {
        const char* what;
        PixelFormat format;
        Bytes codes;
        Bytes rows;  // bottom row first, 4 bytes a row
    } cases[] = {
        {"RLE8 runs and a padded literal",
         FormatOf(8, 4, 2, rle8),
         {2, 7, 0, 3, 1, 2, 3, 0, 0, 0, 4, 9, 0, 1},
         {7, 7, 1, 2, 9, 9, 9, 9}},
        {"RLE8 delta right and up keeps its column",
         FormatOf(8, 4, 3, rle8),
         {1, 5, 0, 2, 1, 1, 1, 6, 0, 1},
         {5, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0}},
        {"RLE8 end of bitmap leaves the rest 0",
         FormatOf(8, 4, 3, rle8),
         {1, 5, 0, 1, 9, 9},
         {5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"RLE8 runs past the row's end are cut off",
         FormatOf(8, 3, 2, rle8),
         {9, 4, 0, 0, 1, 2, 0, 1},
         {4, 4, 4, 0, 2, 0, 0, 0}},
        {"RLE8 codes that end early", FormatOf(8, 4, 2, rle8), {3, 8}, {8, 8, 8, 0, 0, 0, 0, 0}},
        {"RLE4 runs alternate the two halves", FormatOf(4, 4, 1, rle4), {3, 0x12, 0, 1}, {1, 2, 1, 0}},
        {"RLE4 literal of five takes three bytes and a pad",
         FormatOf(4, 6, 1, rle4),
         {0, 5, 0x12, 0x34, 0x50, 0, 1, 0xC0, 0, 1},
         {1, 2, 3, 4, 5, 12, 0, 0}},
    };
    for (const auto& c : cases) {
        for (const size_t piece : {size_t(1), size_t(3), c.codes.size()})
            EXPECT_EQ(Decode(c.format, c.codes, piece), c.rows) << c.what << ", pieces of " << piece;
    }
}
