// The pictures' stage: up to nine pictures drawn, moved and changed over a copy of the screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "engine/picture_math.h"
#include "engine/rand15.h"
#include "engine/saver_stage.h"
#include "engine/sound_player.h"
#include "win32/handles.h"

// One picture slot: its bitmap (shown in a memory DC of its own for its whole life, so a frame
// makes no GDI objects), palette, place, travel and step timing. A fresh slot holds no bitmap and
// takes a new position at its first load.
struct Sprite {
    UniqueBitmap bitmap;
    UniquePalette palette;
    std::optional<BitmapSource> source;  // released before the bitmap
    int x = 0;
    int y = 0;
    int dx = 0;
    int dy = 0;
    int prevX = 0;
    int prevY = 0;
    int width = 0;
    int height = 0;
    int stepX = 1;
    int stepY = 1;
    std::uint32_t lastStep = 0;  // the due time of the last step (see TakeDueStep)
    std::uint32_t stepInterval = 0;
    int newPosition = 1;
    std::uint32_t steps = 0;  // steps taken since the picture came
};

// Moves the picture one step when a step is due at the clock reading `now` (the timing rule is
// TakeDueStep's); the old place stays in prevX/prevY so the trail can be restored. Whether it moved.
bool StepSprite(Sprite& sprite, DWORD now, int screenWidth, int screenHeight);

// The change timer's procedure: marks the pictures due for a change and asks for a frame.
void CALLBACK ChangeTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);

// Draws a frame only when something changed: a step fell due, the pictures changed, or part of
// the window needs repair; in between the thread rests. Each tick draws one frame at most and
// returns, so a modal loop on the thread (the password dialog, a message box) always gets its turn.
// Relies on the window class having CS_OWNDC: the clip region and the palette chosen on one tick
// are still in the DC on the next.
class AnimationEngine : public SaverStage {
public:
    explicit AnimationEngine(HWND window);
    ~AnimationEngine() override;

    // Draws the frame that is due, if any, and asks for the next tick; 1 (the pictures go on).
    int OnTimer(HWND window) override;
    // The music ended: starts it again when looping is on.
    int OnMciNotify(HWND window, WPARAM flags) override;
    // Repairs what the window lost: the background from the screen copy, the pictures on top.
    bool OnPaint(HWND window) override;

    const Sprite& SpriteAt(unsigned slot) const { return sprites[slot]; }
    // Milliseconds until the next frame is due: when the earliest picture's next step falls due.
    DWORD NextFrameDelay() const;

    // Benchmarks watch every drawn frame through this; the saver leaves it empty.
    static void (*frameDrawn)(const AnimationEngine& engine);
    // The millisecond clock that times the pictures' steps: timeGetTime, unless a test sets its own.
    static DWORD(WINAPI* clock)();

    // Benchmarks may pace the frames their own way (the first version's pacing, to measure
    // against); the saver leaves it empty.
    static int (*pacing)(AnimationEngine& engine, HWND window);

private:
    friend struct OldPacing;  // the benchmark's first-version frames, tools/bench/old_pacing.cpp

    static constexpr int kNameStorage = 32;
    using PictureName = char[kNameStorage];

    // Lifecycle and frames (animation_engine.cpp)
    bool MidiWanted() const;
    bool WaveWanted() const;
    void StartChangeTimer();
    void StopChangeTimer();
    bool StepsDue(DWORD now) const;
    void DrawFrame(HDC dc);
    void ScheduleNextFrame();
    void EndRunWithoutPictures();

    // Pictures (animation_engine_pictures.cpp)
    unsigned LastSlot() const;
    UINT CountPictures(PictureName& prefix) const;
    void ChangePictures(HDC dc);
    bool LoadRandomPictures(const char* prefix);
    bool LoadPicturesInOrder(const char* prefix);
    bool LoadSprite(const char* name, unsigned slot);
    void PlaceSprite(Sprite& sprite);
    void EraseSprite(HDC dc, unsigned slot);
    void DrawSprite(HDC dc, unsigned slot, DWORD now);
    void ShowSprite(HDC dc, unsigned slot);
    Destination LandSprite(Sprite& sprite) const;
    void ExcludeOtherSprites(HDC dc, unsigned slot);
    void ExcludeSpritesAbove(HDC dc, unsigned slot);
    void ExcludeSprites(HDC dc, unsigned first, unsigned skipped);
    void RestoreTrail(HDC dc, unsigned slot, int px, int py);
    void CopyFromScreenCopy(HDC dc, int x, int y, int width, int height);

    UINT_PTR changeTimerId = 0;
    // The pictures' stage: the primary monitor, where the window shows it. Pictures, trails and
    // clips are reckoned from its top-left corner, `stageOrigin` in the window.
    POINT stageOrigin{0, 0};
    int screenHeight = 0;
    int screenWidth = 0;
    RECT client{};  // the whole window, over every monitor
    UINT nextPicture = 0;
    UINT pictureCount = 0;
    Sprite sprites[kSpriteSlots];
    UniqueBitmap screenCopy;
    std::optional<BitmapSource> screenSource;  // screenCopy, ready to copy from
    UniqueRegion visible;                      // the clip, rebuilt for each picture in place
    UniqueRegion covered;
    HPALETTE savedPalette = nullptr;
    float scaleFactor = 0.0f;
    SoundPlayer sound;
    Rand15 random;
    bool stopped = false;  // a picture would not load: nothing more is drawn
};
