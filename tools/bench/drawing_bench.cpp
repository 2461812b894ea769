// Prints how long the saver's heavy steps take: loading pictures, painting the gradient,
// copying the screen, and how long input waits while nine pictures are drawn.
#include <windows.h>

#include <cstdio>

#include "engine/background_stage.h"
#include "engine/engine_proc.h"
#include "host/host_window.h"
#include "host/window_names.h"
#include "imaging/backgrounds.h"
#include "imaging/dib_loader.h"
#include "settings/saver_settings.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

template <typename Work>
void Measure(const char* what, int rounds, Work work)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < rounds; ++i) work(i);
    QueryPerformanceCounter(&end);
    std::printf("%-44s %9.3f ms each (%d rounds)\n", what, Milliseconds(start, end) / rounds, rounds);
}

HWND CreateFullScreenWindow()
{
    WNDCLASSA saverClass = {};
    saverClass.style = CS_OWNDC;
    saverClass.lpfnWndProc = HostWindowProc;
    saverClass.hInstance = GetModuleHandleA(nullptr);
    saverClass.lpszClassName = kSaverWindowClass;
    RegisterClassA(&saverClass);
    return CreateWindowExA(WS_EX_TOPMOST, kSaverWindowClass, kFullScreenTitle, WS_POPUP | WS_VISIBLE, 0, 0,
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

void LoadEveryPicture(int round)
{
    char name[32];
    wsprintfA(name, "STYLE%02u_PIC%02u", round / 16 % 2, round % 16 + 1);
    LoadedDib dib;
    DibLoader().LoadFromResource("DIB", name, dib);
}

constexpr UINT kProbe = WM_APP + 1;
constexpr int kProbes = 50;
LARGE_INTEGER postedAt[kProbes];

// Posts a probe message now and then, as input would arrive while the engine draws.
DWORD WINAPI PostProbes(LPVOID window)
{
    for (int i = 0; i < kProbes; ++i) {
        Sleep(37);
        QueryPerformanceCounter(&postedAt[i]);
        PostMessageA(static_cast<HWND>(window), kProbe, static_cast<WPARAM>(i), 0);
    }
    return 0;
}

// How long a message waits while the drawing loop runs with nine pictures: the time
// within which a key press reaches the saver.
void MeasureInputDelay(HWND window)
{
    WritePrivateProfileStringA("Options", "Pictures", "8", kSettingsFile);
    WritePrivateProfileStringA("Options", "ChangeTime", "3600", kSettingsFile);
    SendMessageA(window, WM_TIMER, kFrameTimerId, 0);  // background, then the engine
    HANDLE poster = CreateThread(nullptr, 0, PostProbes, window, 0, nullptr);
    double total = 0;
    double longest = 0;
    int received = 0;
    MSG message;
    while (received < kProbes && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == kProbe) {
            LARGE_INTEGER now;
            QueryPerformanceCounter(&now);
            double waited = Milliseconds(postedAt[message.wParam], now);
            total += waited;
            if (waited > longest) longest = waited;
            ++received;
            continue;
        }
        DispatchMessageA(&message);
    }
    WaitForSingleObject(poster, INFINITE);
    CloseHandle(poster);
    std::printf("%-44s %9.3f ms on average, %.3f ms at most (%d messages)\n",
                "a message waiting on the nine-picture loop", total / received, longest, received);
}

}  // namespace

int main()
{
    DeleteFileA("C:\\windows\\tavrixsaver.ini");
    HWND window = CreateFullScreenWindow();
    HDC dc = GetDC(window);
    std::printf("screen %dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    Measure("load a picture from the module", 64, LoadEveryPicture);
    Measure("paint the blue gradient (one brush a row)", 20, [&](int) {
        RECT client{};
        GetClientRect(window, &client);
        PaintGradient(dc, client, RGB(0, 0, 255), RGB(0, 0, 0));
    });
    Measure("copy the window (the background copy)", 20, [&](int) {
        CaptureScreen(window, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    });
    MeasureInputDelay(window);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return 0;
}
