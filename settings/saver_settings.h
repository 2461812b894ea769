// The settings record and its private-profile file "tavrixsaver.ini", section Options.
#pragma once

#include <windows.h>

constexpr char kSettingsFile[] = "tavrixsaver.ini";
constexpr char kSettingsSection[] = "Options";
constexpr int kPathStorage = 255;  // 254 characters and the terminating NUL

// Every option of the saver, one field per key. Constructing reads only the
// dialog's working copies; Load reads the committed keys; Save writes all.
struct SaverSettings {
    SaverSettings();

    void Load();
    void Save() const;

    UINT ChangeTime = 10;
    UINT Background = 0;
    UINT Move = 1;
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
    UINT Scale = 9;
    UINT Speed = 9;
    UINT Style = 0;
    COLORREF Color1 = 0;
    COLORREF Color2 = 0;
    char OwnBitmap[kPathStorage] = {};
    char MidiFile[kPathStorage] = {};
    char WaveFile[kPathStorage] = {};
    COLORREF Color1_tmp = 0;
    COLORREF Color2_tmp = 0;
};
