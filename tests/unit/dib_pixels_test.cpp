// Pixel rows of every BMP kind into 8- and 24-bit rows, run-length codes decoded, rows placed in bands.
#include "imaging/dib_pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

PixelFormat RowsOf(uint16_t bitCount, uint32_t width, std::initializer_list<uint32_t> masks = {}, uint32_t height = 1)
{
    PixelFormat format;
    format.bitCount = bitCount;
    format.width = width;
    format.height = height;
    format.sourceStride = uint32_t(StrideOf(width, bitCount));
    format.outStride = uint32_t(StrideOf(width, OutputBits(bitCount)));
    std::copy(masks.begin(), masks.end(), format.masks);
    return format;
}

PixelFormat RunLength(PixelCoding coding, uint32_t width, uint32_t height)
{
    PixelFormat format = RowsOf(coding == PixelCoding::Rle8 ? 8 : 4, width, {}, height);
    format.coding = coding;
    return format;
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
        if (at == codes.size()) decoder.EndOfSource();
        else at += decoder.Feed(codes.data() + at, std::min(piece, codes.size() - at));
    }
    return rows;
}

}  // namespace

TEST(ConvertingRows, EveryBitCountBecomesIndicesOrBlueGreenRedWithZeroPadding)
{
    const struct {
        const char* what;
        PixelFormat format;
        Bytes source;
        Bytes row;
    } cases[] = {
        {"1 bit, first pixel in the top bit", RowsOf(1, 10), {0xA5, 0xC0, 0xFF, 0xFF}, {1, 0, 1, 0, 0, 1, 0, 1, 1, 1, 0, 0}},
        {"4 bits, high half first", RowsOf(4, 3), {0x1F, 0x70, 0xFF, 0xFF}, {1, 15, 7, 0}},
        {"24 bits unchanged", RowsOf(24, 1), {1, 2, 3, 0xFF}, {1, 2, 3, 0}},
        {"16 bits 5-5-5: full stays full, a bit's weight repeats", RowsOf(16, 3, {0x7C00, 0x03E0, 0x001F}),
         {0xFF, 0x7F, 0x00, 0x42, 0xFF, 0xFF, 0xFF, 0xFF},  // white; red 16, green 16; top bit ignored
         {0xFF, 0xFF, 0xFF, 0x00, 0x84, 0x84, 0xFF, 0xFF, 0xFF, 0, 0, 0}},
        {"16 bits 5-6-5", RowsOf(16, 2, {0xF800, 0x07E0, 0x001F}), {0x00, 0x04, 0x1F, 0xF8},  // green 32; red 31, blue 31
         {0x00, 0x82, 0x00, 0xFF, 0x00, 0xFF, 0, 0}},
        {"32 bits, the spare byte ignored", RowsOf(32, 1, {0xFF0000, 0xFF00, 0xFF}), {1, 2, 3, 0xAA}, {1, 2, 3, 0}},
        {"32 bits, 10-bit channels keep their top eight bits", RowsOf(32, 1, {0x3FF00000, 0x000FFC00, 0x000003FF}),
         {0xFF, 0x03, 0x00, 0x20}, {0xFF, 0x00, 0x80, 0}},  // blue 1023, green 0, red 0x200
    };
    for (const auto& c : cases) {
        Bytes row(c.format.outStride, 0xEE);
        ConvertRow(c.format, c.source.data(), row.data());
        EXPECT_EQ(row, c.row) << c.what;
    }
}

