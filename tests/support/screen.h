// Pixels on the screen or in a window, read back as the user would see them.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "tests/support/waiting.h"
#include "win32/handles.h"

// The pixels of a bitmap of the screen's kind, or of what a window (null: the whole screen) shows
// now; top row first.
class Pixels {
public:
    Pixels(HBITMAP bitmap, int width, int height) : width_(width), height_(height)
    {
        colours_.resize(static_cast<size_t>(width) * height);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        WindowDc screen(nullptr);
        GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), colours_.data(), &info,
                  DIB_RGB_COLORS);
    }

    static Pixels Of(HWND window)
    {
        RECT client{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if (window) GetClientRect(window, &client);
        WindowDc dc(window);
        UniqueBitmap copy(CreateCompatibleBitmap(dc.get(), client.right, client.bottom));
        UniqueMemoryDc memory(CreateCompatibleDC(dc.get()));
        {
            SelectedObject selected(memory.get(), copy.get());
            BitBlt(memory.get(), 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
        }
        return Pixels(copy.get(), client.right, client.bottom);
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    // The pixel as a COLORREF (red in the low byte).
    COLORREF At(int x, int y) const
    {
        const uint32_t rgb = colours_[static_cast<size_t>(y) * width_ + x];
        return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }

    // The smallest rectangle holding every pixel of another colour than `background`; empty if none.
    RECT BoundsOfAllBut(COLORREF background) const
    {
        RECT bounds{width_, height_, 0, 0};
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                if (At(x, y) == background) continue;
                bounds = {std::min<LONG>(bounds.left, x), std::min<LONG>(bounds.top, y),
                          std::max<LONG>(bounds.right, x + 1), std::max<LONG>(bounds.bottom, y + 1)};
            }
        }
        return bounds.right == 0 ? RECT{0, 0, 0, 0} : bounds;
    }

private:
    int width_;
    int height_;
    std::vector<uint32_t> colours_;
};

// A copy of the whole primary screen.
class ScreenShot : public Pixels {
public:
    ScreenShot() : Pixels(Of(nullptr)) {}
};

// Waits until anything but black shows on the screen: a saver on its black background has drawn
// its first pictures, so its start is over and it takes input.
inline bool WaitForAPictureOnTheScreen(DWORD timeoutMs = 30000)
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
