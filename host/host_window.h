// The saver window's outer layer; HostDefaultProc, the layer beneath the engine, is declared with EngineProc.
#pragma once

#include <windows.h>

// Private message: sent to the saver window, asks for the password to be verified now.
constexpr UINT WM_VERIFY_PASSWORD = WM_APP;

// The class procedure of "WindowsScreenSaverClass"; hands what it does not finish to EngineProc.
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
