// Loads BMP pictures from "DIB" resources and from files into a bitmap and a palette.
#pragma once

#include <windows.h>

#include "host/handles.h"

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

// Takes over a LoadedDib's handles and releases them together; the stock palette is
// not ours and is left alone.
struct OwnedDib {
    explicit OwnedDib(LoadedDib& dib);  // leaves dib empty

    UniqueLocalMemory block;
    UniqueBitmap bitmap;
    UniquePalette palette;
    HPALETTE paletteInUse;  // ours or the stock one
};

// A logical palette selected into a device context. The previous palette goes back
// when the scope ends (so ours can be deleted), realized again when asked.
class SelectedPalette {
public:
    SelectedPalette(HDC dc, HPALETTE palette, BOOL background, bool realizeOnRestore);
    ~SelectedPalette();
    SelectedPalette(const SelectedPalette&) = delete;
    SelectedPalette& operator=(const SelectedPalette&) = delete;

private:
    HDC dc_;
    HPALETTE previous_;
    BOOL background_;
    bool realizeOnRestore_;
};
