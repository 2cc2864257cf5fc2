#include "corner_transform.hpp"

#include <algorithm>
#include <cmath>

#include "../../../support/numeric.hpp"
#include "prefetch.hpp"

namespace zuvo::curvix {

CornerRadii clamp_corner_radii(std::int32_t width, std::int32_t height, CornerRadii radii) noexcept {
    const float max_radius = std::min(narrow_to_float(width * 0.5), narrow_to_float(height * 0.5));
    const auto clamp = [max_radius](float r) { return min_keep_nan(max0(r), max_radius); };
    return {clamp(radii.top_left), clamp(radii.top_right), clamp(radii.bottom_right),
            clamp(radii.bottom_left)};
}

bool all_corners_square(const CornerRadii& radii) noexcept {
    return radii.top_left <= 0.0f && radii.top_right <= 0.0f && radii.bottom_right <= 0.0f &&
           radii.bottom_left <= 0.0f;
}

CornerTransformShape make_corner_transform(std::int32_t width, std::int32_t height,
                                           CornerRadii radii, bool has_color,
                                           std::int32_t alpha_base) noexcept {
    CornerTransformShape s;
    s.width = width;
    s.height = height;
    s.radii = radii;
    s.has_color = has_color;
    s.alpha_base = alpha_base;
    s.center_x = narrow_to_float((static_cast<double>(width) - 1.0) * 0.5);
    s.center_y = narrow_to_float((static_cast<double>(height) - 1.0) * 0.5);
    return s;
}

namespace {

void corner_row(const Plane& alpha, const CornerTransformShape& s, const CornerRow& row) noexcept {
    const float box_half_w = s.center_x;
    const float alpha_base = static_cast<float>(s.alpha_base);
    const float radius = row.radius;
    for (std::int32_t x = row.x_begin; x < row.x_end; ++x) {
        const float qx = std::fabs(static_cast<float>(x) - s.center_x) - box_half_w + radius;
        const float qx_out = max0(qx);
        const float dist_outside = std::sqrt(std::fma(qx_out, qx_out, row.qy_sq));
        const float dist_inside = std::min(std::max(qx, row.qy), 0.0f);
        const float signed_dist = dist_inside + dist_outside - radius;
        std::uint8_t& cell = alpha.at(x, row.y);
        if (signed_dist >= 0.5f) {
            cell = 0;
        } else if (signed_dist > -0.5f) {
            const float alpha_f = (radius + 0.5f) - (dist_inside + dist_outside);
            cell = s.has_color ? low8_of_trunc(alpha_f * alpha_base)
                               : low8_of_trunc(static_cast<float>(cell) * alpha_f);
        }
    }
}

}  // namespace

void corner_transform_rows_scalar(const Plane& alpha, const CornerTransformShape& s,
                                  const CornerRow* rows, std::int32_t count) noexcept {
    for (std::int32_t i = 0; i < count; ++i) corner_row(alpha, s, rows[i]);
}

void prefetch_corners(const Plane& alpha, const CornerTransformShape& s) noexcept {
    prefetch_corner_squares(alpha, s.radii, s.width, s.height);
}

void transform_corners(const Plane& alpha, const CornerTransformShape& s,
                       CornerTransformRowsEvaluator evaluate) noexcept {
    // The box's half height equals the centre's row.
    for_each_corner_row_batch(s.radii, s.width, s.height, s.center_y, s.center_y,
                              [&](const CornerRow* rows, std::int32_t count) {
                                  evaluate(alpha, s, rows, count);
                              });
}

}  // namespace zuvo::curvix
