// Little-endian fields, row sizes and the BITMAPINFOHEADER that BMP files and the icon share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/dib_pixels.h"

constexpr uint32_t kInfoHeaderSize = 40;

inline void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

inline void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

inline uint32_t Get16(const std::vector<uint8_t>& in, size_t at)
{
    return uint32_t(in[at]) | uint32_t(in[at + 1]) << 8;
}

inline uint32_t Get32(const std::vector<uint8_t>& in, size_t at)
{
    return Get16(in, at) | Get16(in, at + 2) << 16;
}

// Bytes in one stored row: every row is padded to a multiple of four bytes, as the saver reads them.
inline size_t RowBytes(int width, int bitsPerPixel)
{
    return size_t(StrideOf(uint64_t(width), uint16_t(bitsPerPixel)));
}

// The fields of a BITMAPINFOHEADER that differ between our pictures and icon images.
struct InfoHeader {
    int32_t width;
    int32_t height;  // positive: rows bottom-up
    uint16_t bitsPerPixel;
    uint32_t compression;
    uint32_t imageSize;
    int32_t pixelsPerMetre;
    uint32_t coloursUsed;
};

// One plane, every colour important.
inline void PutInfoHeader(std::vector<uint8_t>& out, const InfoHeader& header)
{
    Put32(out, kInfoHeaderSize);
    Put32(out, uint32_t(header.width));
    Put32(out, uint32_t(header.height));
    Put16(out, 1);
    Put16(out, header.bitsPerPixel);
    Put32(out, header.compression);
    Put32(out, header.imageSize);
    Put32(out, uint32_t(header.pixelsPerMetre));
    Put32(out, uint32_t(header.pixelsPerMetre));
    Put32(out, header.coloursUsed);
    Put32(out, 0);
}
