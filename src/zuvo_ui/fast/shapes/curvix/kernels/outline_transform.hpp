// The pixel pass of the in-place outlined rounded-corner transform.  No Python.
//
// Every pixel gets the signed distance to the stroke's centre line, a rounded
// box inscribed in the surface.  The stroke is the band of half the stroke
// width around it, with a one-pixel ramp on both edges.  Beyond the outer edge
// the alpha becomes 0.  With a background every pixel inside is recomputed from
// the two colours; without one the stroke is composited over what is there.
#pragma once

#include <cstdint>

#include "../../../support/plane.hpp"
#include "corners.hpp"

namespace zuvo::curvix {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

struct OutlineTransformShape {
    std::int32_t w = 0, h = 0;
    CornerRadii radii;  // of the stroke's centre line
    float half_width = 0;
    float cutoff = 0;  // half_width + 0.5, in single precision
    double cutoff_exact = 0;  // half_width + 0.5, in double precision
    float box_half_w = 0, box_half_h = 0;
    float center_x = 0, center_y = 0;
    Rgb stroke;
    std::int32_t alpha_base = 255;
    float stroke_alpha_mult = 1;
    bool has_bg = false;
    Rgb bg;
    float bg_alpha_mult = 0;
};

// `radii` are those of the stroke's outer edge, as given; `stroke_width` is
// finite.  `bg_alpha` is the background's alpha item, or -1 when it has
// only three (without a background it is ignored).
OutlineTransformShape make_outline_transform(std::int32_t w, std::int32_t h, CornerRadii radii,
                                             float stroke_width, Rgb stroke,
                                             std::int32_t alpha_base, bool has_bg, Rgb bg,
                                             std::int32_t bg_alpha) noexcept;

// The plain scalar kernel, the reference of every other path: every pixel,
// rows top to bottom, columns left to right.  The planes are w x h.
void transform_outline(const PixelPlanes& px, const OutlineTransformShape& shape) noexcept;

}  // namespace zuvo::curvix
