// Pixel rows of every BMP kind, converted to 8-bit indices or 24-bit colours, and run-length codes
// decoded, without a word about Windows.
#include "imaging/dib_pixels.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t kEndOfLine = 0;
constexpr uint8_t kEndOfBitmap = 1;
constexpr uint8_t kDelta = 2;

// A channel of `bits` bits widened to eight by repeating its bits, so full stays full (31 -> 255).
uint8_t WidenChannel(uint32_t value, uint32_t bits)
{
    if (bits == 0) return 0;
    if (bits >= 8) return uint8_t(value >> (bits - 8));
    uint32_t widened = 0;
    uint32_t filled = 0;
    while (filled < 8) {
        widened = widened << bits | value;
        filled += bits;
    }
    return uint8_t(widened >> (filled - 8));
}

void ConvertIndices(const PixelFormat& format, const uint8_t* source, uint8_t* destination)
{
    const uint32_t width = format.width;
    switch (format.bitCount) {
    case 1:
        for (uint32_t x = 0; x < width; ++x) destination[x] = (source[x / 8] >> (7 - x % 8)) & 1;
        break;
    case 4:
        for (uint32_t x = 0; x < width; ++x) destination[x] = (source[x / 2] >> (x % 2 ? 0 : 4)) & 0xF;
        break;
    default: std::memcpy(destination, source, width); break;
    }
}

uint32_t PackedPixel(const uint8_t* at, uint16_t bitCount)
{
    if (bitCount == 16) return uint32_t(at[0]) | uint32_t(at[1]) << 8;
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

void ConvertPacked(const PixelFormat& format, const uint8_t* source, uint8_t* destination)
{
    MaskField red, green, blue;
    ReadMask(format.masks[0], red);
    ReadMask(format.masks[1], green);
    ReadMask(format.masks[2], blue);
    const uint32_t step = format.bitCount / 8u;
    for (uint32_t x = 0; x < format.width; ++x) {
        const uint32_t pixel = PackedPixel(source + size_t(x) * step, format.bitCount);
        uint8_t* to = destination + size_t(x) * 3;
        to[0] = WidenChannel((pixel & format.masks[2]) >> blue.shift, blue.width);
        to[1] = WidenChannel((pixel & format.masks[1]) >> green.shift, green.width);
        to[2] = WidenChannel((pixel & format.masks[0]) >> red.shift, red.width);
    }
}

}  // namespace

bool ReadMask(uint32_t mask, MaskField& field)
{
    field = MaskField{};
    if (mask == 0) return false;
    while (!(mask >> field.shift & 1)) ++field.shift;
    const uint64_t run = mask >> field.shift;
    while (run >> field.width & 1) ++field.width;
    return run == (uint64_t(1) << field.width) - 1;
}

void ConvertRow(const PixelFormat& format, const uint8_t* source, uint8_t* destination)
{
    size_t used = format.width;
    if (format.bitCount <= 8) {
        ConvertIndices(format, source, destination);
    } else if (format.bitCount == 24) {
        used = size_t(format.width) * 3;
        std::memcpy(destination, source, used);
    } else {
        used = size_t(format.width) * 3;
        ConvertPacked(format, source, destination);
    }
    std::memset(destination + used, 0, format.outStride - used);
}

PixelDecoder::PixelDecoder(const PixelFormat& format, uint8_t* work)
    : format_(format), row_(work), state_(format.height == 0 ? State::Done : State::Count)
{
    if (format_.coding != PixelCoding::Rows) std::memset(row_, 0, format_.outStride);
}

uint32_t PixelDecoder::WorkBytes(const PixelFormat& format)
{
    return format.coding == PixelCoding::Rows ? format.sourceStride : format.outStride;
}

size_t PixelDecoder::Feed(const uint8_t* bytes, size_t count)
{
    if (format_.coding == PixelCoding::Rows) {
        if (!WantsBytes()) return 0;
        const size_t taken = std::min<size_t>(count, format_.sourceStride - x_);
        std::memcpy(row_ + x_, bytes, taken);
        x_ += uint32_t(taken);
        if (x_ == format_.sourceStride) EndRows(1);
        return taken;
    }
    size_t taken = 0;
    while (taken < count && WantsBytes()) TakeByte(bytes[taken++]);
    return taken;
}

