// The saver window's outer layer, and the layer beneath the engine that it hands the engine.
#pragma once

#include <windows.h>

#include "engine/engine_proc.h"  // WM_VERIFY_PASSWORD

// The class procedure of "WindowsScreenSaverClass"; hands what it does not finish to EngineProc.
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
