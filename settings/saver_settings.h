// The settings record and its private-profile file "tavrixsaver.ini", section Options.
#pragma once

#include <windows.h>

#include <string>

constexpr char kSettingsFile[] = "tavrixsaver.ini";
constexpr char kSettingsSection[] = "Options";
constexpr int kPathStorage = 255;  // 254 characters and the terminating NUL

// The longest ChangeTime in seconds: the change timer's milliseconds must stay within the
// longest timer Windows accepts (0x7FFFFFFF ms, 24 days 20 hours).
constexpr UINT kLongestChangeTime = 0x7FFFFFFF / 1000;

// The change timer's interval in milliseconds for a ChangeTime as the file holds it: at most
// kLongestChangeTime seconds; a negative value (hand-set) counts as 0, a change on every tick.
UINT ChangeIntervalMs(UINT changeTime);

// Where the settings file lives: the Windows folder, as the private-profile calls resolve its bare name.
std::string SettingsFilePath();

// Writes one key of section Options; FALSE, with the reason in GetLastError, when it could not
// (ERROR_BAD_FILE_TYPE: a folder, pipe or device stands under the file's name).
BOOL WriteSettingsKey(const char* key, const char* text);

// The values of the Background setting; 3 and any other value paint nothing.
enum class BackgroundChoice : UINT {
    Black = 0,
    BlueFade = 1,
    WhiteFade = 2,
    Desktop = 4,
    OwnBitmap = 5,
    OwnColours = 6,
};

// Every option of the saver, one field per key (the keys, defaults and working copies are
// listed once, in setting_fields.h). Constructing sets the defaults and reads the dialog's
// working copies; Load reads the committed keys; Save writes all.
struct SaverSettings {
    SaverSettings();

    void Load();
    // FALSE when a key could not be written (GetLastError tells why); the keys after it are not tried.
    BOOL Save() const;

    UINT ChangeTime = 0;
    UINT Background = 0;
    UINT Move = 0;
    UINT Random = 0;
    UINT ChangePos = 0;
    UINT FitDesktop = 0;
    UINT WipeEffect = 0;
    UINT Centered = 0;
    UINT Proportional = 0;
    UINT PlayMidi = 0;
    UINT PlayWave = 0;
    UINT LoopMidi = 0;
    UINT Tiles = 0;
    UINT Pictures = 0;
    UINT Scale = 0;
    UINT Speed = 0;
    UINT Style = 0;
    COLORREF Color1 = 0;
    COLORREF Color2 = 0;
    char OwnBitmap[kPathStorage] = {};
    char MidiFile[kPathStorage] = {};
    char WaveFile[kPathStorage] = {};
    COLORREF Color1_tmp = 0;
    COLORREF Color2_tmp = 0;
};
