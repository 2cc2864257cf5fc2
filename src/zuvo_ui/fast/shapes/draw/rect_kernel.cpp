#include "rect_kernel.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "../../support/numeric.hpp"

namespace zuvo::draw {
namespace {

// The rounded box's signed distance from the offsets of a pixel centre
// beyond the box's half sizes (ax, ay) and the quadrant's radius r: inside
// the corner square an arc, elsewhere the nearer straight side.
inline double signed_distance(double ax, double ay, double r) noexcept {
    const double qx = ax + r, qy = ay + r;
    if (qx > 0.0 && qy > 0.0) return std::sqrt(qx * qx + qy * qy) - r;
    return std::max(ax, ay);
}

// True where signed_distance takes its straight-side branch: there it is a
// monotone function of ax, which is what lets a run be proven constant.
inline bool straight(double ax, double ay, double r) noexcept { return !(ax + r > 0.0 && ay + r > 0.0); }

inline float clamp01(float v) noexcept { return std::min(std::max(v, 0.0f), 1.0f); }

// The coverage of a signed distance, rounded once to single precision.
inline float coverage_of(double d) noexcept {
    return static_cast<float>(std::min(std::max(0.5 - d, 0.0), 1.0));
}

// How much of a pixel the box and the inset box cover (inner is 0 for a fill).
struct Coverage {
    float outer = 0, inner = 0;
    bool operator==(const Coverage&) const = default;
};

// How much of a pixel the ring and the inside paint.
struct Paint {
    float ring = 0, inside = 0;
    bool any() const noexcept { return ring > 0.0f || inside > 0.0f; }
};

// The box's geometry, shared by every pixel.
struct Frame {
    double cx, cy, hx, hy;  // centre and half sizes
    double width;           // 0: filled
    bool has_inside;

    explicit Frame(const RectPaint& p) noexcept
        : cx((p.x0 + p.x1) * 0.5), cy((p.y0 + p.y1) * 0.5), hx((p.x1 - p.x0) * 0.5),
          hy((p.y1 - p.y0) * 0.5), width(p.width), has_inside(p.has_inside) {}

    double ax(std::int32_t x) const noexcept { return std::fabs(static_cast<double>(x) + 0.5 - cx) - hx; }
    double ay(std::int32_t y) const noexcept { return std::fabs(static_cast<double>(y) + 0.5 - cy) - hy; }
    bool left(std::int32_t x) const noexcept { return static_cast<double>(x) + 0.5 < cx; }
    bool top(std::int32_t y) const noexcept { return static_cast<double>(y) + 0.5 < cy; }

    Coverage coverage(double ax, double ay, double r) const noexcept {
        const float outer = coverage_of(signed_distance(ax, ay, r));
        if (width == 0.0) return {outer, 0.0f};
        return {outer, coverage_of(signed_distance(ax + width, ay + width, std::max(r - width, 0.0)))};
    }
    Paint paint(Coverage c) const noexcept {
        return {clamp01(c.outer - c.inner), has_inside ? c.inner : 0.0f};
    }
    // Whether both distances take their straight branches at (ax, ay).
    bool straight_at(double ax, double ay, double r) const noexcept {
        return straight(ax, ay, r) &&
               (width == 0.0 || straight(ax + width, ay + width, std::max(r - width, 0.0)));
    }
};

inline std::uint8_t to_byte(float v) noexcept {
    return static_cast<std::uint8_t>(std::min(std::max(v, 0.0f), 255.0f) + 0.5f);
}

// The colours as the pixel rule uses them.
struct Shade {
    Colour ring, inside;
    float ring_alpha, inside_alpha;  // alpha / 255
    bool blend;