void PixelDecoder::EndOfSource()
{
    if (state_ == State::Done || RowReady()) return;
    // A partly read row of bytes is no row; a run-length row keeps what it has.
    blankRows_ = format_.coding == PixelCoding::Rows;
    EndRows(format_.height - rowsBegun_);
}

void PixelDecoder::TakeRow(uint8_t* destination)
{
    if (!RowReady()) return;
    if (blankRows_)
        std::memset(destination, 0, format_.outStride);
    else if (format_.coding == PixelCoding::Rows)
        ConvertRow(format_, row_, destination);
    else {
        std::memcpy(destination, row_, format_.outStride);
        std::memset(row_, 0, format_.outStride);  // rows skipped by a delta or the end are blank
    }
    --rowsOwed_;
    ++rowsTaken_;
}

// The row being built is done, and count - 1 blank ones after it.
void PixelDecoder::EndRows(uint32_t count)
{
    count = std::min(count, format_.height - rowsBegun_);
    rowsBegun_ += count;
    rowsOwed_ += count;
    x_ = 0;
    if (rowsBegun_ == format_.height) state_ = State::Done;
}

void PixelDecoder::PutPixel(uint8_t index)
{
    if (x_ < format_.width) row_[x_++] = index;  // a run past the row's end is cut off there
}

void PixelDecoder::TakeRunLength(uint8_t byte)
{
    if (format_.coding == PixelCoding::Rle8) {
        for (uint32_t i = 0; i < count_; ++i) PutPixel(byte);
    } else {
        for (uint32_t i = 0; i < count_; ++i) PutPixel(i % 2 ? byte & 0xF : byte >> 4);
    }
    state_ = State::Count;
}

void PixelDecoder::TakeEscape(uint8_t byte)
{
    switch (byte) {
    case kEndOfLine:
        EndRows(1);
        if (state_ != State::Done) state_ = State::Count;
        break;
    case kEndOfBitmap: EndRows(format_.height - rowsBegun_); break;
    case kDelta: state_ = State::DeltaX; break;
    default: {
        count_ = byte;
        // Literal stretches fill whole 16-bit words.
        const uint32_t bytes = format_.coding == PixelCoding::Rle8 ? byte : (byte + 1u) / 2;
        padLiteral_ = bytes % 2 != 0;
        state_ = State::Literal;
    }
    }
}

void PixelDecoder::TakeByte(uint8_t byte)
{
    switch (state_) {
    case State::Count:
        count_ = byte;
        state_ = byte == 0 ? State::Escape : State::RunValue;
        break;
    case State::RunValue: TakeRunLength(byte); break;
    case State::Escape: TakeEscape(byte); break;
    case State::DeltaX:
        count_ = byte;
        state_ = State::DeltaY;
        break;
    case State::DeltaY: {
        const uint32_t x = std::min(x_ + count_, format_.width);
        state_ = State::Count;
        if (byte != 0) EndRows(byte);
        x_ = x;  // the move right holds in the row moved up to
        break;
    }
    case State::Literal:
        if (format_.coding == PixelCoding::Rle8) {
            PutPixel(byte);
            --count_;
        } else {
            PutPixel(byte >> 4);
            if (--count_ > 0) {
                PutPixel(byte & 0xF);
                --count_;
            }
        }
        if (count_ == 0) state_ = padLiteral_ ? State::LiteralPad : State::Count;
        break;
    case State::LiteralPad: state_ = State::Count; break;
    case State::Done: break;
    }
}

RowPlace PlaceRow(uint32_t row, uint32_t height, uint32_t bandRows, bool topDown)
{
    RowPlace place;
    bandRows = std::max(bandRows, 1u);
    const uint32_t band = row / bandRows;
    const uint32_t scan = topDown ? height - 1 - row : row;
    if (topDown) {
        // Bands from the top down; rows arrive in each from its top.
        const uint32_t bandEnd = height - band * bandRows;
        place.firstScan = bandEnd > bandRows ? bandEnd - bandRows : 0;
        place.scanCount = bandEnd - place.firstScan;
        place.bandComplete = scan == place.firstScan;
    } else {
        place.firstScan = band * bandRows;
        place.scanCount = std::min(bandRows, height - place.firstScan);
        place.bandComplete = scan == place.firstScan + place.scanCount - 1;
    }
    place.slot = scan - place.firstScan;
    return place;
}
