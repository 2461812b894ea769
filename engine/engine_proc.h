// The engine's door: the saver window's messages after the host has seen them.
#pragma once

#include <windows.h>

// Finishes WM_CREATE, WM_DESTROY, WM_ERASEBKGND and WM_TIMER; may drop WM_CLOSE while
// the current stage is busy; hands everything else to HostDefaultProc unchanged.
LRESULT EngineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
