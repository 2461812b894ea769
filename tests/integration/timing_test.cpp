// When things happen: the pictures' steps at each speed, late frames and stalls, the frame that is
// asked for when the next step falls due, and a change of pictures every ChangeTime seconds.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/animation_engine.h"
#include "engine/engine_proc.h"
#include "tests/support/engine_window.h"
#include "tests/support/folders.h"
#include "tests/support/saver_process.h"
#include "tests/support/screen.h"
#include "tests/support/settings_file.h"
#include "tests/support/waiting.h"

using engine_window::EngineWindow;

namespace {

// The engine's clock in these tests: the test moves it, the machine's load cannot.
DWORD fakeNow = 0;
DWORD WINAPI FakeClock()
{
    return fakeNow;
}

class EngineTiming : public testing::Test {
protected:
    void SetUp() override
    {
        fakeNow = 1000000;
        AnimationEngine::clock = FakeClock;
    }
    void TearDown() override { AnimationEngine::clock = timeGetTime; }

    // An engine with one small moving picture at `speed` in a window of this thread, past its
    // first change; frames come only when the test sends a tick.
    const AnimationEngine* Start(EngineWindow& window, const char* speed, const char* pictures = "0",
                                 const char* changePos = "0")
    {
        settings_file::Reset({{"ChangeTime", "3600"},
                              {"Move", "1"},
                              {"Speed", speed},
                              {"Scale", "0"},
                              {"Pictures", pictures},
                              {"ChangePos", changePos}});
        SendMessageA(window.get(), WM_TIMER, kFrameTimerId, 0);  // the background, then the engine
        SendMessageA(window.get(), WM_TIMER, kFrameTimerId, 0);  // the first pictures
        return dynamic_cast<const AnimationEngine*>(currentStage.get());
    }

    // Frames every `every` ms for `span` ms of the engine's clock; the steps the picture took.
    static unsigned StepsOver(const EngineWindow& window, const AnimationEngine& engine, DWORD span,
                              DWORD every)
    {
        const unsigned before = engine.SpriteAt(0).steps;
        for (DWORD passed = 0; passed < span;) {
            const DWORD step = std::min(every, span - passed);
            fakeNow += step;
            passed += step;
            SendMessageA(window.get(), WM_TIMER, kFrameTimerId, 0);
        }
        return engine.SpriteAt(0).steps - before;
    }
};

}  // namespace

// Speed 9 steps every 10 ms, 5 every 50 ms, 0 every 100 ms, and "max." every millisecond, however
// the frames fall: a late frame takes every step that came due. A stall of more than a quarter
// second is not made up: the pictures go on from where they stood.
TEST_F(EngineTiming, EachSpeedStepsOnScheduleLateFramesMakeUpTheStepsAndALongStallStartsAfresh)
{
    const struct {
        const char* speed;
        unsigned perSecond;
    } speeds[] = {{"9", 100}, {"5", 20}, {"0", 10}, {"10", 1000}};
    for (const auto& s : speeds) {
        for (const DWORD every : {1u, 37u}) {
            EngineWindow window(1024, 768);
            const AnimationEngine* engine = Start(window, s.speed);
            ASSERT_TRUE(engine && engine->SpriteAt(0).bitmap) << "Speed " << s.speed;
            EXPECT_EQ(StepsOver(window, *engine, 1000, every), s.perSecond)
                << "Speed " << s.speed << ", a frame every " << every << " ms";
        }
    }

    EngineWindow window(1024, 768);
    const AnimationEngine* engine = Start(window, "9");
    ASSERT_TRUE(engine);
    EXPECT_EQ(StepsOver(window, *engine, 240, 240), 24u) << "a short stall is made up";
    EXPECT_EQ(StepsOver(window, *engine, 400, 400), 1u) << "a long stall starts afresh";
    EXPECT_EQ(engine->SpriteAt(0).lastStep, fakeNow);
    EXPECT_EQ(StepsOver(window, *engine, 100, 1), 10u) << "and goes on at its speed";
}

// The engine asks for its next frame when the earliest of its pictures' next steps falls due: a
// picture stepping every 10 ms is shown every 10 ms, not at the pace of the slowest speed.
TEST_F(EngineTiming, TheNextFrameComesWhenTheEarliestStepFallsDue)
{
    for (const auto& [speed, interval] :
         {std::make_pair("9", 10u), std::make_pair("5", 50u), std::make_pair("0", 100u)}) {
        EngineWindow window(1024, 768);
        const AnimationEngine* engine = Start(window, speed, "2");
        ASSERT_TRUE(engine && engine->SpriteAt(2).bitmap) << "Speed " << speed;
        fakeNow = engine->SpriteAt(0).lastStep;
        EXPECT_EQ(engine->NextFrameDelay(), interval) << "Speed " << speed << ", right after a step";
        fakeNow += 3;
        EXPECT_EQ(engine->NextFrameDelay(), interval - 3) << "Speed " << speed;
        fakeNow += interval;
        EXPECT_EQ(engine->NextFrameDelay(), 0u) << "Speed " << speed << ", a step is overdue";
    }
}

// Each change brings the next picture to the place of the one before it (the small pictures of
// Scale 0 always fit there), and to a new place of its own only when ChangePos asks for it.
TEST_F(EngineTiming, ANewPictureTakesTheOldOnesPlaceUnlessChangePosAsksForANewOne)
{
    for (const char* changePos : {"0", "1"}) {
        EngineWindow window(1024, 768);
        const AnimationEngine* engine = Start(window, "9", "0", changePos);
        ASSERT_TRUE(engine && engine->SpriteAt(0).bitmap) << "ChangePos " << changePos;
        int samePlace = 0;
        for (int change = 0; change < 6; ++change) {
            const Sprite& sprite = engine->SpriteAt(0);
            const POINT before{sprite.x, sprite.y};
            changeDue = 1;  // as the change timer marks it; the clock stands, so nothing steps
            SendMessageA(window.get(), WM_TIMER, kFrameTimerId, 0);
            samePlace += sprite.x == before.x && sprite.y == before.y;
        }
        EXPECT_EQ(samePlace, *changePos == '0' ? 6 : 0) << "ChangePos " << changePos;
    }
}

