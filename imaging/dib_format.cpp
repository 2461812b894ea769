// BMP header decisions: every rule about what a picture's bytes may claim lives here.
#include "imaging/dib_format.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr uint16_t kBitmapSignature = 0x4D42;  // "BM"
constexpr uint32_t kPixelOffsetField = 10;
constexpr uint32_t kMaskField = kFileHeaderBytes + kInfoHeaderBytes;
constexpr uint64_t kLargest32 = UINT32_MAX;
constexpr uint32_t kMostTableEntries = 256;
constexpr uint32_t kHeaderSizes[] = {kCoreHeaderBytes, kInfoHeaderBytes, 52, 56, 108, 124};
// A 16-bit pixel without masks is 5-5-5, a 32-bit one 8-8-8 with a spare byte.
constexpr uint32_t kMasks16[3] = {0x7C00, 0x03E0, 0x001F};
constexpr uint32_t kMasks32[3] = {0xFF0000, 0x00FF00, 0x0000FF};

uint16_t Read16(const uint8_t* bytes)
{
    return uint16_t(bytes[0] | bytes[1] << 8);
}

uint32_t Read32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

// The 12-byte form widened: unsigned 16-bit sizes, everything it lacks 0 (so BI_RGB).
DibHeader FromCoreHeader(const uint8_t* at)
{
    DibHeader header;
    header.size = kInfoHeaderBytes;
    header.width = Read16(at + 4);
    header.height = Read16(at + 6);
    header.planes = Read16(at + 8);
    header.bitCount = Read16(at + 10);
    return header;
}

// The first 40 bytes of every longer header are the same.
DibHeader FromInfoHeader(const uint8_t* at)
{
    DibHeader header;
    header.size = Read32(at);
    header.width = int32_t(Read32(at + 4));
    header.height = int32_t(Read32(at + 8));
    header.planes = Read16(at + 12);
    header.bitCount = Read16(at + 14);
    header.compression = Read32(at + 16);
    header.sizeImage = Read32(at + 20);
    header.xPelsPerMeter = int32_t(Read32(at + 24));
    header.yPelsPerMeter = int32_t(Read32(at + 28));
    header.clrUsed = Read32(at + 32);
    header.clrImportant = Read32(at + 36);
    return header;
}

// The leading bytes hold `needed` bytes when they are in the source and were handed to us.
bool Holds(size_t headBytes, uint64_t sourceBytes, uint32_t needed)
{
    return sourceBytes >= needed && headBytes >= std::min(needed, kBmpHeadBytes);
}

DibVerdict ReadHeader(const uint8_t* head, size_t headBytes, uint64_t sourceBytes, DibLayout& layout)
{
    if (headBytes < 2 || Read16(head) != kBitmapSignature) return DibVerdict::NotBitmap;
    if (headBytes < kFileHeaderBytes + 4) return DibVerdict::HeaderCutShort;
    const uint8_t* header = head + kFileHeaderBytes;
    const uint32_t headerSize = Read32(header);
    if (std::find(std::begin(kHeaderSizes), std::end(kHeaderSizes), headerSize) == std::end(kHeaderSizes))
        return DibVerdict::UnsupportedHeader;
    if (!Holds(headBytes, sourceBytes, kFileHeaderBytes + headerSize)) return DibVerdict::HeaderCutShort;
    layout.coreHeader = headerSize == kCoreHeaderBytes;
    layout.header = layout.coreHeader ? FromCoreHeader(header) : FromInfoHeader(header);
    layout.tableOffset = kFileHeaderBytes + headerSize;
    return DibVerdict::Loadable;
}

bool SensibleDimensions(const DibHeader& header)
{
    return header.width >= 1 && header.width <= kMaxDimension && header.height != 0 &&
           header.height >= -kMaxDimension && header.height <= kMaxDimension;
}

bool KnownFormat(const DibHeader& header, bool coreHeader)
{
    const bool topDown = header.height < 0;
    switch (header.compression) {
    case kCompressionRle8: return header.bitCount == 8 && !topDown;
    case kCompressionRle4: return header.bitCount == 4 && !topDown;
    case kCompressionBitfields: return header.bitCount == 16 || header.bitCount == 32;
    case kCompressionRgb: break;
    default: return false;
    }
    switch (header.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24: return true;
    case 16:
    case 32: return !coreHeader;
    default: return false;
    }
}

