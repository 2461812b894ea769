// Reading the command line: the program name, the run mode and a window handle.
#pragma once

#include <cstdint>

enum class RunMode {
    ConfigUnowned,   // nothing after the program name
    ConfigOwned,     // c: owned by the foreground window
    Saver,           // s
    Preview,         // p or l, with a window handle
    ChangePassword,  // a, with an optional window handle
    Invalid,         // anything else
};

struct ModeChoice {
    RunMode mode;
    const char* rest;  // what follows the mode letter (and its spaces, for p, l and a)
};

// The arguments behind the program name: skips a quoted or bare name, then control
// characters and blanks up to the first argument.
const char* SkipProgramName(const char* commandLine);

// The first character that is no separator (space, '-', '/') decides the mode.
ModeChoice ChooseRunMode(const char* arguments);

// Leading decimal digits as a handle value; no sign, no hex, wraps at 32 bits.
uint32_t ParseWindowHandle(const char* text);
