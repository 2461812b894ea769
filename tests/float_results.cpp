// Runs the saver's float arithmetic (gradient rows, picture scaling, random picture choice,
// proportional fit) over the inputs the saver meets and prints the running digest after each
// area. Built natively twice, with x87 and with SSE arithmetic, it shows that the product (x87)
// and its twin (SSE) compute the same numbers: the digests must match.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "engine/picture_math.h"
#include "engine/rand15.h"
#include "imaging/gradient.h"

namespace {

// FNV-1a over the results' 64-bit patterns.
std::uint64_t digest = 14695981039346656037ull;

void Add(std::uint64_t value)
{
    for (int byte = 0; byte < 8; ++byte)
        digest = (digest ^ ((value >> (8 * byte)) & 0xFF)) * 1099511628211ull;
}

void Print(const char* area)
{
    std::printf("%-12s %016llx\n", area, static_cast<unsigned long long>(digest));
}

// Every row of every height up to 2000 between channel values that reach every kind of step
// (none, one, small, half, large, full), three pairs to a call; then every
// difference from the ends and the middle on the screen heights of common displays.
void Gradients()
{
    constexpr std::uint32_t kChannels[] = {0, 1, 15, 127, 128, 200, 254, 255};
    // Pairs `first` to `first + 2` of the 64, one a channel: their first values, or their second.
    const auto colour = [&](int first, bool second) {
        std::uint32_t packed = 0;
        for (int channel = 0; channel < 3; ++channel) {
            const int pair = (first + channel) % 64;
            packed |= kChannels[second ? pair % 8 : pair / 8] << (8 * channel);
        }
        return packed;
    };
    for (int height = 1; height <= 2000; ++height)
        for (int first = 0; first < 64; first += 3)
            for (int row = 0; row < height; ++row)
                Add(GradientRowColour(colour(first, false), colour(first, true), height, row));
    for (int height : {240, 480, 600, 768, 1024, 1200})
        for (std::uint32_t from : {0, 1, 127, 128, 254, 255})
            for (std::uint32_t to = 0; to < 256; ++to)
                for (int row = 0; row < height; ++row) Add(GradientRowColour(from, to, height, row));
    Print("gradients");
}

// Scale factors for every Scale setting and window width, and every size at each factor.
void Scaling()
{
    for (unsigned scale = 0; scale <= 9; ++scale) {
        for (int width = 1; width <= 2048; ++width) {
            const float factor = ScaleFactorFor(scale, width);
            std::uint32_t bits = 0;
            std::memcpy(&bits, &factor, sizeof bits);
            Add(bits);
            if (width > 320 && width != 1024) continue;  // wider windows share one factor
            for (int size = 0; size <= 1024; ++size)
                Add(std::uint64_t(ScaledSize(size, factor)) << 32 |
                    std::uint32_t(UnscaledSize(size, factor)));
        }
    }
    Print("scaling");
}

// Every 15-bit draw for every picture count up to 64, and pictures of every size up to
// 640 x 480 fitted to common screens and previews.
void PictureChoiceAndFit()
{
    for (unsigned count = 1; count <= 64; ++count)
        for (int draw = 0; draw <= Rand15::kMax; ++draw) Add(RandomPictureNumber(draw, count));
    const int screens[][2] = {{152, 112},  {320, 240},   {640, 480},   {800, 600},
                              {1024, 768}, {1280, 1024}, {1920, 1080}, {2560, 1440}};
    for (const auto& screen : screens) {
        for (int width = 1; width <= 640; ++width) {
            for (int height = 1; height <= 480; ++height) {
                const Destination fit = ProportionalDestination(screen[0], screen[1], width, height);
                Add(std::uint64_t(std::uint32_t(fit.x)) << 32 | std::uint32_t(fit.y));
                Add(std::uint64_t(std::uint32_t(fit.width)) << 32 | std::uint32_t(fit.height));
            }
        }
    }
    Print("choice, fit");
}

}  // namespace

int main()
{
    Gradients();
    Scaling();
    PictureChoiceAndFit();
}
