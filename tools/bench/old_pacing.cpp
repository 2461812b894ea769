// The drawing loop of the first version, for benchmarks only: frames without pause until a message
// waits, at most one step a frame with the step clock restarted at each step, and the GDI objects
// of each picture made anew for every frame.
#include <cstdlib>

#include "engine/animation_engine.h"
#include "engine/engine_proc.h"

bool AnimationEngine::oldPacing = std::getenv("TAVRIX_OLD_PACING") != nullptr;

int AnimationEngine::OldPacingTick(HWND window)
{
    {
        WindowDc dc(window);
        StopFrameTimer();
        MSG waiting;
        while (!stopped && !PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE)) {
            if (changeDue) {
                ChangePictures(dc.get());
                if (stopped) break;
                SelectPalette(dc.get(), sprites[LastSlot()].palette.get(), FALSE);
                RealizePalette(dc.get());
            }
            for (unsigned slot = 0; slot <= LastSlot(); ++slot) OldPacingDrawSprite(dc.get(), slot);
            if (frameDrawn) frameDrawn(*this);
        }
    }
    if (!stopped) StartFrameTimer();
    return 1;
}

void AnimationEngine::OldPacingDrawSprite(HDC dc, unsigned slot)
{
    Sprite& sprite = sprites[slot];
    if (!sprite.bitmap) return;
    if (settings->Move) {
        const DWORD now = timeGetTime();
        if (now - sprite.lastStep >= 100 - 10 * settings->Speed) {
            sprite.lastStep = now;
            sprite.prevX = sprite.x;
            sprite.prevY = sprite.y;
            StepAxis(sprite.x, sprite.dx, sprite.stepX, screenWidth - sprite.width);
            StepAxis(sprite.y, sprite.dy, sprite.stepY, screenHeight - sprite.height);
            ++sprite.steps;
        }
        OldPacingExcludeSprites(dc, 0, slot);
        const int px = sprite.prevX, py = sprite.prevY;
        const int rowY = sprite.y > py ? py : py + sprite.height;
        OldPacingCopy(dc, screenCopy.get(), px, rowY, sprite.width + sprite.stepX, sprite.stepY, px, rowY);
        const int columnX = sprite.x > px ? px : px + sprite.width;
        OldPacingCopy(dc, screenCopy.get(), columnX, py, sprite.stepX, sprite.height + sprite.stepY, columnX,
                      py);
    }
    OldPacingExcludeSprites(dc, slot + 1, kSpriteSlots);
    const Destination to = SpriteDestination(sprite);
    BitmapSource source(dc, sprite.bitmap.get());
    StretchBlt(dc, to.x, to.y, to.width, to.height, source.get(), 0, 0,
               UnscaledSize(sprite.width, scaleFactor), UnscaledSize(sprite.height, scaleFactor), SRCCOPY);
}

void AnimationEngine::OldPacingExcludeSprites(HDC dc, unsigned first, unsigned skipped)
{
    UniqueRegion shown(CreateRectRgn(0, 0, screenWidth + 1, screenHeight + 1));
    for (unsigned slot = first; slot <= LastSlot(); ++slot) {
        if (slot == skipped) continue;
        const Destination other = SpriteDestination(sprites[slot]);
        UniqueRegion under(CreateRectRgn(other.x, other.y, other.x + other.width, other.y + other.height));
        CombineRgn(shown.get(), shown.get(), under.get(), RGN_DIFF);
    }
    SelectClipRgn(dc, shown.get());
}

void AnimationEngine::OldPacingCopy(HDC dc, HBITMAP from, int x, int y, int width, int height, int fromX,
                                    int fromY)
{
    BitmapSource source(dc, from);
    BitBlt(dc, x, y, width, height, source.get(), fromX, fromY, SRCCOPY);
}
