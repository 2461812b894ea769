// The running order of the pictures and the size each pair shares.
#include "scenes.h"

const std::vector<Subject>& Subjects()
{
    static const std::vector<Subject> subjects = {
        {"mountain ridges at dawn", 488, 277, PaintMountainDawn},
        {"sun glitter on the sea", 488, 277, PaintSunGlitterSea},
        {"aurora over a snowy forest", 423, 236, PaintAuroraNight},
        {"Mandelbrot set detail", 423, 236, PaintMandelbrotDetail},
        {"fern in a dark wood", 395, 230, PaintFern},
        {"clouds at sunset", 395, 230, PaintSunsetClouds},
        {"desert dunes", 456, 256, PaintDesertDunes},
        {"forest lake", 456, 256, PaintForestLake},
        {"coral growth", 410, 248, PaintCoralGrowth},
        {"waterfall", 410, 248, PaintWaterfall},
        {"rolling hills with fields", 472, 265, PaintRollingHills},
        {"snowy peak", 472, 265, PaintSnowyPeak},
        {"spiral galaxy", 440, 240, PaintSpiralGalaxy},
        {"lighthouse coast at dusk", 440, 240, PaintLighthouseCoast},
        {"autumn leaves", 400, 270, PaintAutumnLeaves},
        {"Julia set spirals", 400, 270, PaintJuliaSpirals},
    };
    return subjects;
}
