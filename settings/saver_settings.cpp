// The settings record and its private-profile file "tavrixsaver.ini", section Options.
#include "settings/saver_settings.h"

#include <cstdlib>

#include "settings/setting_fields.h"
#include "win32/disk_file.h"

namespace {

// Only a regular disk file, or none yet, is read or written: a pipe or device standing under
// the settings file's name could hold the thread for good. Anything else reads as the defaults.
// Asked once for a whole pass over the keys: each asking costs a few file-system calls.
bool FileUsable()
{
    const std::string path = SettingsFilePath();
    return IsAbsent(path.c_str()) || IsRegularDiskFile(path.c_str());
}

// One pass over the keys, which uses the file only when it was found usable as the pass began.
class SettingsPass {
public:
    SettingsPass() : usable_(FileUsable()) {}

    // Load keeps each working colour beside its committed one; nothing is written to an unusable file.
    void WriteWorkingCopy(const char* key, const char* text) const
    {
        if (usable_) WritePrivateProfileStringA(kSettingsSection, key, text, kSettingsFile);
    }

    UINT Number(const char* key, UINT fallback) const
    {
        if (!usable_) return fallback;
        return GetPrivateProfileIntA(kSettingsSection, key, static_cast<INT>(fallback), kSettingsFile);
    }

    void Text(const char* key, const char* fallback, char (&text)[kPathStorage]) const
    {
        if (!usable_) {
            lstrcpynA(text, fallback, kPathStorage);
            return;
        }
        GetPrivateProfileStringA(kSettingsSection, key, fallback, text, kPathStorage, kSettingsFile);
    }

    // The profile call wraps a time of 2^31 seconds and more: a positive one would turn negative,
    // which means a change at every tick. Such a time waits the longest a timer can instead, and
    // a negative one as long stays negative.
    UINT Seconds(const char* key, UINT fallback) const
    {
        char text[kPathStorage];
        Text(key, "", text);
        switch (BeyondSignedRange(text)) {
        case Beyond::Above: return kLongestChangeTime;
        case Beyond::Below: return 0x80000000u;  // -2^31
        case Beyond::No: break;
        }
        return Number(key, fallback);
    }

    // Colours are kept as decimal text; anything that is no number reads as 0.
    COLORREF Colour(const char* key, char (&text)[kPathStorage]) const
    {
        Text(key, "0", text);
        return static_cast<COLORREF>(std::atoi(text));
    }

private:
    enum class Beyond { No, Above, Below };

    // Whether decimal text (blanks and a sign first) lies beyond the signed 32-bit range.
    static Beyond BeyondSignedRange(const char* text)
    {
        while (*text == ' ' || *text == '\t') ++text;
        const bool negative = *text == '-';
        if (*text == '-' || *text == '+') ++text;
        unsigned long long value = 0;
        for (; *text >= '0' && *text <= '9'; ++text) {
            value = value * 10 + static_cast<unsigned>(*text - '0');
            if (value > 0x80000000u) return negative ? Beyond::Below : Beyond::Above;
        }
        if (value == 0x80000000u && !negative) return Beyond::Above;
        return Beyond::No;
    }

    bool usable_;
};

BOOL WriteNumber(const char* key, const char* format, UINT value)
{
    char text[16];
    wsprintfA(text, format, value);
    return WriteSettingsKey(key, text);
}

// The committed colour is copied as text to its working copy, so the dialog starts from it.
void LoadColour(const SettingsPass& pass, SaverSettings& settings, const SettingField& field)
{
    char text[kPathStorage];
    settings.*field.colour = pass.Colour(field.key, text);
    pass.WriteWorkingCopy(field.workingKey, text);
}

UINT LoadNumber(const SettingsPass& pass, const SettingField& field)
{
    if (field.control.type == ControlType::Seconds) return pass.Seconds(field.key, field.fallback);
    return pass.Number(field.key, field.fallback);
}

void LoadField(const SettingsPass& pass, SaverSettings& settings, const SettingField& field)
{
    switch (field.type) {
    case SettingType::Number: settings.*field.number = LoadNumber(pass, field); break;
    case SettingType::Path: pass.Text(field.key, "", settings.*field.path); break;
    case SettingType::Colour: LoadColour(pass, settings, field); break;
    }
}

// A key and then its working copy; the working colour is what OK commits.
BOOL SaveField(const SaverSettings& settings, const SettingField& field)
{
    switch (field.type) {
    case SettingType::Number: return WriteNumber(field.key, "%u", settings.*field.number);
    case SettingType::Path:
        return WriteSettingsKey(field.key, settings.*field.path) &&
               WriteSettingsKey(field.workingKey, settings.*field.path);
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
    const SettingsPass pass;
    char text[kPathStorage];
    for (const SettingField& field : kSettingFields) {
        if (field.type == SettingType::Number) this->*field.number = field.fallback;
        if (field.type == SettingType::Path) pass.Text(field.workingKey, "", this->*field.path);
        if (field.type == SettingType::Colour)
            this->*field.workingColour = pass.Colour(field.workingKey, text);
    }
}

void SaverSettings::Load()
{
    const SettingsPass pass;
    for (const SettingField& field : kSettingFields) LoadField(pass, *this, field);
}

BOOL SaverSettings::Save() const
{
    for (const SettingField& field : kSettingFields) {
        if (!SaveField(*this, field)) return FALSE;
    }
    return TRUE;
}
