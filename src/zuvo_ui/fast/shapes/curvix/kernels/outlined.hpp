// The outlined rounded-rectangle generator's pixel passes.  No Python.
//
// Straight sides are solid bands of ceil(width) pixels; only the four corner
// squares get a signed distance to the stroke's centre line and anti-aliasing.
#pragma once

#include <cstdint>

#include "../../../support/plane.hpp"

namespace zuvo::curvix {

struct OutlineShape {
    std::int32_t w = 0, h = 0;
    std::int32_t r_val = 0;       // radius after the two halving clamps
    std::int32_t sw = 0;          // band thickness, ceil(width)
    std::int32_t box_size = 0;    // side of each corner square
    std::int32_t alpha_base = 255;
    std::uint8_t r = 0, g = 0, b = 0;
    float half_width = 0, center_radius = 0, center_x = 0, center_y = 0;
    float centerline_w = 0, centerline_h = 0, cutoff = 0;
};

// `width` must be finite.  Every range derived here is later clipped to the
// surface, so a negative radius or a stroke wider than the surface is safe.
OutlineShape make_outline_shape(std::int32_t w, std::int32_t h, std::int32_t radius, float width,
                                std::int32_t alpha_base, std::uint8_t r, std::uint8_t g,
                                std::uint8_t b) noexcept;

// Paints the four straight bands with the colour at full alpha.
void paint_outline_bands(const PixelPlanes& px, const OutlineShape& shape) noexcept;

// Evaluates the four corner squares, replacing band pixels that the stroke covers.
void paint_outline_corners(const PixelPlanes& px, const OutlineShape& shape) noexcept;

}  // namespace zuvo::curvix
