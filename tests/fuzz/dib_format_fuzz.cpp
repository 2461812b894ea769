// Fuzz entry: any bytes through the BMP header rules and, when they say yes, through the pixel
// conversion into the regions they sized; everything must stay in bounds and agree.
// Built and run natively by tools/fuzz.sh (clang++ -fsanitize=fuzzer,address,undefined).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/dib_format.h"
#include "imaging/dib_pixels.h"

namespace {

// Pictures whose decoded rows would take more are checked by their numbers only, to keep runs fast.
constexpr uint64_t kLargestDecoded = 1u << 20;

void Require(bool holds)
{
    if (!holds) std::abort();
}

// The numbers the loader relies on after a yes.
void CheckNumbers(const DibLayout& layout, size_t size, DibSource source)
{
    const DibHeader& header = layout.header;
    const PixelPlan& plan = layout.pixels;
    const PixelFormat& format = plan.format;
    Require(header.size == kInfoHeaderBytes && header.planes == 1);
    Require(header.width >= 1 && header.width <= kMaxDimension);
    Require(header.height >= 1 && header.height <= kMaxDimension);
    Require(uint64_t(header.width) * uint64_t(header.height) <= kMaxPixels);
    Require(format.width == uint32_t(header.width) && format.height == uint32_t(header.height));
    Require(layout.colourCount <= 256 && header.clrUsed == layout.colourCount);
    Require(layout.tableBytes <= 4 * layout.colourCount);
    if (source == DibSource::Resource) Require(uint64_t(layout.tableOffset) + layout.tableBytes <= size);
    Require(uint64_t(layout.pixelOffset) + plan.sourceBytes <= size);

    // Everything becomes 8 or 24 bits of plain rows.
    Require(header.compression == kCompressionRgb);
    Require(header.bitCount == OutputBits(format.bitCount));
    Require(header.sizeImage == uint64_t(format.outStride) * format.height);
    Require(format.outStride == StrideOf(format.width, header.bitCount));
    if (format.coding == PixelCoding::Rows)
        Require(uint64_t(format.sourceStride) * format.height == plan.sourceBytes &&
                format.sourceStride == StrideOf(format.width, format.bitCount));
    else
        Require(!plan.topDown);
    if (format.bitCount == 16 || format.bitCount == 32) {
        for (const uint32_t mask : format.masks) {
            MaskField field;
            Require(ReadMask(mask, field) && field.shift + field.width <= format.bitCount);
        }
    }

    // The block: header, table, rows (all, or a band), work, and a file's piece.
    Require(plan.bandRows >= 1 && plan.bandRows <= format.height);
    if (source == DibSource::Resource) Require(plan.bandRows == format.height);
    Require(layout.blockPixelOffset == kInfoHeaderBytes + 4 * layout.colourCount);
    const uint64_t rowsInBlock = uint64_t(plan.bandRows) * format.outStride;
    Require(layout.blockWorkOffset == layout.blockPixelOffset + rowsInBlock);
    const uint32_t work = PixelDecoder::WorkBytes(format);
    Require(layout.blockPieceOffset == layout.blockWorkOffset + work);
    Require(layout.blockSize == layout.blockPieceOffset + (source == DibSource::File ? kReadPiece : 0));
}

// Runs the loader's conversion with every region its own allocation, so the address sanitizer
// sees any write past one; the rows come out whole, top row last.
std::vector<uint8_t> DecodeAsTheLoader(const DibLayout& layout, const uint8_t* data)
{
    const PixelPlan& plan = layout.pixels;
    const PixelFormat& format = plan.format;
    std::vector<uint8_t> band(size_t(plan.bandRows) * format.outStride);
    std::vector<uint8_t> work(PixelDecoder::WorkBytes(format));
    std::vector<uint8_t> image(size_t(format.height) * format.outStride);
    const uint8_t* next = data + layout.pixelOffset;
    uint64_t read = 0;
    std::vector<uint8_t> piece;  // each piece its own exact allocation, as large as asked
    const auto readPiece = [&](uint32_t bytes) {
        Require(bytes <= kReadPiece);
        read += bytes;
        Require(read <= plan.sourceBytes);
        piece = std::vector<uint8_t>(next, next + bytes);
        next += bytes;
        return static_cast<const uint8_t*>(piece.data());
    };
    const auto never = [] { return false; };
    const auto handOver = [&](uint32_t firstScan, uint32_t scans) {
        Require(scans >= 1 && scans <= plan.bandRows && firstScan + scans <= format.height);
        std::memcpy(image.data() + size_t(firstScan) * format.outStride, band.data(), size_t(scans) * format.outStride);
        return true;
    };
    Require(DecodePixels(plan, band.data(), work.data(), readPiece, never, handOver));
    return image;
}

// The same rows from the decoder fed one byte at a time.
std::vector<uint8_t> DecodeByteByByte(const DibLayout& layout, const uint8_t* data)
{
    const PixelFormat& format = layout.pixels.format;
    std::vector<uint8_t> work(PixelDecoder::WorkBytes(format));
    std::vector<uint8_t> image(size_t(format.height) * format.outStride);
    PixelDecoder decoder(format, work.data());
    const uint8_t* next = data + layout.pixelOffset;
    uint32_t left = layout.pixels.sourceBytes;
    while (!decoder.Finished()) {
        while (decoder.RowReady()) {
            const uint32_t row = decoder.RowsTaken();
            const uint32_t scan = layout.pixels.topDown ? format.height - 1 - row : row;
            decoder.TakeRow(image.data() + size_t(scan) * format.outStride);
        }
        if (!decoder.WantsBytes()) continue;
        if (left == 0) {
            decoder.EndOfSource();
            continue;
        }
        const size_t used = decoder.Feed(next, 1);
        Require(used == 1);
        ++next;
        --left;
    }
    return image;
}

// The colour table as the loader copies it: what the source holds of it, widened if need be.
void CopyTable(const DibLayout& layout, const uint8_t* data, size_t size)
{
    std::vector<uint8_t> table(4 * size_t(layout.colourCount));
    const uint64_t held = size > layout.tableOffset ? size - layout.tableOffset : 0;
    const size_t bytes = size_t(std::min<uint64_t>(layout.tableBytes, held));
    if (bytes > 0) std::memcpy(table.data(), data + layout.tableOffset, bytes);
    if (layout.coreHeader) WidenColourTriples(table.data(), layout.colourCount);
}

void CheckAccepted(const DibLayout& layout, const uint8_t* data, size_t size, DibSource source)
{
    CheckNumbers(layout, size, source);
    CopyTable(layout, data, size);
    const PixelFormat& format = layout.pixels.format;
    if (uint64_t(format.outStride) * format.height > kLargestDecoded) return;
    Require(DecodeAsTheLoader(layout, data) == DecodeByteByByte(layout, data));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (const DibSource source : {DibSource::Resource, DibSource::File}) {
        const DibLayout whole = ReadDibLayout(data, size, size, source);
        if (whole.Loadable()) CheckAccepted(whole, data, size, source);
        // A file's loader sees only the leading bytes and the length: same answer.
        const size_t head = std::min<size_t>(size, kBmpHeadBytes);
        const DibLayout fromHead = ReadDibLayout(data, head, size, source);
        Require(fromHead.verdict == whole.verdict && fromHead.blockSize == whole.blockSize &&
                fromHead.pixelOffset == whole.pixelOffset &&
                fromHead.pixels.sourceBytes == whole.pixels.sourceBytes);
    }
    return 0;
}
