// The pictures' arithmetic: choosing pictures, scale, fitting and motion.
#include "engine/picture_math.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "engine/animation_engine.h"
#include "engine/rand15.h"

namespace {

// The Pictures setting counts from 0 for one picture; a hand-set count past nine still shows nine,
// in the nine slots there are.
TEST(PictureSlots, ThePicturesSettingNamesTheLastSlotAndNoneLiesPastTheNinth)
{
    const std::pair<unsigned, unsigned> lastSlots[] = {{0, 0}, {4, 4},   {8, 8},
                                                       {9, 8}, {100, 8}, {0xFFFFFFFF, 8}};
    for (const auto& [pictures, last] : lastSlots) EXPECT_EQ(LastSlot(pictures), last) << pictures;
}

TEST(RandomOrder, TheDrawsSpreadEvenlyOverThePicturesTheTopOneHeldToTheLast)
{
    std::vector<int> chosen(17, 0);
    for (int draw = 0; draw <= Rand15::kMax; ++draw) ++chosen[RandomPictureNumber(draw, 16)];
    for (unsigned number = 1; number <= 16; ++number) EXPECT_NEAR(chosen[number], 2048, 1) << number;
    EXPECT_EQ(RandomPictureNumber(32767, 16), 16u);  // would be one past the last
    // A style without pictures names picture 00 in its error box, whatever the draw.
    for (const int draw : {0, 16383, 32767}) EXPECT_EQ(RandomPictureNumber(draw, 0), 0u) << draw;
}

// Where a picture starts and which way it goes, as the random draws decide them.
TEST(RandomPlacement, DrawsSpreadOverTheRoomLeftHalfGoesBackUpperHalfForwardAndTheFarEdgeKeepsTwoPixels)
{
    const struct {
        int draw, room, start;
    } placements[] = {
        {0, 601, 0},                        // 1024 - 423: the divisor is 32767 / 601 = 54
        {54, 601, 1},   {32767, 601, 606},  // past the room, until the far edge holds it
        {32766, 1, 0},                      // a room of one pixel: only the top draw reaches it
        {32767, 1, 1},  {100, 32768, 0},    // a window wider than the draws reach starts at the edge
        {5000, 0, 0},                       // no room at all
        {5000, -10, 0},                     // a picture larger than the window
    };
    for (const auto& p : placements)
        EXPECT_EQ(PlacementFromDraw(p.draw, p.room), p.start) << p.draw << " in " << p.room;

    const std::pair<int, int> directions[] = {{0, -1}, {16382, -1}, {16383, 1}, {32767, 1}};
    for (const auto& [draw, direction] : directions) EXPECT_EQ(DirectionFromDraw(draw), direction) << draw;

    // 1024 - 423 - 2 = 599: a start from 599 on is held there, one before it kept.
    const std::pair<int, int> clamps[] = {{598, 598}, {599, 599}, {600, 599}, {606, 599}, {0, 0}};
    for (const auto& [start, held] : clamps) EXPECT_EQ(ClampToEdge(start, 1024, 423), held) << start;
}

TEST(SequentialOrder, PicturesComeFromOneInTurnWrappingAfterTheLastAndAChangeSkipsTheSlotsItFilled)
{
    const std::pair<unsigned, unsigned> afterOf16[] = {{0, 1}, {1, 2}, {15, 16}, {16, 1}, {40, 1}};
    for (const auto& [number, next] : afterOf16) EXPECT_EQ(NextInOrder(number, 16), next) << number;

    EXPECT_EQ(AdvanceNextPicture(0, 1, 16), 2u);   // the first change fills two slots
    EXPECT_EQ(AdvanceNextPicture(15, 2, 16), 2u);  // 16, 1, 2
    EXPECT_EQ(AdvanceNextPicture(0, 8, 3), 0u);    // nine slots go round three pictures three times
}

TEST(Scale, StepsByTenthsAndThePreviewShrinksInProportionToA1024PixelScreen)
{
    EXPECT_EQ(ScaleFactorFor(4, 1024), 0.5f);
    EXPECT_EQ(ScaleFactorFor(9, 320), 1.0f);
    EXPECT_EQ(ScaleFactorFor(9, 152), 0.1484375f);
    EXPECT_EQ(ScaledSize(640, 0.1484375f), 95);
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
    const Destination nothing = ProportionalDestination(152, 112, 10, 0);  // a picture scaled to nothing
    EXPECT_EQ(nothing.width * nothing.height, 0);
}

TEST(Motion, APictureTurnsAtOneOnTheLeftAndWhereItsRightEdgeMeetsTheWindowsEdge)
{
    const struct {
        int x, dx, step, toX, toDx;
    } steps[] = {{2, -1, 1, 1, 1},   // coming from the right it turns at one, never reaching zero
                 {0, -1, 1, -1, 1},  // placed at zero: one step to -1, then the turn
                 {2, -3, 3, -1, 3},  // turning takes the step size
                 {599, 1, 1, 600, 1}, {600, 1, 1, 601, -1}, {601, -1, 1, 600, -1}};
    for (const auto& s : steps) {
        int x = s.x, dx = s.dx;
        StepAxis(x, dx, s.step, 601);
        EXPECT_EQ(std::make_pair(x, dx), std::make_pair(s.toX, s.toDx)) << s.x << " " << s.dx;
    }
}

// A picture 423 x 300 on 1024 x 768 going right and up at Speed 9, its last step due at 1000.
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
    sprite.stepInterval = 10;
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
    EXPECT_EQ(StepsAt(sprite, 1055), 4) << "a late frame takes every step that fell due";
    EXPECT_EQ(sprite.lastStep, 1050u);

    sprite.y = 767 - 300;
    sprite.dy = 1;
    EXPECT_EQ(StepsAt(sprite, 1060), 1);
    EXPECT_EQ(std::make_pair(sprite.y, sprite.dy), std::make_pair(468, -1)) << "the bottom edge turns it up";
}

TEST(SpriteSteps, EachSpeedHasItsIntervalAndTheTopSpeedStepsEveryMillisecond)
{
    const std::pair<unsigned, unsigned> intervals[] = {
        {0, 100}, {9, 10}, {10, 1}, {11, 1}, {0xFFFFFFFFu, 1}};
    for (const auto& [speed, interval] : intervals) EXPECT_EQ(StepInterval(speed), interval) << speed;
}

}  // namespace
