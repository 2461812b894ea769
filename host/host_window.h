// The saver window's outer layer; HostDefaultProc, the layer beneath the engine, is declared with EngineProc.
#pragma once

#include <windows.h>

#include "engine/engine_proc.h"  // WM_VERIFY_PASSWORD, HostDefaultProc

// The class procedure of "WindowsScreenSaverClass"; hands what it does not finish to EngineProc.
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
