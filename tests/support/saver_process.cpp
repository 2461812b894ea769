// Starts the built saver under Wine as Windows would, and watches its windows and exit code.
#include "tests/support/saver_process.h"

#include <map>

std::string BuildFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string SaverPath() { return BuildFolder() + "tavrixsaver.scr"; }

namespace {

void CopyBeside(const std::string& folder, const char* name, const char* as)
{
    CopyFileA((BuildFolder() + name).c_str(), (folder + as).c_str(), FALSE);
}

void SetRegistryText(const std::string& key, const char* name, const char* value)
{
    HKEY opened = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, key.c_str(), &opened) != ERROR_SUCCESS) return;
    RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), lstrlenA(value) + 1);
    RegCloseKey(opened);
}

// Wine shows this program the 98 family, and lets it take the MPR.DLL beside it over its own.
void MarkAsWin98(const char* fileName)
{
    std::string key = std::string("Software\\Wine\\AppDefaults\\") + fileName;
    SetRegistryText(key, "Version", "win98");
    SetRegistryText(key + "\\DllOverrides", "mpr", "native,builtin");
}

std::string EnvironmentBlock(const std::vector<std::string>& extra)
{
    std::map<std::string, std::string> variables;
    char* strings = GetEnvironmentStringsA();
    for (const char* p = strings; *p; p += lstrlenA(p) + 1) {
        std::string entry(p);
        size_t equals = entry.find('=', 1);
        if (equals != std::string::npos) variables[entry.substr(0, equals)] = entry.substr(equals + 1);
    }
    FreeEnvironmentStringsA(strings);
    for (const std::string& entry : extra) {
        size_t equals = entry.find('=');
        variables[entry.substr(0, equals)] = entry.substr(equals + 1);
    }
    std::string block;
    for (const auto& [name, value] : variables) block += name + "=" + value + '\0';
    return block + '\0';
}

struct WindowSearch {
    DWORD processId;
    const char* windowClass;
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId) return TRUE;
    char windowClass[128] = {};
    char title[128] = {};
    GetClassNameA(window, windowClass, sizeof(windowClass));
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(title), reinterpret_cast<LPARAM>(title), SMTO_ABORTIFHUNG, 500,
                        nullptr);
    if (lstrcmpA(windowClass, search->windowClass) != 0) return TRUE;
    if (search->title && lstrcmpA(title, search->title) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

std::string Win98SaverPath()
{
    std::string folder = BuildFolder() + "win98\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    CopyBeside(folder, "tavrixsaver.scr", "tavrix98.scr");
    CopyBeside(folder, "PASSWORD.CPL", "PASSWORD.CPL");
    CopyBeside(folder, "MPR.DLL", "MPR.DLL");
    MarkAsWin98("tavrix98.scr");
    return folder + "tavrix98.scr";
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

SaverProcess::SaverProcess(const std::string& program, const std::string& arguments,
                           const std::vector<std::string>& environment, DWORD creationFlags)
{
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    std::string block = EnvironmentBlock(environment);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, creationFlags, block.data(), nullptr,
                        &startup, &info_)) {
        info_ = {};
    }
}

SaverProcess::~SaverProcess()
{
    if (!Started()) return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 0xDEAD);
        WaitForSingleObject(info_.hProcess, 30000);
    }
    // Wine takes an ended process's windows away a moment later; a saver started meanwhile would
    // find this one's window and hand over to it.
    WindowSearch search = {info_.dwProcessId, kSaverClass, nullptr, nullptr};
    WaitUntil(
        [&] {
            search.found = nullptr;
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
            return search.found == nullptr;
        },
        10000);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

DWORD SaverProcess::WaitForExit(DWORD timeoutMs)
{
    if (!Started()) return STILL_ACTIVE;
    WaitForSingleObject(info_.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

bool SaverProcess::Running() { return Started() && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

HWND SaverProcess::WaitForWindow(const char* windowClass, const char* title, DWORD timeoutMs)
{
    WindowSearch search = {info_.dwProcessId, windowClass, title, nullptr};
    WaitUntil(
        [&] {
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr || !Running();
        },
        timeoutMs);
    return search.found;
}

HWND WaitForSaverWindow(SaverProcess& saver) { return saver.WaitForWindow(kSaverClass, kSaverTitle); }
