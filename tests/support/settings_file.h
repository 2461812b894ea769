// The settings file as the tests see it: removed, written and read with the real profile calls.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

namespace settings_file {

std::string Path();  // <Windows folder>\tavrixsaver.ini
void Remove();
void Write(const char* key, const std::string& value);
void Write(std::initializer_list<std::pair<const char*, std::string>> keys);
// A fresh file holding just these keys.
void Reset(std::initializer_list<std::pair<const char*, std::string>> keys);
std::string Read(const char* key, const char* fallback = "<missing>");
std::string Text();  // the whole file as it is on disk

}  // namespace settings_file
