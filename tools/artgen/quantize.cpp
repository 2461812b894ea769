// Palette choice (variance-minimising cuts, k-means polish) and serpentine error diffusion.
#include "quantize.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "colour_space.h"

namespace {

constexpr int kPaletteSize = 256;
constexpr int kKMeansRounds = 6;

// Pixels that fall into one 6-bit-per-channel cell, kept as their mean colour and count.
struct Bin {
    Lab mean;
    double weight = 0.0;
};

// A run of bins (by position in an order array) that will become one palette colour.
struct Box {
    int begin = 0;
    int end = 0;
    int axis = 0;
    int split = 0;
    double gain = 0.0;
};

float Component(const Lab& c, int axis)
{
    return axis == 0 ? c.l : axis == 1 ? c.a : c.b;
}

int CellOf(Rgb display)
{
    auto level = [](float v) { return int(Clamp01(v) * 63.0f + 0.5f); };
    return (level(display.r) << 12) | (level(display.g) << 6) | level(display.b);
}

std::vector<Bin> Histogram(const Image& image, const std::vector<Lab>& labs)
{
    struct Sum {
        double l = 0, a = 0, b = 0, weight = 0;
    };
    std::vector<Sum> cells(1 << 18);
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            const Lab& c = labs[size_t(y) * image.Width() + x];
            Sum& cell = cells[size_t(CellOf(image.At(x, y)))];
            cell.l += c.l;
            cell.a += c.a;
            cell.b += c.b;
            cell.weight += 1.0;
        }
    }
    // Counting each cell by the square root of its pixels leaves colours for small features such
    // as a sun's glow, which large smooth areas would otherwise claim; those dither well anyway.
    std::vector<Bin> bins;
    for (const Sum& cell : cells) {
        if (cell.weight == 0.0) continue;
        float n = float(cell.weight);
        bins.push_back({{float(cell.l) / n, float(cell.a) / n, float(cell.b) / n}, std::sqrt(cell.weight)});
    }
    return bins;
}

// Weighted squared error of a set of bins around its mean, from running sums.
struct Moments {
    double weight = 0, sum[3] = {0, 0, 0}, squares = 0;

    void Add(const Bin& bin)
    {
        weight += bin.weight;
        for (int axis = 0; axis < 3; ++axis) sum[axis] += bin.weight * Component(bin.mean, axis);
        squares += bin.weight * DistanceSquared(bin.mean, Lab{});
    }
    double Error() const
    {
        if (weight <= 0.0) return 0.0;
        return squares - (sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]) / weight;
    }
    // Only for a set that holds some weight.
    Lab Mean() const
    {
        float n = float(weight);
        return {float(sum[0]) / n, float(sum[1]) / n, float(sum[2]) / n};
    }
    Moments Minus(const Moments& part) const
    {
        Moments rest;
        rest.weight = weight - part.weight;
        for (int axis = 0; axis < 3; ++axis) rest.sum[axis] = sum[axis] - part.sum[axis];
        rest.squares = squares - part.squares;
        return rest;
    }
};

Moments MomentsOf(const Box& box, const std::vector<int>& order, const std::vector<Bin>& bins)
{
    Moments moments;
    for (int i = box.begin; i < box.end; ++i) moments.Add(bins[size_t(order[size_t(i)])]);
    return moments;
}

void SortByAxis(std::vector<int>& order, const Box& box, const std::vector<Bin>& bins, int axis)
{
    std::sort(order.begin() + box.begin, order.begin() + box.end, [&](int x, int y) {
        float cx = Component(bins[size_t(x)].mean, axis), cy = Component(bins[size_t(y)].mean, axis);
        return cx != cy ? cx < cy : x < y;
    });
}

