// The corner pass of the in-place rounded-corner transform.  No Python.
//
// Only the alpha of the four corner squares is rewritten, from a rounded-box
// signed distance with a one-pixel ramp centred on the arc.  With a colour the
// surface has just been filled, so the ramp is recomputed from the colour's
// alpha; without one the existing alpha is scaled, never raised.
#pragma once

#include <cstdint>

#include "../../../support/plane.hpp"
#include "corners.hpp"

namespace zuvo::curvix {

struct CornerTransform {
    std::int32_t width = 0, height = 0;
    CornerRadii radii;             // clamped to [0, half the shorter side]
    bool has_color = false;
    std::int32_t alpha_base = 255;  // used only with a colour
    // The box runs from the first pixel centre to the last, so its half
    // extents equal the centre coordinates.
    float center_x = 0, center_y = 0;
};

// Clamps the radii: max(r, 0), then min(r, half the shorter side).  A NaN
// radius becomes 0, so it leaves its corner square as it is.
CornerRadii clamp_corner_radii(std::int32_t width, std::int32_t height, CornerRadii radii) noexcept;

bool all_corners_square(const CornerRadii& radii) noexcept;

// `radii` as returned by `clamp_corner_radii`.
CornerTransform make_corner_transform(std::int32_t width, std::int32_t height, CornerRadii radii,
                                      bool has_color, std::int32_t alpha_base) noexcept;

// Row `y` of one corner square: columns [x_first, x_first + n) of `alpha`,
// for the corner of radius `radius` (> 0).
void transform_corner_row(const Plane& alpha, const CornerTransform& shape, float radius,
                          std::int32_t y, std::int32_t x_first, std::int32_t n) noexcept;

// The four corner squares, top-left, top-right, bottom-left, bottom-right;
// `alpha` is width x height.
void transform_corners(const Plane& alpha, const CornerTransform& shape) noexcept;

}  // namespace zuvo::curvix
