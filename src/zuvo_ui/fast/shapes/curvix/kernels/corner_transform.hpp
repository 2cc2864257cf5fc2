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

struct CornerTransformShape {
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
CornerTransformShape make_corner_transform(std::int32_t width, std::int32_t height,
                                           CornerRadii radii, bool has_color,
                                           std::int32_t alpha_base) noexcept;

// `count` rows of a corner square, top to bottom, each pixel evaluated and
// written as the scalar kernel does (evaluators.hpp has one per instruction set).
using CornerTransformRowsEvaluator = void (*)(const Plane& alpha, const CornerTransformShape& shape,
                                              const CornerRow* rows, std::int32_t count) noexcept;

// The scalar kernel's rows: pixel by pixel.
void corner_transform_rows_scalar(const Plane& alpha, const CornerTransformShape& shape,
                                  const CornerRow* rows, std::int32_t count) noexcept;

// Asks for the cache lines of the four corner squares (prefetch.hpp), as
// prefetch_filled_corners does.
void prefetch_corners(const Plane& alpha, const CornerTransformShape& shape) noexcept;

// The four corner squares, top-left, top-right, bottom-left, bottom-right,
// their rows through `evaluate` (by default the scalar kernel's); `alpha` is
// width x height.
void transform_corners(const Plane& alpha, const CornerTransformShape& shape,
                       CornerTransformRowsEvaluator evaluate = corner_transform_rows_scalar) noexcept;

}  // namespace zuvo::curvix
