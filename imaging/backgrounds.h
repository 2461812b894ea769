// Paints the saver window's background once, and copies the painted window.
#pragma once

#include <windows.h>

#include <vector>

#include "imaging/dib_loader.h"
#include "win32/handles.h"

// What a background shows: nothing (the screen stays as it is), a fade from one colour at the top
// to another at the bottom, or the user's BMP file stretched or tiled.
struct BackgroundLook {
    enum class Kind { Nothing, Fade, Picture };
    Kind kind = Kind::Nothing;
    COLORREF top = 0;
    COLORREF bottom = 0;
    const char* picture = nullptr;
    bool tiled = false;
};

// Paints the look on each monitor the window shows; always 0 (the stage is done). stop is asked
// while the user's bitmap loads; when it says so, the background is black.
int PaintBackground(HWND window, const BackgroundLook& look, const LoadStop& stop = LoadStop());

// A vertical gradient over the area, one band per pixel row.
void PaintGradient(HDC dc, const RECT& area, COLORREF top, COLORREF bottom);

// The user's BMP file, stretched over or tiled on each area; black when it cannot be loaded or its
// load is stopped.
void PaintBitmap(HDC dc, const std::vector<RECT>& areas, const char* path, bool tiled,
                 const LoadStop& stop = LoadStop());

// A copy of the window's client area (width x height) as it looks now.
UniqueBitmap CaptureScreen(HWND window, int width, int height);
