// Loads BMP pictures from "DIB" resources and from files into a bitmap and a palette.
#pragma once

#include <windows.h>

#include "win32/handles.h"

// The result of a load: a bitmap for the screen and the picture's palette (the stock
// palette when it has no colour table). The DIB block the load builds stays inside the loader.
struct LoadedDib {
    UniqueBitmap hBitmap;
    UniquePalette hPalette;
};

// Stateless; a caller makes one for each load. Results: TRUE on success, and then `dib` holds both.
class DibLoader {
public:
    BOOL LoadFromResource(const char* type, const char* name, LoadedDib& dib);
    BOOL LoadFromFile(const char* path, LoadedDib& dib);
    BOOL CreateBitmapAndPalette(HDC dc, HLOCAL block, LoadedDib& dib);
    UniquePalette CreateDibPalette(const BITMAPINFOHEADER* header);
    UINT ReadInChunks(HANDLE file, void* destination, UINT count);
};
