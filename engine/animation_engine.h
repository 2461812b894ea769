// The pictures' stage: up to nine pictures drawn, moved and changed over a copy of the screen.
#pragma once

#include <windows.h>

#include "engine/picture_math.h"
#include "engine/rand15.h"
#include "engine/saver_stage.h"
#include "engine/sound_player.h"
#include "win32/handles.h"

// One picture slot: its bitmap and palette, place, travel and step timing. A fresh slot
// holds no bitmap and takes a new position at its first load.
struct Sprite {
    UniqueBitmap bitmap;
    UniquePalette palette;
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
    DWORD lastStep = 0;
    DWORD stepInterval = 0;
    int newPosition = 1;
};

// Moves the picture one step when its interval has passed by the clock reading `now`;
// the old place stays in prevX/prevY so the trail can be restored.
void StepSprite(Sprite& sprite, DWORD now, int screenWidth, int screenHeight);

// The change timer's procedure: marks the pictures due for a change, nothing more.
void CALLBACK ChangeTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);

// Relies on the window class having CS_OWNDC: the clip region and the palette chosen
// on one tick are still in the DC on the next.
class AnimationEngine : public SaverStage {
public:
    explicit AnimationEngine(HWND window);
    ~AnimationEngine() override;

    // Draws frames until a message waits; 1 (the pictures go on).
    int OnTimer(HWND window) override;
    // The music ended: starts it again when looping is on.
    int OnMciNotify(HWND window, WPARAM flags) override;

private:
    static constexpr int kNameStorage = 32;
    using PictureName = char[kNameStorage];

    // Lifecycle (animation_engine.cpp)
    bool MidiWanted() const;
    bool WaveWanted() const;
    void StartChangeTimer();
    void StopChangeTimer();
    void DrawFrame(HDC dc);
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
    void DrawSprite(HDC dc, unsigned slot);
    Destination SpriteDestination(Sprite& sprite) const;
    void ExcludeOtherSprites(HDC dc, unsigned slot);
    void ExcludeSpritesAbove(HDC dc, unsigned slot);
    void ExcludeSprites(HDC dc, unsigned first, unsigned skipped);
    void RestoreTrail(HDC dc, unsigned slot, int px, int py);
    void CopyFromScreenCopy(HDC dc, int x, int y, int width, int height);

    UINT_PTR changeTimerId = 0;
    int screenHeight = 0;
    int screenWidth = 0;
    UINT nextPicture = 0;
    UINT pictureCount = 0;
    Sprite sprites[kSpriteSlots];
    UniqueBitmap screenCopy;
    HPALETTE savedPalette = nullptr;
    float scaleFactor = 0.0f;
    SoundPlayer sound;
    Rand15 random;
    bool stopped = false;  // a picture would not load: nothing more is drawn
};
