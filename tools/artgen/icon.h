// The module's icon: a dawn landscape in a rounded frame, drawn at 48, 32 and 16 pixels.
#pragma once

#include <cstdint>
#include <vector>

// A complete .ico file: 32-bit BGRA images with AND masks, largest first.
std::vector<uint8_t> BuildIcon();
