// Soft shadows: a rounded box blurred by a Gaussian, composited "over"
// existing 24- and 32-bit pixels.  No Python.
//
// The shadow's alpha at a pixel centre is the colour's alpha times the
// box's indicator convolved with a Gaussian of standard deviation sigma.
// The rectangle's part is a product of two differences of normal CDFs; each
// rounded corner takes away its notch (the corner square outside the arc),
// whose blurred area is an integral over the arc, taken by Gauss-Legendre
// quadrature on the part of the arc within reach of the pixel.
#pragma once

#include <cstdint>

#include "draw_rect.hpp"

namespace zuvo::draw {

struct ShadowPaint {
    // The box, normalised, coordinates at most 1e300 in magnitude; its radii
    // clockwise from the top-left, each in [0, half the smaller side].
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    double radius[4] = {0, 0, 0, 0};
    double sigma = 1;  // above 0
    Colour colour;
};

// The pixels the shadow reaches (within three sigmas of the box), within `clip`.
PixelBox shadow_pixels(const ShadowPaint& paint, PixelBox clip) noexcept;

// Draws the shadow on the pixels of shadow_pixels(paint, clip) and returns
// that box.  `scratch` holds two doubles per column of that box (at most
// the clip's width).
PixelBox draw_shadow(const PixelRows& px, const ShadowPaint& paint, PixelBox clip,
                     double* scratch) noexcept;

}  // namespace zuvo::draw
