// The pictures' stage from start to end: sound, timers, palette, screen copy, drawing loop.
#include "engine/animation_engine.h"

#include "engine/engine_proc.h"
#include "imaging/backgrounds.h"
#include "win32/monitors.h"

namespace {

constexpr int kMissingPictureExitCode = 1;

}  // namespace

void (*AnimationEngine::frameDrawn)(const AnimationEngine& engine) = nullptr;
DWORD(WINAPI* AnimationEngine::clock)() = timeGetTime;
int (*AnimationEngine::pacing)(AnimationEngine& engine, HWND window) = nullptr;

// The pictures may be standing still, with no frame tick to come: the first notice asks for one.
// Asking again while the change waits would put that tick off for good when the change timer
// runs faster than the frame timer (a hand-set ChangeTime of 0).
void CALLBACK ChangeTimerProc(HWND window, UINT message, UINT_PTR, DWORD)
{
    if (message != WM_TIMER || changeDue) return;
    changeDue = 1;
    RequestFrame(window);
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

        // The pictures move over the primary monitor; the background and its copy cover them all.
        const RECT stage = PrimaryInClient(window);
        stageOrigin = {stage.left, stage.top};
        screenWidth = stage.right - stage.left;
        screenHeight = stage.bottom - stage.top;
        GetClientRect(window, &client);
        pictureCount = 9;  // recounted from the module at the first change

        // Pictures bring their own palettes; the window's is given back at the end.
        const auto standard = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
        savedPalette = SelectPalette(dc.get(), standard, FALSE);
        RealizePalette(dc.get());
    }
    scaleFactor = ScaleFactorFor(settings->Scale, screenWidth);
    // The painted background, for wiping pictures and trails away.
    screenCopy = CaptureScreen(window, client.right, client.bottom);
    if (screenCopy) {
        WindowDc dc(window);
        screenSource.emplace(dc.get(), screenCopy.get());
    }
    visible.reset(CreateRectRgn(0, 0, 1, 1));
    covered.reset(CreateRectRgn(0, 0, 1, 1));
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
    screenSource.reset();
    screenCopy.reset();
}

int AnimationEngine::OnTimer(HWND window)
{
    if (pacing) return pacing(*this, window);
    // A tick that a modal loop dispatches in the middle of a change (the "Error" box) draws nothing.
    if (stopped || busy) return 1;
    if (changeDue || StepsDue(clock())) {
        WindowDc dc(window);
        DrawFrame(dc.get());
    }
    if (!stopped) ScheduleNextFrame();
    return 1;
}

bool AnimationEngine::OnPaint(HWND window)
{
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(window, &paint);
    if (dc && !busy && !stopped && visible) {
        // Where the background shows: the screen copy, or black while the wipe has it.
        ExcludeSprites(dc, 0, kSpriteSlots);
        const RECT& lost = paint.rcPaint;
        if (settings->WipeEffect) {
            PatBlt(dc, lost.left, lost.top, lost.right - lost.left, lost.bottom - lost.top, BLACKNESS);
        } else {
            CopyFromScreenCopy(dc, lost.left - stageOrigin.x, lost.top - stageOrigin.y,
                               lost.right - lost.left, lost.bottom - lost.top);
        }
        for (unsigned slot = 0; slot <= LastSlot(); ++slot) ShowSprite(dc, slot);
    }
    EndPaint(window, &paint);
    return true;
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
    changeTimerId =
        SetTimer(window, kChangeTimerId, ChangeIntervalMs(settings->ChangeTime), ChangeTimerProc);
}

void AnimationEngine::StopChangeTimer()
{
    KillTimer(window, changeTimerId);
}

bool AnimationEngine::StepsDue(DWORD now) const
{
    if (!settings->Move) return false;
    for (unsigned slot = 0; slot <= LastSlot(); ++slot) {
        const Sprite& sprite = sprites[slot];
        if (sprite.bitmap && StepDue(now, sprite.lastStep, sprite.stepInterval)) return true;
    }
    return false;
}

// Standing pictures need no tick until the change timer asks for one.
void AnimationEngine::ScheduleNextFrame()
{
    if (!settings->Move || !sprites[0].bitmap) {
        StopFrameTimer();
        return;
    }
    const DWORD wait = NextFrameDelay();
    ScheduleFrame(wait > 0 ? wait : 1);
}

DWORD AnimationEngine::NextFrameDelay() const
{
    const DWORD now = clock();
    DWORD wait = StepInterval(0);  // the slowest interval
    for (unsigned slot = 0; slot <= LastSlot(); ++slot) {
        const Sprite& sprite = sprites[slot];
        if (!sprite.bitmap) continue;
        const DWORD due = sprite.lastStep + sprite.stepInterval;
        const DWORD untilDue = StepDue(now, sprite.lastStep, sprite.stepInterval) ? 0 : due - now;
        if (untilDue < wait) wait = untilDue;
    }
    return wait;
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
    const DWORD now = clock();  // after the change, which loaded the pictures
    for (unsigned slot = 0; slot <= LastSlot(); ++slot) DrawSprite(dc, slot, now);
    if (frameDrawn) frameDrawn(*this);
}
