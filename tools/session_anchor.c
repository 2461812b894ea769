/* Keeps a Wine test session's desktop alive: a program with a hidden window that waits until it
   is ended. Without one, Wine's desktop process leaves once the last window of the session is
   gone; the next program then waits seconds for a new one, and a program without a window of
   its own cannot even move the cursor. */
#include <windows.h>

#ifndef ANCHOR_TITLE
#define ANCHOR_TITLE "Tavrix session anchor"
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show)
{
    MSG message;
    HWND window = CreateWindowA("STATIC", ANCHOR_TITLE, WS_POPUP, 0, 0, 1, 1, NULL, NULL, instance, NULL);
    (void)previous;
    (void)arguments;
    (void)show;
    if (window == NULL) return 1;
    while (GetMessageA(&message, NULL, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