// When the saver ends, every picture is wiped back to the background, the row and column just past
// it too: behind a picture moving up or left they still show its last step until the next one.
// The directions are drawn at random, so engines are started until one moves up or left.
TEST_F(EngineTiming, TheWipeAtTheEndTakesThePictureAndTheEdgeItLeftBehind)
{
    const auto blueFade = [](int y) { return RGB(0, 0, (255 * 256 - 85 * y) / 256); };  // 768 rows
    bool judged = false;
    for (int engines = 0; engines < 40 && !judged; ++engines) {
        settings_file::Reset(
            {{"ChangeTime", "3600"}, {"Move", "1"}, {"Speed", "9"}, {"Scale", "0"}, {"Background", "1"}});
        EngineWindow window(1024, 768);  // its background stage reads the settings as it comes
        SendMessageA(window.get(), WM_TIMER, kFrameTimerId, 0);
        SendMessageA(window.get(), WM_TIMER, kFrameTimerId, 0);
        const auto* engine = dynamic_cast<const AnimationEngine*>(currentStage.get());
        ASSERT_TRUE(engine && engine->SpriteAt(0).bitmap);
        for (int step = 0; step < 5; ++step) {
            fakeNow += 10;
            SendMessageA(window.get(), WM_TIMER, kFrameTimerId, 0);
        }
        const Sprite& sprite = engine->SpriteAt(0);
        if (sprite.dx > 0 && sprite.dy > 0) continue;
        const RECT left{sprite.x, sprite.y, sprite.x + sprite.width + 1, sprite.y + sprite.height + 1};
        const std::string moving = std::to_string(sprite.dx) + "," + std::to_string(sprite.dy);
        EngineProc(window.get(), WM_DESTROY, 0, 0, DefWindowProcA);
        const Pixels wiped = window.Shown();
        std::string wrong;
        for (int y = left.top; y < left.bottom; ++y)
            for (int x = left.left; x < left.right; ++x)
                if (wiped.At(x, y) != blueFade(y) && wrong.size() < 200)
                    wrong += std::to_string(x) + "," + std::to_string(y) + " ";
        EXPECT_EQ(wrong, "") << "left behind after the wipe of a picture moving " << moving;
        judged = true;
    }
    EXPECT_TRUE(judged) << "no picture moved up or left";
}

namespace {

// What the middle of the screen shows, on a 3 x 3 grid; empty while it is all black (a picture
// being changed).
std::vector<COLORREF> Middle()
{
    const ScreenShot shot;
    std::vector<COLORREF> points;
    bool anyColour = false;
    for (int y = -60; y <= 60; y += 60) {
        for (int x = -100; x <= 100; x += 100) {
            points.push_back(shot.At(shot.Width() / 2 + x, shot.Height() / 2 + y));
            anyColour = anyColour || points.back() != RGB(0, 0, 0);
        }
    }
    return anyColour ? points : std::vector<COLORREF>();
}

// How long the first `changes` picture changes after the first picture lie apart, at most and at
// least. A look at the screen takes a while (longer still under emulation), so each change is only
// known to lie between the start of the look before the one that saw it and the end of that look.
struct ChangeIntervals {
    std::vector<DWORD> longest, shortest;
};

ChangeIntervals WatchChanges(int changes)
{
    ChangeIntervals apart;
    std::vector<COLORREF> shown;
    DWORD previousLookStart = 0, changeAfter = 0, changeBy = 0;
    WaitUntil(
        [&] {
            const DWORD lookStart = GetTickCount();
            const std::vector<COLORREF> now = Middle();
            const DWORD lookEnd = GetTickCount();
            const DWORD before = previousLookStart;
            previousLookStart = lookStart;
            if (now.empty() || now == shown) return false;
            if (!shown.empty()) {
                apart.longest.push_back(lookEnd - changeAfter);
                apart.shortest.push_back(before > changeBy ? before - changeBy : 0);
            }
            shown = now;
            changeAfter = before;
            changeBy = lookEnd;
            return int(apart.longest.size()) >= changes;
        },
        120000);
    return apart;
}

}  // namespace

// The real saver, watched on the screen: a new picture every ChangeTime seconds, counted from the
// end of one change to the next; never sooner, and not much later even on a busy machine.
TEST(PictureChanges, ComeEveryChangeTimeSecondsNeitherSoonerNorMuchLater)
{
    for (const auto& [seconds, changes] : {std::make_pair(1, 5), std::make_pair(3, 3)}) {
        settings_file::Reset({{"ChangeTime", std::to_string(seconds)}, {"Centered", "1"}, {"Move", "0"}});
        SaverProcess saver(SaverPath(), "/s");
        ASSERT_TRUE(WaitForSaverWindow(saver));
        ChangeIntervals apart = WatchChanges(changes);
        ASSERT_EQ(int(apart.longest.size()), changes) << "ChangeTime " << seconds;
        std::sort(apart.longest.begin(), apart.longest.end());
        std::sort(apart.shortest.begin(), apart.shortest.end());
        const DWORD wanted = 1000u * DWORD(seconds);
        EXPECT_GE(apart.longest.front(), wanted * 9 / 10) << "ChangeTime " << seconds;
        EXPECT_LE(apart.shortest[changes / 2], wanted * 2) << "ChangeTime " << seconds;
    }
}
