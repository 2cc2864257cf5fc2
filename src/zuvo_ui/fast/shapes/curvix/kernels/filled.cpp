#include "filled.hpp"

#include <algorithm>
#include <cmath>

#include "../../../support/numeric.hpp"
#include "prefetch.hpp"

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

void filled_row(const Plane& alpha, const FilledShape& s, const CornerRow& row) noexcept {
    const float alpha_base = static_cast<float>(s.alpha_base);
    const float qy = row.qy;
    for (std::int32_t x = row.x_begin; x < row.x_end; ++x) {
        const float px = static_cast<float>(x) - s.center_x;
        const float qx = std::fabs(px) - s.half_w + row.radius;
        const float qx_out = max0(qx);
        const float dist_outside = std::sqrt(qx_out * qx_out + row.qy_sq);
        const float dist_inside = std::min(std::max(qx, qy), 0.0f);
        const float signed_dist = dist_outside + dist_inside - row.radius;
        std::uint8_t& cell = alpha.at(x, row.y);
        if (signed_dist >= 0.5f) {
            cell = 0;
        } else if (signed_dist > -0.5f) {
            const float alpha_f = 0.5f - signed_dist;
            cell = low8_of_trunc(alpha_f * alpha_base);
        }
    }
}

}  // namespace

void filled_rows_scalar(const Plane& alpha, const FilledShape& s, const CornerRow* rows,
                        std::int32_t count) noexcept {
    for (std::int32_t i = 0; i < count; ++i) filled_row(alpha, s, rows[i]);
}

namespace {

// Clamped to half the smaller side, the squares never overlap.
CornerRadii clamped_radii(const FilledShape& s) noexcept {
    return {min_keep_nan(s.radii.top_left, s.min_dim), min_keep_nan(s.radii.top_right, s.min_dim),
            min_keep_nan(s.radii.bottom_right, s.min_dim),
            min_keep_nan(s.radii.bottom_left, s.min_dim)};
}

}  // namespace

void prefetch_filled_corners(const Plane& alpha, const FilledShape& s) noexcept {
    prefetch_corner_squares(alpha, clamped_radii(s), s.width, s.height);
}

void round_filled_corners(const Plane& alpha, const FilledShape& s,
                          FilledRowsEvaluator evaluate) noexcept {
    for_each_corner_row_batch(clamped_radii(s), s.width, s.height, s.center_y, s.half_h,
                              [&](const CornerRow* rows, std::int32_t count) {
                                  evaluate(alpha, s, rows, count);
                              });
}

void round_filled_corners_in_runs(const Plane& alpha, const FilledShape& s,
                                  FilledCornerRunsEvaluator evaluate) noexcept {
    CornerSquare squares[4];
    std::int32_t count = 0;
    for_each_corner_square(clamped_radii(s), s.width, s.height,
                           [&](const CornerSquare& sq) { squares[count++] = sq; });
    evaluate(alpha, s, squares, mirror_squares(squares, count, s.width, s.height));
}

}  // namespace zuvo::curvix
