// Pixels on the screen, read back as the user would see them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// A copy of the whole primary screen, 32 bits a pixel, top row first.
class ScreenShot {
public:
    ScreenShot();
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The pixel as a COLORREF (red in the low byte).
    COLORREF At(int x, int y) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

inline BYTE Red(COLORREF c) { return GetRValue(c); }
inline BYTE Green(COLORREF c) { return GetGValue(c); }
inline BYTE Blue(COLORREF c) { return GetBValue(c); }

// Waits until anything but black shows on the screen: a saver on its black background has drawn
// its first pictures, so its start is over and it takes input.
bool WaitForAPictureOnTheScreen(DWORD timeoutMs = 30000);
