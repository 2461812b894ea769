// Loads BMP pictures from "DIB" resources and from files into a bitmap and a palette.
#pragma once

#include <windows.h>

// The result of a load; the caller owns all three handles after success.
struct LoadedDib {
    HLOCAL hDIB = nullptr;        // movable block: header, colour table, pixel data
    HBITMAP hBitmap = nullptr;    // device-dependent bitmap for the screen
    HPALETTE hPalette = nullptr;  // the picture's palette (stock palette without a colour table)
};

// Stateless; a caller makes one for each load. Results: TRUE on success.
class DibLoader {
public:
    BOOL LoadFromResource(const char* type, const char* name, LoadedDib& dib);
    BOOL LoadFromFile(const char* path, LoadedDib& dib);
    BOOL CreateBitmapAndPalette(HDC dc, HLOCAL block, HPALETTE* palette, HBITMAP* bitmap);
    HPALETTE CreateDibPalette(const BITMAPINFOHEADER* header);
    UINT ReadInChunks(HANDLE file, void* destination, UINT count);
};
