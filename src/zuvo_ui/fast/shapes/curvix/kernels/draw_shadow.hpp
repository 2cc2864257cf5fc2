// Soft shadows: a rounded box blurred by a Gaussian, composited "over"
// existing 24- and 32-bit pixels.  No Python.
//
// The shadow's coverage at a pixel centre is the box's indicator convolved
// with a Gaussian of standard deviation sigma.  The rectangle's part is a
// product of two differences of normal CDFs; each rounded corner takes away
// its notch (the corner square outside the arc), whose blurred area is an
// integral over the arc by Gauss-Legendre quadrature.  The pixel is then
// blended as draw_rect blends the colour with alpha round(alpha * coverage).
#pragma once

#include <cstddef>
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

// The floats of scratch a draw needs per column of its clip.
inline constexpr std::size_t kShadowScratchPerColumn = 3;

// Draws the shadow on the pixels of shadow_pixels(paint, clip) (`clip` within
// the surface) and returns that box.  `scratch` holds
// kShadowScratchPerColumn floats per column of the clip.  The plain form
// blends one pixel at a time; the fast form is byte for byte the same: on
// 4-byte pixels without per-pixel alpha it blends long runs of one alpha
// with `blends.run` and the pixels between them with `blends.each`, on
// 4-byte pixels with it each row with `blends.over` (the fast form's default
// takes the best of this processor's).
PixelBox draw_shadow_plain(const PixelRows& px, const ShadowPaint& paint, PixelBox clip,
                           float* scratch) noexcept;
PixelBox draw_shadow(const PixelRows& px, const ShadowPaint& paint, PixelBox clip, float* scratch,
                     const Blends& blends) noexcept;
PixelBox draw_shadow(const PixelRows& px, const ShadowPaint& paint, PixelBox clip,
                     float* scratch) noexcept;

}  // namespace zuvo::draw
