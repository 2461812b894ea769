// The saver's sound: MIDI music through the MCI sequencer, wave sounds through PlaySound.
#pragma once

#include <windows.h>
#include <mmsystem.h>

// Holds the id of the open sequencer. Neither making nor dropping a player touches the
// device; whoever opened it closes it with CloseMidi.
class SoundPlayer {
public:
    // Opens the file on the sequencer and starts it; the window hears MM_MCINOTIFY at
    // the end. FALSE when the file or the MIDI port is unusable (nothing stays open).
    BOOL PlayMidiFile(HWND window, const char* path);
    MCIERROR CloseMidi(HWND window);

    BOOL PlayWaveFile(HWND window, const char* path);
    BOOL StopWave(HWND window);

    // PlaySoundA, or what a test puts in its place: a machine without sound shows nothing of
    // how the sound is asked for, and a sound played to its end would freeze the pictures.
    using PlaySoundFunction = BOOL(WINAPI*)(LPCSTR sound, HMODULE module, DWORD flags);
    static PlaySoundFunction playSound;

private:
    MCIDEVICEID deviceId = 0;
};
