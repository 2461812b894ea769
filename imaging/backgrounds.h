// Paints the saver window's background once, and copies the painted window.
#pragma once

#include <windows.h>

#include <vector>

#include "imaging/dib_loader.h"
#include "win32/handles.h"

struct SaverSettings;

// Paints the background that settings.Background names on each monitor the window shows; always 0
// (the stage is done). stop is asked while the user's bitmap loads; when it says so, the
// background is black.
int PaintBackground(HWND window, const SaverSettings& settings, const LoadStop& stop = LoadStop());

// A vertical gradient over the area, one band per pixel row.
void PaintGradient(HDC dc, const RECT& area, COLORREF top, COLORREF bottom);

// The user's BMP file, stretched over or tiled on each area; black when it cannot be loaded or its
// load is stopped.
void PaintBitmap(HDC dc, const std::vector<RECT>& areas, const char* path, bool tiled,
                 const LoadStop& stop = LoadStop());

// A copy of the window's client area (width x height) as it looks now.
UniqueBitmap CaptureScreen(HWND window, int width, int height);