// Finds the cut of the box that lowers the total error most; leaves the box sorted along it.
void PlanSplit(Box& box, std::vector<int>& order, const std::vector<Bin>& bins)
{
    box.gain = 0.0;
    if (box.end - box.begin < 2) return;
    const Moments whole = MomentsOf(box, order, bins);
    for (int axis = 0; axis < 3; ++axis) {
        SortByAxis(order, box, bins, axis);
        Moments left;
        for (int i = box.begin; i < box.end - 1; ++i) {
            left.Add(bins[size_t(order[size_t(i)])]);
            double gain = whole.Error() - left.Error() - whole.Minus(left).Error();
            if (gain > box.gain) {
                box.gain = gain;
                box.axis = axis;
                box.split = i + 1;
            }
        }
    }
    SortByAxis(order, box, bins, box.axis);
}

std::vector<Lab> CutIntoBoxes(const std::vector<Bin>& bins)
{
    std::vector<int> order(bins.size());
    std::iota(order.begin(), order.end(), 0);
    std::vector<Box> boxes(1);
    boxes[0].end = int(bins.size());
    PlanSplit(boxes[0], order, bins);
    while (int(boxes.size()) < kPaletteSize) {
        auto best = std::max_element(boxes.begin(), boxes.end(),
                                     [](const Box& x, const Box& y) { return x.gain < y.gain; });
        if (best->gain <= 0.0) break;
        Box upper = *best;
        upper.begin = best->split;
        best->end = best->split;
        PlanSplit(*best, order, bins);
        PlanSplit(upper, order, bins);
        boxes.push_back(upper);
    }
    std::vector<Lab> centres;
    for (const Box& box : boxes) centres.push_back(MomentsOf(box, order, bins).Mean());
    return centres;
}

// Nearest palette colour, searching outward from the closest lightness and stopping early.
class NearestColour {
public:
    explicit NearestColour(const std::vector<Lab>& colours) : colours_(colours), order_(colours.size())
    {
        std::iota(order_.begin(), order_.end(), 0);
        std::sort(order_.begin(), order_.end(), [&](int x, int y) {
            return colours_[size_t(x)].l != colours_[size_t(y)].l
                       ? colours_[size_t(x)].l < colours_[size_t(y)].l
                       : x < y;
        });
        for (int i : order_) lightness_.push_back(colours_[size_t(i)].l);
    }

    int Find(const Lab& c) const
    {
        int count = int(order_.size());
        int up = int(std::lower_bound(lightness_.begin(), lightness_.end(), c.l) - lightness_.begin());
        int down = up - 1;
        float best = 1e30f;
        int found = order_[size_t(std::min(up, count - 1))];
        auto consider = [&](int position) {
            float d = DistanceSquared(colours_[size_t(order_[size_t(position)])], c);
            if (d < best) {
                best = d;
                found = order_[size_t(position)];
            }
        };
        while (up < count || down >= 0) {
            if (up < count) {
                float dl = lightness_[size_t(up)] - c.l;
                if (dl * dl < best)
                    consider(up++);
                else
                    up = count;
            }
            if (down >= 0) {
                float dl = c.l - lightness_[size_t(down)];
                if (dl * dl < best)
                    consider(down--);
                else
                    down = -1;
            }
        }
        return found;
    }

private:
    std::vector<Lab> colours_;
    std::vector<int> order_;
    std::vector<float> lightness_;
};

void RefineByKMeans(std::vector<Lab>& centres, const std::vector<Bin>& bins)
{
    for (int round = 0; round < kKMeansRounds; ++round) {
        NearestColour nearest(centres);
        std::vector<Moments> clusters(centres.size());
        for (const Bin& bin : bins) clusters[size_t(nearest.Find(bin.mean))].Add(bin);
        for (size_t i = 0; i < centres.size(); ++i)
            if (clusters[i].weight > 0.0) centres[i] = clusters[i].Mean();
    }
}

PaletteColour ToPaletteColour(const Lab& c)
{
    Rgb display = FromLab(c);
    return {ToByte(display.r), ToByte(display.g), ToByte(display.b)};
}

Lab ToLab(const PaletteColour& c)
{
    return ToLab(Rgb{c.red / 255.0f, c.green / 255.0f, c.blue / 255.0f});
}

