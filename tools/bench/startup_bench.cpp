// Prints how long the saver takes from its start until the user sees it (the blue fade and its
// first pictures on the screen), beside a trivial full-screen window that only paints red: the
// time every program needs to be started and shown under this system. Rounds take the programs in
// turn, so a busy moment of the machine falls on each alike; the medians are printed.
//   startup_bench.exe rounds saver.scr [another-saver.scr ...]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "host/window_names.h"
#include "settings/saver_settings.h"
#include "win32/handles.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr char kTrivialClass[] = "TavrixStartupBenchRed";

double Now()
{
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return 1000.0 * double(count.QuadPart) / double(frequency.QuadPart);
}

COLORREF ScreenPixel(HDC screen, int x, int y)
{
    return GetPixel(screen, x, y);
}

// The trivial program: this very file started with "red", a topmost full-screen window painted red.
LRESULT CALLBACK RedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        FillRect(dc, &paint.rcPaint, UniqueBrush(CreateSolidBrush(kRed)).get());
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_KEYDOWN || message == WM_CLOSE) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunRedWindow()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RedWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kTrivialClass;
    RegisterClassA(&windowClass);
    CreateWindowExA(WS_EX_TOPMOST, kTrivialClass, "", WS_POPUP | WS_VISIBLE, 0, 0,
                    GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                    windowClass.hInstance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}

// What the user sees once the program is up: the trivial window's red, or the saver's fade with a
// picture somewhere on a 64-pixel grid (a point that is not the fade's blue of its row).
bool RedShown(HDC screen)
{
    return ScreenPixel(screen, 512, 384) == kRed;
}

bool SaverShown(HDC screen)
{
    if (ScreenPixel(screen, 0, 0) != kBlue) return false;
    const int height = GetSystemMetrics(SM_CYSCREEN);
    for (int y = 32; y < height; y += 64) {
        const COLORREF row = ScreenPixel(screen, 0, y);
        for (int x = 32; x < GetSystemMetrics(SM_CXSCREEN); x += 64)
            if (ScreenPixel(screen, x, y) != row) return true;
    }
    return false;
}

// Milliseconds from CreateProcess until `shown` holds, or -1; the program is then ended as a
// user would end it (a key), and its windows are gone before the next start.
double TimeToShow(const std::string& program, const std::string& arguments,
                  const std::function<bool(HDC)>& shown)
{
    std::string command = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double start = Now();
    if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    UniqueKernelObject thread(process.hThread), running(process.hProcess);
    double elapsed = -1;
    {
        WindowDc screen(nullptr);
        while (Now() - start < 30000) {
            if (shown(screen.get())) {
                elapsed = Now() - start;
                break;
            }
            Sleep(1);
        }
    }
    for (int tries = 0; tries < 100 && WaitForSingleObject(running.get(), 0) == WAIT_TIMEOUT; ++tries) {
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = 'A';
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
        WaitForSingleObject(running.get(), 100);
    }
    if (WaitForSingleObject(running.get(), 0) == WAIT_TIMEOUT) TerminateProcess(running.get(), 9);
    WaitForSingleObject(running.get(), 10000);
    // Wine takes an ended program's windows away a moment later.
    for (int tries = 0;
         tries < 500 && (FindWindowA(kSaverWindowClass, nullptr) || FindWindowA(kTrivialClass, nullptr));
         ++tries)
        Sleep(10);
    return elapsed;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "red") return RunRedWindow();
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench.exe rounds saver.scr [another-saver.scr ...]\n");
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    char self[MAX_PATH];
    const std::string bench(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
    // The blue fade and nine pictures, the first ones in the middle of the screen.
    const std::pair<const char*, const char*> settings[] = {
        {"Background", "1"}, {"Pictures", "8"}, {"ChangeTime", "3600"}, {"Move", "1"}, {"Centered", "0"}};
    for (const auto& [key, value] : settings)
        WritePrivateProfileStringA(kSettingsSection, key, value, kSettingsFile);

    std::vector<std::vector<double>> times(argc - 1);
    for (int round = 0; round < rounds; ++round) {
        times[0].push_back(TimeToShow(bench, "red", RedShown));
        for (int i = 2; i < argc; ++i) times[i - 1].push_back(TimeToShow(argv[i], "/s", SaverShown));
    }
    std::printf("\nStart-up: from the start until the user sees it, median of %d rounds taken in turn\n",
                rounds);
    const double trivial = Median(times[0]);
    std::printf("  %-44s %6.0f ms\n", "a trivial full-screen window (red)", trivial);
    for (int i = 2; i < argc; ++i) {
        const double saver = Median(times[i - 1]);
        std::printf("  %-44s %6.0f ms  (%.2f x the trivial window)\n", argv[i], saver, saver / trivial);
    }
    return 0;
}
