// Prints how the pictures are paced, today and as the first version paced them, side by side:
// speed against the intended speed, the gaps between the steps a picture shows, and how long a
// frame takes by the number of pictures. The engine runs in this process on a 1024 x 768 window.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/animation_engine.h"
#include "engine/engine_proc.h"
#include "tests/support/engine_window.h"
#include "tests/support/settings_file.h"
#include "tests/support/waiting.h"
#include "tools/bench/old_pacing.h"

namespace {

double Milliseconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * double(now.QuadPart) / double(frequency.QuadPart);
}

// What the frames of one run showed, gathered by the engine's frame observer.
struct Watch {
    bool counting = false;
    DWORD seen[kSpriteSlots] = {};
    unsigned long long steps = 0;      // over every picture, while counting
    std::vector<double> firstPicture;  // when the first picture was shown having stepped
    std::vector<double> frameEnds;
};

Watch watch;

void OnFrame(const AnimationEngine& engine)
{
    const double now = Milliseconds();
    watch.frameEnds.push_back(now);
    for (unsigned slot = 0; slot < kSpriteSlots; ++slot) {
        const Sprite& sprite = engine.SpriteAt(slot);
        if (!sprite.bitmap) continue;
        const DWORD taken =
            sprite.steps >= watch.seen[slot] ? sprite.steps - watch.seen[slot] : sprite.steps;
        if (watch.counting) watch.steps += taken;
        if (watch.counting && slot == 0 && taken > 0) watch.firstPicture.push_back(now);
        watch.seen[slot] = sprite.steps;
    }
}

struct Run {
    double seconds = 0;
    double stepsPerPicture = 0;
    std::vector<double> gaps;        // between the first picture's shown steps, ms
    std::vector<double> frameTimes;  // ms
};

// One run of the engine with these settings: a warm-up, then `seconds` measured.
Run RunEngine(bool oldPacing, unsigned pictures, unsigned speed, double seconds)
{
    settings_file::Remove();
    for (const auto& [key, value] : {std::pair<const char*, std::string>{"ChangeTime", "3600"},
                                     {"Background", "1"},
                                     {"Move", "1"},
                                     {"Pictures", std::to_string(pictures - 1)},
                                     {"Speed", std::to_string(speed)}})
        settings_file::Write(key, value);
    AnimationEngine::pacing = oldPacing ? OldPacingTick : nullptr;
    watch = Watch{};
    AnimationEngine::frameDrawn = OnFrame;
    Run run;
    {
        engine_window::EngineWindow window(1024, 768);
        RunMessages(600);  // the background, the first pictures
        watch.counting = true;
        watch.frameEnds.clear();
        const double start = Milliseconds();
        const UINT_PTR deadline = SetTimer(nullptr, 0, UINT(seconds * 1000), nullptr);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == deadline) break;
            const size_t framesBefore = watch.frameEnds.size();
            const double dispatched = Milliseconds();
            DispatchMessageA(&message);
            // A frame's time: from the tick to its end, or from the frame before within one tick.
            for (size_t frame = framesBefore; frame < watch.frameEnds.size(); ++frame)
                run.frameTimes.push_back(watch.frameEnds[frame] -
                                         (frame == framesBefore ? dispatched : watch.frameEnds[frame - 1]));
        }
        KillTimer(nullptr, deadline);
        run.seconds = (Milliseconds() - start) / 1000.0;
    }
    AnimationEngine::frameDrawn = nullptr;
    run.stepsPerPicture = double(watch.steps) / pictures;
    for (size_t i = 1; i < watch.firstPicture.size(); ++i)
        run.gaps.push_back(watch.firstPicture[i] - watch.firstPicture[i - 1]);
    return run;
}

double Mean(const std::vector<double>& values)
{
    double sum = 0;
    for (double value : values) sum += value;
    return values.empty() ? 0 : sum / double(values.size());
}

double Deviation(const std::vector<double>& values)
{
    const double mean = Mean(values);
    double sum = 0;
    for (double value : values) sum += (value - mean) * (value - mean);
    return values.size() < 2 ? 0 : std::sqrt(sum / double(values.size() - 1));
}

double Worst(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

const char* Name(bool oldPacing)
{
    return oldPacing ? "first version" : "today";
}

void PrintSpeeds(double seconds)
{
    std::printf("\nSpeed: pixels a second on each axis, against 1000 / (100 - 10 x Speed)\n");
    std::printf("%-14s %8s %6s %10s %10s %7s\n", "pacing", "pictures", "Speed", "intended", "measured",
                "ratio");
    for (bool oldPacing : {false, true}) {
        for (unsigned pictures : {1u, 9u}) {
            for (unsigned speed : {0u, 3u, 6u, 9u, 10u}) {
                const Run run = RunEngine(oldPacing, pictures, speed, seconds);
                const double measured = run.stepsPerPicture / run.seconds;
                const double intended = speed < 10 ? 1000.0 / (100 - 10 * speed) : (oldPacing ? 0 : 1000.0);
                if (intended > 0)
                    std::printf("%-14s %8u %6u %10.1f %10.1f %7.3f\n", Name(oldPacing), pictures, speed,
                                intended, measured, measured / intended);
                else
                    std::printf("%-14s %8u %6u %10s %10.1f %7s\n", Name(oldPacing), pictures, speed,
                                "(frames)", measured, "-");
            }
        }
    }
}

void PrintGaps(double seconds)
{
    std::printf("\nGaps between the steps a picture shows at Speed 9 (interval 10 ms)\n");
    std::printf("%-14s %8s %10s %10s %10s %8s\n", "pacing", "pictures", "mean ms", "sigma ms", "worst ms",
                "steps");
    for (bool oldPacing : {false, true}) {
        for (unsigned pictures : {1u, 9u}) {
            const Run run = RunEngine(oldPacing, pictures, 9, seconds);
            std::printf("%-14s %8u %10.2f %10.2f %10.2f %8zu\n", Name(oldPacing), pictures, Mean(run.gaps),
                        Deviation(run.gaps), Worst(run.gaps), run.gaps.size());
        }
    }
}

void PrintFrameTimes(double seconds)
{
    std::printf("\nTime of one frame by the number of pictures (Speed max., 488 x 277 and smaller)\n");
    std::printf("%-10s %16s %16s %12s\n", "pictures", "today ms", "first version ms", "today/first");
    for (unsigned pictures = 1; pictures <= 9; ++pictures) {
        const Run today = RunEngine(false, pictures, 10, seconds);
        const Run first = RunEngine(true, pictures, 10, seconds);
        const double now = Mean(today.frameTimes), then = Mean(first.frameTimes);
        std::printf("%-10u %16.3f %16.3f %12.2f\n", pictures, now, then, then > 0 ? now / then : 0.0);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    std::printf("Pacing of the pictures, %.0f s a run, on a 1024 x 768 window\n", seconds);
    PrintSpeeds(seconds);
    PrintGaps(seconds);
    PrintFrameTimes(seconds / 2);
    settings_file::Remove();
    return 0;
}
