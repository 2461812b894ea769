// The pictures' arithmetic: random draws, choosing pictures, scale, placement and motion.
#include "engine/picture_math.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/animation_engine.h"
#include "engine/rand15.h"

namespace {

TEST(Rand15, SeedOneGivesTheClassicSequenceAgainAfterEveryReseed)
{
    Rand15 random(1);
    for (const int draw : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464})
        EXPECT_EQ(random.Next(), draw);

    random.Seed(1);
    EXPECT_EQ(random.Next(), 41);
    // 0xFFFFFFFF * 214013 + 2531011 wraps to 2316998, whose upper half is 35.
    EXPECT_EQ(Rand15(0xFFFFFFFFu).Next(), 35);
}

TEST(PictureSlots, PicturesSettingNamesTheLastSlotButNoMoreThanNineSlotsAreUsed)
{
    const std::pair<unsigned, unsigned> cases[] = {{0, 0}, {4, 4}, {8, 8}, {9, 8}, {200, 8}, {0xFFFFFFFFu, 8}};
    for (const auto& c : cases) EXPECT_EQ(LastSlot(c.first), c.second) << c.first;
}

TEST(RandomOrder, TheDrawsSpreadEvenlyOverExistingPicturesTheTopOneHeldToTheLast)
{
    EXPECT_EQ(RandomPictureNumber(0, 16), 1u);
    EXPECT_EQ(RandomPictureNumber(32766, 16), 16u);
    EXPECT_EQ(RandomPictureNumber(32767, 16), 16u);  // would be one past the last

    for (unsigned count = 1; count <= 20; ++count) {
        for (int draw = 0; draw <= Rand15::kMax; draw += 7) {
            const unsigned number = RandomPictureNumber(draw, count);
            ASSERT_TRUE(number >= 1 && number <= count) << draw << " of " << count << " gave " << number;
        }
    }

    std::vector<int> chosen(17, 0);
    for (int draw = 0; draw <= Rand15::kMax; ++draw) ++chosen[RandomPictureNumber(draw, 16)];
    for (unsigned number = 1; number <= 16; ++number) EXPECT_NEAR(chosen[number], 2048, 1) << number;
}

TEST(SequentialOrder, PicturesComeFromOneInTurnWrappingAfterTheLastAndAChangeSkipsTheSlotsItFilled)
{
    const std::pair<unsigned, unsigned> afterOf16[] = {{0, 1}, {1, 2}, {15, 16}, {16, 1}, {40, 1}};
    for (const auto& [number, next] : afterOf16) EXPECT_EQ(NextInOrder(number, 16), next) << number;
    EXPECT_EQ(NextInOrder(3, 3), 1u);

    EXPECT_EQ(AdvanceNextPicture(0, 1, 16), 2u);   // the first change fills two slots
    EXPECT_EQ(AdvanceNextPicture(15, 2, 16), 2u);  // 16, 1, 2
    EXPECT_EQ(AdvanceNextPicture(0, 8, 3), 0u);    // nine slots go round three pictures three times
    EXPECT_EQ(AdvanceNextPicture(5, 2, 0), 0u);    // no pictures
}

TEST(Placement, DrawsSplitTheDirectionAtTheMiddleAndSpreadTheStartOverTheRoom)
{
    const std::pair<int, int> directions[] = {{0, -1}, {16382, -1}, {16383, 1}, {32767, 1}};
    for (const auto& d : directions) EXPECT_EQ(DirectionFromDraw(d.first), d.second) << d.first;

    const int room = 1024 - 423;  // 601; 32767 / 601 = 54: a picture of 423 pixels on 1024
    const std::pair<int, int> places[] = {{0, 0}, {53, 0}, {54, 1}, {32767, 606}};
    for (const auto& p : places) EXPECT_EQ(PlacementFromDraw(p.first, room), p.second) << p.first;
}

