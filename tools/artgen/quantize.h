// Turns a true-colour render into an 8-bit picture: its own best palette plus error diffusion.
#pragma once

#include "image.h"
#include "indexed_picture.h"

// 256 colours chosen for this picture (variance-minimising cuts refined by k-means in Oklab),
// then serpentine Floyd-Steinberg dithering in the same space.
IndexedPicture QuantizeToColours(const Image& image);

// The picture's luminance on a ramp of 256 greys, dithered the same way.
IndexedPicture QuantizeToGreys(const Image& image);
