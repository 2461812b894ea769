// The entry point and the run modes: saving, preview, configuration, password change.
#pragma once

#include <windows.h>

// The program's main function: reads GetCommandLineA and ends the process with HostMain's result.
[[noreturn]] void HostEntry();

// Chooses the run mode from the arguments and runs it; the result is the exit code.
int HostMain(HINSTANCE instance, const char* arguments);
