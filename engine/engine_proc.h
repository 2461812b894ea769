// The engine's door: the saver window's messages after the host has seen them.
#pragma once

#include <windows.h>

#include <memory>

#include "engine/saver_stage.h"

// Finishes WM_CREATE, WM_DESTROY, WM_ERASEBKGND and WM_TIMER, and WM_PAINT once the pictures
// run; may drop WM_CLOSE while the current stage is busy; hands everything else unchanged to
// `below`, the layer beneath the engine that its caller provides (the host's: input becomes close
// requests, closes are confirmed, the rest goes to the system), called directly: it is a function,
// never a handle from GetWindowLongPtr. A refused password brings back a background that a key cut
// short.
LRESULT EngineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC below);

// The host's private message: sent to the saver window, it asks for the password to be verified
// now; the answer is nonzero when the saver may close. The engine passes it on and heeds a refusal.
constexpr UINT WM_VERIFY_PASSWORD = WM_APP;

// The one current stage of the process, and whether the pictures are due for a change.
extern std::unique_ptr<SaverStage> currentStage;
extern int changeDue;

// Ends the current stage and forgets any pending change, as at process start.
void ResetEngineState();
