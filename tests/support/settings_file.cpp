// The settings file as the tests see it: removed, written and read with the real profile calls.
#include "tests/support/settings_file.h"

#include <windows.h>

#include "tests/support/folders.h"
#include "tests/support/saver_process.h"

namespace settings_file {

std::string Path()
{
    return InWindowsFolder("tavrixsaver.ini");
}

void Remove()
{
    DeleteFileA(Path().c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "tavrixsaver.ini");  // drop any cached copy
}

void Write(const char* key, const std::string& value)
{
    WritePrivateProfileStringA("Options", key, value.c_str(), "tavrixsaver.ini");
}

void Write(std::initializer_list<std::pair<const char*, std::string>> keys)
{
    for (const auto& [key, value] : keys) Write(key, value);
}

void Reset(std::initializer_list<std::pair<const char*, std::string>> keys)
{
    Remove();
    Write(keys);
}

std::string Read(const char* key, const char* fallback)
{
    char value[1024];
    GetPrivateProfileStringA("Options", key, fallback, value, sizeof(value), "tavrixsaver.ini");
    return value;
}

std::string Text()
{
    return FileText(Path());
}

}  // namespace settings_file
