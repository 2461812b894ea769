// BI_RLE8: runs of one index, literal stretches otherwise, one row at a time from the bottom.
#include "rle8.h"

#include <algorithm>

namespace {

constexpr int kLongestRun = 255;
constexpr int kShortestLiteral = 3;  // absolute mode cannot say fewer than three pixels

int RunLength(const uint8_t* row, int start, int width)
{
    int length = 1;
    while (start + length < width && length < kLongestRun && row[start + length] == row[start]) ++length;
    return length;
}

// Pixels from start up to (not including) the next run of three or more, at most 255.
int LiteralLength(const uint8_t* row, int start, int width)
{
    int length = 0;
    while (start + length < width && length < kLongestRun) {
        if (RunLength(row, start + length, width) >= 3) break;
        ++length;
    }
    return length;
}

void EncodeRow(const uint8_t* row, int width, std::vector<uint8_t>& out)
{
    int x = 0;
    while (x < width) {
        int run = RunLength(row, x, width);
        if (run >= 2) {
            out.push_back(uint8_t(run));
            out.push_back(row[x]);
            x += run;
            continue;
        }
        int literal = LiteralLength(row, x, width);
        if (literal < kShortestLiteral) {
            for (int i = 0; i < literal; ++i) {
                out.push_back(1);
                out.push_back(row[x + i]);
            }
        } else {
            out.push_back(0);
            out.push_back(uint8_t(literal));
            out.insert(out.end(), row + x, row + x + literal);
            if (literal % 2 != 0) out.push_back(0);
        }
        x += literal;
    }
    out.push_back(0);
    out.push_back(0);  // end of line
}

}  // namespace

std::vector<uint8_t> EncodeRle8(const IndexedPicture& picture)
{
    std::vector<uint8_t> out;
    for (int y = picture.height - 1; y >= 0; --y)
        EncodeRow(picture.pixels.data() + size_t(y) * picture.width, picture.width, out);
    out.push_back(0);
    out.push_back(1);  // end of bitmap
    return out;
}

bool DecodeRle8(const uint8_t* data, size_t size, int width, int height, std::vector<uint8_t>& pixels,
                std::string& error)
{
    pixels.assign(size_t(width) * height, 0);
    size_t at = 0;
    auto fail = [&](const std::string& why) {
        error = why + " at byte " + std::to_string(at);
        return false;
    };
    for (int row = 0; row < height; ++row) {
        uint8_t* line = pixels.data() + size_t(height - 1 - row) * width;
        int x = 0;
        for (;;) {
            if (at + 2 > size) return fail("stream ends inside row " + std::to_string(row));
            uint8_t count = data[at], value = data[at + 1];
            at += 2;
            if (count > 0) {
                if (x + count > width) return fail("run passes the end of the row");
                std::fill(line + x, line + x + count, value);
                x += count;
            } else if (value == 0) {
                if (x != width) return fail("row ends after " + std::to_string(x) + " pixels");
                break;
            } else if (value == 1 || value == 2) {
                return fail(value == 1 ? "early end of bitmap" : "delta escape");
            } else {
                size_t padded = value + (value % 2u);
                if (at + padded > size) return fail("absolute run passes the end of the stream");
                if (x + value > width) return fail("absolute run passes the end of the row");
                std::copy(data + at, data + at + value, line + x);
                if (value % 2u != 0 && data[at + value] != 0) return fail("non-zero pad byte");
                x += value;
                at += padded;
            }
        }
    }
    if (at + 2 != size || data[at] != 0 || data[at + 1] != 1) return fail("missing end of bitmap");
    return true;
}