TEST(Placement, FarPlacesAreHeldTwoPixelsInsideTheEdgeAndNoRoomStartsAtTheEdge)
{
    EXPECT_EQ(ClampToEdge(606, 1024, 423), 599);
    EXPECT_EQ(ClampToEdge(599, 1024, 423), 599);
    EXPECT_EQ(ClampToEdge(598, 1024, 423), 598);
    EXPECT_EQ(ClampToEdge(0, 1024, 423), 0);

    EXPECT_EQ(PlacementFromDraw(32767, 0), 0);  // a picture as large as the window
    EXPECT_EQ(PlacementFromDraw(32767, -200), 0);
    EXPECT_EQ(PlacementFromDraw(32767, 40000), 0);  // 32767 / 40000 is 0: nothing to spread the draws with
    EXPECT_EQ(PlacementFromDraw(32767, 32767), 32767);
}

TEST(Scale, StepsByTenthsUpToFullSizeAndThePreviewShrinksInProportionToA1024PixelScreen)
{
    EXPECT_EQ(ScaleFactorFor(9, 1024), 1.0f);
    EXPECT_EQ(ScaleFactorFor(9, 320), 1.0f);
    EXPECT_EQ(ScaleFactorFor(4, 1024), 0.5f);
    EXPECT_EQ(ScaleFactorFor(0, 1024), 0.1f);
    EXPECT_EQ(ScaleFactorFor(19, 1024), 2.0f);
    EXPECT_EQ(ScaleFactorFor(9, 152), 0.1484375f);
    EXPECT_EQ(ScaleFactorFor(4, 152), 0.07421875f);
}

TEST(Scale, PictureSizesTruncateAndTheSourceSizeUndoesTheScale)
{
    EXPECT_EQ(ScaledSize(423, 1.0f), 423);
    EXPECT_EQ(ScaledSize(640, 0.1484375f), 95);
    EXPECT_EQ(ScaledSize(423, 0.5f), 211);
    // 0.7 is just below seven tenths in single precision: 640 pixels become 447.
    EXPECT_EQ(ScaledSize(640, ScaleFactorFor(6, 1024)), 447);

    EXPECT_EQ(UnscaledSize(95, 0.1484375f), 640);
    EXPECT_EQ(UnscaledSize(211, 0.5f), 422);
    EXPECT_EQ(UnscaledSize(100, 0.0f), 0);  // no scale, no source
}

TEST(ProportionalFit, ThePictureSpansTheWindowInOneDirectionCentredInTheOther)
{
    const struct {
        int width, height;
        std::vector<int> to;  // x, y, width, height
    } cases[] = {
        {512, 256, {0, 128, 1024, 512}},  // wide: the whole width
        {256, 512, {320, 0, 384, 768}},   // tall: the whole height
        {512, 384, {0, 0, 1024, 768}},    // the window's proportions fill it
    };
    for (const auto& c : cases) {
        const Destination to = ProportionalDestination(1024, 768, c.width, c.height);
        EXPECT_EQ(std::vector<int>({to.x, to.y, to.width, to.height}), c.to) << c.width << " x " << c.height;
    }
    // A picture scaled to nothing is drawn as nothing.
    for (const int width : {10, 0}) {
        const Destination nothing = ProportionalDestination(152, 112, width, 0);
        EXPECT_EQ(nothing.width, 0);
        EXPECT_EQ(nothing.height, 0);
    }
}

// Position and direction after one step.
std::pair<int, int> Step(int x, int dx, int step, int limit)
{
    StepAxis(x, dx, step, limit);
    return {x, dx};
}

