// The settings record and its private-profile file "tavrixsaver.ini", section Options.
#include "settings/saver_settings.h"

#include <cstdlib>

#include "settings/setting_fields.h"
#include "win32/disk_file.h"

namespace {

// Only a regular disk file, or none yet, is read or written: a pipe or device standing under
// the settings file's name could hold the thread for good. Anything else reads as the defaults.
bool FileUsable()
{
    const std::string path = SettingsFilePath();
    return IsAbsent(path.c_str()) || IsRegularDiskFile(path.c_str());
}

UINT ReadNumber(const char* key, UINT fallback)
{
    if (!FileUsable()) return fallback;
    return GetPrivateProfileIntA(kSettingsSection, key, static_cast<INT>(fallback), kSettingsFile);
}

void ReadText(const char* key, const char* fallback, char (&text)[kPathStorage])
{
    if (!FileUsable()) {
        lstrcpynA(text, fallback, kPathStorage);
        return;
    }
    GetPrivateProfileStringA(kSettingsSection, key, fallback, text, kPathStorage, kSettingsFile);
}

// Colours are kept as decimal text; anything that is no number reads as 0.
COLORREF ReadColour(const char* key, char (&text)[kPathStorage])
{
    ReadText(key, "0", text);
    return static_cast<COLORREF>(std::atoi(text));
}

BOOL WriteText(const char* key, const char* text)
{
    return WriteSettingsKey(key, text);
}

BOOL WriteNumber(const char* key, const char* format, UINT value)
{
    char text[16];
    wsprintfA(text, format, value);
    return WriteText(key, text);
}

// The committed colour is copied as text to its working copy, so the dialog starts from it.
void LoadColour(SaverSettings& settings, const SettingField& field)
{
    char text[kPathStorage];
    settings.*field.colour = ReadColour(field.key, text);
    WriteText(field.workingKey, text);
}

void LoadField(SaverSettings& settings, const SettingField& field)
{
    switch (field.type) {
    case SettingType::Number: settings.*field.number = ReadNumber(field.key, field.fallback); break;
    case SettingType::Path: ReadText(field.key, "", settings.*field.path); break;
    case SettingType::Colour: LoadColour(settings, field); break;
    }
}

// A key and then its working copy; the working colour is what OK commits.
BOOL SaveField(const SaverSettings& settings, const SettingField& field)
{
    switch (field.type) {
    case SettingType::Number: return WriteNumber(field.key, "%u", settings.*field.number);
    case SettingType::Path:
        return WriteText(field.key, settings.*field.path) && WriteText(field.workingKey, settings.*field.path);
    case SettingType::Colour: {
        const UINT colour = settings.*field.workingColour;
        return WriteNumber(field.key, "%d", colour) && WriteNumber(field.workingKey, "%d", colour);
    }
    }
    return FALSE;
}

}  // namespace

BOOL WriteSettingsKey(const char* key, const char* text)
{
    if (!FileUsable()) {
        SetLastError(ERROR_BAD_FILE_TYPE);
        return FALSE;
    }
    return WritePrivateProfileStringA(kSettingsSection, key, text, kSettingsFile);
}

std::string SettingsFilePath()
{
    char folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    std::string path(folder, length < MAX_PATH ? length : 0);
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path + kSettingsFile;
}

UINT ChangeIntervalMs(UINT changeTime)
{
    if (static_cast<INT>(changeTime) < 0) return 0;
    return (changeTime < kLongestChangeTime ? changeTime : kLongestChangeTime) * 1000;
}

SaverSettings::SaverSettings()
{
    char text[kPathStorage];
    for (const SettingField& field : kSettingFields) {
        if (field.type == SettingType::Number) this->*field.number = field.fallback;
        if (field.type == SettingType::Path) ReadText(field.workingKey, "", this->*field.path);
        if (field.type == SettingType::Colour) this->*field.workingColour = ReadColour(field.workingKey, text);
    }
}

void SaverSettings::Load()
{
    for (const SettingField& field : kSettingFields) LoadField(*this, field);
}

BOOL SaverSettings::Save() const
{
    for (const SettingField& field : kSettingFields) {
        if (!SaveField(*this, field)) return FALSE;
    }
    return TRUE;
}
