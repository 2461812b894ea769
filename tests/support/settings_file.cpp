// The settings file as the tests see it: removed, written and read with the real profile calls.
#include "tests/support/settings_file.h"

#include <windows.h>

#include <fstream>
#include <sstream>

namespace settings_file {

std::string Path()
{
    char folder[MAX_PATH];
    UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    return std::string(folder, length) + "\\tavrixsaver.ini";
}

void Remove()
{
    DeleteFileA(Path().c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "tavrixsaver.ini");  // drop any cached copy
}

bool Exists() { return GetFileAttributesA(Path().c_str()) != INVALID_FILE_ATTRIBUTES; }

void Write(const char* key, const std::string& value)
{
    WritePrivateProfileStringA("Options", key, value.c_str(), "tavrixsaver.ini");
}

std::string Read(const char* key, const char* fallback)
{
    char value[1024];
    GetPrivateProfileStringA("Options", key, fallback, value, sizeof(value), "tavrixsaver.ini");
    return value;
}

std::string Text()
{
    std::ifstream file(Path(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

namespace {

// The Unix path Wine keeps for a Windows path; empty outside Wine.
std::string UnixPathOf(const std::string& path)
{
    using Converter = char*(CDECL*)(const WCHAR*);
    const auto convert = reinterpret_cast<Converter>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH] = {};
    if (!convert || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return {};
    char* unix = convert(wide);
    if (!unix) return {};
    std::string result(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// Wine starts Unix programs as it starts Windows ones, but hands back no handle to wait on.
bool StartUnixCommand(std::string command)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// Whether a new file can be made in the folder now.
bool CanWriteIn(const std::string& folder)
{
    const HANDLE probe = CreateFileA((folder + "\\tavrix-probe.tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return false;
    CloseHandle(probe);
    return true;
}

}  // namespace

bool SetWindowsFolderWritable(bool writable)
{
    char buffer[MAX_PATH];
    const std::string folder(buffer, GetWindowsDirectoryA(buffer, MAX_PATH));
    const std::string unix = UnixPathOf(folder);
    if (unix.empty() || !StartUnixCommand(std::string("/bin/chmod ") + (writable ? "u+w" : "a-w") + " \"" + unix + "\""))
        return false;
    const DWORD start = GetTickCount();
    while (CanWriteIn(folder) != writable) {
        if (GetTickCount() - start > 10000) return false;
        Sleep(20);
    }
    return true;
}

}  // namespace settings_file
