// The saver window's host layers: cursor, input method, title, dismissal and close confirmation.
#include "host/host_window.h"

#include "engine/engine_proc.h"
#include "host/host_state.h"
#include "host/mouse_travel.h"
#include "host/password.h"

namespace {

LRESULT CALLBACK HostDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What the host does not finish goes to the engine; what the engine leaves comes back to the host's
// lower layer, HostDefaultProc.
LRESULT ToEngine(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return EngineProc(window, message, wParam, lParam, HostDefaultProc);
}

// ---- HostWindowProc: what the host finishes before the engine sees a message ----

void DetachInputMethod(HWND window)
{
    hostState.imeModule = GetModuleHandleA("IMM32.DLL");
    if (hostState.imeModule == nullptr) return;
    hostState.associateContext = reinterpret_cast<AssociateContextFunction>(
        reinterpret_cast<void*>(GetProcAddress(hostState.imeModule, "ImmAssociateContext")));
    if (hostState.associateContext != nullptr)
        hostState.savedInputContext = hostState.associateContext(window, nullptr);
}

void ReattachInputMethod(HWND window)
{
    if (hostState.imeModule && hostState.associateContext && hostState.savedInputContext)
        hostState.associateContext(window, hostState.savedInputContext);
}

void RememberCursorPosition()
{
    GetCursorPos(&hostState.referencePoint);
}

LRESULT OnCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DetachInputMethod(window);
    RememberCursorPosition();
    if (!hostState.isPreview) SetCursor(nullptr);
    return ToEngine(window, message, wParam, lParam);
}

LRESULT OnDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ReattachInputMethod(window);
    PostQuitMessage(0);
    return ToEngine(window, message, wParam, lParam);
}

LRESULT OnPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hostState.closeApproved) return DefWindowProcA(window, message, wParam, lParam);
    if (!hostState.isPreview) SetCursor(nullptr);
    return ToEngine(window, message, wParam, lParam);
}

// The preview lives inside the display-properties dialog, which answers help requests.
LRESULT OnHelpRequest(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!hostState.isPreview) return ToEngine(window, message, wParam, lParam);
    HWND parent = GetParent(window);
    if (parent != nullptr && IsWindow(parent))
        PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
    return 1;
}

LRESULT OnInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hostState.closeApproved) return DefWindowProcA(window, message, wParam, lParam);
    return ToEngine(window, message, wParam, lParam);
}

// Task switching and a second saver start must not get past a running saver.
LRESULT OnSysCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    bool refused = wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW || wParam == SC_SCREENSAVE;
    if (!hostState.isPreview && refused) return 0;
    return ToEngine(window, message, wParam, lParam);
}

LRESULT OnTimer(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hostState.closeApproved) return 0;
    Sleep(0);  // let the rest of the system breathe before the engine's next frame
    return ToEngine(window, message, wParam, lParam);
}

// ---- HostDefaultProc: input becomes close requests ----

void RequestClose(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
}

LRESULT OnCloseRequest(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hostState.isWin9x && !ConfirmClose(window)) {
        RememberCursorPosition();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT OnVerifyPassword(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!hostState.isWin9x) return DefWindowProcA(window, message, wParam, lParam);
    return hostState.passwordVerifier != nullptr ? hostState.passwordVerifier(window) : 1;
}

void CheckMouseTravel(HWND window)
{
    POINT now = {};
    GetCursorPos(&now);
    const POINT& reference = hostState.referencePoint;
    if (!TravelExceeds(reference.x, reference.y, now.x, now.y, hostState.moveThreshold)) return;
    RequestClose(window);
    hostState.referencePoint = now;
}

LRESULT DismissOnInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam) SetCursor(nullptr);
        break;
    case WM_ACTIVATEAPP:
        if (!wParam) RequestClose(window);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: RequestClose(window); break;
    case WM_SETCURSOR: SetCursor(nullptr); return 1;
    case WM_MOUSEMOVE: CheckMouseTravel(window); break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The layer beneath the engine: input becomes close requests, closes are confirmed, the rest goes
// to the system.
LRESULT CALLBACK HostDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hostState.isPreview || hostState.closeApproved)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_CLOSE) return OnCloseRequest(window, message, wParam, lParam);
    if (message == WM_VERIFY_PASSWORD) return OnVerifyPassword(window, message, wParam, lParam);
    if (hostState.verifying) return DefWindowProcA(window, message, wParam, lParam);
    return DismissOnInput(window, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: return OnCreate(window, message, wParam, lParam);
    case WM_DESTROY: return OnDestroy(window, message, wParam, lParam);
    case WM_SETTEXT: return 0;  // the title stays
    case WM_PAINT: return OnPaint(window, message, wParam, lParam);
    case WM_HELP:
    case WM_CONTEXTMENU: return OnHelpRequest(window, message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: return OnInput(window, message, wParam, lParam);
    case WM_SYSCOMMAND: return OnSysCommand(window, message, wParam, lParam);
    case WM_TIMER: return OnTimer(window, message, wParam, lParam);
    default: return ToEngine(window, message, wParam, lParam);
    }
}
