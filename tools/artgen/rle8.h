// BI_RLE8 coding of 8-bit pictures: a compact encoder and a strict decoder to prove it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "indexed_picture.h"

// Bottom row first: encoded runs (1..255), absolute runs (3..255, padded to 16 bits),
// an end-of-line after every row and an end-of-bitmap at the end.
std::vector<uint8_t> EncodeRle8(const IndexedPicture& picture);

// Decodes into pixels (top row first). Rejects anything but the stream shape EncodeRle8
// promises: rows of exactly `width` pixels, no deltas, nothing after the end-of-bitmap.
bool DecodeRle8(const uint8_t* data, size_t size, int width, int height, std::vector<uint8_t>& pixels,
                std::string& error);
