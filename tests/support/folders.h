// Where the tests find the built programs and fixtures, and where they may write.
#pragma once

#include <string>

// The folder of the running test program, which also holds the built saver and fixtures. Tests only
// read there: sessions that run at once share it.
std::string BuildFolder();
// A folder of this session's own (in its prefix) for the files and copies a test writes.
std::string ScratchFolder();

// The built saver, and a copy that Wine shows the Windows 98 family (with the fixture DLLs beside it).
std::string SaverPath();
std::string Win98SaverPath();
// A file in the Windows folder, where the saver keeps its settings and the setup program installs it.
std::string InWindowsFolder(const char* name);

// A file's bytes as they are on disk; "" when it cannot be read.
std::string FileText(const std::string& path);
