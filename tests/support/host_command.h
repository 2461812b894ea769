// The Linux host as Wine lets a test program reach it: host programs started like Windows ones,
// and the host's path of a Windows one.
#pragma once

#include <windows.h>

#include <string>

// Starts a host program (Wine runs such a command line as it runs a Windows program). Wine
// hands back no handle to wait on, so a caller waits for the command's effect.
inline bool StartHostCommand(std::string command)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// The host's path of a Windows path, as Wine maps it; empty outside Wine.
inline std::string UnixPathOf(const std::string& path)
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
