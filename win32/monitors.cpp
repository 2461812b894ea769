// The monitors the full-screen saver covers, asked of the system at run time.
#include "win32/monitors.h"

namespace {

using EnumMonitorsFunction = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);

BOOL CALLBACK CollectMonitor(HMONITOR, HDC, LPRECT rect, LPARAM collected)
{
    reinterpret_cast<std::vector<RECT>*>(collected)->push_back(*rect);
    return TRUE;
}

bool IsChild(HWND window)
{
    return (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0;
}

RECT ClientRect(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return client;
}

POINT ClientOrigin(HWND window)
{
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return origin;
}

}  // namespace

RECT VirtualScreen()
{
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0) return PrimaryScreen();
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + width, top + height};
}

RECT PrimaryScreen()
{
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// EnumDisplayMonitors came with Windows 98 and 2000: looked up by name, it leaves the product
// loadable on 95 and NT 4.0.
std::vector<RECT> MonitorRects()
{
    std::vector<RECT> monitors;
    const HMODULE user = GetModuleHandleA("USER32.DLL");
    const auto enumerate = reinterpret_cast<EnumMonitorsFunction>(
        reinterpret_cast<void*>(user ? GetProcAddress(user, "EnumDisplayMonitors") : nullptr));
    if (enumerate) enumerate(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) monitors.push_back(PrimaryScreen());
    return monitors;
}

std::vector<RECT> InClient(const std::vector<RECT>& onScreen, POINT clientOrigin, const RECT& client)
{
    std::vector<RECT> inside;
    for (RECT rect : onScreen) {
        OffsetRect(&rect, -clientOrigin.x, -clientOrigin.y);
        RECT shown{};
        if (IntersectRect(&shown, &rect, &client)) inside.push_back(shown);
    }
    return inside;
}

std::vector<RECT> MonitorsInClient(HWND window)
{
    const RECT client = ClientRect(window);
    if (IsChild(window)) return {client};
    std::vector<RECT> monitors = InClient(MonitorRects(), ClientOrigin(window), client);
    if (monitors.empty()) monitors.push_back(client);
    return monitors;
}

RECT PrimaryInClient(HWND window)
{
    const RECT client = ClientRect(window);
    if (IsChild(window)) return client;
    const std::vector<RECT> primary = InClient({PrimaryScreen()}, ClientOrigin(window), client);
    return primary.empty() ? client : primary.front();
}