uint32_t RowCount(const DibHeader& header)
{
    return uint32_t(header.height < 0 ? -int64_t(header.height) : header.height);
}

DibVerdict CheckKind(const DibLayout& layout)
{
    const DibHeader& header = layout.header;
    if (!SensibleDimensions(header)) return DibVerdict::BadDimensions;
    if (!KnownFormat(header, layout.coreHeader)) return DibVerdict::UnsupportedFormat;
    if (uint64_t(header.width) * RowCount(header) > kMaxPixels) return DibVerdict::TooManyPixels;
    return DibVerdict::Loadable;
}

// Each mask one run of bits inside the pixel, and no two sharing a bit.
bool UsableMasks(const uint32_t (&masks)[3], uint16_t bitCount)
{
    const uint64_t pixelBits = (uint64_t(1) << bitCount) - 1;
    uint32_t seen = 0;
    for (const uint32_t mask : masks) {
        MaskField field;
        if (!ReadMask(mask, field) || mask > pixelBits || (mask & seen) != 0) return false;
        seen |= mask;
    }
    return true;
}

DibVerdict ReadMasks(const uint8_t* head, size_t headBytes, uint64_t sourceBytes, DibLayout& layout)
{
    PixelFormat& format = layout.pixels.format;
    const uint16_t bitCount = layout.header.bitCount;
    if (bitCount == 16 || bitCount == 32) {
        const uint32_t* fixed = bitCount == 16 ? kMasks16 : kMasks32;
        std::copy(fixed, fixed + 3, format.masks);
    }
    if (layout.header.compression != kCompressionBitfields) return DibVerdict::Loadable;
    if (!Holds(headBytes, sourceBytes, kMaskField + kMaskBytes)) return DibVerdict::HeaderCutShort;
    for (uint32_t i = 0; i < 3; ++i) format.masks[i] = Read32(head + kMaskField + 4 * i);
    // After the 40-byte header the masks come before the colour table; longer headers hold them.
    if (layout.header.size == kInfoHeaderBytes) layout.tableOffset += kMaskBytes;
    return UsableMasks(format.masks, bitCount) ? DibVerdict::Loadable : DibVerdict::BadMasks;
}

// A palette picture uses at most 2^bits entries; the others may carry up to 256 as a hint.
uint32_t MostColours(uint16_t bitCount)
{
    return bitCount <= 8 ? 1u << bitCount : kMostTableEntries;
}

uint32_t ImpliedColours(uint16_t bitCount)
{
    return bitCount <= 8 ? 1u << bitCount : 0;
}

DibVerdict CountColours(DibLayout& layout)
{
    DibHeader& header = layout.header;
    if (header.clrUsed > MostColours(header.bitCount)) return DibVerdict::TooManyColours;
    layout.colourCount = header.clrUsed != 0 ? header.clrUsed : ImpliedColours(header.bitCount);
    return DibVerdict::Loadable;
}

PixelCoding CodingOf(uint32_t compression)
{
    switch (compression) {
    case kCompressionRle8: return PixelCoding::Rle8;
    case kCompressionRle4: return PixelCoding::Rle4;
    default: return PixelCoding::Rows;
    }
}

// What the source's pixel data is and how much of it the source must hold.
DibVerdict SizeSource(DibLayout& layout, uint64_t& stated)
{
    const DibHeader& header = layout.header;
    PixelFormat& format = layout.pixels.format;
    format.coding = CodingOf(header.compression);
    format.bitCount = header.bitCount;
    format.width = uint32_t(header.width);
    format.height = RowCount(header);
    layout.pixels.topDown = header.height < 0;
    if (format.coding != PixelCoding::Rows) {
        if (header.sizeImage == 0) return DibVerdict::SizeImageMissing;
        stated = header.sizeImage;
        layout.pixels.sourceBytes = header.sizeImage;
        return DibVerdict::Loadable;
    }
    const uint64_t stride = StrideOf(format.width, format.bitCount);
    const uint64_t rows = stride * format.height;
    if (rows > kLargest32) return DibVerdict::TooLarge;
    if (header.sizeImage != 0 && header.sizeImage < rows) return DibVerdict::SizeImageTooSmall;
    format.sourceStride = uint32_t(stride);
    stated = std::max<uint64_t>(header.sizeImage, rows);
    layout.pixels.sourceBytes = uint32_t(rows);
    return DibVerdict::Loadable;
}

