// The pictures' random numbers: a small linear congruential generator giving 15-bit draws.
#pragma once

#include <cstdint>

// Each engine seeds its own generator once, so runs differ but a seed repeats exactly.
class Rand15 {
public:
    static constexpr int kMax = 0x7FFF;
    static constexpr int kMiddle = kMax / 2;  // 16383: draws from here on count as the upper half

    explicit Rand15(std::uint32_t seed = 1) : state_(seed) {}

    void Seed(std::uint32_t seed) { state_ = seed; }

    // Next draw in 0..32767; the state wraps modulo 2^32.
    int Next()
    {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & static_cast<std::uint32_t>(kMax));
    }

private:
    std::uint32_t state_;
};
