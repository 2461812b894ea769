// Value logic of the configuration dialog: list entries and indexes, the seconds field, file names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/setting_fields.h"

constexpr std::size_t kPathCharacters = 254;  // what a file-name setting holds, without its NUL
constexpr int kNoSelection = -1;              // a list selection of none, as the list reports it

// The text of entry `index` of the speed and scale lists.
std::string SpeedEntry(unsigned index);

// The text of entry `index` of the picture-count list.
std::string PictureEntry(unsigned index);

// The entry a visible list shows for a stored index: beyond the last entry, the last.
unsigned ClampListIndex(unsigned index, unsigned entryCount);

// The entry the hidden scale list shows: its own index, or none when the list has no such entry.
int ScaleSelection(unsigned scale);

// The value a list selection stores: its index, or `kept` when the list selects nothing.
unsigned StoredIndex(std::intptr_t selection, unsigned kept);

// Each Background value and its radio button, in the order in which OK looks for the checked one.
struct BackgroundButtonEntry {
    BackgroundChoice value;
    int button;
};
inline constexpr BackgroundButtonEntry kBackgroundButtons[] = {
    {BackgroundChoice::Black, IDC_BACKGROUND_BLACK},
    {BackgroundChoice::BlueFade, IDC_BACKGROUND_BLUE},
    {BackgroundChoice::WhiteFade, IDC_BACKGROUND_WHITE},
    {BackgroundChoice::Desktop, IDC_BACKGROUND_DESKTOP},
    {BackgroundChoice::OwnBitmap, IDC_BACKGROUND_BITMAP},
    {BackgroundChoice::OwnColours, IDC_BACKGROUND_GRADIENT},
};

// The background setting's radio button; values no button stands for show the black screen's.
int BackgroundButton(unsigned background);

// The seconds field as a number: leading decimal digits; no digits, or more than 32 bits, give 0;
// beyond kLongestChangeTime the longest change time.
unsigned ParseSeconds(const std::string& text);

// Unsigned decimal text.
std::string UnsignedText(unsigned value);

// Copies at most kPathCharacters of `text` and a NUL into `target`.
void CopyPathText(char (&target)[kPathCharacters + 1], const std::string& text);

// Where the file chooser starts.
struct ChooserStart {
    std::string directory;  // drive and folder of the current file; empty lets the chooser pick
    std::string fileName;   // what the file-name box shows first
};

// A current file starts the chooser in its folder with its name; no file starts it on the pattern.
ChooserStart ChooserStartFor(const std::string& path, const char* pattern);

// A chooser filter of one pair: description, pattern, each NUL-ended (c_str adds the closing NUL).
std::string FilterPair(const char* description, const char* pattern);

// What the user reads when OK could not store the settings: what happened, the reason in plain
// words for the system's error code, and the file. Windows-1252 text.
std::string SaveFailureText(const std::string& file, unsigned long error);

// A colour as the settings file stores it: signed decimal.
std::string ColorText(std::uint32_t color);
