// Reading the command line: the program name, the run mode and a window handle.
#include "host/command_line.h"

#include <windows.h>

namespace {

bool IsAboveSpace(char c)
{
    return static_cast<unsigned char>(c) > ' ';
}

bool IsControlOrSpace(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 0x01 && u <= 0x20;
}

const char* SkipSpaces(const char* text)
{
    while (*text == ' ') ++text;
    return text;
}

}  // namespace

const char* SkipProgramName(const char* commandLine)
{
    const char* p = commandLine;
    if (*p == '"') {
        do {
            p = CharNextA(p);
        } while (*p != '\0' && *p != '"');
        if (*p == '"') ++p;
    } else {
        while (IsAboveSpace(*p)) p = CharNextA(p);
    }
    while (IsControlOrSpace(*p)) p = CharNextA(p);
    return p;
}

ModeChoice ChooseRunMode(const char* arguments)
{
    for (const char* p = arguments;; ++p) {
        switch (*p) {
        case '\0': return {RunMode::ConfigUnowned, p};
        case ' ':
        case '-':
        case '/': continue;
        case 'a':
        case 'A': return {RunMode::ChangePassword, SkipSpaces(p + 1)};
        case 'c':
        case 'C': return {RunMode::ConfigOwned, p + 1};
        case 'p':
        case 'P':
        case 'l':
        case 'L': return {RunMode::Preview, SkipSpaces(p + 1)};
        case 's':
        case 'S': return {RunMode::Saver, p + 1};
        default: return {RunMode::Invalid, p};
        }
    }
}

uint32_t ParseWindowHandle(const char* text)
{
    uint32_t value = 0;
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p)
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    return value;
}
