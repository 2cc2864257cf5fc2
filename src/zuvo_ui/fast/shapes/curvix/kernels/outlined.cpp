#include "outlined.hpp"

#include <algorithm>
#include <cmath>

#include "../../../support/numeric.hpp"

namespace zuvo::curvix {

OutlineShape make_outline_shape(std::int32_t w, std::int32_t h, std::int32_t radius, float width,
                                std::int32_t alpha_base, std::uint8_t r, std::uint8_t g,
                                std::uint8_t b) noexcept {
    OutlineShape s;
    s.w = w;
    s.h = h;
    s.r_val = radius;
    // Compared in 64 bits: doubling a radius near the int32 limit must not overflow.
    if (std::int64_t{s.r_val} * 2 > w) s.r_val = w / 2;
    if (std::int64_t{s.r_val} * 2 > h) s.r_val = h / 2;
    s.alpha_base = alpha_base;
    s.r = r;
    s.g = g;
    s.b = b;
    s.half_width = narrow_to_float(width * 0.5);
    s.center_radius = narrow_to_float(std::max(static_cast<double>(s.r_val) - s.half_width, 0.0));
    s.center_x = narrow_to_float((static_cast<double>(w) - 1.0) * 0.5);
    s.center_y = narrow_to_float((static_cast<double>(h) - 1.0) * 0.5);
    const float w_less_width = static_cast<float>(w) - width;
    const float h_less_width = static_cast<float>(h) - width;
    s.centerline_w = narrow_to_float((static_cast<double>(w_less_width) - 1.0) / 2.0 - s.center_radius);
    s.centerline_h = narrow_to_float((static_cast<double>(h_less_width) - 1.0) / 2.0 - s.center_radius);
    s.sw = trunc_to_int32(std::ceil(static_cast<double>(width)));
    s.cutoff = narrow_to_float(static_cast<double>(s.half_width) + 0.5);
    const std::int64_t box = std::min<std::int64_t>({std::int64_t{s.r_val} + s.sw, w / 2, h / 2});
    s.box_size = static_cast<std::int32_t>(box);
    return s;
}

namespace {

// A half-open range of rows or columns, clipped to [0, limit).
struct Span {
    std::int32_t begin, end;
};

Span clip(std::int64_t begin, std::int64_t end, std::int32_t limit) noexcept {
    const std::int64_t b = std::clamp<std::int64_t>(begin, 0, limit);
    const std::int64_t e = std::clamp<std::int64_t>(end, b, limit);
    return {static_cast<std::int32_t>(b), static_cast<std::int32_t>(e)};
}

void paint_band(const PixelPlanes& px, const OutlineShape& s, Span rows, Span cols) noexcept {
    const std::uint8_t a = low8(s.alpha_base);
    for (std::int32_t y = rows.begin; y < rows.end; ++y) {
        for (std::int32_t x = cols.begin; x < cols.end; ++x) {
            px.red.at(x, y) = s.r;
            px.green.at(x, y) = s.g;
            px.blue.at(x, y) = s.b;
            px.alpha.at(x, y) = a;
        }
    }
}

void paint_corner(const PixelPlanes& px, const OutlineShape& s, Span rows, Span cols) noexcept {
    const float alpha_base = static_cast<float>(s.alpha_base);
    for (std::int32_t y = rows.begin; y < rows.end; ++y) {
        const float dy = std::fabs(static_cast<float>(y) - s.center_y) - s.centerline_h;
        const float dy_out = std::max(dy, 0.0f);
        const float dy_sq = dy_out * dy_out;
        for (std::int32_t x = cols.begin; x < cols.end; ++x) {
            const float dx = std::fabs(static_cast<float>(x) - s.center_x) - s.centerline_w;
            const float dist = (dx > 0.0f && dy_out > 0.0f) ? std::sqrt(dx * dx + dy_sq)
                                                            : std::max(dx, dy_out);
            const float signed_dist = dist + std::min(std::max(dx, dy), 0.0f) - s.center_radius;
            const float dist_from_edge = std::fabs(signed_dist);
            if (dist_from_edge > s.cutoff) continue;
            const float alpha_f = s.half_width - dist_from_edge + 0.5f;
            if (alpha_f <= 0.0f) continue;
            px.red.at(x, y) = s.r;
            px.green.at(x, y) = s.g;
            px.blue.at(x, y) = s.b;
            px.alpha.at(x, y) =
                alpha_f >= 1.0f ? low8(s.alpha_base) : low8_of_trunc(alpha_f * alpha_base);
        }
    }
}

}  // namespace

void paint_outline_bands(const PixelPlanes& px, const OutlineShape& s) noexcept {
    const std::int64_t r = s.r_val, sw = s.sw, w = s.w, h = s.h;
    paint_band(px, s, clip(0, sw, s.h), clip(r, w - r, s.w));          // top
    paint_band(px, s, clip(h - sw, h, s.h), clip(r, w - r, s.w));      // bottom
    paint_band(px, s, clip(r, h - r, s.h), clip(0, sw, s.w));          // left
    paint_band(px, s, clip(r, h - r, s.h), clip(w - sw, w, s.w));      // right
}

void paint_outline_corners(const PixelPlanes& px, const OutlineShape& s) noexcept {
    const std::int64_t box = s.box_size, w = s.w, h = s.h;
    paint_corner(px, s, clip(0, box, s.h), clip(0, box, s.w));          // top-left
    paint_corner(px, s, clip(0, box, s.h), clip(w - box, w, s.w));      // top-right
    paint_corner(px, s, clip(h - box, h, s.h), clip(0, box, s.w));      // bottom-left
    paint_corner(px, s, clip(h - box, h, s.h), clip(w - box, w, s.w));  // bottom-right
}

}  // namespace zuvo::curvix
