// The soak benchmark: a long run of fast picture changes, with the saver's memory and an engine's GDI objects.
//
// soak_bench [minutes=3] [seconds between rows=15]
//
// The full-screen saver runs as Windows runs it; its memory is read from outside. GDI objects
// cannot be counted in another process under Wine (GetGuiResources answers 0), so an engine with
// the same settings also runs here, on a window of this program, and this process's objects are
// counted: Wine accepts a GDI handle given by its table index alone, so every live object
// answers GetObjectType at its index.
#include <windows.h>
#include <mmsystem.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/engine_proc.h"
#include "tests/support/engine_window.h"
#include "tests/support/folders.h"
#include "tests/support/saver_process.h"
#include "tests/support/settings_file.h"
#include "win32/handles.h"

namespace {

constexpr ULONG_PTR kGdiTableSize = 0x10000;

struct Memory {
    SIZE_T workingSet = 0;
    SIZE_T pagefile = 0;
};

Memory MemoryOf(DWORD processId)
{
    Memory memory;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) return memory;
    ScopeExit close([process] { CloseHandle(process); });
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, &counters, sizeof counters)) {
        memory.workingSet = counters.WorkingSetSize;
        memory.pagefile = counters.PagefileUsage;
    }
    return memory;
}

int LiveGdiObjects()
{
    int live = 0;
    for (ULONG_PTR index = 1; index < kGdiTableSize; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++live;
    return live;
}

// The table slot a fresh object gets: Wine hands out the slot freed last, else a new one.
unsigned ProbeIndex()
{
    const UniqueBrush probe(CreateSolidBrush(RGB(1, 2, 3)));
    return LOWORD(reinterpret_cast<ULONG_PTR>(probe.get()));
}

// Full-screen like the saver's, shown without taking the activation: the saver ends when it loses it.
HWND CreateEngineWindow()
{
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = engine_window::EngineWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "TavrixSoakBench";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_NOACTIVATE, "TavrixSoakBench", "", WS_POPUP, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

std::string Clock(DWORD ms)
{
    char text[16];
    wsprintfA(text, "%lu:%02lu", ms / 60000, ms / 1000 % 60);
    return text;
}

struct Extremes {
    bool any = false;
    int first = 0;
    int last = 0;
    int max = 0;

    void Add(int value)
    {
        if (!any) first = max = value;
        any = true;
        last = value;
        if (value > max) max = value;
    }
};

class Soak {
public:
    Soak(HWND engineWindow, SaverProcess& saver) : engineWindow_(engineWindow), saver_(saver) {}

    void PrintHeader() const
    {
        std::printf("%6s %8s %8s %14s %15s %12s %12s\n", "time", "saver", "changes", "saver WS KiB",
                    "saver pf KiB", "GDI objects", "probe slot");
    }

    void Sample(DWORD elapsed)
    {
        const Memory memory = MemoryOf(saver_.Id());
        const int objects = LiveGdiObjects();
        const unsigned slot = ProbeIndex();
        workingSet_.Add(static_cast<int>(memory.workingSet / 1024));
        objects_.Add(objects);
        slots_.Add(static_cast<int>(slot));
        const char* saverState = saver_.Running() ? "runs" : "ENDED";
        std::printf("%6s %8s %8d %14lu %15lu %12d %12u\n", Clock(elapsed).c_str(), saverState, changes_,
                    static_cast<unsigned long>(memory.workingSet / 1024),
                    static_cast<unsigned long>(memory.pagefile / 1024), objects, slot);
        std::fflush(stdout);
    }

    // Runs the engine's messages until the time is up, sampling every interval.
    void Run(DWORD totalMs, DWORD intervalMs)
    {
        const DWORD start = GetTickCount();
        const UINT_PTR sampler = SetTimer(nullptr, 0, intervalMs, nullptr);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == sampler) {
                const DWORD elapsed = GetTickCount() - start;
                Sample(elapsed);
                if (elapsed + intervalMs / 2 >= totalMs) break;
                continue;
            }
            if (message.message == WM_TIMER && message.hwnd == engineWindow_ &&
                message.wParam == kChangeTimerId)
                ++changes_;
            DispatchMessageA(&message);
        }
        KillTimer(nullptr, sampler);
    }

    void PrintSummary() const
    {
        std::printf("saver working set: start %d KiB, end %d KiB, max %d KiB\n", workingSet_.first,
                    workingSet_.last, workingSet_.max);
        std::printf("engine GDI objects: start %d, end %d, max %d; probe slot: start %d, end %d, max %d; ",
                    objects_.first, objects_.last, objects_.max, slots_.first, slots_.last, slots_.max);
        std::printf("%d changes\n", changes_);
    }

private:
    HWND engineWindow_;
    SaverProcess& saver_;
    int changes_ = 0;
    Extremes workingSet_;
    Extremes objects_;
    Extremes slots_;
};

}  // namespace

int main(int argc, char** argv)
{
    const double minutes = argc > 1 ? std::atof(argv[1]) : 3.0;
    const DWORD intervalMs = argc > 2 ? static_cast<DWORD>(std::atof(argv[2]) * 1000) : 15000;
    const DWORD totalMs = static_cast<DWORD>(minutes * 60000);

    settings_file::Remove();
    settings_file::Write("Pictures", "8");
    settings_file::Write("ChangeTime", "1");
    settings_file::Write("Random", "1");
    settings_file::Write("ChangePos", "1");

    // The engine's window first: a window that appears later would take the activation.
    HWND engineWindow = CreateEngineWindow();
    if (!engineWindow) {
        std::printf("no window for the engine (is there a display?)\n");
        return 2;
    }
    ScopeExit destroy([engineWindow] { DestroyWindow(engineWindow); });
    SaverProcess saver(SaverPath(), "/s");
    HWND saverWindow = WaitForSaverWindow(saver);
    if (!saverWindow) {
        std::printf("the saver showed no window\n");
        return 2;
    }

    std::printf(
        "soak: nine pictures in random order, a change every second, %g minutes, a row every %lu s\n",
        minutes, intervalMs / 1000);
    Soak soak(engineWindow, saver);
    soak.PrintHeader();
    soak.Run(totalMs, intervalMs);
    soak.PrintSummary();

    const bool ranThrough = saver.Running();
    PostMessageA(saverWindow, WM_CLOSE, 0, 0);
    const DWORD exitCode = saver.WaitForExit(5000);
    std::printf("the saver %s, then ended with %lu when asked to close\n",
                ranThrough ? "ran to the end" : "ended early", exitCode);
    return ranThrough && exitCode == 0 ? 0 : 1;
}
