// Complete 8-bit BMP files (uncompressed or BI_RLE8) and a strict reader that checks every field.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "indexed_picture.h"

enum class BmpCompression : uint32_t { None = 0, Rle8 = 1 };

// BITMAPFILEHEADER + BITMAPINFOHEADER + 256 RGBQUADs, pixels at offset 1078, rows bottom-up.
std::vector<uint8_t> BuildBmp(const IndexedPicture& picture, BmpCompression compression);

// Reads back a file BuildBmp could have written; any other header value is an error.
bool ReadBmp(const std::vector<uint8_t>& file, IndexedPicture& picture, BmpCompression& compression,
             std::string& error);
