// The per-row colour arithmetic of the background gradients.
#include "imaging/gradient.h"

namespace {

int ChannelOf(uint32_t colour, int shift)
{
    return int((colour >> shift) & 0xFF);
}

// The step is kept in a 32-bit float and applied in double precision, truncating toward
// zero: row 1 of a 600-row fade from 255 is 254, row 599 is 0. The store through volatile
// rounds the step to float on x87 too (the 32-bit build), where it would otherwise keep
// extra precision; with a float step every later product and difference is exact.
uint32_t ChannelAtRow(int from, int to, int height, int row)
{
    volatile float step = float(from - to) / height;
    const int part = int(from - row * double(step));
    return uint32_t(part) & 0xFF;
}

}  // namespace

uint32_t GradientRowColour(uint32_t from, uint32_t to, int height, int row)
{
    if (height <= 0) return from & 0xFFFFFF;  // nothing to fade over
    uint32_t colour = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        colour |= ChannelAtRow(ChannelOf(from, shift), ChannelOf(to, shift), height, row) << shift;
    return colour;
}
