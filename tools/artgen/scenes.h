// The sixteen picture subjects: their names, sizes and the functions that paint them.
#pragma once

#include <vector>

#include "image.h"

struct Subject {
    const char* name;
    int width;
    int height;
    void (*paint)(Image& image);
};

// Picture 1 first; pictures 2k-1 and 2k share a size.
const std::vector<Subject>& Subjects();

// Layered 2-D landscapes (scenes_landscape.cpp, scenes_waterfall.cpp).
void PaintMountainDawn(Image& image);
void PaintForestLake(Image& image);
void PaintWaterfall(Image& image);

// Height-field landscapes (scenes_terrain.cpp).
void PaintDesertDunes(Image& image);
void PaintRollingHills(Image& image);
void PaintSnowyPeak(Image& image);

// Skies (scenes_sky.cpp).
void PaintAuroraNight(Image& image);
void PaintSunsetClouds(Image& image);
void PaintSpiralGalaxy(Image& image);

// Sea (scenes_sea.cpp).
void PaintSunGlitterSea(Image& image);
void PaintLighthouseCoast(Image& image);

// Fractals (scenes_fractal.cpp).
void PaintMandelbrotDetail(Image& image);
void PaintJuliaSpirals(Image& image);
void PaintFern(Image& image);

// Natural patterns (scenes_pattern.cpp).
void PaintCoralGrowth(Image& image);
void PaintAutumnLeaves(Image& image);
