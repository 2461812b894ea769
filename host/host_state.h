// The host's one process-wide record: the module, the saver window and the password state.
#pragma once

#include <windows.h>

#include "host/window_names.h"
#include "win32/handles.h"

using PasswordVerifier = BOOL(WINAPI*)(HWND window);
using AssociateContextFunction = HIMC(WINAPI*)(HWND window, HIMC context);

// lastVerifyEnd before the first verification.
constexpr DWORD kNoVerifyYet = 0xFFFFFFFF;

struct HostState {
    HINSTANCE instance = nullptr;
    HWND saverWindow = nullptr;
    int isPreview = 0;
    HWND previewParent = nullptr;  // the window the preview lives in
    int isWin9x = 0;

    int closeApproved = 0;
    int verifying = 0;
    UniqueModule passwordModule;
    PasswordVerifier passwordVerifier = nullptr;
    HMODULE imeModule = nullptr;
    AssociateContextFunction associateContext = nullptr;
    HIMC savedInputContext = nullptr;
    UINT moveThreshold = 4;
    DWORD lastVerifyEnd = kNoVerifyYet;
    POINT referencePoint = {0, 0};
};

extern HostState hostState;
