// Pure arithmetic of the pictures: slots, choosing pictures, scaling, placing and stepping.
#include "engine/picture_math.h"

#include "engine/rand15.h"

namespace {

// The 32-bit build computes on the x87 with excess precision; a store rounds to single
// precision, so both builds choose the same pictures.
float Single(float value)
{
    volatile float stored = value;
    return stored;
}

}  // namespace

unsigned LastSlot(unsigned pictures)
{
    return pictures < kSpriteSlots - 1 ? pictures : kSpriteSlots - 1;
}

float ScaleFactorFor(unsigned scale, int screenWidth)
{
    // One tenth as a single-precision constant; the products are exact in double,
    // so the factor is rounded once, when it becomes a float.
    const double tenth = 0.1f;
    double factor = static_cast<double>(scale + 1u) * tenth;
    if (screenWidth < 320) factor = factor * screenWidth * 0.0009765625;
    return Single(static_cast<float>(factor));
}

// Sizes are taken in double, where the product is exact: both builds truncate alike.
int ScaledSize(int size, float scaleFactor)
{
    return static_cast<int>(static_cast<double>(size) * scaleFactor);
}

int UnscaledSize(int size, float scaleFactor)
{
    if (scaleFactor <= 0.0f) return 0;
    return static_cast<int>(static_cast<double>(size) / scaleFactor);
}

unsigned RandomPictureNumber(int draw, unsigned pictureCount)
{
    // A style without pictures asks for picture 00, which the error box then names.
    if (pictureCount == 0) return 0;
    const float share = Single(static_cast<float>(Rand15::kMax) / static_cast<float>(pictureCount));
    int number = static_cast<int>(Single(static_cast<float>(draw) / share)) + 1;
    // The top draw, Rand15::kMax, would pick one past the last picture.
    if (number < 1) number = 1;
    if (static_cast<unsigned>(number) > pictureCount) return pictureCount;
    return static_cast<unsigned>(number);
}

unsigned NextInOrder(unsigned previous, unsigned pictureCount)
{
    const unsigned next = previous + 1;
    return next > pictureCount ? 1 : next;
}

unsigned AdvanceNextPicture(unsigned nextPicture, unsigned lastSlot, unsigned pictureCount)
{
    if (pictureCount == 0) return 0;
    nextPicture += lastSlot + 1;
    while (nextPicture >= pictureCount) nextPicture -= pictureCount;
    return nextPicture;
}

int DirectionFromDraw(int draw)
{
    return draw >= Rand15::kMiddle ? 1 : -1;
}

int PlacementFromDraw(int draw, int room)
{
    // A picture as large as the window, or a window wider than the draws reach,
    // has no room to spread over: it starts at the edge.
    if (room <= 0) return 0;
    const int divisor = Rand15::kMax / room;
    if (divisor == 0) return 0;
    return draw / divisor;
}

int ClampToEdge(int position, int screenSize, int spriteSize)
{
    const int last = screenSize - spriteSize - 2;
    return position >= last ? last : position;
}

std::uint32_t StepInterval(unsigned speed)
{
    constexpr unsigned kFastest = 10;
    const unsigned clamped = speed < kFastest ? speed : kFastest;
    const std::uint32_t interval = 100 - 10 * clamped;
    return interval > 0 ? interval : 1;
}

bool StepDue(std::uint32_t now, std::uint32_t lastStep, std::uint32_t interval)
{
    return now - lastStep >= interval;
}

bool TakeDueStep(std::uint32_t now, std::uint32_t& lastStep, std::uint32_t interval)
{
    if (!StepDue(now, lastStep, interval)) return false;
    const std::uint32_t lateness = now - lastStep - interval;
    lastStep = lateness > kLongestCatchUp ? now : lastStep + interval;
    return true;
}

void StepAxis(int& position, int& direction, int step, int limit)
{
    position += direction;
    if (direction > 0 && position >= limit) {
        direction = -step;
    } else if (direction < 0 && position <= 1) {
        direction = step;
    }
}

Destination ProportionalDestination(int screenWidth, int screenHeight, int width, int height)
{
    // A picture scaled to nothing has no proportions; it is drawn as nothing.
    if (width <= 0 || height <= 0) return {screenWidth / 2, screenHeight / 2, 0, 0};

    float ratio = Single(static_cast<float>(screenWidth) / static_cast<float>(width));
    if (static_cast<int>(static_cast<double>(ratio) * height) > screenHeight) {
        ratio = Single(static_cast<float>(screenHeight) / static_cast<float>(height));
    }
    const int fittedWidth = static_cast<int>(static_cast<double>(ratio) * width);
    const int fittedHeight = static_cast<int>(static_cast<double>(ratio) * height);
    return {(screenWidth - fittedWidth) / 2, (screenHeight - fittedHeight) / 2, fittedWidth, fittedHeight};
}
