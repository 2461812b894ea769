// Value logic of the configuration dialog: list entries and indexes, the seconds field, file names.
#include "settings/config_values.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <windows.h>

#include "resources/resource_ids.h"
#include "settings/setting_fields.h"

namespace {

constexpr std::uint64_t kLargestSeconds = 0xFFFFFFFFu;

}  // namespace

std::string SpeedEntry(unsigned index)
{
    if (index >= kSpeedEntries - 1) return "max.";
    return UnsignedText((index + 1) * 10);
}

std::string PictureEntry(unsigned index)
{
    return UnsignedText(index + 1);
}

unsigned ClampListIndex(unsigned index, unsigned entryCount)
{
    if (entryCount == 0) return 0;
    return index < entryCount ? index : entryCount - 1;
}

// The scale list is never seen, so it must not quietly change a hand-set value:
// an index it cannot show is carried past it instead of being clamped.
int ScaleSelection(unsigned scale)
{
    return scale < kSpeedEntries ? static_cast<int>(scale) : kNoSelection;
}

unsigned StoredIndex(std::intptr_t selection, unsigned kept)
{
    return selection < 0 ? kept : static_cast<unsigned>(selection);
}

int BackgroundButton(unsigned background)
{
    for (const BackgroundButtonEntry& entry : kBackgroundButtons)
        if (static_cast<unsigned>(entry.value) == background) return entry.button;
    return IDC_BACKGROUND_BLACK;
}

unsigned ParseSeconds(const std::string& text)
{
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string::npos) return 0;
    std::uint64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + static_cast<unsigned>(text[at] - '0');
        if (value > kLargestSeconds) return 0;
    }
    return value < kLongestChangeTime ? static_cast<unsigned>(value) : kLongestChangeTime;
}

std::string UnsignedText(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    return text;
}

void CopyPathText(char (&target)[kPathCharacters + 1], const std::string& text)
{
    std::size_t length = text.size() < kPathCharacters ? text.size() : kPathCharacters;
    std::memcpy(target, text.data(), length);
    target[length] = '\0';
}

ChooserStart ChooserStartFor(const std::string& path, const char* pattern)
{
    if (path.empty()) return {"", pattern};
    // The split buffers are sized for one path of at most MAX_PATH characters.
    std::string kept = path.substr(0, kPathCharacters);
    char drive[_MAX_DRIVE] = {};
    char dir[_MAX_DIR] = {};
    char fname[_MAX_FNAME] = {};
    char ext[_MAX_EXT] = {};
    _splitpath(kept.c_str(), drive, dir, fname, ext);
    return {std::string(drive) + dir, std::string(fname) + ext};
}

std::string FilterPair(const char* description, const char* pattern)
{
    std::string filter = description;
    filter.push_back('\0');
    filter += pattern;
    filter.push_back('\0');
    return filter;
}

namespace {

std::string SaveFailureReason(unsigned long error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
        return "Windows verweigert das Schreiben: Die Datei ist schreibgesch\xFCtzt, oder der Ordner darf "
               "nicht "
               "beschrieben werden.";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return "Die Datei wird gerade von einem anderen Programm benutzt.";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "Auf dem Datentr\xE4ger ist kein Platz mehr frei.";
    case ERROR_WRITE_PROTECT: return "Der Datentr\xE4ger ist schreibgesch\xFCtzt.";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "Der Ordner der Datei ist nicht zu finden.";
    case ERROR_BAD_FILE_TYPE:
        return "Unter diesem Namen steht keine gew\xF6hnliche Datei, sondern ein Ordner, ein Ger\xE4t oder "
               "eine Pipe.";
    default: {
        char text[64];
        std::snprintf(text, sizeof text, "Windows meldet den Fehler %lu.", error);
        return text;
    }
    }
}

}  // namespace

std::string SaveFailureText(const std::string& file, unsigned long error)
{
    return "Die Einstellungen konnten nicht gespeichert werden.\n\n" + SaveFailureReason(error) +
           "\n\nDatei: " + file + "\n\nDie bisher gespeicherten Einstellungen gelten weiter.";
}

std::string ColorText(std::uint32_t color)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(color));
    return text;
}