    explicit Shade(const RectPaint& p) noexcept
        : ring(p.ring), inside(p.inside), ring_alpha(p.ring.a / 255.0f),
          inside_alpha(p.inside.a / 255.0f), blend(p.blend) {}
};

// Writes one pixel painted by `c` (which paints something).
inline void put(std::uint8_t* pixel, const PixelRows& px, const Shade& s, Paint c) noexcept {
    const std::int32_t channel[3] = {px.red, px.green, px.blue};
    const float ring_rgb[3] = {s.ring.r, s.ring.g, s.ring.b};
    const float inside_rgb[3] = {s.inside.r, s.inside.g, s.inside.b};
    if (s.blend) {
        // "Over", straight alpha: the source is premultiplied by its coverage.
        const float ra = c.ring * s.ring_alpha, ia = c.inside * s.inside_alpha;
        const float sa = ra + ia;
        if (!(sa > 0.0f)) return;
        float keep = 1.0f - sa;  // how much of the old colour stays
        float out_alpha = 1.0f;
        if (px.alpha >= 0) {
            keep *= pixel[px.alpha] / 255.0f;
            out_alpha = sa + keep;
            pixel[px.alpha] = to_byte(out_alpha * 255.0f);
        }
        for (int i = 0; i < 3; ++i) {
            const float source = ring_rgb[i] * ra + inside_rgb[i] * ia;
            pixel[channel[i]] = to_byte((source + pixel[channel[i]] * keep) / out_alpha);
        }
    } else {
        // Every channel moves from the old value to the colour by the coverage.
        const float cov = std::min(c.ring + c.inside, 1.0f);
        const auto target = [&](float ring_value, float inside_value) {
            if (c.inside == 0.0f) return ring_value;
            if (c.ring == 0.0f) return inside_value;
            return (ring_value * c.ring + inside_value * c.inside) / (c.ring + c.inside);
        };
        for (int i = 0; i < 3; ++i) {
            const float old = pixel[channel[i]];
            pixel[channel[i]] = to_byte(old + (target(ring_rgb[i], inside_rgb[i]) - old) * cov);
        }
        if (px.alpha >= 0) {
            const float old = pixel[px.alpha];
            pixel[px.alpha] = to_byte(old + (target(s.ring.a, s.inside.a) - old) * cov);
        }
    }
    if (px.unused >= 0) pixel[px.unused] = 0;
}

// True when `put` with `c` writes the same bytes whatever the pixel held.
bool ignores_old_pixel(const Shade& s, Paint c) noexcept {
    if (s.blend) return c.ring * s.ring_alpha + c.inside * s.inside_alpha == 1.0f;
    return c.ring + c.inside >= 1.0f && (c.ring == 0.0f || c.inside == 0.0f);
}

// `count` pixels from `p` set to the bytes of `one`.
void fill_pixels(std::uint8_t* p, std::int32_t count, const std::uint8_t* one, std::int32_t bytes) noexcept {
    if (bytes == 4) {
        std::uint32_t word;
        std::memcpy(&word, one, 4);
        for (std::int32_t i = 0; i < count; ++i) std::memcpy(p + 4 * static_cast<std::ptrdiff_t>(i), &word, 4);
    } else {
        for (std::int32_t i = 0; i < count; ++i) std::memcpy(p + 3 * static_cast<std::ptrdiff_t>(i), one, 3);
    }
}

inline std::uint8_t* pixel_at(const PixelRows& px, std::int32_t x, std::int32_t y) noexcept {
    return px.base + y * px.pitch + static_cast<std::ptrdiff_t>(x) * px.bytes_per_pixel;
}

void grow(PixelBox& box, std::int32_t x0, std::int32_t x1, std::int32_t y) noexcept {
    if (x0 >= x1) return;
    if (box.empty()) {
        box = {x0, y, x1, y + 1};
        return;
    }
    box.x0 = std::min(box.x0, x0);
    box.x1 = std::max(box.x1, x1);
    box.y1 = y + 1;
}

// Columns [begin, end) of one row that share a quadrant, walked from the
// box's edge toward its centre (`step` is +1 on the left half, -1 on the
// right): ax never increases along the walk.
struct HalfRow {
    std::int32_t from, to, step;  // to is one past the last column walked
};

std::int32_t floor_clamped(double v, std::int32_t lo, std::int32_t hi) noexcept {
    return std::clamp(trunc_to_int32(std::floor(v)), lo, hi);
}

std::int32_t ceil_clamped(double v, std::int32_t lo, std::int32_t hi) noexcept {
    return std::clamp(trunc_to_int32(std::ceil(v)), lo, hi);
}

// The first column of [lo, hi) whose centre is not left of the box centre.
std::int32_t middle_column(const Frame& f, std::int32_t lo, std::int32_t hi) noexcept {
    std::int32_t m = ceil_clamped(f.cx - 0.5, lo, hi);
    while (m > lo && !f.left(m - 1)) --m;
    while (m < hi && f.left(m)) ++m;
    return m;
}

}  // namespace

PixelBox candidate_pixels(const RectPaint& p, PixelBox clip) noexcept {
    if (clip.empty()) return {};
    return {floor_clamped(p.x0, clip.x0, clip.x1), floor_clamped(p.y0, clip.y0, clip.y1),
            ceil_clamped(p.x1, clip.x0, clip.x1), ceil_clamped(p.y1, clip.y0, clip.y1)};
}

PixelBox draw_rect_plain(const PixelRows& px, const RectPaint& paint, PixelBox clip) noexcept {
    const Frame f(paint);
    const Shade shade(paint);
    const PixelBox box = candidate_pixels(paint, clip);
    PixelBox drawn;
    for (std::int32_t y = box.y0; y < box.y1; ++y) {
        const double ay = f.ay(y);
        const bool top = f.top(y);
        std::int32_t first = box.x1, last = box.x0;
        for (std::int32_t x = box.x0; x < box.x1; ++x) {
            const bool left = f.left(x);
            const double r = paint.radius[top ? (left ? 0 : 1) : (left ? 3 : 2)];
            const Paint c = f.paint(f.coverage(f.ax(x), ay, r));
            if (!c.any()) continue;
            put(pixel_at(px, x, y), px, shade, c);
            first = std::min(first, x);
            last = x + 1;
        }
        grow(drawn, first, last, y);
    }
    return drawn;
}

PixelBox draw_rect(const PixelRows& px, const RectPaint& paint, PixelBox clip) noexcept {
    const Frame f(paint);
    const Shade shade(paint);
    const PixelBox box = candidate_pixels(paint, clip);
    PixelBox drawn;
    if (box.empty()) return drawn;
    const std::int32_t middle = middle_column(f, box.x0, box.x1);
    for (std::int32_t y = box.y0; y < box.y1; ++y) {
        const double ay = f.ay(y);
        const bool top = f.top(y);
        std::int32_t first = box.x1, last = box.x0;
        const HalfRow halves[2] = {{box.x0, middle, 1}, {box.x1 - 1, middle - 1, -1}};
        for (int side = 0; side < 2; ++side) {
            const HalfRow h = halves[side];
            const double r = paint.radius[top ? (side == 0 ? 0 : 1) : (side == 0 ? 3 : 2)];
            const auto covered = [&](std::int32_t a, std::int32_t b) {  // columns a..b inclusive
                first = std::min({first, a, b});
                last = std::max({last, a + 1, b + 1});
            };
            for (std::int32_t x = h.from; x != h.to;) {
                const double ax = f.ax(x);
                const Coverage cov = f.coverage(ax, ay, r);
                const Paint c = f.paint(cov);
                if (cov.outer != 1.0f || (cov.inner != 0.0f && cov.inner != 1.0f) ||
                    !f.straight_at(ax, ay, r)) {
                    if (c.any()) {
                        put(pixel_at(px, x, y), px, shade, c);
                        covered(x, x);
                    }
                    x += h.step;
                    continue;
                }
                // From here to the centre both distances are straight, so
                // neither coverage falls along the walk: the box's stays 1,
                // and the inset box's stays 0 over a run from x (or 1 to the
                // end).  The run is found by bisection.
                std::int32_t same = 0, beyond = (h.to - x) * h.step;  // run length bounds
                while (beyond - same > 1) {
                    const std::int32_t mid = same + (beyond - same) / 2;
                    if (f.coverage(f.ax(x + mid * h.step), ay, r) == cov) {
                        same = mid;
                    } else {
                        beyond = mid;
                    }
                }
                const std::int32_t end = x + (same + 1) * h.step;
                if (c.any()) {
                    const std::int32_t lo = std::min(x, end - h.step), hi = std::max(x, end - h.step);
                    std::uint8_t* p = pixel_at(px, lo, y);
                    if (ignores_old_pixel(shade, c)) {
                        std::uint8_t one[4];
                        std::memcpy(one, p, static_cast<std::size_t>(px.bytes_per_pixel));
                        put(one, px, shade, c);
                        fill_pixels(p, hi - lo + 1, one, px.bytes_per_pixel);
                    } else {
                        for (std::int32_t i = lo; i <= hi; ++i, p += px.bytes_per_pixel) {
                            put(p, px, shade, c);
                        }
                    }
                    covered(lo, hi);
                }
                x = end;
            }
        }
        grow(drawn, first, last, y);
    }
    return drawn;
}

}  // namespace zuvo::draw
