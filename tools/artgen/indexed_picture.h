// An 8-bit picture: a 256-entry palette and one palette index per pixel, top row first.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct PaletteColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

inline bool operator==(const PaletteColour& x, const PaletteColour& y)
{
    return x.red == y.red && x.green == y.green && x.blue == y.blue;
}

struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::array<PaletteColour, 256> palette{};
    std::vector<uint8_t> pixels;
};

inline bool operator==(const IndexedPicture& x, const IndexedPicture& y)
{
    return x.width == y.width && x.height == y.height && x.palette == y.palette && x.pixels == y.pixels;
}
