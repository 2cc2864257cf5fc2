// The corner pass of the filled rounded-rectangle generator.  No Python.
//
// The surface has already been filled with the colour; only the alpha of the
// four corner squares is rewritten, from a rounded-box signed distance with a
// one-pixel ramp centred on the edge, scaled by the colour's alpha.
#pragma once

#include <cstdint>

#include "../../../support/plane.hpp"
#include "corners.hpp"

namespace zuvo::curvix {

struct FilledShape {
    std::int32_t width = 0, height = 0;
    std::int32_t alpha_base = 255;
    CornerRadii radii;
    // Derived from the size, each formed in double precision and rounded once.
    float half_w = 0, half_h = 0, min_dim = 0, center_x = 0, center_y = 0;
};

FilledShape make_filled_shape(std::int32_t width, std::int32_t height, CornerRadii radii,
                              std::int32_t alpha_base) noexcept;

// `count` rows of a corner square, top to bottom, each pixel evaluated and
// written as the scalar kernel does (evaluators.hpp has one per instruction set).
using FilledRowsEvaluator = void (*)(const Plane& alpha, const FilledShape& shape,
                                     const CornerRow* rows, std::int32_t count) noexcept;

// The scalar kernel's rows: pixel by pixel.
void filled_rows_scalar(const Plane& alpha, const FilledShape& shape, const CornerRow* rows,
                        std::int32_t count) noexcept;

// The corner squares (up to four) as runs (corner_runs.hpp): only the
// columns where the alpha changes are evaluated, the cleared runs filled.
// Byte for byte what the scalar kernel writes, where the alpha cells are
// distinct (evaluators.hpp has one per instruction set).
using FilledCornerRunsEvaluator = void (*)(const Plane& alpha, const FilledShape& shape,
                                           const CornerSquare* squares,
                                           std::int32_t count) noexcept;

// Asks for the cache lines of the four corner squares (prefetch.hpp): the
// module does so before it releases the interpreter lock, so that they arrive
// meanwhile.  A hint: no memory changes.
void prefetch_filled_corners(const Plane& alpha, const FilledShape& shape) noexcept;

// Rewrites the alpha of the four corner squares, their rows through
// `evaluate` (by default the scalar kernel's); `alpha` is width x height.
void round_filled_corners(const Plane& alpha, const FilledShape& shape,
                          FilledRowsEvaluator evaluate = filled_rows_scalar) noexcept;

// The same through `evaluate`, square by square; the alpha cells must be distinct.
void round_filled_corners_in_runs(const Plane& alpha, const FilledShape& shape,
                                  FilledCornerRunsEvaluator evaluate) noexcept;

}  // namespace zuvo::curvix
