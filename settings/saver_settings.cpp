// The settings record and its private-profile file "tavrixsaver.ini", section Options.
#include "settings/saver_settings.h"

#include <cstdlib>

namespace {

UINT ReadNumber(const char* key, UINT fallback)
{
    return GetPrivateProfileIntA(kSettingsSection, key, static_cast<INT>(fallback), kSettingsFile);
}

void ReadText(const char* key, char (&text)[kPathStorage])
{
    GetPrivateProfileStringA(kSettingsSection, key, "", text, kPathStorage, kSettingsFile);
}

// Colours are kept as decimal text; anything that is no number reads as 0.
COLORREF ReadColor(const char* key, char (&text)[kPathStorage])
{
    GetPrivateProfileStringA(kSettingsSection, key, "0", text, kPathStorage, kSettingsFile);
    return static_cast<COLORREF>(std::atoi(text));
}

void WriteText(const char* key, const char* text)
{
    WritePrivateProfileStringA(kSettingsSection, key, text, kSettingsFile);
}

void WriteNumber(const char* key, UINT value)
{
    char text[16];
    wsprintfA(text, "%u", value);
    WriteText(key, text);
}

void WriteColor(const char* key, COLORREF value)
{
    char text[16];
    wsprintfA(text, "%d", static_cast<int>(value));
    WriteText(key, text);
}

// The committed colour is copied as text to its working copy, so the dialog starts from it.
COLORREF LoadColorResettingWorkingCopy(const char* key, const char* workingKey)
{
    char text[kPathStorage];
    COLORREF color = ReadColor(key, text);
    WriteText(workingKey, text);
    return color;
}

}  // namespace

SaverSettings::SaverSettings()
{
    char text[kPathStorage];
    ReadText("OwnBitmap_tmp", OwnBitmap);
    ReadText("MidiFile_tmp", MidiFile);
    ReadText("WaveFile_tmp", WaveFile);
    Color1_tmp = ReadColor("Color1_tmp", text);
    Color2_tmp = ReadColor("Color2_tmp", text);
}

void SaverSettings::Load()
{
    ChangeTime = ReadNumber("ChangeTime", 10);
    Background = ReadNumber("Background", 0);
    Move = ReadNumber("Move", 1);
    Random = ReadNumber("Random", 0);
    ChangePos = ReadNumber("ChangePos", 0);
    Scale = ReadNumber("Scale", 9);
    Speed = ReadNumber("Speed", 9);
    Pictures = ReadNumber("Pictures", 0);
    Style = ReadNumber("Style", 0);
    FitDesktop = ReadNumber("FitDesktop", 0);
    Proportional = ReadNumber("Proportional", 0);
    Centered = ReadNumber("Centered", 0);
    WipeEffect = ReadNumber("WipeEffect", 0);
    ReadText("OwnBitmap", OwnBitmap);
    Color1 = LoadColorResettingWorkingCopy("Color1", "Color1_tmp");
    Color2 = LoadColorResettingWorkingCopy("Color2", "Color2_tmp");
    ReadText("MidiFile", MidiFile);
    ReadText("WaveFile", WaveFile);
    PlayMidi = ReadNumber("PlayMidi", 0);
    PlayWave = ReadNumber("PlayWave", 0);
    LoopMidi = ReadNumber("LoopMidi", 0);
    Tiles = ReadNumber("Tiles", 0);
}

void SaverSettings::Save() const
{
    WriteNumber("ChangeTime", ChangeTime);
    WriteNumber("Background", Background);
    WriteNumber("Move", Move);
    WriteNumber("ChangePos", ChangePos);
    WriteNumber("Random", Random);
    WriteNumber("Speed", Speed);
    WriteNumber("Scale", Scale);
    WriteNumber("Pictures", Pictures);
    WriteNumber("Style", Style);
    WriteNumber("FitDesktop", FitDesktop);
    WriteNumber("Proportional", Proportional);
    WriteNumber("Centered", Centered);
    WriteNumber("WipeEffect", WipeEffect);
    WriteText("OwnBitmap", OwnBitmap);
    WriteText("OwnBitmap_tmp", OwnBitmap);
    // The dialog's working colours are what OK commits.
    WriteColor("Color1", Color1_tmp);
    WriteColor("Color1_tmp", Color1_tmp);
    WriteColor("Color2", Color2_tmp);
    WriteColor("Color2_tmp", Color2_tmp);
    WriteText("MidiFile", MidiFile);
    WriteText("MidiFile_tmp", MidiFile);
    WriteText("WaveFile", WaveFile);
    WriteText("WaveFile_tmp", WaveFile);
    WriteNumber("PlayMidi", PlayMidi);
    WriteNumber("PlayWave", PlayWave);
    WriteNumber("LoopMidi", LoopMidi);
    WriteNumber("Tiles", Tiles);
}
