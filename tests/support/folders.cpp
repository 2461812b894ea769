// Where the tests find the built programs and fixtures, and where they may write.
#include "tests/support/folders.h"

#include <windows.h>

#include <fstream>
#include <iterator>

#include "tests/support/user_registry.h"

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

std::string InWindowsFolder(const char* name)
{
    char folder[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    return std::string(folder, length) + "\\" + name;
}

std::string FileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
