// The engine run on a window of the test program, its message loop, and pixels read back from it.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/engine_proc.h"
#include "win32/handles.h"

namespace engine_window {

// Runs this thread's messages for a while, or until one `awaited` message was handled (then true).
// The engine's drawing loop gives way when our own timer is due, as it would for any waiting message.
inline bool RunMessages(DWORD timeoutMs, UINT awaited = 0)
{
    const UINT_PTR deadline = SetTimer(nullptr, 0, timeoutMs, nullptr);
    bool arrived = false;
    MSG message;
    while (!arrived && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == deadline) break;
        DispatchMessageA(&message);
        arrived = awaited != 0 && message.message == awaited;
    }
    KillTimer(nullptr, deadline);
    return arrived;
}

// The pixels of a bitmap of the screen's kind, or of what a window shows now; top row first.
class Pixels {
public:
    Pixels(HBITMAP bitmap, int width, int height) : width_(width), height_(height)
    {
        colours_.resize(static_cast<size_t>(width) * height);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        WindowDc screen(nullptr);
        GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), colours_.data(), &info, DIB_RGB_COLORS);
        for (uint32_t& colour : colours_) colour &= 0xFFFFFF;
    }

    static Pixels Of(HWND window)
    {
        RECT client{};
        GetClientRect(window, &client);
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
    COLORREF At(int x, int y) const
    {
        const uint32_t rgb = colours_[static_cast<size_t>(y) * width_ + x];
        return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
    bool operator==(const Pixels& other) const { return colours_ == other.colours_; }
    bool operator!=(const Pixels& other) const { return !(*this == other); }

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

// The engine's own messages go to it; input and activation, which the host would turn into a
// close, are no concern here.
inline LRESULT CALLBACK EngineWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
    case WM_DESTROY:
    case WM_ERASEBKGND:
    case WM_TIMER:
    case MM_MCINOTIFY: return EngineProc(window, message, wParam, lParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// A black popup window at the top-left of the screen whose messages go to the engine.
class EngineWindow {
public:
    EngineWindow(int width, int height)
    {
        WNDCLASSA windowClass{};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = EngineWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = "TavrixEngineTest";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "TavrixEngineTest", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~EngineWindow() { Close(); }
    EngineWindow(const EngineWindow&) = delete;
    EngineWindow& operator=(const EngineWindow&) = delete;

    HWND get() const { return window_; }
    void Close()
    {
        if (window_) DestroyWindow(window_);
        window_ = nullptr;
    }
    Pixels Shown() const { return Pixels::Of(window_); }

private:
    HWND window_ = nullptr;
};

}  // namespace engine_window
