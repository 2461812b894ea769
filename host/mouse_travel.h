// Whether the mouse has travelled far enough from the reference point to end the saver.
#pragma once

#include <cstdint>

// Travel is |dx| + |dy| in 32-bit arithmetic, compared unsigned against the threshold.
inline bool TravelExceeds(int32_t referenceX, int32_t referenceY, int32_t x, int32_t y, uint32_t threshold)
{
    uint32_t dx = static_cast<uint32_t>(x) - static_cast<uint32_t>(referenceX);
    uint32_t dy = static_cast<uint32_t>(y) - static_cast<uint32_t>(referenceY);
    if (static_cast<int32_t>(dx) < 0) dx = 0u - dx;
    if (static_cast<int32_t>(dy) < 0) dy = 0u - dy;
    return dx + dy > threshold;
}
