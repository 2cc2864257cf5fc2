// The outlined rounded-rectangle generator's pixel passes.  No Python.
//
// Straight sides are solid bands of ceil(width) pixels; only the four corner
// squares get a signed distance to the stroke's centre line and anti-aliasing.
#pragma once

#include <cstdint>

#include "../../../support/plane.hpp"
#include "corners.hpp"

namespace zuvo::curvix {

struct OutlinedShape {
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
OutlinedShape make_outlined_shape(std::int32_t w, std::int32_t h, std::int32_t radius, float width,
                                  std::int32_t alpha_base, std::uint8_t r, std::uint8_t g,
                                  std::uint8_t b) noexcept;

// Asks for the cache lines of the bands and corner squares (prefetch.hpp),
// as prefetch_filled_corners does.  Only the colour planes are needed: on
// interleaved pixels the alpha cells share the red cells' lines.
void prefetch_outlined(const ColourPlanes& px, const OutlinedShape& shape) noexcept;

// Paints the four straight bands with the colour at full alpha, pixel by pixel.
void paint_outline_bands(const PixelPlanes& px, const OutlinedShape& shape) noexcept;

// The same bands, each row one run: 32-bit stores on interleaved pixels, one
// byte fill per plane where every plane's cells are adjacent bytes.  The
// planes' cells must not share bytes (cells_disjoint).
void paint_outline_bands_in_runs(const PixelPlanes& px, const OutlinedShape& shape) noexcept;

// Columns [x_begin, x_end) of row y of one corner square, with the values its
// pixels share.
struct OutlinedCornerRow {
    std::int32_t y, x_begin, x_end;
    float dy;      // |y - center_y| - centerline_h
    float dy_out;  // max(dy, 0)
    float dy_sq;   // dy_out^2
};

// Where the planes are interleaved 4-byte pixels (find_interleaving in
// runs.hpp), each pixel of pixel (x, y) lies in the word at
// first_byte + y * y_stride + 4 * x, and a stroke pixel is `colour` (its
// alpha byte 0) with the alpha shifted left by `alpha_shift`: one store
// writes the same four cells the scalar kernel writes one by one.
// `first_byte` null: the planes are not interleaved.
struct StrokeWords {
    std::uint8_t* first_byte = nullptr;
    std::ptrdiff_t y_stride = 0;
    std::uint32_t colour = 0;
    int alpha_shift = 0;
};

// `count` rows of a corner square, top to bottom, each pixel evaluated and
// written as the scalar kernel does (evaluators.hpp has one per
// instruction set), through `words` where it has a first byte.
using OutlinedRowsEvaluator = void (*)(const PixelPlanes& px, const OutlinedShape& shape,
                                       const StrokeWords& words, const OutlinedCornerRow* rows,
                                       std::int32_t count) noexcept;

// The scalar kernel's rows: pixel by pixel, plane by plane (`words` unused).
void outlined_rows_scalar(const PixelPlanes& px, const OutlinedShape& shape,
                          const StrokeWords& words, const OutlinedCornerRow* rows,
                          std::int32_t count) noexcept;

// Evaluates the four corner squares, replacing band pixels that the stroke
// covers, their rows through `evaluate` (by default the scalar kernel's).
void paint_outline_corners(const PixelPlanes& px, const OutlinedShape& shape,
                           OutlinedRowsEvaluator evaluate = outlined_rows_scalar) noexcept;

// The corner squares (up to four) as runs (corner_runs.hpp), on interleaved
// pixels through `words`: only the columns where the coverage changes are
// evaluated, the fully covered runs filled; byte for byte what the scalar
// kernel writes (evaluators.hpp has one per instruction set).
using OutlinedCornerRunsEvaluator = void (*)(const PixelPlanes& px, const OutlinedShape& shape,
                                             const StrokeWords& words, const CornerSquare* squares,
                                             std::int32_t count) noexcept;

// The bands and then the corners, where the planes are interleaved 4-byte
// pixels: each band row a few word stores (both sides of a row at once), the
// corners through `corners`.  False, with nothing written, where they are not.
bool paint_outline_in_runs(const PixelPlanes& px, const OutlinedShape& shape,
                           OutlinedCornerRunsEvaluator corners) noexcept;

}  // namespace zuvo::curvix
