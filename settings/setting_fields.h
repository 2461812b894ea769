// Every setting once: its key in the file, its field, its default, its working copy and the
// control of the configuration dialog that shows it. Loading, saving and the dialog follow it.
#pragma once

#include "resources/resource_ids.h"
#include "settings/saver_settings.h"

enum class SettingType { Number, Path, Colour };

enum class ControlType {
    None,        // shown otherwise (the background buttons) or not at all (the committed colours)
    Seconds,     // a digits-only field
    Check,       // a box; with `other`, it counts only while that button is checked too
    Choice,      // two radio buttons: `id` for nonzero, `other` for 0
    List,        // a drop-down list of `other` entries, the value being the index
    HiddenList,  // the scale list nobody sees: it carries values beyond its entries
    PathField,   // a file-name field
};

struct SettingControl {
    ControlType type = ControlType::None;
    int id = 0;
    int other = 0;
};

// How a file or colour setting is picked: the button that opens its chooser and, for a file, the
// chooser's title and its one filter.
struct SettingChooser {
    int button = 0;
    const char* title = nullptr;
    const char* description = nullptr;
    const char* pattern = nullptr;
};

struct SettingField {
    const char* key;
    SettingType type;
    UINT SaverSettings::*number;
    char (SaverSettings::*path)[kPathStorage];
    COLORREF SaverSettings::*colour;         // the committed colour
    COLORREF SaverSettings::*workingColour;  // the dialog's working copy, which Save commits
    UINT fallback;                           // when the key is missing
    const char* workingKey;                  // written beside the key
    SettingControl control;
    SettingChooser chooser;
};

constexpr unsigned kSpeedEntries = 11;   // "10" .. "100", "max."; the hidden scale list has the same
constexpr unsigned kPictureEntries = 9;  // "1" .. "9"
constexpr unsigned kStyleEntries = 2;

constexpr SettingField NumberSetting(const char* key, UINT SaverSettings::*field, UINT fallback,
                                     SettingControl control)
{
    return {key, SettingType::Number, field, nullptr, nullptr, nullptr, fallback, nullptr, control, {}};
}

constexpr SettingField PathSetting(const char* key, char (SaverSettings::*field)[kPathStorage],
                                   const char* workingKey, int fieldId, SettingChooser chooser)
{
    return {key,    SettingType::Path, nullptr,
            field,  nullptr,           nullptr,
            0,      workingKey,        {ControlType::PathField, fieldId, 0},
            chooser};
}

constexpr SettingField ColourSetting(const char* key, COLORREF SaverSettings::*committed,
                                     COLORREF SaverSettings::*working, const char* workingKey, int button)
{
    return {key, SettingType::Colour, nullptr, nullptr, committed, working, 0, workingKey, {}, {button}};
}

// In the order in which Save writes the keys.
inline constexpr SettingField kSettingFields[] = {
    NumberSetting("ChangeTime", &SaverSettings::ChangeTime, 10, {ControlType::Seconds, IDC_CHANGE_TIME}),
    NumberSetting("Background", &SaverSettings::Background, 0, {}),
    NumberSetting("Move", &SaverSettings::Move, 1, {ControlType::Choice, IDC_MOVE_ON, IDC_MOVE_OFF}),
    NumberSetting("ChangePos", &SaverSettings::ChangePos, 0, {ControlType::Check, IDC_CHANGE_POS}),
    NumberSetting("Random", &SaverSettings::Random, 0,
                  {ControlType::Choice, IDC_ORDER_RANDOM, IDC_ORDER_SEQUENTIAL}),
    NumberSetting("Speed", &SaverSettings::Speed, 9, {ControlType::List, IDC_SPEED, kSpeedEntries}),
    NumberSetting("Scale", &SaverSettings::Scale, 9, {ControlType::HiddenList, IDC_SCALE, kSpeedEntries}),
    NumberSetting("Pictures", &SaverSettings::Pictures, 0,
                  {ControlType::List, IDC_PICTURES, kPictureEntries}),
    NumberSetting("Style", &SaverSettings::Style, 0, {ControlType::List, IDC_STYLE, kStyleEntries}),
    NumberSetting("FitDesktop", &SaverSettings::FitDesktop, 0,
                  {ControlType::Choice, IDC_SIZE_SCREEN, IDC_SIZE_ORIGINAL}),
    NumberSetting("Proportional", &SaverSettings::Proportional, 0,
                  {ControlType::Check, IDC_PROPORTIONAL, IDC_SIZE_SCREEN}),
    NumberSetting("Centered", &SaverSettings::Centered, 0,
                  {ControlType::Check, IDC_CENTERED, IDC_SIZE_ORIGINAL}),
    NumberSetting("WipeEffect", &SaverSettings::WipeEffect, 0,
                  {ControlType::Check, IDC_WIPE_EFFECT, IDC_BACKGROUND_DESKTOP}),
    PathSetting("OwnBitmap", &SaverSettings::OwnBitmap, "OwnBitmap_tmp", IDC_BITMAP_FILE,
                {IDC_BROWSE_BITMAP, "Bitmap-Datei laden", "Bitmap-Datei (*.bmp)", "*.bmp"}),
    ColourSetting("Color1", &SaverSettings::Color1, &SaverSettings::Color1_tmp, "Color1_tmp",
                  IDC_COLOR_FROM),
    ColourSetting("Color2", &SaverSettings::Color2, &SaverSettings::Color2_tmp, "Color2_tmp", IDC_COLOR_TO),
    PathSetting("MidiFile", &SaverSettings::MidiFile, "MidiFile_tmp", IDC_MIDI_FILE,
                {IDC_BROWSE_MIDI, "Midi-Datei laden", "Midi-Datei (*.mid)", "*.mid"}),
    PathSetting("WaveFile", &SaverSettings::WaveFile, "WaveFile_tmp", IDC_WAVE_FILE,
                {IDC_BROWSE_WAVE, "Wave-Datei laden", "Wave-Datei (*.wav)", "*.wav"}),
    NumberSetting("PlayMidi", &SaverSettings::PlayMidi, 0, {ControlType::Check, IDC_PLAY_MIDI}),
    NumberSetting("PlayWave", &SaverSettings::PlayWave, 0, {ControlType::Check, IDC_PLAY_WAVE}),
    NumberSetting("LoopMidi", &SaverSettings::LoopMidi, 0, {ControlType::Check, IDC_LOOP_MIDI}),
    NumberSetting("Tiles", &SaverSettings::Tiles, 0, {ControlType::Check, IDC_TILES}),
};
