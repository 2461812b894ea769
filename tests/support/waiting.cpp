// The ways a test waits, each with a deadline.
#include "tests/support/waiting.h"

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
}

bool RunMessages(DWORD timeoutMs, UINT awaited)
{
    const UINT_PTR deadline = SetTimer(nullptr, 0, timeoutMs, nullptr);
    bool arrived = false;
    MSG message;
    while (!arrived && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == deadline) break;
        DispatchMessageA(&message);
        arrived = awaited != 0 && message.message == awaited;
    }
    KillTimer(nullptr, deadline);
    return arrived;
}

bool RunMessagesUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    const UINT_PTR glance = SetTimer(nullptr, 0, 10, nullptr);
    bool held = condition();
    MSG message;
    while (!held && GetTickCount() - start <= timeoutMs && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!(message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == glance))
            DispatchMessageA(&message);
        held = condition();
    }
    KillTimer(nullptr, glance);
    return held;
}