TEST(Motion, APictureTurnsAtOneOnTheLeftAndWhereItsRightEdgeMeetsTheWindowsEdge)
{
    int x = 4, dx = -1, lowest = x;  // coming from the right it never reaches zero
    for (int i = 0; i < 10; ++i) {
        StepAxis(x, dx, 1, 601);
        lowest = std::min(lowest, x);
    }
    EXPECT_EQ(lowest, 1);
    EXPECT_EQ(dx, 1);

    EXPECT_EQ(Step(0, -1, 1, 601), std::make_pair(-1, 1));  // placed at zero: one step to -1, then the turn
    EXPECT_EQ(Step(-1, 1, 1, 601), std::make_pair(0, 1));
    EXPECT_EQ(Step(2, -3, 3, 601), std::make_pair(-1, 3));  // turning takes the step size
    const int limit = 1024 - 423;
    EXPECT_EQ(Step(599, 1, 1, limit), std::make_pair(600, 1));
    EXPECT_EQ(Step(600, 1, 1, limit), std::make_pair(601, -1));
    EXPECT_EQ(Step(601, -1, 1, limit), std::make_pair(600, -1));
}

// Sprites own GDI objects and do not move: each case fills its own.
void MakeMoving(Sprite& sprite)
{
    sprite.x = 100;
    sprite.y = 50;
    sprite.dx = 1;
    sprite.dy = -1;
    sprite.width = 423;
    sprite.height = 300;
    sprite.lastStep = 1000;
    sprite.stepInterval = 10;  // Speed 9
}

int StepsAt(Sprite& sprite, DWORD now)
{
    int steps = 0;
    while (StepSprite(sprite, now, 1024, 768)) ++steps;
    return steps;
}

TEST(SpriteSteps, APictureWaitsForItsIntervalThenStepsBothAxesOnSchedule)
{
    Sprite sprite;
    MakeMoving(sprite);
    EXPECT_EQ(StepsAt(sprite, 1009), 0);
    EXPECT_EQ(StepsAt(sprite, 1013), 1) << "drawn 3 ms late";
    EXPECT_EQ(std::vector<int>({sprite.x, sprite.y, sprite.prevX, sprite.prevY, int(sprite.lastStep)}),
              std::vector<int>({101, 49, 100, 50, 1010}))
        << "the next step is due one interval after this one was due, not after it was drawn";
    EXPECT_EQ(StepsAt(sprite, 1020), 1);
    EXPECT_EQ(StepsAt(sprite, 1055), 3) << "a late frame takes every step that fell due";
    EXPECT_EQ(sprite.x, 105);
    EXPECT_EQ(sprite.lastStep, 1050u);
}

TEST(SpriteSteps, AfterALongStallTheScheduleStartsAfreshAndTheClockMayWrap)
{
    Sprite stalled;
    MakeMoving(stalled);
    EXPECT_EQ(StepsAt(stalled, 1000 + 10 + kLongestCatchUp + 1), 1);
    EXPECT_EQ(stalled.lastStep, 1000u + 10 + kLongestCatchUp + 1);

    Sprite wrapping;
    MakeMoving(wrapping);
    wrapping.lastStep = 0xFFFFFFF8u;
    EXPECT_EQ(StepsAt(wrapping, 1), 0);
    EXPECT_EQ(StepsAt(wrapping, 2), 1);
}

TEST(SpriteSteps, TheBottomEdgeTurnsThePictureUp)
{
    Sprite sprite;
    MakeMoving(sprite);
    sprite.y = 767 - 300;
    sprite.dy = 1;
    EXPECT_EQ(StepsAt(sprite, 1010), 1);
    EXPECT_EQ(sprite.y, 468);
    EXPECT_EQ(sprite.dy, -1);
}

TEST(SpriteSteps, EachSpeedHasItsIntervalAndTheTopSpeedStepsEveryMillisecond)
{
    EXPECT_EQ(StepInterval(0), 100u);
    EXPECT_EQ(StepInterval(9), 10u);
    EXPECT_EQ(StepInterval(10), 1u);
    EXPECT_EQ(StepInterval(11), 1u) << "hand-set speeds beyond max. go at max.";
    EXPECT_EQ(StepInterval(0xFFFFFFFFu), 1u);
}

}  // namespace
