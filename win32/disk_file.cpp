// Regular disk files told apart from devices, pipes and folders by name, attributes and handle type.
#include "win32/disk_file.h"

#include <cctype>
#include <cstring>

namespace {

constexpr const char* kDeviceNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};

bool IsSeparator(char c)
{
    return c == '\\' || c == '/' || c == ':';
}

bool SameLetters(const char* text, size_t length, const char* name)
{
    if (std::strlen(name) != length) return false;
    for (size_t i = 0; i < length; ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != name[i]) return false;
    return true;
}

// COM1..COM9 and LPT1..LPT9.
bool IsNumberedPort(const char* text, size_t length)
{
    return length == 4 && (SameLetters(text, 3, "COM") || SameLetters(text, 3, "LPT")) && text[3] >= '1' &&
           text[3] <= '9';
}

}  // namespace

bool NamesDevice(const char* path)
{
    // The last part, without a colon or blanks at its end, up to its first dot.
    size_t end = std::strlen(path);
    while (end > 0 && (path[end - 1] == ':' || path[end - 1] == ' ')) --end;
    size_t start = end;
    while (start > 0 && !IsSeparator(path[start - 1])) --start;
    size_t length = 0;
    while (start + length < end && path[start + length] != '.') ++length;
    while (length > 0 && path[start + length - 1] == ' ') --length;

    const char* name = path + start;
    if (IsNumberedPort(name, length)) return true;
    for (const char* device : kDeviceNames)
        if (SameLetters(name, length, device)) return true;
    return false;
}

// Wine reports a device name as an ordinary file and a pipe not at all; the name rule
// catches the first, the attributes the second and folders.
bool IsRegularDiskFile(const char* path)
{
    if (path == nullptr || path[0] == '\0' || NamesDevice(path)) return false;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

// Wine lists a pipe in its folder although it reports no attributes for it.
bool IsAbsent(const char* path)
{
    if (NamesDevice(path)) return false;
    WIN32_FIND_DATAA found{};
    return !UniqueFind(FindFirstFileA(path, &found));
}

// The handle's type has the last word: a path that changed after the check is still caught
// before the first read.
UniqueFile OpenRegularDiskFile(const char* path)
{
    if (!IsRegularDiskFile(path)) return UniqueFile();
    UniqueFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file && GetFileType(file.get()) != FILE_TYPE_DISK) file.reset();
    return file;
}