// The block: a resource's whole picture, or a file's header, table, one band and one piece.
DibVerdict SizeBlock(DibLayout& layout, DibSource source)
{
    PixelPlan& plan = layout.pixels;
    PixelFormat& format = plan.format;
    const uint16_t outBits = OutputBits(format.bitCount);
    format.outStride = uint32_t(StrideOf(format.width, outBits));
    const uint64_t allRows = uint64_t(format.outStride) * format.height;
    const uint64_t pixelsInBlock = allRows;
    plan.bandRows = source == DibSource::Resource
                        ? format.height
                        : std::clamp(kBandBytes / format.outStride, 1u, format.height);

    const uint64_t tableInBlock = 4ull * layout.colourCount;
    const uint64_t pixelOffset = kInfoHeaderBytes + tableInBlock;
    const uint64_t bandBytes =
        source == DibSource::Resource ? pixelsInBlock : uint64_t(plan.bandRows) * format.outStride;
    const uint64_t workOffset = pixelOffset + bandBytes;
    const uint64_t pieceOffset = workOffset + PixelDecoder::WorkBytes(format);
    const uint64_t blockSize = pieceOffset + (source == DibSource::File ? kReadPiece : 0);
    if (blockSize > kLargest32 || pixelOffset + pixelsInBlock > kLargest32) return DibVerdict::TooLarge;
    layout.blockPixelOffset = uint32_t(pixelOffset);
    layout.blockWorkOffset = uint32_t(workOffset);
    layout.blockPieceOffset = uint32_t(pieceOffset);
    layout.blockSize = uint32_t(blockSize);

    DibHeader& header = layout.header;
    header.size = kInfoHeaderBytes;
    header.height = int32_t(format.height);
    header.planes = 1;
    header.bitCount = outBits;
    header.compression = kCompressionRgb;
    header.sizeImage = uint32_t(pixelsInBlock);
    header.clrUsed = layout.colourCount;
    return DibVerdict::Loadable;
}

DibVerdict PlaceInSource(DibLayout& layout, uint32_t pixelOffsetField, uint64_t stated, uint64_t sourceBytes,
                         DibSource source)
{
    layout.tableBytes = layout.colourCount * (layout.coreHeader ? 3u : 4u);
    const uint64_t tableEnd = uint64_t(layout.tableOffset) + layout.tableBytes;
    if (tableEnd > sourceBytes && source == DibSource::Resource) return DibVerdict::TableBeyondEnd;

    if (pixelOffsetField != 0 && pixelOffsetField < layout.tableOffset)
        return DibVerdict::PixelOffsetInHeader;
    const uint64_t pixelOffset = pixelOffsetField != 0 ? pixelOffsetField : tableEnd;
    if (pixelOffset + stated > sourceBytes) return DibVerdict::PixelsBeyondEnd;
    layout.pixelOffset = uint32_t(pixelOffset);
    return DibVerdict::Loadable;
}

}  // namespace

DibLayout ReadDibLayout(const uint8_t* head, size_t headBytes, uint64_t sourceBytes, DibSource source)
{
    DibLayout layout;
    const size_t usable = size_t(std::min<uint64_t>(headBytes, sourceBytes));
    uint64_t stated = 0;  // pixel bytes the header claims the source holds
    layout.verdict = ReadHeader(head, usable, sourceBytes, layout);
    if (layout.Loadable()) layout.verdict = CheckKind(layout);
    if (layout.Loadable()) layout.verdict = ReadMasks(head, usable, sourceBytes, layout);
    if (layout.Loadable()) layout.verdict = CountColours(layout);
    if (layout.Loadable()) layout.verdict = SizeSource(layout, stated);
    if (layout.Loadable()) layout.verdict = SizeBlock(layout, source);
    if (layout.Loadable())
        layout.verdict =
            PlaceInSource(layout, Read32(head + kPixelOffsetField), stated, sourceBytes, source);
    return layout;
}

void WidenColourTriples(uint8_t* table, uint32_t count)
{
    // From the last entry back, so no triple is overwritten before it is read.
    for (uint32_t entry = count; entry-- > 0;) {
        uint8_t* to = table + 4 * size_t(entry);
        const uint8_t* from = table + 3 * size_t(entry);
        const uint8_t blue = from[0], green = from[1], red = from[2];
        to[0] = blue;
        to[1] = green;
        to[2] = red;
        to[3] = 0;
    }
}