// Serpentine Floyd-Steinberg over any value type with +, - and scaling; nearest(v) returns
// the chosen index and the value it stands for.
template <class Value, class Nearest, class Limit>
std::vector<uint8_t> Diffuse(const std::vector<Value>& wanted, int width, int height, Nearest nearest,
                             Limit limit)
{
    std::vector<uint8_t> out(wanted.size());
    std::vector<Value> current(size_t(width) + 2), next(size_t(width) + 2);
    for (int y = 0; y < height; ++y) {
        int step = (y % 2 == 0) ? 1 : -1;
        for (int i = 0; i < width; ++i) {
            int x = step > 0 ? i : width - 1 - i;
            size_t at = size_t(x) + 1;
            Value target = limit(wanted[size_t(y) * width + x] + current[at]);
            Value shown{};
            out[size_t(y) * width + x] = nearest(target, shown);
            Value error = target - shown;
            current[at + step] = current[at + step] + error * (7.0f / 16.0f);
            next[at - step] = next[at - step] + error * (3.0f / 16.0f);
            next[at] = next[at] + error * (5.0f / 16.0f);
            next[at + step] = next[at + step] + error * (1.0f / 16.0f);
        }
        current.swap(next);
        std::fill(next.begin(), next.end(), Value{});
    }
    return out;
}

}  // namespace

IndexedPicture QuantizeToColours(const Image& image)
{
    std::vector<Lab> labs;
    labs.reserve(size_t(image.Width()) * image.Height());
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) labs.push_back(ToLab(image.At(x, y)));

    std::vector<Bin> bins = Histogram(image, labs);
    std::vector<Lab> centres = CutIntoBoxes(bins);
    RefineByKMeans(centres, bins);

    std::vector<PaletteColour> chosen;
    for (const Lab& c : centres) chosen.push_back(ToPaletteColour(c));
    std::sort(chosen.begin(), chosen.end(), [](const PaletteColour& x, const PaletteColour& y) {
        int bx = x.red * 2 + x.green * 5 + x.blue, by = y.red * 2 + y.green * 5 + y.blue;
        if (bx != by) return bx < by;
        return (x.red << 16 | x.green << 8 | x.blue) < (y.red << 16 | y.green << 8 | y.blue);
    });

    IndexedPicture picture;
    picture.width = image.Width();
    picture.height = image.Height();
    std::vector<Lab> shown;
    Lab low{1e9f, 1e9f, 1e9f}, high{-1e9f, -1e9f, -1e9f};
    for (size_t i = 0; i < chosen.size(); ++i) {
        picture.palette[i] = chosen[i];
        Lab c = ToLab(chosen[i]);
        shown.push_back(c);
        low = {std::min(low.l, c.l), std::min(low.a, c.a), std::min(low.b, c.b)};
        high = {std::max(high.l, c.l), std::max(high.a, c.a), std::max(high.b, c.b)};
    }

    NearestColour nearest(shown);
    picture.pixels = Diffuse(
        labs, image.Width(), image.Height(),
        [&](const Lab& target, Lab& result) {
            int index = nearest.Find(target);
            result = shown[size_t(index)];
            return uint8_t(index);
        },
        // Keeping the carried error inside the palette's range stops it piling up into streaks.
        [&](Lab c) {
            return Lab{std::clamp(c.l, low.l, high.l), std::clamp(c.a, low.a, high.a),
                       std::clamp(c.b, low.b, high.b)};
        });
    return picture;
}

IndexedPicture QuantizeToGreys(const Image& image)
{
    IndexedPicture picture;
    picture.width = image.Width();
    picture.height = image.Height();
    for (int i = 0; i < 256; ++i) picture.palette[size_t(i)] = {uint8_t(i), uint8_t(i), uint8_t(i)};

    std::vector<float> levels;
    levels.reserve(size_t(image.Width()) * image.Height());
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            levels.push_back(ToDisplay(LinearLuminance(image.At(x, y))) * 255.0f);

    picture.pixels = Diffuse(
        levels, image.Width(), image.Height(),
        [](float target, float& result) {
            int level = std::clamp(int(std::floor(target + 0.5f)), 0, 255);
            result = float(level);
            return uint8_t(level);
        },
        [](float v) { return std::clamp(v, 0.0f, 255.0f); });
    return picture;
}
