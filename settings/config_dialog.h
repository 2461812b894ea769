// The configuration dialog 2003, "Bildschirmschoner Einstellungen".
#pragma once

#include <windows.h>

// The host's preparation hook before the dialog is shown; the dialog is shown only on TRUE.
BOOL PrepareConfigDialog(HINSTANCE instance);

// The dialog procedure of template 2003; the dialog ends with 1 after OK and 0 after Cancel.
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
