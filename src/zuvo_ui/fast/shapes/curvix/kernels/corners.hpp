// Values shared by the rounded-rectangle kernels.  No Python.
#pragma once

#include <cstdint>

namespace zuvo::curvix {

// Corner radii in pixels, clockwise from the top-left corner.
struct CornerRadii {
    float top_left = 0, top_right = 0, bottom_right = 0, bottom_left = 0;
};

// The smaller of `a` and `limit`; a NaN `a` stays NaN, so that the callers'
// "greater than 0" tests skip the corner.
constexpr float min_keep_nan(float a, float limit) noexcept { return limit < a ? limit : a; }

constexpr float max0(float v) noexcept { return v > 0.0f ? v : 0.0f; }

}  // namespace zuvo::curvix
