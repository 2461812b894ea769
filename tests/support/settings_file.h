// The settings file as the tests see it: removed, written and read with the real profile calls.
#pragma once

#include <string>

namespace settings_file {

std::string Path();  // <Windows folder>\tavrixsaver.ini
void Remove();
void Write(const char* key, const std::string& value);
std::string Read(const char* key, const char* fallback = "<missing>");
std::string Text();  // the whole file as it is on disk

}  // namespace settings_file
