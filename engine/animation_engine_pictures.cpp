// The pictures of the engine: counting, choosing, loading, placing, moving and drawing them.
#include "engine/animation_engine.h"

#include <cstddef>
#include <utility>

#include "engine/engine_proc.h"
#include "imaging/dib_loader.h"

namespace {

template <std::size_t Size>
void FormatPictureName(char (&name)[Size], const char* prefix, unsigned number)
{
    wsprintfA(name, "%s%02u", prefix, number);
}

}  // namespace

bool StepSprite(Sprite& sprite, DWORD now, int screenWidth, int screenHeight)
{
    if (!TakeDueStep(now, sprite.lastStep, sprite.stepInterval)) return false;
    ++sprite.steps;
    sprite.prevX = sprite.x;
    sprite.prevY = sprite.y;
    StepAxis(sprite.x, sprite.dx, sprite.stepX, screenWidth - sprite.width);
    StepAxis(sprite.y, sprite.dy, sprite.stepY, screenHeight - sprite.height);
    return true;
}

unsigned AnimationEngine::LastSlot() const
{
    return ::LastSlot(settings->Pictures);
}

UINT AnimationEngine::CountPictures(PictureName& prefix) const
{
    wsprintfA(prefix, "STYLE%02u_PIC", settings->Style);
    const HMODULE module = GetModuleHandleA(nullptr);
    PictureName name;
    for (UINT number = 1;; ++number) {
        FormatPictureName(name, prefix, number);
        if (!FindResourceA(module, name, "DIB")) return number - 1;
    }
}

void AnimationEngine::ChangePictures(HDC dc)
{
    changeDue = 0;
    busy = 1;
    StopChangeTimer();

    PictureName prefix;
    pictureCount = CountPictures(prefix);
    for (unsigned slot = 0; slot <= LastSlot(); ++slot) EraseSprite(dc, slot);
    // The wipe blacks out every monitor; the pictures bring the background back on the primary.
    if (settings->WipeEffect) BitBlt(dc, 0, 0, client.right, client.bottom, nullptr, 0, 0, BLACKNESS);

    const bool loaded = settings->Random ? LoadRandomPictures(prefix) : LoadPicturesInOrder(prefix);
    if (!loaded) {
        EndRunWithoutPictures();
        return;
    }
    nextPicture = AdvanceNextPicture(nextPicture, LastSlot(), pictureCount);

    if (WaveWanted()) sound.PlayWaveFile(window, settings->WaveFile);
    StartChangeTimer();
    busy = 0;
}

bool AnimationEngine::LoadRandomPictures(const char* prefix)
{
    PictureName name;
    for (unsigned slot = 0; slot <= LastSlot(); ++slot) {
        FormatPictureName(name, prefix, RandomPictureNumber(random.Next(), pictureCount));
        if (!LoadSprite(name, slot)) return false;
    }
    return true;
}

bool AnimationEngine::LoadPicturesInOrder(const char* prefix)
{
    PictureName name;
    unsigned number = nextPicture;
    for (unsigned slot = 0; slot <= LastSlot(); ++slot) {
        number = NextInOrder(number, pictureCount);
        FormatPictureName(name, prefix, number);
        if (!LoadSprite(name, slot)) return false;
    }
    return true;
}

bool AnimationEngine::LoadSprite(const char* name, unsigned slot)
{
    LoadedDib dib;
    if (!DibLoader().LoadFromResource("DIB", name, dib, window)) return false;

    Sprite& sprite = sprites[slot];
    sprite.bitmap = std::move(dib.hBitmap);
    sprite.palette = std::move(dib.hPalette);
    {
        WindowDc dc(window);
        sprite.source.emplace(dc.get(), sprite.bitmap.get());
    }

    BITMAP size{};
    GetObjectA(sprite.bitmap.get(), sizeof size, &size);
    sprite.height = ScaledSize(size.bmHeight, scaleFactor);
    sprite.width = ScaledSize(size.bmWidth, scaleFactor);
    PlaceSprite(sprite);
    sprite.stepInterval = StepInterval(settings->Speed);
    sprite.lastStep = clock();
    sprite.steps = 0;
    return true;
}

void AnimationEngine::PlaceSprite(Sprite& sprite)
{
    // One statement per draw: the draws are taken in the order dx, dy, x, y.
    if (settings->Centered) {
        sprite.dx = DirectionFromDraw(random.Next());
        sprite.dy = DirectionFromDraw(random.Next());
        sprite.x = (screenWidth - sprite.width) / 2;
        sprite.y = (screenHeight - sprite.height) / 2;
    } else if (sprite.newPosition) {
        sprite.dx = DirectionFromDraw(random.Next());
        sprite.dy = DirectionFromDraw(random.Next());
        sprite.x = PlacementFromDraw(random.Next(), screenWidth - sprite.width);
        sprite.y = PlacementFromDraw(random.Next(), screenHeight - sprite.height);
        sprite.newPosition = static_cast<int>(settings->ChangePos);
    }
    // Otherwise the picture takes over the place and travel of the one before it.
    sprite.prevX = sprite.x;
    sprite.prevY = sprite.y;
    sprite.stepX = 1;
    sprite.stepY = 1;
    sprite.x = ClampToEdge(sprite.x, screenWidth, sprite.width);
    sprite.y = ClampToEdge(sprite.y, screenHeight, sprite.height);
}