TEST(DecodingRows, RunsLiteralsEndsOfLineDeltasAndShortSourcesInAnyPieces)
{
    const struct {
        const char* what;
        PixelFormat format;
        Bytes codes;
        Bytes rows;  // bottom row first, 4 bytes a row
    } cases[] = {
        {"RLE8 runs and a padded literal", RunLength(PixelCoding::Rle8, 4, 2), {2, 7, 0, 3, 1, 2, 3, 0, 0, 0, 4, 9, 0, 1},
         {7, 7, 1, 2, 9, 9, 9, 9}},
        {"RLE8 literal of four, no pad", RunLength(PixelCoding::Rle8, 4, 1), {0, 4, 5, 6, 7, 8, 0, 1}, {5, 6, 7, 8}},
        {"RLE8 delta right and up keeps its column", RunLength(PixelCoding::Rle8, 4, 3), {1, 5, 0, 2, 1, 1, 1, 6, 0, 1},
         {5, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0}},
        {"RLE8 end of bitmap leaves the rest 0", RunLength(PixelCoding::Rle8, 4, 3), {1, 5, 0, 1, 9, 9},
         {5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"RLE8 runs past the row's end are cut off", RunLength(PixelCoding::Rle8, 3, 2), {9, 4, 0, 0, 1, 2, 0, 1},
         {4, 4, 4, 0, 2, 0, 0, 0}},
        {"RLE8 codes that end early", RunLength(PixelCoding::Rle8, 4, 2), {3, 8}, {8, 8, 8, 0, 0, 0, 0, 0}},
        {"RLE4 runs alternate the two halves", RunLength(PixelCoding::Rle4, 4, 1), {3, 0x12, 0, 1}, {1, 2, 1, 0}},
        {"RLE4 literal of five takes three bytes and a pad", RunLength(PixelCoding::Rle4, 6, 1),
         {0, 5, 0x12, 0x34, 0x50, 0, 1, 0xC0, 0, 1}, {1, 2, 3, 4, 5, 12, 0, 0}},
        {"8-bit rows, the third cut short, end in a blank row", RowsOf(8, 3, {}, 3), {1, 2, 3, 0xAA, 4, 5, 6, 0xAA, 7, 8},
         {1, 2, 3, 0, 4, 5, 6, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        for (const size_t piece : {size_t(1), size_t(3), c.codes.size()})
            EXPECT_EQ(Decode(c.format, c.codes, piece), c.rows) << c.what << ", pieces of " << piece;
    }
}

TEST(DecodingRows, PiecesOfAtMost32768BytesFillBandsStopIsAskedBeforeEachPieceAndBandAndAFailureEndsAtOnce)
{
    PixelPlan plan;
    plan.format = RowsOf(8, 40000, {}, 3);  // rows of 40000 bytes
    plan.sourceBytes = 120000;
    plan.bandRows = 2;
    Bytes source(plan.sourceBytes);
    for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(i / 40000 + 1);
    Bytes band(size_t(plan.bandRows) * plan.format.outStride);
    Bytes work(PixelDecoder::WorkBytes(plan.format));

    // Bands of two rows, the last one short; top-down rows fill each band from its top.
    for (const bool topDown : {false, true}) {
        plan.topDown = topDown;
        std::vector<std::string> events;
        size_t at = 0;
        const auto read = [&](uint32_t bytes) {
            events.push_back("read " + std::to_string(bytes));
            return source.data() + std::exchange(at, at + bytes);
        };
        const auto stop = [&] { events.push_back("stop?"); return false; };
        const auto handOver = [&](uint32_t first, uint32_t count) {
            events.push_back("band " + std::to_string(first) + "+" + std::to_string(count) + " rows " +
                             std::to_string(band[0]) + std::to_string(band[plan.format.outStride]));
            return true;
        };
        ASSERT_TRUE(DecodePixels(plan, band.data(), work.data(), read, stop, handOver));
        EXPECT_EQ(events, (std::vector<std::string>{"stop?", "read 32768", "stop?", "read 32768", "stop?", "read 32768",
                                                    "stop?", topDown ? "band 1+2 rows 21" : "band 0+2 rows 12", "stop?",
                                                    "read 21696", "stop?", topDown ? "band 0+1 rows 31" : "band 2+1 rows 32"}))
            << (topDown ? "top-down" : "bottom-up");
    }

    // A short read, a yes from stop or a refused band.
    for (int failing = 0; failing < 3; ++failing) {
        size_t at = 0;
        int reads = 0;
        const auto readOrFail = [&](uint32_t bytes) -> const uint8_t* {
            if (failing == 0 && ++reads == 2) return nullptr;
            return source.data() + std::exchange(at, at + bytes);
        };
        const auto stopSecond = [&] { return failing == 1 && reads++ == 1; };
        const auto refuse = [&](uint32_t, uint32_t) { return failing != 2; };
        EXPECT_FALSE(DecodePixels(plan, band.data(), work.data(), readOrFail, stopSecond, refuse)) << failing;
    }
}
