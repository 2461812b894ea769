// Decides from a BMP's leading bytes and its length whether and how the picture can be loaded.
#pragma once

#include <cstddef>
#include <cstdint>

// The header as the DIB block keeps it (the 40-byte form), in plain types.
struct DibHeader {
    uint32_t size = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
// Enough leading bytes to decide: the file header and the longest header read.
constexpr uint32_t kBmpHeadBytes = kFileHeaderBytes + kInfoHeaderBytes;
constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionRle8 = 1;
// Wider pictures would make CreateDIBitmap ask for absurd amounts of memory.
constexpr int32_t kMaxDimension = 32767;

// A resource is copied straight from memory, so its colour table must be whole;
// a file's table may end with the file, its missing entries then stay black.
enum class DibSource { Resource, File };

enum class DibVerdict {
    Loadable,
    NotBitmap,            // no "BM" at the start
    HeaderCutShort,       // fewer bytes than the headers need
    UnsupportedHeader,    // neither the 12-byte core nor the 40-byte info header
    UnsupportedFormat,    // a bit count or compression we do not load
    BadDimensions,        // zero, negative (top-down) or absurd width or height
    TooManyColours,       // more colour entries than the bit count can use
    SizeImageTooSmall,    // fewer pixel bytes than the rows need
    SizeImageMissing,     // compressed pictures must state their size
    TooLarge,             // a size that does not fit in 32 bits
    PixelOffsetInHeader,  // bfOffBits points into the headers
    TableBeyondEnd,
    PixelsBeyondEnd,
};

// Where everything is, in the source and in the DIB block
// (block: header, then 4 x colourCount table bytes, then the pixels).
struct DibLayout {
    DibVerdict verdict = DibVerdict::NotBitmap;
    DibHeader header;         // clrUsed and sizeImage filled in
    bool coreHeader = false;  // table entries are 3-byte triples to widen
    uint32_t colourCount = 0;
    uint32_t tableOffset = 0;        // in the source
    uint32_t tableBytes = 0;         // in the source: 3 or 4 bytes an entry
    uint32_t pixelOffset = 0;        // in the source
    uint32_t pixelBytes = 0;         // copied unchanged (bottom-up rows or RLE8 codes)
    uint32_t blockPixelOffset = 0;   // in the block
    uint32_t blockSize = 0;

    bool Loadable() const { return verdict == DibVerdict::Loadable; }
};

// head: the source's first headBytes bytes (at most kBmpHeadBytes are looked at);
// sourceBytes: the length of the whole resource or file.
DibLayout ReadDibLayout(const uint8_t* head, size_t headBytes, uint64_t sourceBytes,
                        DibSource source);

// Turns count (blue, green, red) triples at the start of table into (blue, green, red, 0)
// entries; the table must have room for 4 x count bytes.
void WidenColourTriples(uint8_t* table, uint32_t count);

constexpr uint32_t kReadPiece = 32768;

// Reads count bytes in pieces of at most kReadPiece through read(destination, size),
// which returns the bytes it read. Returns count, or 0 when a piece comes up short.
template <typename ReadPiece>
uint32_t ReadInPieces(ReadPiece&& read, uint8_t* destination, uint32_t count)
{
    uint32_t remaining = count;
    while (remaining > kReadPiece) {
        if (read(destination, kReadPiece) != kReadPiece) return 0;
        destination += kReadPiece;
        remaining -= kReadPiece;
    }
    return read(destination, remaining) == remaining ? count : 0;
}