void AnimationEngine::EraseSprite(HDC dc, unsigned slot)
{
    Sprite& sprite = sprites[slot];
    if (!sprite.bitmap) return;
    sprite.source.reset();
    sprite.bitmap.reset();
    sprite.palette.reset();
    if (settings->FitDesktop) {
        CopyFromScreenCopy(dc, 0, 0, screenWidth, screenHeight);
    } else {
        CopyFromScreenCopy(dc, sprite.x, sprite.y, sprite.width + 1, sprite.height + 1);
    }
}

// Takes every step that fell due, restoring the strips each one uncovers, then draws the picture.
void AnimationEngine::DrawSprite(HDC dc, unsigned slot, DWORD now)
{
    Sprite& sprite = sprites[slot];
    if (!sprite.bitmap) return;
    if (settings->Move && StepDue(now, sprite.lastStep, sprite.stepInterval)) {
        // The uncovered trail must not paint over the other pictures.
        ExcludeOtherSprites(dc, slot);
        while (StepSprite(sprite, now, screenWidth, screenHeight))
            RestoreTrail(dc, slot, sprite.prevX, sprite.prevY);
    }
    ShowSprite(dc, slot);
}

// The picture as it stands, under the ones above it.
void AnimationEngine::ShowSprite(HDC dc, unsigned slot)
{
    Sprite& sprite = sprites[slot];
    if (!sprite.bitmap || !sprite.source || !*sprite.source) return;
    ExcludeSpritesAbove(dc, slot);
    const Destination to = LandSprite(sprite);
    const int fromWidth = UnscaledSize(sprite.width, scaleFactor);
    const int fromHeight = UnscaledSize(sprite.height, scaleFactor);
    const HDC from = sprite.source->get();
    const int x = stageOrigin.x + to.x, y = stageOrigin.y + to.y;
    if (to.width == fromWidth && to.height == fromHeight) {
        BitBlt(dc, x, y, to.width, to.height, from, 0, 0, SRCCOPY);
    } else {
        StretchBlt(dc, x, y, to.width, to.height, from, 0, 0, fromWidth, fromHeight, SRCCOPY);
    }
}

// Where the picture lands. Filling the window also moves the picture there, for good.
Destination AnimationEngine::LandSprite(Sprite& sprite) const
{
    if (!settings->FitDesktop) return {sprite.x, sprite.y, sprite.width, sprite.height};
    if (!settings->Proportional) {
        sprite.x = 0;
        sprite.y = 0;
        return {0, 0, screenWidth, screenHeight};
    }
    const Destination fitted =
        ProportionalDestination(screenWidth, screenHeight, sprite.width, sprite.height);
    sprite.x = fitted.x;
    sprite.y = fitted.y;
    return fitted;
}

void AnimationEngine::ExcludeOtherSprites(HDC dc, unsigned slot)
{
    ExcludeSprites(dc, 0, slot);
}

void AnimationEngine::ExcludeSpritesAbove(HDC dc, unsigned slot)
{
    ExcludeSprites(dc, slot + 1, kSpriteSlots);
}

// Clips the DC to the window less the rectangles of slots first..LastSlot() but `skipped`.
// Slots are taken as they stand, filled or not. The two regions live as long as the engine.
void AnimationEngine::ExcludeSprites(HDC dc, unsigned first, unsigned skipped)
{
    if (!visible || !covered) return;  // keep the clip we have rather than lose all clipping
    // The whole window, in the stage's coordinates (with one monitor, the stage itself).
    SetRectRgn(visible.get(), -stageOrigin.x, -stageOrigin.y, client.right - stageOrigin.x + 1,
               client.bottom - stageOrigin.y + 1);
    for (unsigned slot = first; slot <= LastSlot(); ++slot) {
        if (slot == skipped) continue;
        const Destination other = LandSprite(sprites[slot]);
        SetRectRgn(covered.get(), other.x, other.y, other.x + other.width, other.y + other.height);
        CombineRgn(visible.get(), visible.get(), covered.get(), RGN_DIFF);
    }
    OffsetRgn(visible.get(), stageOrigin.x, stageOrigin.y);  // the clip is in the window's coordinates
    // The DC keeps its own copy of the region.
    SelectClipRgn(dc, visible.get());
}

// Repaints the strips a step uncovered: one row band and one column band of the old place.
void AnimationEngine::RestoreTrail(HDC dc, unsigned slot, int px, int py)
{
    const Sprite& sprite = sprites[slot];
    const int rowY = sprite.y > py ? py : py + sprite.height;
    CopyFromScreenCopy(dc, px, rowY, sprite.width + sprite.stepX, sprite.stepY);
    const int columnX = sprite.x > px ? px : px + sprite.width;
    CopyFromScreenCopy(dc, columnX, py, sprite.stepX, sprite.height + sprite.stepY);
}

// x and y on the stage; the copy holds the whole window.
void AnimationEngine::CopyFromScreenCopy(HDC dc, int x, int y, int width, int height)
{
    x += stageOrigin.x;
    y += stageOrigin.y;
    if (screenSource && *screenSource) BitBlt(dc, x, y, width, height, screenSource->get(), x, y, SRCCOPY);
}
