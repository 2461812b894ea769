// Prints what a large user bitmap costs the real saver: how long its load takes, the saver's
// peak working set, and how long a key pressed during the load takes to close the saver.
#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/window_names.h"
#include "settings/saver_settings.h"
#include "win32/handles.h"

namespace {

constexpr COLORREF kPictureColour = RGB(40, 160, 220);
constexpr DWORD kKeyAfterMs = 300;  // the key comes while the load runs

double Now()
{
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return 1000.0 * double(count.QuadPart) / double(frequency.QuadPart);
}

std::string Folder()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string file(path, length);
    return file.substr(0, file.find_last_of('\\') + 1);
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
}

// A BMP whose pixels are all kPictureColour: 24-bit rows written out, or an 8-bit file whose
// pixel bytes are a hole (index 0, coloured by the table) that costs no disk.
bool WriteBmp(const std::string& path, int32_t width, int32_t height, uint16_t bits)
{
    const uint32_t colours = bits == 8 ? 256 : 0;
    const uint64_t stride = (uint64_t(width) * bits + 31) / 32 * 4;
    std::vector<uint8_t> head(54 + 4 * colours);
    head[0] = 'B';
    head[1] = 'M';
    Put32(head, 10, uint32_t(head.size()));
    Put32(head, 14, 40);
    Put32(head, 18, uint32_t(width));
    Put32(head, 22, uint32_t(height));
    head[26] = 1;
    head[28] = uint8_t(bits);
    if (colours)
        Put32(head, 54,
              uint32_t(GetBValue(kPictureColour) | GetGValue(kPictureColour) << 8 |
                       GetRValue(kPictureColour) << 16));
    UniqueFile file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), head.data(), DWORD(head.size()), &written, nullptr)) return false;
    if (bits == 8) {
        LARGE_INTEGER end;
        end.QuadPart = LONGLONG(head.size() + stride * uint64_t(height));
        return SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get());
    }
    std::vector<uint8_t> row(size_t(stride), 0);
    for (int32_t x = 0; x < width; ++x) {
        row[3 * size_t(x)] = GetBValue(kPictureColour);
        row[3 * size_t(x) + 1] = GetGValue(kPictureColour);
        row[3 * size_t(x) + 2] = GetRValue(kPictureColour);
    }
    for (int32_t y = 0; y < height; ++y)
        if (!WriteFile(file.get(), row.data(), DWORD(row.size()), &written, nullptr)) return false;
    return true;
}

void Setting(const char* key, const std::string& value)
{
    WritePrivateProfileStringA(kSettingsSection, key, value.c_str(), kSettingsFile);
}

struct Saver {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;

    Saver()
    {
        const std::string program = Folder() + "tavrixsaver.scr";
        std::string command = "\"" + program + "\" /s";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process))
            return;
        for (DWORD start = GetTickCount(); !window && GetTickCount() - start < 20000; Sleep(5))
            window = FindWindowA(kSaverWindowClass, kFullScreenTitle);
    }
    ~Saver()
    {
        if (!process.hProcess) return;
        if (WaitForSingleObject(process.hProcess, 10000) == WAIT_TIMEOUT)
            TerminateProcess(process.hProcess, 9);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    double PeakMegabytes() const
    {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters);
        return double(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
    }

    // Keys until the saver ends; the time from the first one.
    double MillisecondsToCloseOnKey() const
    {
        SetForegroundWindow(window);
        const double start = Now();
        for (int tries = 0; tries < 100; ++tries) {
            INPUT keys[2] = {};
            keys[0].type = keys[1].type = INPUT_KEYBOARD;
            keys[0].ki.wVk = keys[1].ki.wVk = 'A';
            keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
            SendInput(2, keys, sizeof(INPUT));
            if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) return Now() - start;
        }
        return -1;
    }
};

bool PictureShown()
{
    const HDC screen = GetDC(nullptr);
    const COLORREF shown = GetPixel(screen, 5, 5);
    ReleaseDC(nullptr, screen);
    return shown == kPictureColour;
}

// Loaded to the end: how long until it shows, and the memory it took.
void MeasureWholeLoad(const char* what)
{
    Saver saver;
    if (!saver.window) return;
    const double start = Now();
    bool shown = false;
    while (!(shown = PictureShown()) && Now() - start < 60000) Sleep(5);
    const double loadMs = Now() - start;
    const double peak = saver.PeakMegabytes();
    const double closeMs = saver.MillisecondsToCloseOnKey();
    std::printf("%-34s shown after %5.0f ms, peak working set %5.1f MB, then a key closes it in %3.0f ms\n",
                what, shown ? loadMs : -1.0, peak, closeMs);
}

// A key while it loads (or, when the header is refused, right after).
void MeasureKeyDuringLoad(const char* what)
{
    Saver saver;
    if (!saver.window) return;
    Sleep(kKeyAfterMs);
    const double peak = saver.PeakMegabytes();
    const double closeMs = saver.MillisecondsToCloseOnKey();
    std::printf("%-34s a key %lu ms after the window came closes it in %3.0f ms (peak so far %5.1f MB)\n",
                what, kKeyAfterMs, closeMs, peak);
}

}  // namespace

int main()
{
    Setting("Background", "5");
    Setting("Tiles", "0");
    Setting("ChangeTime", "3600");
    Setting("Scale", "0");
    Setting("Centered", "1");
    Setting("Move", "0");
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const struct {
        const char* what;
        int32_t width, height;
        uint16_t bits;
        bool refused;
    } files[] = {{"20000 x 20000, 8 bits (sparse)", 20000, 20000, 8, true},
                 {"6000 x 4000, 24 bits (24 Mpx)", 6000, 4000, 24, false},
                 {"8192 x 6144, 8 bits (the limit)", 8192, 6144, 8, false},
                 {"8192 x 6144, 24 bits (the limit)", 8192, 6144, 24, false}};
    for (const auto& file : files) {
        const std::string path = std::string(temp) + "tavrix_bench.bmp";
        if (!WriteBmp(path, file.width, file.height, file.bits)) {
            std::printf("%-34s could not be written\n", file.what);
            continue;
        }
        Setting("OwnBitmap", path);
        if (!file.refused) MeasureWholeLoad(file.what);
        MeasureKeyDuringLoad(file.what);
        DeleteFileA(path.c_str());
    }
    return 0;
}
