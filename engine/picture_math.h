// Pure arithmetic of the pictures: slots, choosing pictures, scaling, placing and stepping.
#pragma once

#include <cstdint>

// The engine shows at most nine pictures, slots 0..8.
constexpr unsigned kSpriteSlots = 9;

// The last slot in use for the Pictures setting (which counts from 0), never past slot 8.
unsigned LastSlot(unsigned pictures);

// Size factor for the Scale setting (0 → 0.1, 9 → 1.0); windows narrower than 320
// pixels (the preview) shrink further in proportion to a 1024-pixel screen.
float ScaleFactorFor(unsigned scale, int screenWidth);

// A bitmap dimension at the engine's scale, and back to the bitmap's own pixels.
int ScaledSize(int size, float scaleFactor);
int UnscaledSize(int size, float scaleFactor);

// The picture number (1..pictureCount) a 15-bit draw picks in random order; 0 when there are none.
unsigned RandomPictureNumber(int draw, unsigned pictureCount);

// In sequential order: the picture after `previous`, back to 1 after the last.
unsigned NextInOrder(unsigned previous, unsigned pictureCount);

// Where the next sequential change starts, after slots 0..lastSlot took their pictures.
unsigned AdvanceNextPicture(unsigned nextPicture, unsigned lastSlot, unsigned pictureCount);

// A draw picks the direction of travel on one axis: upper half +1, lower half -1.
int DirectionFromDraw(int draw);

// A random start on one axis, room being the window size less the picture size.
int PlacementFromDraw(int draw, int room);

// Keeps a fresh picture two pixels clear of the window's right or bottom edge.
int ClampToEdge(int position, int screenSize, int spriteSize);

// Milliseconds between two steps of a picture: 100 - 10 x Speed; Speed 10 ("max.") and any
// hand-set value above it step every millisecond.
std::uint32_t StepInterval(unsigned speed);

// Whether a picture's step interval has passed since its last step; the millisecond clock may wrap.
bool StepDue(std::uint32_t now, std::uint32_t lastStep, std::uint32_t interval);

// The longest a late picture catches up; after a longer stall its steps start afresh from now.
constexpr std::uint32_t kLongestCatchUp = 250;

// The timing rule of the pictures. A step falls due one interval after the due time of the step
// before it, not after the moment that step was drawn, so late frames cost no speed: a frame takes
// every step that has fallen due since the last. After a stall of more than kLongestCatchUp beyond
// the due time, the schedule restarts from now rather than racing to make up the debt.
// Returns whether a step is due at `now`; if so, `lastStep` becomes that step's due time.
bool TakeDueStep(std::uint32_t now, std::uint32_t& lastStep, std::uint32_t interval);

// One step along an axis; the direction turns at the far edge (limit) and at 1.
void StepAxis(int& position, int& direction, int step, int limit);

struct Destination {
    int x;
    int y;
    int width;
    int height;
};

// The largest rectangle of the picture's proportions that fits the window, centred.
Destination ProportionalDestination(int screenWidth, int screenHeight, int width, int height);
