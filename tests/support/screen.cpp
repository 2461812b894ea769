// Pixels on the screen, read back as the user would see them.
#include "tests/support/screen.h"

#include "tests/support/saver_process.h"

ScreenShot::ScreenShot() : width_(GetSystemMetrics(SM_CXSCREEN)), height_(GetSystemMetrics(SM_CYSCREEN))
{
    pixels_.resize(static_cast<size_t>(width_) * height_);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width_, height_);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width_, height_, screen, 0, 0, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height_), pixels_.data(), &info, DIB_RGB_COLORS);

    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

COLORREF ScreenShot::At(int x, int y) const
{
    uint32_t bgr = pixels_[static_cast<size_t>(y) * width_ + x];
    return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
}

bool WaitForAPictureOnTheScreen(DWORD timeoutMs)
{
    return WaitUntil(
        [] {
            const ScreenShot shot;
            for (int y = 0; y < shot.Height(); y += 16)
                for (int x = 0; x < shot.Width(); x += 16)
                    if (shot.At(x, y) != RGB(0, 0, 0)) return true;
            return false;
        },
        timeoutMs);
}
