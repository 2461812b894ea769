// Decides from a BMP's leading bytes and its length whether and how the picture can be loaded.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/dib_pixels.h"

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
constexpr uint32_t kMaskBytes = 12;  // red, green and blue masks
// Enough leading bytes to decide: the file header, the 40-byte header and the three masks that
// follow it or, in the longer headers, are its next fields.
constexpr uint32_t kBmpHeadBytes = kFileHeaderBytes + kInfoHeaderBytes + kMaskBytes;
constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr uint32_t kCompressionBitfields = 3;
// Wider pictures would make CreateDIBitmap ask for absurd amounts of memory.
constexpr int32_t kMaxDimension = 32767;
// 48 Mi pixels (8192 x 6144, or a 50-megapixel photo): the screen bitmap of the largest picture
// at 4 bytes a pixel keeps the saver well under 300 MB.
constexpr uint64_t kMaxPixels = uint64_t(48) << 20;
// A file's rows are handed to the screen bitmap in bands of about this many bytes.
constexpr uint32_t kBandBytes = 256 * 1024;

// A resource is copied straight from memory, so its colour table must be whole;
// a file's table may end with the file, its missing entries then stay black.
enum class DibSource { Resource, File };

enum class DibVerdict {
    Loadable,
    NotBitmap,            // no "BM" at the start
    HeaderCutShort,       // fewer bytes than the headers (and masks) need
    UnsupportedHeader,    // not a 12-, 40-, 52-, 56-, 108- or 124-byte header
    UnsupportedFormat,    // a bit count or compression we do not load, or compressed top-down
    BadDimensions,        // zero or absurd width or height
    TooManyPixels,        // more than kMaxPixels
    BadMasks,             // bit-field masks that are empty, split, overlapping or too wide
    TooManyColours,       // more colour entries than the bit count can use
    SizeImageTooSmall,    // fewer pixel bytes than the rows need
    SizeImageMissing,     // compressed pictures must state their size
    TooLarge,             // a size that does not fit in 32 bits
    PixelOffsetInHeader,  // bfOffBits points into the headers
    TableBeyondEnd,
    PixelsBeyondEnd,
};

// Where everything is, in the source and in the DIB block. The block holds the header, then
// 4 x colourCount table bytes, then the pixel rows (all of a resource's; a band of a file's),
// then the decoder's work space and, for a file, one piece as read.
struct DibLayout {
    DibVerdict verdict = DibVerdict::NotBitmap;
    DibHeader header;         // the block's: bottom-up, 8 or 24 bits, clrUsed and sizeImage filled in
    bool coreHeader = false;  // table entries are 3-byte triples to widen
    uint32_t colourCount = 0;
    uint32_t tableOffset = 0;       // in the source
    uint32_t tableBytes = 0;        // in the source: 3 or 4 bytes an entry
    uint32_t pixelOffset = 0;       // in the source
    PixelPlan pixels;               // the source's pixel bytes (sourceBytes of them) into rows
    uint32_t blockPixelOffset = 0;  // in the block
    uint32_t blockWorkOffset = 0;
    uint32_t blockPieceOffset = 0;
    uint32_t blockSize = 0;

    bool Loadable() const { return verdict == DibVerdict::Loadable; }
};

// head: the source's first headBytes bytes (at most kBmpHeadBytes are looked at);
// sourceBytes: the length of the whole resource or file.
DibLayout ReadDibLayout(const uint8_t* head, size_t headBytes, uint64_t sourceBytes, DibSource source);

// Turns count (blue, green, red) triples at the start of table into (blue, green, red, 0)
// entries; the table must have room for 4 x count bytes.
void WidenColourTriples(uint8_t* table, uint32_t count);
