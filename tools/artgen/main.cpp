// artgen: draws the screen saver's own artwork at build time, deterministically.
//   artgen icon OUT.ico      the module icon: 48, 32 and 16 pixels, 32-bit with AND masks
//   artgen pictures OUTDIR   STYLE00_PIC01..16.bmp (colour), STYLE01_PIC01..16.bmp (grey); 8-bit,
//                            own palettes, odd numbers uncompressed, even ones BI_RLE8
//   artgen check DIR         checks those 32 files field by field against a fresh render
#include <iostream>
#include <string>

#include "file_bytes.h"
#include "icon.h"
#include "picture_set.h"

namespace {

int Usage()
{
    std::cerr << "usage: artgen icon OUT.ico | artgen pictures OUTDIR | artgen check DIR\n";
    return 2;
}

int WriteIcon(const std::string& path)
{
    if (WriteWholeFile(path, BuildIcon())) return 0;
    std::cerr << "artgen: cannot write " << path << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) return Usage();
    std::string command = argv[1], target = argv[2];
    if (command == "icon") return WriteIcon(target);
    if (command == "pictures") return WritePictures(target, std::cout) ? 0 : 1;
    if (command == "check") return CheckPictures(target, std::cout) ? 0 : 1;
    return Usage();
}
