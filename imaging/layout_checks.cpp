// Compile-time checks that the 32-bit product and its 64-bit twin read and write the same
// bytes: the layout of every structure the saver copies to or from picture files, resources
// and memory blocks, and the widths of the types its arithmetic and settings use.
#include <windows.h>

#include <cfloat>
#include <cstddef>
#include <cstdint>

#include "imaging/dib_format.h"

// The widths Windows gives its field types on both builds (LLP64: LONG stays 32 bits).
static_assert(sizeof(BYTE) == 1 && sizeof(WORD) == 2 && sizeof(DWORD) == 4 && sizeof(LONG) == 4);
static_assert(sizeof(COLORREF) == sizeof(std::uint32_t));
static_assert(RGB(0x01, 0x02, 0x03) == 0x030201, "colours are 0x00BBGGRR, as the gradient packs them");
// The picture arithmetic: int and float of the same width and format on both builds.
static_assert(sizeof(int) == 4 && sizeof(long) == 4);
static_assert(sizeof(float) == 4 && FLT_MANT_DIG == 24 && sizeof(double) == 8 && DBL_MANT_DIG == 53);

// BMP files and DIB resources: the file header, read field by field at these offsets.
static_assert(sizeof(BITMAPFILEHEADER) == kFileHeaderBytes);
static_assert(offsetof(BITMAPFILEHEADER, bfType) == 0);
static_assert(offsetof(BITMAPFILEHEADER, bfSize) == 2);
static_assert(offsetof(BITMAPFILEHEADER, bfReserved1) == 6);
static_assert(offsetof(BITMAPFILEHEADER, bfReserved2) == 8);
static_assert(offsetof(BITMAPFILEHEADER, bfOffBits) == 10);

// The 12-byte core header of old pictures.
static_assert(sizeof(BITMAPCOREHEADER) == kCoreHeaderBytes);
static_assert(offsetof(BITMAPCOREHEADER, bcSize) == 0);
static_assert(offsetof(BITMAPCOREHEADER, bcWidth) == 4);
static_assert(offsetof(BITMAPCOREHEADER, bcHeight) == 6);
static_assert(offsetof(BITMAPCOREHEADER, bcPlanes) == 8);
static_assert(offsetof(BITMAPCOREHEADER, bcBitCount) == 10);

// The 40-byte info header: read from files, copied to the head of the DIB block.
static_assert(sizeof(BITMAPINFOHEADER) == kInfoHeaderBytes);
static_assert(offsetof(BITMAPINFOHEADER, biSize) == 0);
static_assert(offsetof(BITMAPINFOHEADER, biWidth) == 4);
static_assert(offsetof(BITMAPINFOHEADER, biHeight) == 8);
static_assert(offsetof(BITMAPINFOHEADER, biPlanes) == 12);
static_assert(offsetof(BITMAPINFOHEADER, biBitCount) == 14);
static_assert(offsetof(BITMAPINFOHEADER, biCompression) == 16);
static_assert(offsetof(BITMAPINFOHEADER, biSizeImage) == 20);
static_assert(offsetof(BITMAPINFOHEADER, biXPelsPerMeter) == 24);
static_assert(offsetof(BITMAPINFOHEADER, biYPelsPerMeter) == 28);
static_assert(offsetof(BITMAPINFOHEADER, biClrUsed) == 32);
static_assert(offsetof(BITMAPINFOHEADER, biClrImportant) == 36);
// The block is handed to GDI as a BITMAPINFO: its colour table follows the header directly.
static_assert(offsetof(BITMAPINFO, bmiColors) == sizeof(BITMAPINFOHEADER));

// Colour tables: 4-byte entries in the block and in info-header files, 3-byte ones in
// core-header files, both blue first; the loader widens the one into the other.
static_assert(sizeof(RGBQUAD) == 4);
static_assert(offsetof(RGBQUAD, rgbBlue) == 0 && offsetof(RGBQUAD, rgbGreen) == 1);
static_assert(offsetof(RGBQUAD, rgbRed) == 2 && offsetof(RGBQUAD, rgbReserved) == 3);
static_assert(sizeof(RGBTRIPLE) == 3);
static_assert(offsetof(RGBTRIPLE, rgbtBlue) == 0 && offsetof(RGBTRIPLE, rgbtGreen) == 1);
static_assert(offsetof(RGBTRIPLE, rgbtRed) == 2);

// The palette built in a memory block of 8 + 4 bytes an entry.
static_assert(sizeof(PALETTEENTRY) == 4);
static_assert(offsetof(PALETTEENTRY, peRed) == 0 && offsetof(PALETTEENTRY, peGreen) == 1);
static_assert(offsetof(PALETTEENTRY, peBlue) == 2 && offsetof(PALETTEENTRY, peFlags) == 3);
static_assert(offsetof(LOGPALETTE, palVersion) == 0 && offsetof(LOGPALETTE, palNumEntries) == 2);
static_assert(offsetof(LOGPALETTE, palPalEntry) == 4 && sizeof(LOGPALETTE) <= 8);
