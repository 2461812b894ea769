// The drawing loop of the first version, for benchmarks only: frames without pause until a message
// waits, at most one step a frame with the step clock restarted at each step, and the GDI objects
// of each picture made anew for every frame.
#include "tools/bench/old_pacing.h"

#include <cstdlib>

#include "engine/animation_engine.h"
#include "engine/engine_proc.h"

// The engine's friend: the first version's frames reach into the same state as today's.
struct OldPacing {
    static int Tick(AnimationEngine& engine, HWND window)
    {
        {
            WindowDc dc(window);
            engine.StopFrameTimer();
            MSG waiting;
            while (!engine.stopped && !PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE)) {
                if (changeDue) {
                    engine.ChangePictures(dc.get());
                    if (engine.stopped) break;
                    SelectPalette(dc.get(), engine.sprites[engine.LastSlot()].palette.get(), FALSE);
                    RealizePalette(dc.get());
                }
                for (unsigned slot = 0; slot <= engine.LastSlot(); ++slot)
                    DrawSprite(engine, dc.get(), slot);
                if (AnimationEngine::frameDrawn) AnimationEngine::frameDrawn(engine);
            }
        }
        if (!engine.stopped) engine.StartFrameTimer();
        return 1;
    }

    static void DrawSprite(AnimationEngine& engine, HDC dc, unsigned slot)
    {
        Sprite& sprite = engine.sprites[slot];
        if (!sprite.bitmap) return;
        if (engine.settings->Move) {
            const DWORD now = timeGetTime();
            if (now - sprite.lastStep >= 100 - 10 * engine.settings->Speed) {
                sprite.lastStep = now;
                sprite.prevX = sprite.x;
                sprite.prevY = sprite.y;
                StepAxis(sprite.x, sprite.dx, sprite.stepX, engine.screenWidth - sprite.width);
                StepAxis(sprite.y, sprite.dy, sprite.stepY, engine.screenHeight - sprite.height);
                ++sprite.steps;
            }
            ExcludeSprites(engine, dc, 0, slot);
            const int px = sprite.prevX, py = sprite.prevY;
            const int rowY = sprite.y > py ? py : py + sprite.height;
            Copy(dc, engine.screenCopy.get(), px, rowY, sprite.width + sprite.stepX, sprite.stepY);
            const int columnX = sprite.x > px ? px : px + sprite.width;
            Copy(dc, engine.screenCopy.get(), columnX, py, sprite.stepX, sprite.height + sprite.stepY);
        }
        ExcludeSprites(engine, dc, slot + 1, kSpriteSlots);
        const Destination to = engine.LandSprite(sprite);
        BitmapSource source(dc, sprite.bitmap.get());
        StretchBlt(dc, to.x, to.y, to.width, to.height, source.get(), 0, 0,
                   UnscaledSize(sprite.width, engine.scaleFactor),
                   UnscaledSize(sprite.height, engine.scaleFactor), SRCCOPY);
    }

    static void ExcludeSprites(AnimationEngine& engine, HDC dc, unsigned first, unsigned skipped)
    {
        UniqueRegion shown(CreateRectRgn(0, 0, engine.screenWidth + 1, engine.screenHeight + 1));
        for (unsigned slot = first; slot <= engine.LastSlot(); ++slot) {
            if (slot == skipped) continue;
            const Destination other = engine.LandSprite(engine.sprites[slot]);
            UniqueRegion under(
                CreateRectRgn(other.x, other.y, other.x + other.width, other.y + other.height));
            CombineRgn(shown.get(), shown.get(), under.get(), RGN_DIFF);
        }
        SelectClipRgn(dc, shown.get());
    }

    // The same place of the screen copy, with a source DC made for this one copy.
    static void Copy(HDC dc, HBITMAP from, int x, int y, int width, int height)
    {
        BitmapSource source(dc, from);
        BitBlt(dc, x, y, width, height, source.get(), x, y, SRCCOPY);
    }
};

int OldPacingTick(AnimationEngine& engine, HWND window)
{
    return OldPacing::Tick(engine, window);
}

namespace {

const bool chosenAtStart = [] {
    if (std::getenv("TAVRIX_OLD_PACING")) AnimationEngine::pacing = OldPacingTick;
    return true;
}();

}  // namespace
