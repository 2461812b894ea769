// BMP header decisions: every rule about what a picture's bytes may claim lives here.
#include "imaging/dib_format.h"

#include <algorithm>

namespace {

constexpr uint16_t kBitmapSignature = 0x4D42;  // "BM"
constexpr uint32_t kPixelOffsetField = 10;
constexpr uint64_t kLargest32 = UINT32_MAX;
constexpr uint32_t kMostTableEntries = 256;

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

DibVerdict ReadHeader(const uint8_t* head, size_t headBytes, DibLayout& layout)
{
    if (headBytes < 2 || Read16(head) != kBitmapSignature) return DibVerdict::NotBitmap;
    if (headBytes < kFileHeaderBytes + 4) return DibVerdict::HeaderCutShort;
    const uint8_t* header = head + kFileHeaderBytes;
    const uint32_t headerSize = Read32(header);
    if (headerSize != kCoreHeaderBytes && headerSize != kInfoHeaderBytes)
        return DibVerdict::UnsupportedHeader;
    if (headBytes < kFileHeaderBytes + headerSize) return DibVerdict::HeaderCutShort;
    layout.coreHeader = headerSize == kCoreHeaderBytes;
    layout.header = layout.coreHeader ? FromCoreHeader(header) : FromInfoHeader(header);
    layout.tableOffset = kFileHeaderBytes + headerSize;
    return DibVerdict::Loadable;
}

bool SensibleDimensions(const DibHeader& header)
{
    return header.width >= 1 && header.width <= kMaxDimension && header.height >= 1 &&
           header.height <= kMaxDimension;
}

bool KnownFormat(const DibHeader& header)
{
    if (header.compression == kCompressionRle8) return header.bitCount == 8;
    if (header.compression != kCompressionRgb) return false;
    switch (header.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24: return true;
    default: return false;
    }
}

DibVerdict CheckKind(const DibHeader& header)
{
    if (!SensibleDimensions(header)) return DibVerdict::BadDimensions;
    if (!KnownFormat(header)) return DibVerdict::UnsupportedFormat;
    return DibVerdict::Loadable;
}

// A palette picture uses at most 2^bits entries; a 24-bit one may carry up to 256 as a hint.
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
    header.clrUsed = layout.colourCount;
    return DibVerdict::Loadable;
}

// What CreateDIBitmap reads for the stated width, height and bit count.
uint64_t RowBytes(const DibHeader& header)
{
    const uint64_t stride = (uint64_t(header.width) * header.bitCount + 31) / 32 * 4;
    return stride * uint64_t(header.height);
}

DibVerdict SizePixels(DibLayout& layout)
{
    DibHeader& header = layout.header;
    if (header.compression == kCompressionRle8) {
        if (header.sizeImage == 0) return DibVerdict::SizeImageMissing;
    } else {
        const uint64_t rows = RowBytes(header);
        if (rows > kLargest32) return DibVerdict::TooLarge;
        if (header.sizeImage == 0) header.sizeImage = uint32_t(rows);
        if (header.sizeImage < rows) return DibVerdict::SizeImageTooSmall;
    }
    layout.pixelBytes = header.sizeImage;
    const uint64_t tableInBlock = 4ull * layout.colourCount;
    const uint64_t blockSize = kInfoHeaderBytes + tableInBlock + header.sizeImage;
    if (blockSize > kLargest32) return DibVerdict::TooLarge;
    layout.blockPixelOffset = uint32_t(kInfoHeaderBytes + tableInBlock);
    layout.blockSize = uint32_t(blockSize);
    return DibVerdict::Loadable;
}

DibVerdict PlaceInSource(DibLayout& layout, uint32_t pixelOffsetField, uint64_t sourceBytes,
                         DibSource source)
{
    layout.tableBytes = layout.colourCount * (layout.coreHeader ? 3u : 4u);
    const uint64_t tableEnd = uint64_t(layout.tableOffset) + layout.tableBytes;
    if (tableEnd > sourceBytes && source == DibSource::Resource) return DibVerdict::TableBeyondEnd;

    if (pixelOffsetField != 0 && pixelOffsetField < layout.tableOffset)
        return DibVerdict::PixelOffsetInHeader;
    const uint64_t pixelOffset = pixelOffsetField != 0 ? pixelOffsetField : tableEnd;
    if (pixelOffset + layout.pixelBytes > sourceBytes) return DibVerdict::PixelsBeyondEnd;
    layout.pixelOffset = uint32_t(pixelOffset);
    return DibVerdict::Loadable;
}

}  // namespace

DibLayout ReadDibLayout(const uint8_t* head, size_t headBytes, uint64_t sourceBytes,
                        DibSource source)
{
    DibLayout layout;
    const size_t usable = size_t(std::min<uint64_t>(headBytes, sourceBytes));
    layout.verdict = ReadHeader(head, usable, layout);
    if (layout.Loadable()) layout.verdict = CheckKind(layout.header);
    if (layout.Loadable()) layout.verdict = CountColours(layout);
    if (layout.Loadable()) layout.verdict = SizePixels(layout);
    if (layout.Loadable())
        layout.verdict =
            PlaceInSource(layout, Read32(head + kPixelOffsetField), sourceBytes, source);
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
