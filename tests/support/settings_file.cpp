// The settings file as the tests see it: removed, written and read with the real profile calls.
#include "tests/support/settings_file.h"

#include <windows.h>

#include "tests/support/host_command.h"

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
    if (unix.empty() || !StartHostCommand(std::string("/bin/chmod ") + (writable ? "u+w" : "a-w") + " \"" + unix + "\""))
        return false;
    const DWORD start = GetTickCount();
    while (CanWriteIn(folder) != writable) {
        if (GetTickCount() - start > 10000) return false;
        Sleep(20);
    }
    return true;
}

}  // namespace settings_file
