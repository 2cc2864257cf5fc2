#include "outline_transform.hpp"

#include <algorithm>
#include <cmath>

#include "../../../support/numeric.hpp"

namespace zuvo::curvix {

OutlineTransform make_outline_transform(std::int32_t w, std::int32_t h, CornerRadii radii,
                                        float stroke_width, Rgb stroke, std::int32_t alpha_base,
                                        bool has_bg, Rgb bg, std::int32_t bg_alpha) noexcept {
    OutlineTransform s;
    s.w = w;
    s.h = h;
    s.half_width = 0.5f * stroke_width;
    // The given radius is not clamped at 0 before the subtraction, nor to the box.
    const auto centre_line = [&s](float r) { return max0(r - s.half_width); };
    s.radii = {centre_line(radii.top_left), centre_line(radii.top_right),
               centre_line(radii.bottom_right), centre_line(radii.bottom_left)};
    s.cutoff = s.half_width + 0.5f;
    s.cutoff_exact = static_cast<double>(s.half_width) + 0.5;
    s.box_half_w = (static_cast<float>(w) - stroke_width) * 0.5f;
    s.box_half_h = (static_cast<float>(h) - stroke_width) * 0.5f;
    s.center_x = narrow_to_float((static_cast<double>(w) - 1.0) * 0.5);
    s.center_y = narrow_to_float((static_cast<double>(h) - 1.0) * 0.5);
    s.stroke = stroke;
    s.alpha_base = alpha_base;
    s.stroke_alpha_mult = narrow_to_float(alpha_base / 255.0);
    s.has_bg = has_bg;
    if (has_bg) {
        s.bg = bg;
        s.bg_alpha_mult = bg_alpha < 0 ? 1.0f : narrow_to_float(bg_alpha / 255.0);
    }
    return s;
}

namespace {

constexpr float clamp01(float v) noexcept { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

// sa + base * (1 - sa): the difference and the fused multiply-add in double
// precision, rounded once to single.
float over(float sa, float base) noexcept {
    const double inv_sa = 1.0 - static_cast<double>(sa);
    return narrow_to_float(std::fma(static_cast<double>(base), inv_sa, static_cast<double>(sa)));
}

// One channel of the non-premultiplied source-over blend: `under` (already
// multiplied by its alpha, in single precision) below, `top` (likewise) on top.
std::uint8_t blend_channel(float under, float top, float sa, float inv_total_a) noexcept {
    const double blended = static_cast<double>(under) * (1.0 - static_cast<double>(sa)) +
                           static_cast<double>(top);
    return low8_of_trunc(narrow_to_float(blended * static_cast<double>(inv_total_a)));
}

std::uint8_t alpha_of(float total_a) noexcept {
    return total_a >= 1.0f ? 255 : low8_of_trunc(static_cast<double>(total_a) * 255.0);
}

struct Cell {
    std::uint8_t &r, &g, &b, &a;
};

void paint_with_background(const OutlineTransform& s, Cell c, float signed_dist, float sa,
                           float current_r, float dist_sum) noexcept {
    if (static_cast<double>(signed_dist) > s.cutoff_exact) {
        c.a = 0;
        return;
    }
    // The background's ramp ends at the stroke's outer edge, half a pixel
    // inside the point where the stroke's own ramp ends.
    const float ba_eff = clamp01((current_r + s.half_width) - dist_sum) * s.bg_alpha_mult;
    const float total_a = over(sa, ba_eff);
    if (total_a <= 0.0f) {
        c.a = 0;
        return;
    }
    const float inv_total_a = 1.0f / total_a;
    c.r = blend_channel(ba_eff * s.bg.r, sa * s.stroke.r, sa, inv_total_a);
    c.g = blend_channel(ba_eff * s.bg.g, sa * s.stroke.g, sa, inv_total_a);
    c.b = blend_channel(ba_eff * s.bg.b, sa * s.stroke.b, sa, inv_total_a);
    c.a = alpha_of(total_a);
}

void paint_stroke_colour(const OutlineTransform& s, Cell c) noexcept {
    c.r = s.stroke.r;
    c.g = s.stroke.g;
    c.b = s.stroke.b;
}

void paint_over_content(const OutlineTransform& s, Cell c, float signed_dist, float sa) noexcept {
    if (static_cast<double>(signed_dist) > s.cutoff_exact) {
        c.a = 0;
        return;
    }
    if (static_cast<double>(signed_dist) < -s.cutoff_exact || sa <= 0.0f) return;
    if (signed_dist > 0.0f) {
        // The outer half replaces what is there: nothing under it shows outside.
        paint_stroke_colour(s, c);
        c.a = sa >= 1.0f ? low8(s.alpha_base) : low8_of_trunc(static_cast<double>(sa) * 255.0);
        return;
    }
    if (sa >= 1.0f) {
        paint_stroke_colour(s, c);
        c.a = low8(s.alpha_base);
        return;
    }
    const float orig_a = narrow_to_float(c.a / 255.0);
    const float total_a = over(sa, orig_a);
    if (total_a <= 0.0f) {
        c.a = 0;
        return;
    }
    const float inv_total_a = 1.0f / total_a;
    const float orig_r = c.r, orig_g = c.g, orig_b = c.b;
    c.r = blend_channel(orig_r * orig_a, s.stroke.r * sa, sa, inv_total_a);
    c.g = blend_channel(orig_g * orig_a, s.stroke.g * sa, sa, inv_total_a);
    c.b = blend_channel(orig_b * orig_a, s.stroke.b * sa, sa, inv_total_a);
    c.a = alpha_of(total_a);
}

}  // namespace

void transform_outline_row(const PixelPlanes& px, const OutlineTransform& s,
                           std::int32_t y) noexcept {
    const float py = static_cast<float>(y);
    // The middle row of an odd height belongs to the top corners.
    const bool bottom = py - s.center_y > 0.0f;
    const float r_left = bottom ? s.radii.bottom_left : s.radii.top_left;
    const float r_right = bottom ? s.radii.bottom_right : s.radii.top_right;
    const float qy_base = std::fabs(py - s.center_y) - s.box_half_h;
    for (std::int32_t x = 0; x < s.w; ++x) {
        const float fx = static_cast<float>(x);
        const float current_r = fx - s.center_x > 0.0f ? r_right : r_left;
        const float qy = qy_base + current_r;
        const float qx = std::fabs(fx - s.center_x) - s.box_half_w + current_r;
        const float qx_out = max0(qx), qy_out = max0(qy);
        const float dist_outside = std::sqrt(std::fma(qx_out, qx_out, qy_out * qy_out));
        const float dist_inside = std::min(std::max(qx, qy), 0.0f);
        const float dist_sum = dist_inside + dist_outside;
        const float signed_dist = dist_sum - current_r;
        const float sa = clamp01(s.cutoff - std::fabs(signed_dist)) * s.stroke_alpha_mult;
        const Cell cell{px.red.at(x, y), px.green.at(x, y), px.blue.at(x, y), px.alpha.at(x, y)};
        if (s.has_bg) {
            paint_with_background(s, cell, signed_dist, sa, current_r, dist_sum);
        } else {
            paint_over_content(s, cell, signed_dist, sa);
        }
    }
}

void transform_outline(const PixelPlanes& px, const OutlineTransform& s) noexcept {
    for (std::int32_t y = 0; y < s.h; ++y) transform_outline_row(px, s, y);
}

}  // namespace zuvo::curvix
