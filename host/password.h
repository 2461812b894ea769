// The password machinery of the 95/98 family: verifier, saver-running notice, password change.
#pragma once

#include <windows.h>

// Nonzero when the saver may close; asks the verifier when a password is in use.
int ConfirmClose(HWND window);

// Whether a close request at `now` (GetTickCount) falls in the 200 ms after the last answer
// of the verifier, when input asks nothing.
bool WithinQuietTime(DWORD now, DWORD lastVerifyEnd);

// Loads the verifier when the user has a screen-saver password (95/98 family only).
void ArmPasswordCheck();
void DisarmPasswordCheck();

// Tells the 95/98 family whether a screen saver runs; nothing on the NT family.
void SetSaverRunning(BOOL running);

// Asks the system's password changer for the screen-saver password.
void RequestPasswordChange(HWND owner);
