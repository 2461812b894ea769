// Turns a BMP's pixel bytes, as they come, into the rows of an 8- or 24-bit bottom-up DIB.
#pragma once

#include <cstddef>
#include <cstdint>

// How the source stores its pixels.
enum class PixelCoding : uint8_t { Rows, Rle8, Rle4 };

// Everything the conversion needs to know, decided from the header beforehand.
struct PixelFormat {
    PixelCoding coding = PixelCoding::Rows;
    uint16_t bitCount = 8;  // in the source: 1, 4, 8, 16, 24 or 32
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t sourceStride = 0;  // bytes a source row takes (rows only)
    uint32_t masks[3] = {};     // red, green, blue bits of a 16- or 32-bit pixel
    uint32_t outStride = 0;     // bytes a row of the result takes
};

// Palette pictures become 8-bit, all others 24-bit.
constexpr uint16_t OutputBits(uint16_t sourceBits)
{
    return sourceBits <= 8 ? 8 : 24;
}

// Bytes a row of `width` pixels of `bits` takes, padded to four bytes.
constexpr uint64_t StrideOf(uint64_t width, uint16_t bits)
{
    return (width * bits + 31) / 32 * 4;
}

// One mask's place: true when the mask is a single run of bits.
struct MaskField {
    uint32_t shift = 0;
    uint32_t width = 0;
};
bool ReadMask(uint32_t mask, MaskField& field);

// One uncompressed source row (format.sourceStride bytes) into a row of the result
// (format.outStride bytes): colour indices, or blue, green, red; the padding zero.
void ConvertRow(const PixelFormat& format, const uint8_t* source, uint8_t* destination);

// Takes the source's pixel bytes in pieces of any size and hands out the result's rows in the
// source's order. A run-length picture that ends early, or moves past pixels, leaves them 0.
class PixelDecoder {
public:
    // work: WorkBytes(format) bytes that the decoder keeps its row in.
    PixelDecoder(const PixelFormat& format, uint8_t* work);
    static uint32_t WorkBytes(const PixelFormat& format);

    // Takes bytes until a row is ready or the bytes are used up; returns how many it took.
    size_t Feed(const uint8_t* bytes, size_t count);
    // No more bytes come: the rows still missing are blank.
    void EndOfSource();

    bool WantsBytes() const { return state_ != State::Done && !RowReady(); }
    bool RowReady() const { return rowsOwed_ > 0; }
    // Writes the next ready row (format.outStride bytes); RowsTaken() counts them.
    void TakeRow(uint8_t* destination);
    uint32_t RowsTaken() const { return rowsTaken_; }
    bool Finished() const { return rowsTaken_ == format_.height; }

private:
    enum class State : uint8_t { Count, RunValue, Escape, DeltaX, DeltaY, Literal, LiteralPad, Done };

    void TakeByte(uint8_t byte);
    void TakeRunLength(uint8_t byte);
    void TakeEscape(uint8_t byte);
    void PutPixel(uint8_t index);
    void EndRows(uint32_t count);

    PixelFormat format_;
    uint8_t* row_;
    State state_;
    uint32_t x_ = 0;          // within the row being built (run-length) or filled (bytes)
    uint32_t rowsBegun_ = 0;  // rows handed out or owed
    uint32_t rowsOwed_ = 0;
    uint32_t rowsTaken_ = 0;
    bool blankRows_ = false;  // owed rows past the first hold no pixels
    uint32_t count_ = 0;      // of a run, a literal stretch, or the pending delta's x
    bool padLiteral_ = false;
};

// Where the rows of a picture go in bands of bottom-up scan lines that are handed over whole.
struct RowPlace {
    uint32_t slot = 0;  // row within the band, counted from its bottom
    bool bandComplete = false;
    uint32_t firstScan = 0;  // of the band, counted from the picture's bottom
    uint32_t scanCount = 0;
};
// row: in the source's order (the top row first when topDown).
RowPlace PlaceRow(uint32_t row, uint32_t height, uint32_t bandRows, bool topDown);

// Every pixel of a source, converted into bands; reading, stopping and handing over are the caller's.
struct PixelPlan {
    PixelFormat format;
    bool topDown = false;
    uint32_t sourceBytes = 0;  // bytes of pixel data the source holds for us
    uint32_t bandRows = 0;
};

constexpr uint32_t kReadPiece = 32768;

// read(bytes) gives the next `bytes` bytes (at most kReadPiece) or null; stop() is asked before each
// piece and each band; handOver(firstScan, scanCount) takes a complete band and says whether it
// could. band: bandRows rows; work: PixelDecoder::WorkBytes. False when anything failed or stopped.
template <typename Read, typename Stop, typename HandOver>
bool DecodePixels(const PixelPlan& plan, uint8_t* band, uint8_t* work, Read&& read, Stop&& stop,
                  HandOver&& handOver)
{
    PixelDecoder decoder(plan.format, work);
    uint32_t left = plan.sourceBytes;
    const uint8_t* piece = nullptr;
    size_t pieceLeft = 0;
    while (!decoder.Finished()) {
        while (decoder.RowReady()) {
            const RowPlace place =
                PlaceRow(decoder.RowsTaken(), plan.format.height, plan.bandRows, plan.topDown);
            decoder.TakeRow(band + size_t(place.slot) * plan.format.outStride);
            if (place.bandComplete && (stop() || !handOver(place.firstScan, place.scanCount))) return false;
        }
        if (!decoder.WantsBytes()) continue;
        if (pieceLeft == 0 && left == 0) {
            decoder.EndOfSource();
            continue;
        }
        if (pieceLeft == 0) {
            if (stop()) return false;
            const uint32_t bytes = left < kReadPiece ? left : kReadPiece;
            piece = read(bytes);
            if (piece == nullptr) return false;
            left -= bytes;
            pieceLeft = bytes;
        }
        const size_t used = decoder.Feed(piece, pieceLeft);
        piece += used;
        pieceLeft -= used;
    }
    return true;
}
