// The engine run on a window of the test program, and its message loop.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <functional>

#include "engine/engine_proc.h"
#include "tests/support/screen.h"
#include "tests/support/waiting.h"

namespace engine_window {

// Paints over the whole window as some other program might, leaving the DC's state as it was.
inline void Fill(HWND window, COLORREF colour)
{
    WindowDc dc(window);
    const int saved = SaveDC(dc.get());
    SelectClipRgn(dc.get(), nullptr);
    RECT all{};
    GetClientRect(window, &all);
    FillRect(dc.get(), &all, UniqueBrush(CreateSolidBrush(colour)).get());
    RestoreDC(dc.get(), saved);
}

// The engine's own messages go to it; input and activation, which the host would turn into a
// close, are no concern here.
inline LRESULT CALLBACK EngineWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
    case WM_DESTROY:
    case WM_ERASEBKGND:
    case WM_TIMER:
    case MM_MCINOTIFY: return EngineProc(window, message, wParam, lParam, DefWindowProcA);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// A black popup window at the top-left of the screen whose messages go to the engine, or to
// another procedure with its own class name.
class EngineWindow {
public:
    EngineWindow(int width, int height, WNDPROC procedure = EngineWindowProc,
                 const char* className = "TavrixEngineTest")
    {
        WNDCLASSA windowClass{};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = className;
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, className, "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
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
