// The saver window's two host layers: the class procedure and the default handling.
#pragma once

#include <windows.h>

// Private message: sent to the saver window, asks for the password to be verified now.
constexpr UINT WM_VERIFY_PASSWORD = WM_APP;

// The class procedure of "WindowsScreenSaverClass"; hands what it does not finish to EngineProc.
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What EngineProc hands on: input becomes close requests, closes are confirmed.
LRESULT HostDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
