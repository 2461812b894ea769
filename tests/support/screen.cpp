// Pixels on the screen, read back as the user would see them.
#include "tests/support/screen.h"

#include "tests/support/saver_process.h"

bool WaitForAPictureOnTheScreen(DWORD timeoutMs)
{
    return WaitUntil(
        [] {
            const ScreenShot shot;
            for (int y = 0; y < shot.Height(); y += 16)
                for (int x = 0; x < shot.Width(); x += 16)
                    if (shot.At(x, y) != RGB(0, 0, 0)) return true;
            return false;
        },
        timeoutMs);
}
