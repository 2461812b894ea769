// The colour of each pixel row of a vertical two-colour gradient.
#pragma once

#include <cstdint>

// Colours as 0x00BBGGRR (COLORREF). Row 0 is from; each row moves one height-th of the
// way towards to, per channel, in the saver's own float-and-truncate arithmetic.
uint32_t GradientRowColour(uint32_t from, uint32_t to, int height, int row);
