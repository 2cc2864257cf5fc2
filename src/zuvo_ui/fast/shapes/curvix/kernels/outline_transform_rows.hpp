// What the outline transform's run-filling driver hands to its per-pixel
// evaluators (evaluators.hpp).  Plain data and declarations only: nothing
// here may be compiled differently in the instruction-set units, so nothing
// here is inline code.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../../../support/plane.hpp"

namespace zuvo::curvix {

// The transform's constants, in the form the evaluators use them.
struct OutlineTransformConstants {
    float center_x, box_half_w;
    float cutoff;      // half_width + 0.5, single precision
    float beyond;      // largest float <= half_width + 0.5 (double): sd > beyond <=> (double)sd > cutoff_exact
    float half_width;
    float stroke_alpha_mult, bg_alpha_mult;
    float stroke_r, stroke_g, stroke_b;
    float bg_r, bg_g, bg_b;
    std::uint8_t stroke_r8, stroke_g8, stroke_b8, alpha_base8;
    bool has_bg;
};

// One row and one half of it: every pixel shares the corner radius.
struct OutlineHalfRow {
    std::int32_t y;
    float radius;          // of this half's corner
    float qy;              // (|y - center_y| - box_half_h) + radius
    float qy_out_sq;       // max(qy, 0)^2, single precision
    float radius_plus_hw;  // radius + half_width, single precision
};

// Evaluates columns [x_begin, x_end) of `row` pixel by pixel, each exactly as
// the scalar kernel does.  All columns must lie in the row's half.
using OutlineSpanEvaluator = void (*)(const PixelPlanes& px, const OutlineTransformConstants& k,
                                      const OutlineHalfRow& row, std::int32_t x_begin,
                                      std::int32_t x_end) noexcept;

// Evaluates columns from the half's border inwards (rightwards from x_begin,
// or leftwards from x_end) until it meets a column whose result the rest of
// the half shares; see scan_to_settled in simd/outline_transform.hpp.  Only for
// inputs without NaN or infinities.
constexpr std::int32_t beyond_run = -1;

// Where a scan stopped: at a column whose result the rest of the half shares.
struct ScanStop {
    bool found = false;    // false: the scan reached the centre
    bool settled = false;  // settled, or else straight (its value must be copied)
    bool written = false;  // all four channels of that column were written
};
using OutlineSettledScanner = std::int32_t (*)(const PixelPlanes& px,
                                               const OutlineTransformConstants& k,
                                               const OutlineHalfRow& row, std::int32_t x_begin,
                                               std::int32_t x_end, bool rightwards,
                                               bool& all_written, ScanStop& stop) noexcept;

// Every row of the transform through `span` and `scan`; with `fill_runs`,
// runs of pixels that provably share a result are filled without evaluating
// them.  The planes' cells must not share bytes.
struct OutlineTransformShape;
void fill_outline_rows(const PixelPlanes& px, const OutlineTransformShape& shape,
                       OutlineSpanEvaluator span, OutlineSettledScanner scan,
                       bool fill_runs) noexcept;

// The portable evaluator: the scalar pixel rules, column by column.
void outline_span_scalar(const PixelPlanes& px, const OutlineTransformConstants& k,
                         const OutlineHalfRow& row, std::int32_t x_begin,
                         std::int32_t x_end) noexcept;
std::int32_t outline_scan_scalar(const PixelPlanes& px, const OutlineTransformConstants& k,
                                 const OutlineHalfRow& row, std::int32_t x_begin,
                                 std::int32_t x_end, bool rightwards, bool& all_written,
                                 ScanStop& stop) noexcept;

}  // namespace zuvo::curvix
