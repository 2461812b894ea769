// The pictures' arithmetic: random draws, choosing pictures, scale, placement and motion.
#include "engine/picture_math.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/animation_engine.h"
#include "engine/rand15.h"

namespace {

// --- Random draws -----------------------------------------------------------

TEST(Rand15, SeedOneGivesTheClassicSequence)
{
    Rand15 random(1);
    const std::vector<int> expected = {41,    18467, 6334,  26500, 19169,
                                       15724, 11478, 29358, 26962, 24464};
    for (int draw : expected) EXPECT_EQ(random.Next(), draw);
}

TEST(Rand15, ReseedingReplaysTheSameDraws)
{
    Rand15 random(12345);
    const int first = random.Next();
    const int second = random.Next();
    random.Seed(12345);
    EXPECT_EQ(random.Next(), first);
    EXPECT_EQ(random.Next(), second);
}

TEST(Rand15, StateWrapsModuloTwoToTheThirtyTwo)
{
    // 0xFFFFFFFF * 214013 + 2531011 wraps to 2316998, whose upper half is 35.
    Rand15 random(0xFFFFFFFFu);
    EXPECT_EQ(random.Next(), 35);
}

TEST(Rand15, DrawsStayWithinFifteenBits)
{
    Rand15 random(987654321u);
    for (int i = 0; i < 100000; ++i) {
        const int draw = random.Next();
        ASSERT_GE(draw, 0);
        ASSERT_LE(draw, Rand15::kMax);
    }
}

// --- Slots ------------------------------------------------------------------

TEST(PictureSlots, PicturesSettingNamesTheLastSlot)
{
    EXPECT_EQ(LastSlot(0), 0u);
    EXPECT_EQ(LastSlot(4), 4u);
    EXPECT_EQ(LastSlot(8), 8u);
}

TEST(PictureSlots, PicturesAboveEightUseOnlyTheNineSlots)
{
    EXPECT_EQ(LastSlot(9), 8u);
    EXPECT_EQ(LastSlot(200), 8u);
    EXPECT_EQ(LastSlot(0xFFFFFFFFu), 8u);
}

// --- Random order -----------------------------------------------------------

TEST(RandomOrder, LowestDrawPicksTheFirstPicture)
{
    EXPECT_EQ(RandomPictureNumber(0, 16), 1u);
}

TEST(RandomOrder, DrawJustBelowTheTopPicksTheLastPicture)
{
    EXPECT_EQ(RandomPictureNumber(32766, 16), 16u);
}

TEST(RandomOrder, TopDrawIsHeldToTheLastPicture)
{
    EXPECT_EQ(RandomPictureNumber(32767, 16), 16u);
}

TEST(RandomOrder, EveryDrawNamesAnExistingPicture)
{
    for (unsigned count = 1; count <= 20; ++count) {
        for (int draw = 0; draw <= Rand15::kMax; draw += 7) {
            const unsigned number = RandomPictureNumber(draw, count);
            ASSERT_GE(number, 1u) << draw << " of " << count;
            ASSERT_LE(number, count) << draw << " of " << count;
        }
    }
}

TEST(RandomOrder, SixteenPicturesShareTheDrawsEvenly)
{
    std::vector<int> chosen(17, 0);
    for (int draw = 0; draw <= Rand15::kMax; ++draw) ++chosen[RandomPictureNumber(draw, 16)];
    for (unsigned number = 1; number <= 16; ++number) {
        EXPECT_GE(chosen[number], 2047) << number;
        EXPECT_LE(chosen[number], 2049) << number;
    }
}

// --- Sequential order -------------------------------------------------------

TEST(SequentialOrder, FirstChangeShowsPicturesFromOne)
{
    unsigned number = 0;  // nextPicture at the start
    number = NextInOrder(number, 16);
    EXPECT_EQ(number, 1u);
    EXPECT_EQ(NextInOrder(number, 16), 2u);
    EXPECT_EQ(AdvanceNextPicture(0, 1, 16), 2u);
}

TEST(SequentialOrder, ThreeSlotsFromPictureFifteenWrapToOneAndTwo)
{
    unsigned number = 15;
    std::vector<unsigned> shown;
    for (unsigned slot = 0; slot <= 2; ++slot) {
        number = NextInOrder(number, 16);
        shown.push_back(number);
    }
    EXPECT_EQ(shown, (std::vector<unsigned>{16, 1, 2}));
    EXPECT_EQ(AdvanceNextPicture(15, 2, 16), 2u);
}

TEST(SequentialOrder, NineSlotsGoRoundThreePicturesThreeTimes)
{
    unsigned number = 0;
    std::vector<unsigned> shown;
    for (unsigned slot = 0; slot <= 8; ++slot) {
        number = NextInOrder(number, 3);
        shown.push_back(number);
    }
    EXPECT_EQ(shown, (std::vector<unsigned>{1, 2, 3, 1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(AdvanceNextPicture(0, 8, 3), 0u);
}

TEST(SequentialOrder, NoPicturesLeavesTheStartAtZero)
{
    EXPECT_EQ(AdvanceNextPicture(5, 2, 0), 0u);
}

// --- Placement --------------------------------------------------------------

TEST(Placement, DirectionDrawsSplitAtTheMiddle)
{
    EXPECT_EQ(DirectionFromDraw(0), -1);
    EXPECT_EQ(DirectionFromDraw(16382), -1);
    EXPECT_EQ(DirectionFromDraw(16383), 1);
    EXPECT_EQ(DirectionFromDraw(32767), 1);
}

TEST(Placement, PictureOf423PixelsOn1024StepsEvery54Draws)
{
    const int room = 1024 - 423;  // 601; 32767 / 601 = 54
    EXPECT_EQ(PlacementFromDraw(0, room), 0);
    EXPECT_EQ(PlacementFromDraw(53, room), 0);
    EXPECT_EQ(PlacementFromDraw(54, room), 1);
    EXPECT_EQ(PlacementFromDraw(32767, room), 606);
}

TEST(Placement, FarPlacesAreHeldTwoPixelsInsideTheEdge)
{
    EXPECT_EQ(ClampToEdge(606, 1024, 423), 599);
    EXPECT_EQ(ClampToEdge(599, 1024, 423), 599);
    EXPECT_EQ(ClampToEdge(598, 1024, 423), 598);
    EXPECT_EQ(ClampToEdge(0, 1024, 423), 0);
}

TEST(Placement, PictureAsLargeAsTheWindowStartsAtTheEdge)
{
    EXPECT_EQ(PlacementFromDraw(32767, 0), 0);
    EXPECT_EQ(PlacementFromDraw(32767, -200), 0);
}

TEST(Placement, WindowWiderThanTheDrawsReachStartsAtTheEdge)
{
    // 32767 / 40000 is 0: no divisor to spread the draws with.
    EXPECT_EQ(PlacementFromDraw(32767, 40000), 0);
    EXPECT_EQ(PlacementFromDraw(32767, 32767), 32767);
}

// --- Scale ------------------------------------------------------------------

TEST(Scale, NineIsFullSizeOnTheScreen)
{
    EXPECT_EQ(ScaleFactorFor(9, 1024), 1.0f);
    EXPECT_EQ(ScaleFactorFor(9, 320), 1.0f);
}

TEST(Scale, StepsByTenthsOfTheOriginal)
{
    EXPECT_EQ(ScaleFactorFor(4, 1024), 0.5f);
    EXPECT_EQ(ScaleFactorFor(0, 1024), 0.1f);
    EXPECT_EQ(ScaleFactorFor(19, 1024), 2.0f);
}

TEST(Scale, PreviewShrinksInProportionToA1024PixelScreen)
{
    EXPECT_EQ(ScaleFactorFor(9, 152), 0.1484375f);
    EXPECT_EQ(ScaleFactorFor(4, 152), 0.07421875f);
}

TEST(Scale, PictureSizesTruncate)
{
    EXPECT_EQ(ScaledSize(423, 1.0f), 423);
    EXPECT_EQ(ScaledSize(640, 0.1484375f), 95);
    EXPECT_EQ(ScaledSize(423, 0.5f), 211);
    // 0.7 is just below seven tenths in single precision: 640 pixels become 447.
    EXPECT_EQ(ScaledSize(640, ScaleFactorFor(6, 1024)), 447);
}

TEST(Scale, SourceSizeUndoesTheScale)
{
    EXPECT_EQ(UnscaledSize(95, 0.1484375f), 640);
    EXPECT_EQ(UnscaledSize(211, 0.5f), 422);
}

TEST(Scale, NoScaleGivesNoSource)
{
    EXPECT_EQ(UnscaledSize(100, 0.0f), 0);
}

// --- Filling the window in proportion ---------------------------------------

TEST(ProportionalFit, WidePictureSpansTheWidthCentredVertically)
{
    const Destination to = ProportionalDestination(1024, 768, 512, 256);
    EXPECT_EQ(to.x, 0);
    EXPECT_EQ(to.y, 128);
    EXPECT_EQ(to.width, 1024);
    EXPECT_EQ(to.height, 512);
}

TEST(ProportionalFit, TallPictureSpansTheHeightCentredHorizontally)
{
    const Destination to = ProportionalDestination(1024, 768, 256, 512);
    EXPECT_EQ(to.x, 320);
    EXPECT_EQ(to.y, 0);
    EXPECT_EQ(to.width, 384);
    EXPECT_EQ(to.height, 768);
}

TEST(ProportionalFit, PictureOfTheWindowsProportionsFillsIt)
{
    const Destination to = ProportionalDestination(1024, 768, 512, 384);
    EXPECT_EQ(to.x, 0);
    EXPECT_EQ(to.y, 0);
    EXPECT_EQ(to.width, 1024);
    EXPECT_EQ(to.height, 768);
}

TEST(ProportionalFit, PictureScaledToNothingIsDrawnAsNothing)
{
    const Destination flat = ProportionalDestination(152, 112, 10, 0);
    EXPECT_EQ(flat.width, 0);
    EXPECT_EQ(flat.height, 0);
    const Destination empty = ProportionalDestination(152, 112, 0, 0);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, 0);
}

// --- Motion -----------------------------------------------------------------

TEST(Motion, PictureComingFromTheRightTurnsAtOneAndNeverReachesZero)
{
    int x = 4;
    int dx = -1;
    int lowest = x;
    for (int i = 0; i < 10; ++i) {
        StepAxis(x, dx, 1, 601);
        if (x < lowest) lowest = x;
    }
    EXPECT_EQ(lowest, 1);
    EXPECT_EQ(dx, 1);
}

TEST(Motion, PicturePlacedAtZeroFirstStepsToMinusOneThenTurns)
{
    int x = 0;
    int dx = -1;
    StepAxis(x, dx, 1, 601);
    EXPECT_EQ(x, -1);
    EXPECT_EQ(dx, 1);
    StepAxis(x, dx, 1, 601);
    EXPECT_EQ(x, 0);
}

TEST(Motion, PictureTurnsWhereItsRightEdgeMeetsTheWindowsEdge)
{
    int x = 599;
    int dx = 1;
    StepAxis(x, dx, 1, 1024 - 423);
    EXPECT_EQ(x, 600);
    EXPECT_EQ(dx, 1);
    StepAxis(x, dx, 1, 1024 - 423);
    EXPECT_EQ(x, 601);
    EXPECT_EQ(dx, -1);
    StepAxis(x, dx, 1, 1024 - 423);
    EXPECT_EQ(x, 600);
}

TEST(Motion, TurningTakesTheStepSize)
{
    int x = 2;
    int dx = -3;
    StepAxis(x, dx, 3, 601);
    EXPECT_EQ(x, -1);
    EXPECT_EQ(dx, 3);
}

Sprite MovingSprite()
{
    Sprite sprite;
    sprite.x = 100;
    sprite.y = 50;
    sprite.dx = 1;
    sprite.dy = -1;
    sprite.width = 423;
    sprite.height = 300;
    sprite.lastStep = 1000;
    sprite.stepInterval = 10;  // Speed 9
    return sprite;
}

TEST(SpriteSteps, PictureWaitsForItsInterval)
{
    Sprite sprite = MovingSprite();
    StepSprite(sprite, 1009, 1024, 768);
    EXPECT_EQ(sprite.x, 100);
    EXPECT_EQ(sprite.y, 50);
    EXPECT_EQ(sprite.lastStep, 1000u);
}

TEST(SpriteSteps, StepMovesBothAxesAndRemembersTheOldPlace)
{
    Sprite sprite = MovingSprite();
    StepSprite(sprite, 1010, 1024, 768);
    EXPECT_EQ(sprite.x, 101);
    EXPECT_EQ(sprite.y, 49);
    EXPECT_EQ(sprite.prevX, 100);
    EXPECT_EQ(sprite.prevY, 50);
    EXPECT_EQ(sprite.lastStep, 1010u);
}

TEST(SpriteSteps, IntervalCountsAcrossTheClockWrapping)
{
    Sprite sprite = MovingSprite();
    sprite.lastStep = 0xFFFFFFF8u;
    StepSprite(sprite, 1, 1024, 768);
    EXPECT_EQ(sprite.x, 100);
    StepSprite(sprite, 2, 1024, 768);
    EXPECT_EQ(sprite.x, 101);
}

TEST(SpriteSteps, TopSpeedStepsOnEveryPass)
{
    Sprite sprite = MovingSprite();
    sprite.stepInterval = 0;
    StepSprite(sprite, 1000, 1024, 768);
    StepSprite(sprite, 1000, 1024, 768);
    EXPECT_EQ(sprite.x, 102);
}

TEST(SpriteSteps, BottomEdgeTurnsThePictureUp)
{
    Sprite sprite = MovingSprite();
    sprite.y = 767 - 300;
    sprite.dy = 1;
    StepSprite(sprite, 1010, 1024, 768);
    EXPECT_EQ(sprite.y, 468);
    EXPECT_EQ(sprite.dy, -1);
}

}  // namespace
