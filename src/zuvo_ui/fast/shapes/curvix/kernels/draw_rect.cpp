#include "draw_rect.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "../../../support/numeric.hpp"
#include "evaluators.hpp"
#include "opaque_blend.hpp"

namespace zuvo::draw {

bool PixelBox::empty() const noexcept { return x0 >= x1 || y0 >= y1; }

std::int32_t floor_clamped(double v, std::int32_t lo, std::int32_t hi) noexcept {
    return std::clamp(trunc_to_int32(std::floor(v)), lo, hi);
}

std::int32_t ceil_clamped(double v, std::int32_t lo, std::int32_t hi) noexcept {
    return std::clamp(trunc_to_int32(std::ceil(v)), lo, hi);
}

namespace {

// The rounded box's signed distance from the offsets of a pixel centre
// beyond the box's half sizes (ax, ay) and the quadrant's radius r: inside
// the corner square an arc, elsewhere the nearer straight side.
inline double signed_distance(double ax, double ay, double r) noexcept {
    const double qx = ax + r, qy = ay + r;
    if (qx > 0.0 && qy > 0.0) return std::sqrt(qx * qx + qy * qy) - r;
    return std::max(ax, ay);
}

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
    bool operator==(const Paint&) const = default;
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
    // Whether row offset ay lies in a band of the quadrants of radius r: both
    // distances take their straight branch at every column, and the row's
    // own offset can no longer lower a coverage below 1, so every coverage
    // is a function of the column alone (rows of a band are painted alike).
    bool band(double ay, double r) const noexcept {
        const bool outer = ay + r <= 0.0 && ay <= -0.5;
        if (width == 0.0) return outer;
        const double inset = ay + width;
        return outer && inset + std::max(r - width, 0.0) <= 0.0 && inset <= -0.5;
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

// The weights that blend a colour over the bytes of a pixel without per-pixel
// alpha: byte b becomes min((add[b] + old * keep[b]) >> 8, 255) (see
// draw_rect.hpp).  8-bit fixed point: the source premultiplied by its
// coverage and alpha, and what stays of the old colour, each rounded to
// 1/256, are within half a unit of the exact "over" together.
// False when the colour covers nothing (the pixel is left as it is).
bool opaque_weights(const PixelRows& px, const Shade& s, Paint c, OpaqueBlend& w) noexcept {
    const float ra = c.ring * s.ring_alpha, ia = c.inside * s.inside_alpha;
    const float sum = ra + ia;
    if (!(sum > 0.0f)) return false;
    const float sa = sum < 1.0f ? sum : 1.0f;
    // sa and the sources are finite and at least 0: the conversions round
    // to nearest (halves up) and stay in range.
    const auto fixed = [](float v) { return static_cast<std::uint32_t>(v * 256.0f + 0.5f); };
    const std::uint32_t keep = 256 - fixed(sa);
    w = OpaqueBlend{};
    const std::int32_t channel[3] = {px.red, px.green, px.blue};
    const float ring_rgb[3] = {s.ring.r, s.ring.g, s.ring.b};
    const float inside_rgb[3] = {s.inside.r, s.inside.g, s.inside.b};
    for (int i = 0; i < 3; ++i) {
        w.add[channel[i]] = fixed(ring_rgb[i] * ra + inside_rgb[i] * ia) + 128;
        w.keep[channel[i]] = keep;
    }
    // The unused byte: add and keep 0 write the 0 pygame writes there.
    return true;
}

// Writes one pixel painted by `c` (which paints something).
inline void put(std::uint8_t* pixel, const PixelRows& px, const Shade& s, Paint c) noexcept {
    const std::int32_t channel[3] = {px.red, px.green, px.blue};
    const float ring_rgb[3] = {s.ring.r, s.ring.g, s.ring.b};
    const float inside_rgb[3] = {s.inside.r, s.inside.g, s.inside.b};
    if (s.blend && px.alpha < 0) {
        OpaqueBlend w;
        if (opaque_weights(px, s, c, w)) blend_opaque_pixel(pixel, w, px.bytes_per_pixel);
        return;
    }
    if (s.blend) {
        // "Over", straight alpha: the source is premultiplied by its coverage.
        const float ra = c.ring * s.ring_alpha, ia = c.inside * s.inside_alpha;
        const float sa = ra + ia;
        if (!(sa > 0.0f)) return;
        const float keep = (1.0f - sa) * (pixel[px.alpha] / 255.0f);  // how much of the old colour stays
        const float out_alpha = sa + keep;
        pixel[px.alpha] = to_byte(out_alpha * 255.0f);
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
bool ignores_old_pixel(const PixelRows& px, const Shade& s, Paint c) noexcept {
    if (s.blend && px.alpha < 0) {
        OpaqueBlend w;
        return opaque_weights(px, s, c, w) && w.keep[px.red] == 0;
    }
    if (s.blend) return c.ring * s.ring_alpha + c.inside * s.inside_alpha == 1.0f;
    return c.ring + c.inside >= 1.0f && (c.ring == 0.0f || c.inside == 0.0f);
}

// `count` pixels of `bytes` (a constant, so that every copy has a constant
// size) from `p` set to the bytes of `one`: blocks of 16 pixels, the
// compiler's wide stores, then one pixel at a time.
template <std::size_t bytes>
void fill_pixels_of(std::uint8_t* p, std::int32_t count, const std::uint8_t* one) noexcept {
    const std::size_t n = static_cast<std::size_t>(count);
    std::size_t i = 0;
    if (n >= 16) {
        std::uint8_t block[16 * bytes];
        for (std::size_t b = 0; b < 16; ++b) std::memcpy(block + b * bytes, one, bytes);
        for (; i + 16 <= n; i += 16) std::memcpy(p + i * bytes, block, sizeof block);
    }
    for (; i < n; ++i) std::memcpy(p + i * bytes, one, bytes);
}

void fill_pixels(std::uint8_t* p, std::int32_t count, const std::uint8_t* one, std::int32_t bytes) noexcept {
    if (bytes == 4) {
        // One word stored again and again: the compiler's vector stores.
        std::uint32_t word;
        std::memcpy(&word, one, 4);
        for (std::int32_t i = 0; i < count; ++i) std::memcpy(p + 4 * static_cast<std::size_t>(i), &word, 4);
    } else {
        fill_pixels_of<3>(p, count, one);
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
    box.y0 = std::min(box.y0, y);
    box.y1 = std::max(box.y1, y + 1);
}

// Columns [begin, end) of one row that share a quadrant, walked from the
// box's edge toward its centre (`step` is +1 on the left half, -1 on the
// right): ax never increases along the walk.
struct HalfRow {
    std::int32_t from, to, step;  // to is one past the last column walked
};


// The first column of [lo, hi) whose centre is not left of the box centre.
std::int32_t middle_column(const Frame& f, std::int32_t lo, std::int32_t hi) noexcept {
    std::int32_t m = ceil_clamped(f.cx - 0.5, lo, hi);
    while (m > lo && !f.left(m - 1)) --m;
    while (m < hi && f.left(m)) ++m;
    return m;
}

// The first row of [lo, hi) whose centre is not above the box centre.
std::int32_t middle_row_of(const Frame& f, std::int32_t lo, std::int32_t hi) noexcept {
    std::int32_t m = ceil_clamped(f.cy - 0.5, lo, hi);
    while (m > lo && !f.top(m - 1)) --m;
    while (m < hi && f.top(m)) ++m;
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

void blend_over(std::uint8_t* pixel, const PixelRows& px, const Colour& colour,
                float coverage) noexcept {
    RectPaint paint;
    paint.ring = colour;
    put(pixel, px, Shade(paint), Paint{coverage, 0.0f});
}

void blend_over_each(std::uint8_t* p, std::int32_t count, const PixelRows& px, const Colour& colour,
                     const float* coverage) noexcept {
    RectPaint paint;
    paint.ring = colour;
    const Shade shade(paint);
    const auto bytes = static_cast<std::size_t>(px.bytes_per_pixel);
    std::uint8_t before[4] = {}, after[4] = {};
    float last = -1;
    for (std::int32_t i = 0; i < count; ++i, p += bytes) {
        if (coverage[i] == last && std::memcmp(p, before, bytes) == 0) {
            std::memcpy(p, after, bytes);
            continue;
        }
        std::memcpy(before, p, bytes);
        put(p, px, shade, Paint{coverage[i], 0.0f});
        std::memcpy(after, p, bytes);
        last = coverage[i];
    }
}

bool opaque_blend_of(const PixelRows& px, const Colour& colour, float coverage, OpaqueBlend& w) noexcept {
    RectPaint paint;
    paint.ring = colour;
    return opaque_weights(px, Shade(paint), Paint{coverage, 0.0f}, w);
}

void blend_opaque_run_plain(std::uint8_t* p, std::int32_t count, const OpaqueBlend& w) noexcept {
    for (std::int32_t i = 0; i < count; ++i, p += 4) blend_opaque_pixel(p, w, 4);
}

// Which byte of a 16-bit lane is its low half in memory.
constexpr int kLowByte = std::endian::native == std::endian::little ? 0 : 1;

void blend_opaque_each_plain(std::uint8_t* p, std::int32_t count, const LaneRow& w) noexcept {
    for (std::int32_t i = 0; i < count; ++i, p += 4) {
        OpaqueBlend one;
        for (int b = 0; b < 4; ++b) {
            const std::int32_t lane = 2 * i + b / 2;
            const bool low = b % 2 == kLowByte;
            one.add[b] = (low ? w.add_lo : w.add_hi)[lane];
            one.keep[b] = (low ? w.keep_lo : w.keep_hi)[lane];
        }
        blend_opaque_pixel(p, one, 4);
    }
}

OpaqueLanes opaque_lanes_of(const OpaqueBlend& w) noexcept {
    constexpr int low = kLowByte;
    OpaqueLanes l;
    for (int j = 0; j < 2; ++j) {
        const int lo = 2 * j + low, hi = 2 * j + 1 - low;
        l.add_lo[j] = static_cast<std::uint16_t>(w.add[lo]);
        l.keep_lo[j] = static_cast<std::uint16_t>(w.keep[lo]);
        l.add_hi[j] = static_cast<std::uint16_t>(w.add[hi]);
        l.keep_hi[j] = static_cast<std::uint16_t>(w.keep[hi]);
    }
    return l;
}

namespace {

// Pixels lo..hi (inclusive) of one row painted alike by `c`, and how: the
// same bytes whatever the pixels held (`one`), the same opaque blend (`w`),
// or `put` on each.
struct Step {
    enum class Kind : std::uint8_t { fill, blend, each };
    std::int32_t lo = 0, hi = 0;
    Paint c;
    Kind kind = Kind::each;
    std::uint8_t one[4] = {0, 0, 0, 0};
    OpaqueBlend w;
};

// The steps of a row of a band, kept to paint the band's other rows.
struct RowSteps {
    static constexpr int capacity = 32;
    Step step[capacity];
    int count = 0;
    bool complete = true;  // false once a step did not fit
    std::int32_t first = 0, last = 0;
    void restart() noexcept {
        count = 0;
        complete = true;
    }
    void add(const Step& s) noexcept {
        if (count < capacity) {
            step[count++] = s;
        } else {
            complete = false;
        }
    }
};

class RowPainter {
public:
    RowPainter(const PixelRows& px, const Shade& shade, const Blends& blends) noexcept
        : px_(px), shade_(shade), blends_(blends) {}

    // The step painting columns lo..hi with `c` (which paints something).
    // The last step prepared is kept: most steps paint what the one before did.
    Step prepare(std::int32_t lo, std::int32_t hi, Paint c) noexcept {
        if (!(prepared_ && last_.c == c)) {
            last_.c = c;
            last_.kind = Step::Kind::each;
            if (shade_.blend && px_.alpha < 0) {
                if (opaque_weights(px_, shade_, c, last_.w)) {
                    last_.kind = last_.w.keep[px_.red] == 0 ? Step::Kind::fill : Step::Kind::blend;
                    if (last_.kind == Step::Kind::fill) blend_opaque_pixel(last_.one, last_.w, px_.bytes_per_pixel);
                }
            } else if (ignores_old_pixel(px_, shade_, c)) {
                last_.kind = Step::Kind::fill;
                put(last_.one, px_, shade_, c);
            }
            prepared_ = true;
        }
        Step s = last_;
        s.lo = lo;
        s.hi = hi;
        return s;
    }

    void paint(std::int32_t y, const Step& s) const noexcept {
        std::uint8_t* p = pixel_at(px_, s.lo, y);
        const std::int32_t count = s.hi - s.lo + 1;
        const std::int32_t bytes = px_.bytes_per_pixel;
        switch (s.kind) {
            case Step::Kind::fill:
                fill_pixels(p, count, s.one, bytes);
                return;
            case Step::Kind::blend:
                if (bytes == 4 && count > 1 && fits_sixteen_bits(s.w)) {
                    blends_.run(p, count, s.w);
                } else {
                    for (std::int32_t i = 0; i < count; ++i, p += bytes) blend_opaque_pixel(p, s.w, bytes);
                }
                return;
            case Step::Kind::each:
                // One colour at one coverage over pixels with per-pixel
                // alpha: blends.over takes a row of coverages.
                if (bytes == 4 && shade_.blend && px_.alpha >= 0 && (s.c.inside == 0.0f || s.c.ring == 0.0f)) {
                    const bool ring = s.c.inside == 0.0f;
                    float coverage[64];
                    std::fill(coverage, coverage + 64, ring ? s.c.ring : s.c.inside);
                    for (std::int32_t done = 0; done < count; done += 64) {
                        blends_.over(p + 4 * done, std::min(count - done, 64), px_, ring ? shade_.ring : shade_.inside,
                                     coverage);
                    }
                    return;
                }
                for (std::int32_t i = 0; i < count; ++i, p += bytes) put(p, px_, shade_, s.c);
                return;
        }
    }

private:
    const PixelRows& px_;
    const Shade& shade_;
    const Blends& blends_;
    Step last_;
    bool prepared_ = false;
};

}  // namespace

PixelBox draw_rect(const PixelRows& px, const RectPaint& paint, PixelBox clip, const Blends& blends) noexcept {
    const Frame f(paint);
    const Shade shade(paint);
    // The runs and the mirrored rows write in another order than the plain
    // form, so they need rows that do not overlap and whole pixels.
    if ((px.bytes_per_pixel != 3 && px.bytes_per_pixel != 4) ||
        px.pitch < static_cast<std::ptrdiff_t>(px.width) * px.bytes_per_pixel) {
        return draw_rect_plain(px, paint, clip);
    }
    RowPainter painter(px, shade, blends);
    const PixelBox box = candidate_pixels(paint, clip);
    PixelBox drawn;
    if (box.empty()) return drawn;
    const std::int32_t middle = middle_column(f, box.x0, box.x1);
    // Columns x and mirror - x have the same ax to the bit when the box's
    // centre is halfway between them: x + 0.5 - cx and mirror - x + 0.5 - cx
    // are then exact negatives (every operand is exact below 2^40), and
    // rounding keeps their magnitudes equal.  With equal halves and equal
    // radii a row's right half is then painted as its left half mirrored.
    const std::int64_t mirror = std::int64_t{box.x0} + box.x1 - 1;
    const bool mirrored_columns = middle - box.x0 == box.x1 - middle && std::fabs(f.cx) < 0x1p40 &&
                                  static_cast<double>(mirror) == 2.0 * f.cx - 1.0;
    RowSteps bands[2];  // the top half's band, the bottom half's
    bool known[2] = {false, false};
    RowSteps steps;  // the row being walked
    struct ArcPrefixes {
        std::int32_t outer = -1, inner = -1;  // -1: not found yet
    };
    ArcPrefixes arcs[4];  // by quadrant, clockwise from the top-left
    // Paints row y; returns its steps (complete, or not all kept).
    const auto row = [&](std::int32_t y) -> const RowSteps& {
        const double ay = f.ay(y);
        const bool top = f.top(y);
        const double radius[2] = {paint.radius[top ? 0 : 3], paint.radius[top ? 1 : 2]};
        const int half = top ? 0 : 1;
        const bool band = f.band(ay, radius[0]) && f.band(ay, radius[1]);
        if (band && known[half]) {
            const RowSteps& steps = bands[half];
            for (int i = 0; i < steps.count; ++i) painter.paint(y, steps.step[i]);
            grow(drawn, steps.first, steps.last, y);
            return steps;
        }
        steps.restart();
        std::int32_t first = box.x1, last = box.x0;
        // Steps are painted once the next one does not continue them.
        Step pending;
        bool has_pending = false;
        const auto flush = [&] {
            if (!has_pending) return;
            painter.paint(y, pending);
            steps.add(pending);
            first = std::min(first, pending.lo);
            last = std::max(last, pending.hi + 1);
            has_pending = false;
        };
        const auto emit = [&](std::int32_t a, std::int32_t b, Paint c) {  // columns a..b, any order
            const std::int32_t lo = std::min(a, b), hi = std::max(a, b);
            if (has_pending && pending.c == c && (pending.hi + 1 == lo || hi + 1 == pending.lo)) {
                pending.lo = std::min(pending.lo, lo);
                pending.hi = std::max(pending.hi, hi);
                return;
            }
            flush();
            pending = painter.prepare(lo, hi, c);
            has_pending = true;
        };
        const HalfRow halves[2] = {{box.x0, middle, 1}, {box.x1 - 1, middle - 1, -1}};
        for (int side = 0; side < 2; ++side) {
            if (side == 1 && mirrored_columns && radius[0] == radius[1] && steps.complete) {
                const int left_steps = steps.count;  // all of the left half's
                for (int k = 0; k < left_steps; ++k) {
                    Step m = steps.step[k];
                    m.lo = static_cast<std::int32_t>(mirror - steps.step[k].hi);
                    m.hi = static_cast<std::int32_t>(mirror - steps.step[k].lo);
                    painter.paint(y, m);
                    steps.add(m);
                    first = std::min(first, m.lo);
                    last = std::max(last, m.hi + 1);
                }
                break;
            }
            const HalfRow h = halves[side];
            const double r = radius[side];
            const std::int32_t n = (h.to - h.from) * h.step;  // columns walked
            const auto column = [&](std::int32_t i) { return h.from + i * h.step; };
            const auto coverage = [&](std::int32_t i) { return f.coverage(f.ax(column(i)), ay, r); };
            // Along the walk ax never increases, so each distance leaves its
            // arc branch at most once: the walk is cut into at most three
            // pieces in which both take one branch each.  In such a piece
            // every operation of both distances is monotone, so neither
            // coverage falls, and the columns sharing a coverage pair with
            // the piece's first one are a prefix of it, found by bisection.
            // Where the walk leaves an arc depends on the column and radius
            // alone: found once per quadrant, by bisection.
            const int quadrant = top ? side : 3 - side;
            const auto arc_prefix = [&](auto on_arc) {  // columns before the first off the arc
                std::int32_t on = 0, off = n;
                if (n == 0 || !on_arc(column(0))) return 0;
                while (off - on > 1) {
                    const std::int32_t mid = on + (off - on) / 2;
                    (on_arc(column(mid)) ? on : off) = mid;
                }
                return off;
            };
            const double inner_r = std::max(r - f.width, 0.0);
            if (arcs[quadrant].outer < 0) {
                arcs[quadrant].outer = arc_prefix([&](std::int32_t x) { return f.ax(x) + r > 0.0; });
                arcs[quadrant].inner =
                    f.width != 0.0
                        ? arc_prefix([&](std::int32_t x) { return (f.ax(x) + f.width) + inner_r > 0.0; })
                        : 0;
            }
            const std::int32_t outer_arc = ay + r > 0.0 ? arcs[quadrant].outer : 0;
            const std::int32_t inner_arc =
                f.width != 0.0 && (ay + f.width) + inner_r > 0.0 ? arcs[quadrant].inner : 0;
            const std::int32_t cuts[4] = {0, std::min(outer_arc, inner_arc), std::max(outer_arc, inner_arc), n};
            for (int piece = 0; piece < 3; ++piece) {
                const std::int32_t end = cuts[piece + 1];
                std::int32_t i = cuts[piece];
                if (i >= end) continue;
                Coverage cov = coverage(i);
                while (i < end) {
                    // The run of cov: i..same; `beyond` is the first column known not in it.
                    std::int32_t same = i, beyond = end;
                    Coverage next{};
                    bool has_next = false;
                    if (i + 1 < end) {
                        next = coverage(i + 1);
                        if (next == cov) {
                            same = i + 1;
                            if (coverage(end - 1) == cov) {
                                same = end - 1;
                            } else {
                                beyond = end - 1;
                                while (beyond - same > 1) {
                                    const std::int32_t mid = same + (beyond - same) / 2;
                                    (coverage(mid) == cov ? same : beyond) = mid;
                                }
                            }
                        } else {
                            has_next = true;
                        }
                    }
                    const Paint c = f.paint(cov);
                    if (c.any()) emit(column(i), column(same), c);
                    i = same + 1;
                    if (i < end) cov = has_next ? next : coverage(i);
                }
            }
            flush();
        }
        grow(drawn, first, last, y);
        if (band && steps.complete) {
            RowSteps& kept = bands[half];
            std::copy(steps.step, steps.step + steps.count, kept.step);
            kept.count = steps.count;
            kept.first = first;
            kept.last = last;
            known[half] = true;
        }
        steps.first = first;
        steps.last = last;
        return steps;
    };
    // Rows y and y0 + y1 - 1 - y mirror each other as columns do (above);
    // with equal radii above and below, the lower row repeats the upper
    // one's steps.
    const std::int32_t middle_row = middle_row_of(f, box.y0, box.y1);
    const std::int64_t flip = std::int64_t{box.y0} + box.y1 - 1;
    const bool mirrored_rows = middle_row - box.y0 == box.y1 - middle_row && std::fabs(f.cy) < 0x1p40 &&
                               static_cast<double>(flip) == 2.0 * f.cy - 1.0 &&
                               paint.radius[0] == paint.radius[3] && paint.radius[1] == paint.radius[2];
    if (!mirrored_rows) {
        for (std::int32_t y = box.y0; y < box.y1; ++y) row(y);
        return drawn;
    }
    for (std::int32_t y = box.y0; y < middle_row; ++y) {
        const RowSteps& upper = row(y);
        const auto lower = static_cast<std::int32_t>(flip - y);
        if (!upper.complete) {
            row(lower);
            continue;
        }
        for (int i = 0; i < upper.count; ++i) painter.paint(lower, upper.step[i]);
        grow(drawn, upper.first, upper.last, lower);
    }
    return drawn;
}

const Blends& best_blends() noexcept {
    static const Blends best = [] {
        const curvix::Evaluators& e = curvix::evaluators_of(curvix::best_kernel_path());
        return Blends{e.draw_blend_run ? e.draw_blend_run : blend_opaque_run_plain,
                      e.draw_blend_each ? e.draw_blend_each : blend_opaque_each_plain,
                      e.draw_blend_over ? e.draw_blend_over : blend_over_each};
    }();
    return best;
}

PixelBox draw_rect(const PixelRows& px, const RectPaint& paint, PixelBox clip) noexcept {
    return draw_rect(px, paint, clip, best_blends());
}

}  // namespace zuvo::draw
