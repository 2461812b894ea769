// Starts the built saver under Wine as Windows would, and watches its windows and exit code.
#include "tests/support/saver_process.h"

#include <fstream>
#include <iterator>

namespace {

// A top-level window of the process with the class and title (any title if null); null if none.
HWND FindProcessWindow(DWORD processId, const char* windowClass, const char* title)
{
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, windowClass, title)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) return window;
    }
    return nullptr;
}

}  // namespace

std::string BuildFolder()
{
    char path[MAX_PATH];
    std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string ScratchFolder()
{
    char temp[MAX_PATH] = {};
    const std::string folder = std::string(temp, GetTempPathA(MAX_PATH, temp)) + "tavrix-tests\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string SaverPath()
{
    return BuildFolder() + "tavrixsaver.scr";
}

std::string InWindowsFolder(const char* name)
{
    char folder[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    return std::string(folder, length) + "\\" + name;
}

std::string Win98SaverPath()
{
    const std::string folder = ScratchFolder() + "win98\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : {"PASSWORD.CPL", "MPR.DLL"})
        CopyFileA((BuildFolder() + name).c_str(), (folder + name).c_str(), FALSE);
    CopyFileA(SaverPath().c_str(), (folder + "tavrix98.scr").c_str(), FALSE);
    // Wine shows this program the 98 family, and lets it take the MPR.DLL beside it over its own.
    WriteUserRegistry("Software\\Wine\\AppDefaults\\tavrix98.scr", "Version", "win98");
    WriteUserRegistry("Software\\Wine\\AppDefaults\\tavrix98.scr\\DllOverrides", "mpr", "native,builtin");
    return folder + "tavrix98.scr";
}

void WriteUserRegistry(const char* key, const char* name, const char* text)
{
    HKEY opened = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, key, &opened) != ERROR_SUCCESS) return;
    if (text)
        RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), lstrlenA(text) + 1);
    else
        RegDeleteValueA(opened, name);
    RegCloseKey(opened);
}

void WriteUserRegistryNumber(const char* key, const char* name, DWORD number)
{
    HKEY opened = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, key, &opened) != ERROR_SUCCESS) return;
    RegSetValueExA(opened, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(opened);
}

std::string FileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, bool pump)
{
    const DWORD start = GetTickCount();
    for (;;) {
        for (MSG message; pump && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageA(&message);
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
}

SaverProcess::SaverProcess(const std::string& program, const std::string& arguments,
                           const std::vector<std::string>& environment, DWORD creationFlags)
{
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    // The process inherits this one's environment, with the extra entries set for the moment.
    auto setEach = [&](bool set) {
        for (const std::string& entry : environment) {
            const size_t equals = entry.find('=');
            SetEnvironmentVariableA(entry.substr(0, equals).c_str(),
                                    set ? entry.c_str() + equals + 1 : nullptr);
        }
    };
    setEach(true);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    // A process that could not start leaves info_ empty.
    CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                   nullptr, &startup, &info_);
    setEach(false);
}

SaverProcess::~SaverProcess()
{
    if (!info_.hProcess) return;
    Kill();
    WaitForExit();
    // Wine takes an ended process's windows away a moment later; a saver started meanwhile would
    // find this one's window and hand over to it.
    WaitUntil([&] { return !FindProcessWindow(info_.dwProcessId, kSaverWindowClass, nullptr); }, 30000);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

DWORD SaverProcess::WaitForExit(DWORD timeoutMs)
{
    DWORD code = STILL_ACTIVE;
    if (info_.hProcess && WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

HWND SaverProcess::WaitForWindow(const char* windowClass, const char* title, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindProcessWindow(info_.dwProcessId, windowClass, title);
            // Once its thread answers, the window is made (and shown, if it is to be) and takes messages.
            if (found && !SendMessageTimeoutA(found, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, nullptr))
                found = nullptr;
            return found || !Running();
        },
        timeoutMs);
    return found;
}

HWND WaitForSaverWindow(SaverProcess& saver)
{
    return saver.WaitForWindow(kSaverWindowClass, kFullScreenTitle);
}
