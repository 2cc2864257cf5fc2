// The outline transform's rules for one pixel, in scalar form: the one copy
// of the scalar pixel arithmetic, used by the plain kernel, the portable
// evaluator and the run-filling driver.  The vector evaluators restate it
// lane by lane (simd/outline_transform.hpp) and are tested against it byte
// for byte.
//
// Never included by the instruction-set units: inline code they compiled with
// their own target flags could be picked by the linker for every caller.
// No Python.
#pragma once

// Inline code compiled for one instruction set must not reach the others.
#ifdef ZUVO_INSTRUCTION_SET_UNIT
#error "not for the instruction-set units: see simd/lanes.hpp"
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "../../../support/numeric.hpp"
#include "outline_transform_rows.hpp"
#include "outline_transform.hpp"

namespace zuvo::curvix::pixel {

constexpr float clamp01(float v) noexcept { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

// The transform's constants in the form the evaluators take them.
inline OutlineTransformConstants constants_of(const OutlineTransformShape& s) noexcept {
    OutlineTransformConstants k{};
    k.center_x = s.center_x;
    k.box_half_w = s.box_half_w;
    k.cutoff = s.cutoff;
    // The largest float not above half_width + 0.5 (in double precision), so
    // that comparing a float with it is comparing its double with the sum.
    float beyond = narrow_to_float(s.cutoff_exact);
    if (static_cast<double>(beyond) > s.cutoff_exact) {
        beyond = std::nextafter(beyond, -std::numeric_limits<float>::infinity());
    }
    k.beyond = beyond;
    k.half_width = s.half_width;
    k.stroke_alpha_mult = s.stroke_alpha_mult;
    k.bg_alpha_mult = s.bg_alpha_mult;
    k.stroke_r = s.stroke.r;
    k.stroke_g = s.stroke.g;
    k.stroke_b = s.stroke.b;
    k.bg_r = s.bg.r;
    k.bg_g = s.bg.g;
    k.bg_b = s.bg.b;
    k.stroke_r8 = s.stroke.r;
    k.stroke_g8 = s.stroke.g;
    k.stroke_b8 = s.stroke.b;
    k.alpha_base8 = low8(s.alpha_base);
    k.has_bg = s.has_bg;
    return k;
}

// The two halves of row y: columns up to the centre take the left corner's
// radius, the others the right one's; the middle row of an odd height
// belongs to the top corners.
struct Row {
    OutlineHalfRow left, right;
};

inline Row row_of(const OutlineTransformShape& s, std::int32_t y) noexcept {
    const float py = static_cast<float>(y);
    const bool bottom = py - s.center_y > 0.0f;
    const float qy_base = std::fabs(py - s.center_y) - s.box_half_h;
    const auto half = [&](float radius) {
        const float qy = qy_base + radius;
        const float qy_out = max0(qy);
        return OutlineHalfRow{y, radius, qy, qy_out * qy_out, radius + s.half_width};
    };
    return {half(bottom ? s.radii.bottom_left : s.radii.top_left),
            half(bottom ? s.radii.bottom_right : s.radii.top_right)};
}

// Whether column x lies in the right half (the middle column of an odd width does not).
inline bool right_half(const OutlineTransformConstants& k, std::int32_t x) noexcept {
    return static_cast<float>(x) - k.center_x > 0.0f;
}

inline float qx_of(const OutlineTransformConstants& k, const OutlineHalfRow& row,
                   std::int32_t x) noexcept {
    return std::fabs(static_cast<float>(x) - k.center_x) - k.box_half_w + row.radius;
}

// The rounded-box signed distance of pixel x to the stroke's centre line,
// with the sum of squares fused, and the stroke's coverage sa.
struct Terms {
    float qx, signed_dist, sa, dist_sum;
};

inline Terms terms(const OutlineTransformConstants& k, const OutlineHalfRow& row,
                   std::int32_t x) noexcept {
    const float qx = qx_of(k, row, x);
    const float qx_out = max0(qx);
    const float dist_outside = std::sqrt(std::fma(qx_out, qx_out, row.qy_out_sq));
    const float dist_inside = std::min(std::max(qx, row.qy), 0.0f);
    const float dist_sum = dist_inside + dist_outside;
    const float signed_dist = dist_sum - row.radius;
    const float sa = clamp01(k.cutoff - std::fabs(signed_dist)) * k.stroke_alpha_mult;
    return {qx, signed_dist, sa, dist_sum};
}

// Beyond the stroke's outer ramp: the alpha becomes 0, the colour stays.
inline bool beyond(const OutlineTransformConstants& k, const Terms& t) noexcept {
    return t.signed_dist > k.beyond;
}

// sa + base * (1 - sa): the difference and the fused multiply-add in double
// precision, rounded once to single.
inline float over(float sa, float base) noexcept {
    const double inv_sa = 1.0 - static_cast<double>(sa);
    return narrow_to_float(std::fma(static_cast<double>(base), inv_sa, static_cast<double>(sa)));
}

// One channel of the non-premultiplied source-over blend: `under` (already
// multiplied by its alpha, in single precision) below, `top` (likewise) on top.
inline std::uint8_t blend_channel(float under, float top, float sa, float inv_total_a) noexcept {
    const double blended = static_cast<double>(under) * (1.0 - static_cast<double>(sa)) +
                           static_cast<double>(top);
    return low8_of_trunc(narrow_to_float(blended * static_cast<double>(inv_total_a)));
}

inline std::uint8_t alpha_of(float total_a) noexcept {
    return total_a >= 1.0f ? 255 : low8_of_trunc(static_cast<double>(total_a) * 255.0);
}

// What a pixel becomes: its alpha cleared, or all four channels written.
struct Result {
    bool clear;
    std::uint8_t r, g, b, a;
};

// The stroke of coverage `sa` over the background of coverage `ba_eff`.
inline Result over_background(const OutlineTransformConstants& k, float sa, float ba_eff) noexcept {
    const float total_a = over(sa, ba_eff);
    if (total_a <= 0.0f) return {true, 0, 0, 0, 0};
    const float inv_total_a = 1.0f / total_a;
    return {false, blend_channel(ba_eff * k.bg_r, sa * k.stroke_r, sa, inv_total_a),
            blend_channel(ba_eff * k.bg_g, sa * k.stroke_g, sa, inv_total_a),
            blend_channel(ba_eff * k.bg_b, sa * k.stroke_b, sa, inv_total_a), alpha_of(total_a)};
}

// The background's coverage: its ramp ends at the stroke's outer edge, half
// a pixel inside the point where the stroke's own ramp ends.
inline float background_coverage(const OutlineTransformConstants& k, const OutlineHalfRow& row,
                                 const Terms& t) noexcept {
    return clamp01(row.radius_plus_hw - t.dist_sum) * k.bg_alpha_mult;
}

enum class Written { nothing, alpha, all };

struct Cell {
    std::uint8_t &r, &g, &b, &a;

    Written clear() const noexcept {
        a = 0;
        return Written::alpha;
    }
    Written set(std::uint8_t r_, std::uint8_t g_, std::uint8_t b_, std::uint8_t a_) const noexcept {
        r = r_;
        g = g_;
        b = b_;
        a = a_;
        return Written::all;
    }
};

inline Written paint_over_content(const OutlineTransformConstants& k, Cell c,
                                  const Terms& t) noexcept {
    if (t.signed_dist < -k.beyond || t.sa <= 0.0f) return Written::nothing;
    if (t.signed_dist > 0.0f) {
        // The outer half replaces what is there: nothing under it shows outside.
        const std::uint8_t a =
            t.sa >= 1.0f ? k.alpha_base8 : low8_of_trunc(static_cast<double>(t.sa) * 255.0);
        return c.set(k.stroke_r8, k.stroke_g8, k.stroke_b8, a);
    }
    if (t.sa >= 1.0f) return c.set(k.stroke_r8, k.stroke_g8, k.stroke_b8, k.alpha_base8);
    const float orig_a = narrow_to_float(c.a / 255.0);
    const float total_a = over(t.sa, orig_a);
    if (total_a <= 0.0f) return c.clear();
    const float inv_total_a = 1.0f / total_a;
    const float orig_r = c.r, orig_g = c.g, orig_b = c.b;
    return c.set(blend_channel(orig_r * orig_a, k.stroke_r * t.sa, t.sa, inv_total_a),
                 blend_channel(orig_g * orig_a, k.stroke_g * t.sa, t.sa, inv_total_a),
                 blend_channel(orig_b * orig_a, k.stroke_b * t.sa, t.sa, inv_total_a),
                 alpha_of(total_a));
}

// Applies the rules to pixel x of `row`; says which channels it wrote.
inline Written paint(const PixelPlanes& px, const OutlineTransformConstants& k,
                     const OutlineHalfRow& row, std::int32_t x, const Terms& t) noexcept {
    const std::int32_t y = row.y;
    const Cell c{px.red.at(x, y), px.green.at(x, y), px.blue.at(x, y), px.alpha.at(x, y)};
    if (beyond(k, t)) return c.clear();
    if (!k.has_bg) return paint_over_content(k, c, t);
    const Result r = over_background(k, t.sa, background_coverage(k, row, t));
    return r.clear ? c.clear() : c.set(r.r, r.g, r.b, r.a);
}

}  // namespace zuvo::curvix::pixel
