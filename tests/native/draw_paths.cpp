// The rounded-rectangle drawing kernel tested with no Python: the fast form
// against the plain one, byte for byte over whole buffers (padding and the
// pixels outside the clip included), on seeded random cases over every
// pixel layout the module draws on.  The plain form must also leave every
// byte outside the clip box and the unused padding as it was.
//
// Ends with the line "N passed, M failed"; exits with 1 on any failure.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "../../src/zuvo_ui/fast/shapes/draw/rect_kernel.hpp"

namespace {

using namespace zuvo::draw;
using Bytes = std::vector<std::uint8_t>;

class Rng {  // splitmix64
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    bool chance(double p) { return static_cast<double>(next() >> 11) * 0x1p-53 < p; }
    double uniform(double lo, double hi) {
        return lo + (hi - lo) * (static_cast<double>(next() >> 11) * 0x1p-53);
    }
    std::uint8_t byte() { return static_cast<std::uint8_t>(next() >> 56); }

private:
    std::uint64_t state_;
};

struct Layout {
    const char* name;
    std::int32_t bytes_per_pixel, red, green, blue, alpha, unused;
};

constexpr Layout kLayouts[] = {
    {"BGRA", 4, 2, 1, 0, 3, -1}, {"RGBA", 4, 0, 1, 2, 3, -1}, {"ARGB", 4, 1, 2, 3, 0, -1},
    {"BGRX", 4, 2, 1, 0, -1, 3}, {"XRGB", 4, 1, 2, 3, -1, 0}, {"BGR", 3, 2, 1, 0, -1, -1},
    {"RGB", 3, 0, 1, 2, -1, -1},
};

Colour random_colour(Rng& rng) {
    const auto channel = [&] { return static_cast<float>(rng.chance(0.2) ? 255 * rng.below(2) : rng.byte()); };
    return {channel(), channel(), channel(), channel()};
}

RectPaint random_paint(Rng& rng, std::int32_t w, std::int32_t h) {
    RectPaint p;
    const auto coordinate = [&](std::int32_t extent) {
        if (rng.chance(0.03)) return (rng.chance(0.5) ? -1 : 1) * std::pow(10.0, rng.uniform(4, 300));
        const double v = rng.uniform(-0.3 * extent, 1.3 * extent);
        return rng.chance(0.3) ? std::round(v) : v;
    };
    p.x0 = coordinate(w);
    p.x1 = coordinate(w);
    p.y0 = coordinate(h);
    p.y1 = coordinate(h);
    if (p.x0 > p.x1) std::swap(p.x0, p.x1);
    if (p.y0 > p.y1) std::swap(p.y0, p.y1);
    const double half = std::min(p.x1 - p.x0, p.y1 - p.y0) / 2;
    for (double& r : p.radius) {
        r = rng.chance(0.2) ? 0.0 : rng.uniform(0, half);
        if (rng.chance(0.1)) r = half;
    }
    if (rng.chance(0.6) && half > 0) {
        p.width = rng.uniform(0.05, half);
        if (rng.chance(0.3)) p.width = std::round(p.width) > 0 ? std::round(p.width) : p.width;
        if (!(p.width < half)) p.width = 0;
    }
    p.ring = random_colour(rng);
    p.inside = random_colour(rng);
    p.has_inside = p.width > 0 && rng.chance(0.5);
    p.blend = rng.chance(0.7);
    return p;
}

struct Report {
    int passed = 0, failed = 0;
    void check(bool ok, const char* what, int case_number) {
        if (ok) {
            ++passed;
            return;
        }
        ++failed;
        if (failed <= 10) std::printf("FAILED %s, case %d\n", what, case_number);
    }
};

}  // namespace

int main() {
    Report report;
    Rng rng(20261208);
    for (int n = 0; n < 6000; ++n) {
        const Layout& layout = kLayouts[rng.below(static_cast<int>(std::size(kLayouts)))];
        const std::int32_t w = 1 + rng.below(n % 10 == 0 ? 300 : 40);
        const std::int32_t h = 1 + rng.below(n % 10 == 0 ? 200 : 40);
        const std::int32_t pitch = w * layout.bytes_per_pixel + rng.below(9);
        Bytes before(static_cast<std::size_t>(pitch) * h);
        for (auto& b : before) b = rng.byte();
        PixelRows px{nullptr, w, h, pitch, layout.bytes_per_pixel, layout.red, layout.green,
                     layout.blue, layout.alpha, layout.unused};
        const RectPaint paint = random_paint(rng, w, h);
        PixelBox clip{0, 0, w, h};
        if (rng.chance(0.3)) {
            clip = {rng.below(w), rng.below(h), 0, 0};
            clip.x1 = clip.x0 + 1 + rng.below(w - clip.x0);
            clip.y1 = clip.y0 + 1 + rng.below(h - clip.y0);
        }
        Bytes plain = before, fast = before;
        px.base = plain.data();
        const PixelBox plain_box = draw_rect_plain(px, paint, clip);
        px.base = fast.data();
        const PixelBox fast_box = draw_rect(px, paint, clip);
        report.check(plain == fast, "fast form against the plain one", n);
        report.check(plain_box.x0 == fast_box.x0 && plain_box.x1 == fast_box.x1 &&
                         plain_box.y0 == fast_box.y0 && plain_box.y1 == fast_box.y1,
                     "drawn boxes", n);
        bool outside_kept = true;
        for (std::int32_t y = 0; y < h; ++y) {
            for (std::int32_t i = 0; i < pitch; ++i) {
                const std::int32_t x = i / layout.bytes_per_pixel;
                const bool inside = x < w && x >= clip.x0 && x < clip.x1 && y >= clip.y0 &&
                                    y < clip.y1 && x >= plain_box.x0 && x < plain_box.x1 &&
                                    y >= plain_box.y0 && y < plain_box.y1;
                const std::size_t at = static_cast<std::size_t>(y) * pitch + i;
                if (!inside && plain[at] != before[at]) outside_kept = false;
            }
        }
        report.check(outside_kept, "nothing outside the clip and the drawn box changes", n);
    }
    std::printf("%d passed, %d failed\n", report.passed, report.failed);
    return report.failed == 0 ? 0 : 1;
}
