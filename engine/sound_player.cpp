// The saver's sound: MIDI music through the MCI sequencer, wave sounds through PlaySound.
#include "engine/sound_player.h"

#include "win32/disk_file.h"

namespace {

// Opening a MIDI file reads all of it before anything else can happen (about 25 ms a
// megabyte here), and a key pressed meanwhile waits: longer pieces are not played.
constexpr DWORD kLargestMidiFile = 4 * 1024 * 1024;

// Music only from a regular disk file of a size the sequencer reads in a moment.
bool UsableMidiFile(const char* path)
{
    UniqueFile file = OpenRegularDiskFile(path);
    if (!file) return false;
    DWORD high = 0;
    const DWORD low = GetFileSize(file.get(), &high);
    return high == 0 && low <= kLargestMidiFile;
}

void CloseDevice(MCIDEVICEID device)
{
    mciSendCommandA(device, MCI_CLOSE, 0, 0);
}

}  // namespace

SoundPlayer::PlaySoundFunction SoundPlayer::playSound = PlaySoundA;

BOOL SoundPlayer::PlayMidiFile(HWND window, const char* path)
{
    if (!UsableMidiFile(path)) return FALSE;
    MCI_OPEN_PARMSA open{};
    open.wDeviceID = 0;
    open.lpstrDeviceType = "sequencer";
    open.lpstrElementName = path;
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&open)) !=
        0) {
        return FALSE;
    }
    deviceId = open.wDeviceID;

    // Without a MIDI output port the sequencer would play into nothing.
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_SEQ_STATUS_PORT;
    if (mciSendCommandA(deviceId, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status)) != 0) {
        CloseDevice(deviceId);
        return FALSE;
    }

    // Never MCI_WAIT: the drawing loop must go on while the music plays.
    MCI_PLAY_PARMS play{};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(window);
    if (mciSendCommandA(deviceId, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play)) != 0) {
        CloseDevice(deviceId);
        return FALSE;
    }
    return TRUE;
}

MCIERROR SoundPlayer::CloseMidi(HWND)
{
    return mciSendCommandA(deviceId, MCI_CLOSE, MCI_WAIT, 0);
}

BOOL SoundPlayer::PlayWaveFile(HWND, const char* path)
{
    // A device or pipe could hold the player's thread for good: no sound rather than that. A
    // missing file gives the system's own sound, as it always did.
    if (!IsAbsent(path) && !IsRegularDiskFile(path)) return FALSE;
    // SND_NOWAIT: a busy sound device skips this change's sound rather than stall it.
    return playSound(path, nullptr, SND_FILENAME | SND_NOWAIT | SND_ASYNC);
}

BOOL SoundPlayer::StopWave(HWND)
{
    return playSound(nullptr, nullptr, SND_PURGE);
}
