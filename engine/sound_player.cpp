// The saver's sound: MIDI music through the MCI sequencer, wave sounds through PlaySound.
#include "engine/sound_player.h"

namespace {

void CloseDevice(MCIDEVICEID device)
{
    mciSendCommandA(device, MCI_CLOSE, 0, 0);
}

}  // namespace

BOOL SoundPlayer::PlayMidiFile(HWND window, const char* path)
{
    MCI_OPEN_PARMSA open{};
    open.wDeviceID = 0;
    open.lpstrDeviceType = "sequencer";
    open.lpstrElementName = path;
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                        reinterpret_cast<DWORD_PTR>(&open)) != 0) {
        return FALSE;
    }
    deviceId = open.wDeviceID;

    // Without a MIDI output port the sequencer would play into nothing.
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_SEQ_STATUS_PORT;
    if (mciSendCommandA(deviceId, MCI_STATUS, MCI_STATUS_ITEM,
                        reinterpret_cast<DWORD_PTR>(&status)) != 0) {
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
    // SND_NOWAIT: a busy sound device skips this change's sound rather than stall it.
    return PlaySoundA(path, nullptr, SND_FILENAME | SND_NOWAIT | SND_ASYNC);
}

BOOL SoundPlayer::StopWave(HWND)
{
    return PlaySoundA(nullptr, nullptr, SND_PURGE);
}
