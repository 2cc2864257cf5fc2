#include "filled.hpp"

#include <algorithm>
#include <cmath>

#include "../../../support/numeric.hpp"

namespace zuvo::curvix {

FilledShape make_filled_shape(std::int32_t width, std::int32_t height, CornerRadii radii,
                              std::int32_t alpha_base) noexcept {
    FilledShape s;
    s.width = width;
    s.height = height;
    s.alpha_base = alpha_base;
    s.radii = radii;
    s.half_w = narrow_to_float(width * 0.5);
    s.half_h = narrow_to_float(height * 0.5);
    s.min_dim = narrow_to_float(std::min(width, height) * 0.5);
    s.center_x = narrow_to_float((static_cast<double>(width) - 1.0) * 0.5);
    s.center_y = narrow_to_float((static_cast<double>(height) - 1.0) * 0.5);
    return s;
}

namespace {

// One corner square: columns [x0, x0 + n), rows [y0, y0 + n).
void round_corner(const Plane& alpha, const FilledShape& s, float radius, std::int32_t x_first,
                  std::int32_t y_first, std::int32_t n) noexcept {
    const float alpha_base = static_cast<float>(s.alpha_base);
    for (std::int32_t y = y_first; y < y_first + n; ++y) {
        const float py = static_cast<float>(y) - s.center_y;
        const float qy = std::fabs(py) - s.half_h + radius;
        const float qy_out = max0(qy);
        const float qy_sq = qy_out * qy_out;
        std::uint8_t* row = alpha.row(y);
        for (std::int32_t x = x_first; x < x_first + n; ++x) {
            const float px = static_cast<float>(x) - s.center_x;
            const float qx = std::fabs(px) - s.half_w + radius;
            const float qx_out = max0(qx);
            const float dist_outside = std::sqrt(qx_out * qx_out + qy_sq);
            const float dist_inside = std::min(std::max(qx, qy), 0.0f);
            const float signed_dist = dist_outside + dist_inside - radius;
            std::uint8_t& cell = row[x * alpha.x_stride];
            if (signed_dist >= 0.5f) {
                cell = 0;
            } else if (signed_dist > -0.5f) {
                const float alpha_f = 0.5f - signed_dist;
                cell = low8_of_trunc(alpha_f * alpha_base);
            }
        }
    }
}

}  // namespace

void round_filled_corners(const Plane& alpha, const FilledShape& s) noexcept {
    // Clamped to half the smaller side, the squares never overlap.
    const CornerRadii clamped{min_keep_nan(s.radii.top_left, s.min_dim),
                              min_keep_nan(s.radii.top_right, s.min_dim),
                              min_keep_nan(s.radii.bottom_right, s.min_dim),
                              min_keep_nan(s.radii.bottom_left, s.min_dim)};
    for_each_corner_square(clamped, s.width, s.height,
                           [&](float radius, std::int32_t x_first, std::int32_t y_first,
                               std::int32_t n) { round_corner(alpha, s, radius, x_first, y_first, n); });
}

}  // namespace zuvo::curvix
