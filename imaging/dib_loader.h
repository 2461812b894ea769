// Loads BMP pictures from "DIB" resources and from files into a bitmap and a palette.
#pragma once

#include <windows.h>

#include <functional>

#include "win32/handles.h"

// The result of a load: a bitmap for the screen and the picture's palette (the stock
// palette when it has no colour table). The DIB block the load builds stays inside the loader.
struct LoadedDib {
    UniqueBitmap hBitmap;
    UniquePalette hPalette;
};

// Asked between the pieces of a file's load: true gives the load up (it then fails).
using LoadStop = std::function<bool()>;

// Stateless; a caller makes one for each load. Results: TRUE on success, and then `dib` holds both.
class DibLoader {
public:
    // A picture the module lacks is reported in an "Error" box, owned by `owner` when given.
    BOOL LoadFromResource(const char* type, const char* name, LoadedDib& dib, HWND owner = nullptr);
    // Only a regular disk file is read: a device, pipe or folder fails like a missing file.
    BOOL LoadFromFile(const char* path, LoadedDib& dib, const LoadStop& stop = LoadStop());
    BOOL CreateBitmapAndPalette(HDC dc, HLOCAL block, LoadedDib& dib);
    UniquePalette CreateDibPalette(const BITMAPINFOHEADER* header);
};
