// The host's one process-wide record: the module, the saver window and the password state.
#pragma once

#include <windows.h>

using PasswordVerifier = BOOL(WINAPI*)(HWND window);
using AssociateContextFunction = HIMC(WINAPI*)(HWND window, HIMC context);

struct HostState {
    HINSTANCE instance = nullptr;
    HWND saverWindow = nullptr;
    int isPreview = 0;
    int isWin9x = 0;

    int closeApproved = 0;
    int verifying = 0;
    HMODULE passwordModule = nullptr;
    PasswordVerifier passwordVerifier = nullptr;
    HMODULE imeModule = nullptr;
    AssociateContextFunction associateContext = nullptr;
    HIMC savedInputContext = nullptr;
    UINT moveThreshold = 4;
    DWORD lastVerifyEnd = 0xFFFFFFFF;  // no verification yet
    POINT referencePoint = {0, 0};
};

extern HostState hostState;
