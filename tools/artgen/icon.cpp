// Draws the icon motif with 8x8 supersampling and packs the sizes into one .ico file.
#include "icon.h"

#include <cmath>

#include "dib_bytes.h"
#include "image.h"
#include "supersample.h"

namespace {

constexpr int kSizes[] = {48, 32, 16};
constexpr int kSubsamples = 8;

// Signed distance to a rounded square filling the unit square (negative inside).
float RoundedSquareDistance(float u, float v, float radius)
{
    float qx = std::fabs(u - 0.5f) - (0.5f - radius), qy = std::fabs(v - 0.5f) - (0.5f - radius);
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

Rgb Sky(float v, float horizon)
{
    return Ramp({{0.0f, Hex(0x3558a0)}, {0.5f, Hex(0x9168ac)}, {0.8f, Hex(0xec8262)}, {1.0f, Hex(0xfbc46c)}},
                v / horizon);
}

bool InsideSun(float u, float v)
{
    return std::hypot(u - 0.64f, v - 0.47f) < 0.16f;
}

float FarRidge(float u)
{
    return 0.40f + 0.95f * std::fabs(u - 0.80f);
}
float NearRidge(float u)
{
    return 0.29f + 1.15f * std::fabs(u - 0.33f);
}

// The landscape inside the frame; detail that would only blur away is left out at 16 pixels.
Rgb Landscape(float u, float v, int size)
{
    const float horizon = 0.62f;
    if (v >= horizon) {
        Rgb water = Mix(Hex(0x1f4a78), Hex(0x0e2442), (v - horizon) / (1.0f - horizon));
        float wave = 0.85f + 0.025f * std::sin(u * 12.566f);
        if (size > 16 && std::fabs(v - wave) < 0.028f) water = Mix(water, Hex(0x86bde3), 0.85f);
        float depth = v - horizon;
        float glitterHalfWidth = 0.13f - 0.35f * depth;
        bool glitterRow = std::fmod(depth, 0.08f) < 0.04f;
        if (glitterRow && std::fabs(u - 0.64f) < glitterHalfWidth) water = Mix(water, Hex(0xffd27a), 0.9f);
        return water;
    }
    if (v > NearRidge(u)) {
        bool snow = size > 16 && v < 0.39f + 0.02f * std::sin(u * 60.0f);
        return snow ? Hex(0xe6e2f0) : Hex(0x1f1a3a);
    }
    if (v > FarRidge(u)) return Hex(0x4b3d70);
    if (InsideSun(u, v)) return Mix(Hex(0xfff3c4), Hex(0xffbf55), std::hypot(u - 0.64f, v - 0.47f) / 0.16f);
    return Sky(v, horizon);
}

Layer IconPaint(float u, float v, int size)
{
    const float pixel = 1.0f / float(size);
    const float radius = 0.2f;
    float d = RoundedSquareDistance(u, v, radius);
    if (d > 0.0f) return {Rgb{}, 0.0f};
    const float outline = std::max(pixel, 0.03f);
    if (d > -outline) return {Hex(0x141a2e), 1.0f};
    const float rim = size >= 32 ? 1.5f * pixel : 0.0f;
    if (d > -outline - rim) return {Mix(Hex(0xf1f5fa), Hex(0x9fb0c6), v), 1.0f};
    return {Landscape(u, v, size), 1.0f};
}

// Straight (non-premultiplied) BGRA rows, top row first.
std::vector<uint8_t> DrawIcon(int size)
{
    std::vector<uint8_t> bgra(size_t(size) * size * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Layer sum = SumLayers(x, y, kSubsamples, [size](float px, float py) {
                return IconPaint(px / size, py / size, size);
            });
            float alpha = sum.alpha / float(kSubsamples * kSubsamples);
            Rgb colour = alpha > 0.0f ? sum.colour * (1.0f / (alpha * kSubsamples * kSubsamples)) : Rgb{};
            uint8_t* out = &bgra[(size_t(y) * size + x) * 4];
            out[0] = ToByte(colour.b);
            out[1] = ToByte(colour.g);
            out[2] = ToByte(colour.r);
            out[3] = ToByte(alpha);
        }
    }
    return bgra;
}

// BITMAPINFOHEADER (double height: colour rows, then mask rows), bottom-up colours, AND mask.
std::vector<uint8_t> IconImage(int size)
{
    std::vector<uint8_t> bgra = DrawIcon(size);
    size_t maskStride = RowBytes(size, 1);
    std::vector<uint8_t> out;
    PutInfoHeader(out, {size, size * 2, 32, 0, uint32_t(bgra.size() + maskStride * size), 0, 0});
    for (int y = size - 1; y >= 0; --y)
        out.insert(out.end(), bgra.begin() + long(size_t(y) * size * 4),
                   bgra.begin() + long(size_t(y + 1) * size * 4));
    for (int y = size - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < size; ++x)
            if (bgra[(size_t(y) * size + x) * 4 + 3] < 128) row[size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

std::vector<uint8_t> BuildIcon()
{
    const uint32_t count = sizeof kSizes / sizeof kSizes[0];
    std::vector<std::vector<uint8_t>> images;
    for (int size : kSizes) images.push_back(IconImage(size));

    std::vector<uint8_t> out;
    Put16(out, 0);  // reserved
    Put16(out, 1);  // icon, not cursor
    Put16(out, count);
    uint32_t offset = 6 + 16 * count;
    for (uint32_t i = 0; i < count; ++i) {
        out.push_back(uint8_t(kSizes[i] % 256));  // 256 would be written as 0
        out.push_back(uint8_t(kSizes[i] % 256));
        out.push_back(0);  // no colour table
        out.push_back(0);
        Put16(out, 1);   // planes
        Put16(out, 32);  // bits per pixel
        Put32(out, uint32_t(images[i].size()));
        Put32(out, offset);
        offset += uint32_t(images[i].size());
    }
    for (const std::vector<uint8_t>& image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}
