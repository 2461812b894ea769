// Writes and re-reads 8-bit BMP files byte by byte, little-endian, independent of the host's structs.
#include "bmp_writer.h"

#include "dib_bytes.h"
#include "rle8.h"

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kColourCount = 256;
constexpr uint32_t kPixelOffset = kFileHeaderSize + kInfoHeaderSize + kColourCount * 4;  // 1078
constexpr int32_t kPixelsPerMetre = 2835;                                                // 72 dpi

std::vector<uint8_t> UncompressedRows(const IndexedPicture& picture)
{
    std::vector<uint8_t> out;
    size_t stride = RowBytes(picture.width, 8);
    for (int y = picture.height - 1; y >= 0; --y) {
        const uint8_t* row = picture.pixels.data() + size_t(y) * picture.width;
        out.insert(out.end(), row, row + picture.width);
        out.resize(out.size() + stride - size_t(picture.width), 0);
    }
    return out;
}

bool ReadUncompressedRows(const std::vector<uint8_t>& file, IndexedPicture& picture, std::string& error)
{
    size_t stride = RowBytes(picture.width, 8);
    picture.pixels.resize(size_t(picture.width) * picture.height);
    for (int row = 0; row < picture.height; ++row) {
        size_t from = kPixelOffset + size_t(row) * stride;
        uint8_t* line = picture.pixels.data() + size_t(picture.height - 1 - row) * picture.width;
        std::copy(file.begin() + long(from), file.begin() + long(from) + picture.width, line);
        for (size_t pad = size_t(picture.width); pad < stride; ++pad) {
            if (file[from + pad] != 0) {
                error = "non-zero row padding";
                return false;
            }
        }
    }
    return true;
}

}  // namespace

std::vector<uint8_t> BuildBmp(const IndexedPicture& picture, BmpCompression compression)
{
    std::vector<uint8_t> pixels =
        compression == BmpCompression::Rle8 ? EncodeRle8(picture) : UncompressedRows(picture);
    std::vector<uint8_t> out;
    out.reserve(kPixelOffset + pixels.size());
    out.push_back('B');
    out.push_back('M');
    Put32(out, kPixelOffset + uint32_t(pixels.size()));
    Put32(out, 0);  // two reserved words
    Put32(out, kPixelOffset);

    PutInfoHeader(out, {picture.width, picture.height, 8, uint32_t(compression), uint32_t(pixels.size()),
                        kPixelsPerMetre, kColourCount});

    for (const PaletteColour& c : picture.palette) {
        out.push_back(c.blue);
        out.push_back(c.green);
        out.push_back(c.red);
        out.push_back(0);
    }
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

bool ReadBmp(const std::vector<uint8_t>& file, IndexedPicture& picture, BmpCompression& compression,
             std::string& error)
{
    auto expect = [&](bool condition, const char* what) {
        if (!condition) error = what;
        return condition;
    };
    if (!expect(file.size() > kPixelOffset, "file shorter than its headers")) return false;
    if (!expect(file[0] == 'B' && file[1] == 'M', "signature is not BM")) return false;
    if (!expect(Get32(file, 2) == file.size(), "bfSize differs from the file size")) return false;
    if (!expect(Get32(file, 6) == 0, "reserved words not zero")) return false;
    if (!expect(Get32(file, 10) == kPixelOffset, "bfOffBits is not 1078")) return false;
    if (!expect(Get32(file, 14) == kInfoHeaderSize, "biSize is not 40")) return false;

    int32_t width = int32_t(Get32(file, 18)), height = int32_t(Get32(file, 22));
    if (!expect(width > 0 && height > 0, "width or height not positive")) return false;
    if (!expect(Get16(file, 26) == 1, "biPlanes is not 1")) return false;
    if (!expect(Get16(file, 28) == 8, "biBitCount is not 8")) return false;
    uint32_t scheme = Get32(file, 30);
    if (!expect(scheme == 0 || scheme == 1, "biCompression is neither BI_RGB nor BI_RLE8")) return false;
    uint32_t imageSize = Get32(file, 34);
    if (!expect(imageSize == file.size() - kPixelOffset, "biSizeImage differs from the pixel data size"))
        return false;
    if (!expect(Get32(file, 38) == uint32_t(kPixelsPerMetre) && Get32(file, 42) == uint32_t(kPixelsPerMetre),
                "resolution is not 2835 pixels per metre"))
        return false;
    if (!expect(Get32(file, 46) == kColourCount, "biClrUsed is not 256")) return false;
    if (!expect(Get32(file, 50) == 0 || Get32(file, 50) == kColourCount, "biClrImportant is not 0 or 256"))
        return false;

    picture.width = width;
    picture.height = height;
    for (uint32_t i = 0; i < kColourCount; ++i) {
        size_t at = kFileHeaderSize + kInfoHeaderSize + i * 4;
        if (!expect(file[at + 3] == 0, "palette entry with non-zero reserved byte")) return false;
        picture.palette[i] = {file[at + 2], file[at + 1], file[at]};
    }

    compression = BmpCompression(scheme);
    if (compression == BmpCompression::Rle8)
        return DecodeRle8(file.data() + kPixelOffset, imageSize, width, height, picture.pixels, error);
    if (!expect(imageSize == RowBytes(width, 8) * size_t(height), "BI_RGB pixel data has the wrong size"))
        return false;
    return ReadUncompressedRows(file, picture, error);
}
