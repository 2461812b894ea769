// The pictures' stage from start to end: sound, timers, palette, screen copy, drawing loop.
#include "engine/animation_engine.h"

#include "engine/engine_proc.h"
#include "imaging/backgrounds.h"

namespace {

constexpr UINT_PTR kChangeTimer = 2;
constexpr int kMissingPictureExitCode = 1;

}  // namespace

void CALLBACK ChangeTimerProc(HWND, UINT message, UINT_PTR, DWORD)
{
    if (message == WM_TIMER) changeDue = 1;
}

AnimationEngine::AnimationEngine(HWND window) : SaverStage(window)
{
    if (!settings) return;  // such a stage is discarded at once, unused
    {
        WindowDc dc(window);
        if (MidiWanted()) sound.PlayMidiFile(window, settings->MidiFile);

        SYSTEMTIME now{};
        GetSystemTime(&now);
        random.Seed(now.wMilliseconds + 1000u * now.wSecond);
        // Steps of 10 ms and less need a fine clock.
        timeBeginPeriod(1);

        RECT client{};
        GetClientRect(window, &client);
        screenHeight = client.bottom;
        screenWidth = client.right;
        pictureCount = 9;  // recounted from the module at the first change

        // Pictures bring their own palettes; the window's is given back at the end.
        const auto standard = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
        savedPalette = SelectPalette(dc.get(), standard, FALSE);
        RealizePalette(dc.get());
    }
    scaleFactor = ScaleFactorFor(settings->Scale, screenWidth);
    // The painted background, for wiping pictures and trails away.
    screenCopy = CaptureScreen(window, screenWidth, screenHeight);
    nextPicture = 0;
    StartChangeTimer();
    busy = 0;
    StartFrameTimer();
}

AnimationEngine::~AnimationEngine()
{
    if (!settings) return;
    {
        WindowDc dc(window);
        if (WaveWanted()) sound.StopWave(window);
        // Closed here so the music ends with the saver rather than with the process.
        if (MidiWanted()) sound.CloseMidi(window);
        timeEndPeriod(1);
        StopFrameTimer();
        StopChangeTimer();
        for (unsigned slot = 0; slot <= LastSlot(); ++slot) EraseSprite(dc.get(), slot);
        SelectPalette(dc.get(), savedPalette, TRUE);
        RealizePalette(dc.get());
    }
    screenCopy.reset();
}

int AnimationEngine::OnTimer(HWND window)
{
    if (stopped) return 1;
    {
        WindowDc dc(window);
        StopFrameTimer();
        // Draw as fast as possible, but leave the moment anything (input, a timer,
        // a close) waits in the queue; the message itself stays for the loop.
        MSG waiting;
        while (!stopped && !PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE)) DrawFrame(dc.get());
    }
    if (!stopped) StartFrameTimer();
    return 1;
}

int AnimationEngine::OnMciNotify(HWND window, WPARAM)
{
    if (settings->LoopMidi != 0 && lstrlenA(settings->MidiFile) > 0) {
        sound.CloseMidi(window);
        sound.PlayMidiFile(window, settings->MidiFile);
    }
    return 1;
}

bool AnimationEngine::MidiWanted() const
{
    return settings->PlayMidi != 0 && lstrlenA(settings->MidiFile) > 0;
}

bool AnimationEngine::WaveWanted() const
{
    return settings->PlayWave != 0 && lstrlenA(settings->WaveFile) > 0;
}

void AnimationEngine::StartChangeTimer()
{
    changeTimerId = SetTimer(window, kChangeTimer, settings->ChangeTime * 1000, ChangeTimerProc);
}

void AnimationEngine::StopChangeTimer()
{
    KillTimer(window, changeTimerId);
}

// A picture missing from the module ends the run; the loader has already said so. The
// run ends through the host's message loop, so the verifier is unloaded as on any end.
void AnimationEngine::EndRunWithoutPictures()
{
    stopped = true;
    StopFrameTimer();
    PostQuitMessage(kMissingPictureExitCode);
}

void AnimationEngine::DrawFrame(HDC dc)
{
    if (changeDue) {
        ChangePictures(dc);
        if (stopped) return;
        // The topmost picture's colours win on a palette display.
        SelectPalette(dc, sprites[LastSlot()].palette.get(), FALSE);
        RealizePalette(dc);
    }
    for (unsigned slot = 0; slot <= LastSlot(); ++slot) DrawSprite(dc, slot);
}
