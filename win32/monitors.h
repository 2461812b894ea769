// The monitors the full-screen saver covers, asked of the system at run time: Windows 95 and NT 4.0
// know only the one screen.
#pragma once

#include <windows.h>

#include <vector>

// The virtual screen over every monitor, in screen coordinates; the primary screen where the
// system reports none.
RECT VirtualScreen();

// The primary screen, whose top-left corner is the origin of screen coordinates.
RECT PrimaryScreen();

// Each monitor in screen coordinates; the primary screen alone where the system cannot tell.
std::vector<RECT> MonitorRects();

// Screen rectangles as a client area at `clientOrigin` (its top-left corner on the screen) holds
// them: moved into client coordinates and clipped to the client area; empty parts are left out.
std::vector<RECT> InClient(const std::vector<RECT>& onScreen, POINT clientOrigin, const RECT& client);

// The monitors in the client coordinates of `window`. A child window (the preview) or one that
// shows no monitor gets its whole client area as the one monitor.
std::vector<RECT> MonitorsInClient(HWND window);

// The primary monitor in the client coordinates of `window`, on the same terms.
RECT PrimaryInClient(HWND window);
