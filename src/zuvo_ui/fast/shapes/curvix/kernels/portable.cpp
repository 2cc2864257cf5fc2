// The evaluators for every processor and compiler: the scalar kernels' own
// rows, and for the outline transform one column at a time through the
// scalar pixel rules themselves (with the run-filling driver, the
// `scalar+runs` path).
#include "evaluators.hpp"
#include "outline_pixel.hpp"

namespace zuvo::curvix {

void outline_span_scalar(const PixelPlanes& px, const OutlineTransformConstants& k,
                         const OutlineHalfRow& row, std::int32_t x_begin,
                         std::int32_t x_end) noexcept {
    for (std::int32_t x = x_begin; x < x_end; ++x) {
        pixel::paint(px, k, row, x, pixel::terms(k, row, x));
    }
}

// The column-at-a-time form of the vector evaluators' scan (see
// scan_to_settled in simd/outline_transform.hpp): the same kinds of column, the
// same stops.
std::int32_t outline_scan_scalar(const PixelPlanes& px, const OutlineTransformConstants& k,
                                 const OutlineHalfRow& row, std::int32_t x_begin,
                                 std::int32_t x_end, bool rightwards, bool& all_written,
                                 ScanStop& stop) noexcept {
    stop = ScanStop{};
    const std::int32_t count = x_end - x_begin;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t x = rightwards ? x_begin + i : x_end - 1 - i;
        const pixel::Terms t = pixel::terms(k, row, x);
        const bool written = pixel::paint(px, k, row, x, t) == pixel::Written::all;
        const bool beyond = pixel::beyond(k, t);
        if (i == 0 && count > 1 && beyond) return beyond_run;
        bool settled =
            !beyond && t.signed_dist <= 0.0f && k.cutoff - std::fabs(t.signed_dist) <= 0.0f;
        if (k.has_bg) settled = settled && pixel::background_coverage(k, row, t) >= k.bg_alpha_mult;
        const bool straight = t.qx <= 0.0f && t.qx < row.qy;
        if (settled) {
            stop.settled = true;
        } else if (!(k.has_bg && straight)) {
            all_written = all_written && written;
            continue;
        }
        stop.found = true;
        stop.written = written;
        return rightwards ? x : x + 1;
    }
    return rightwards ? x_end : x_begin;
}

Evaluators portable_evaluators() noexcept {
    Evaluators e;
    e.outline_span = outline_span_scalar;
    e.outline_scan = outline_scan_scalar;
    e.filled_rows = filled_rows_scalar;
    e.corner_transform_rows = corner_transform_rows_scalar;
    e.outlined_rows = outlined_rows_scalar;
    e.draw_blend_run = draw::blend_opaque_run_plain;
    e.draw_blend_each = draw::blend_opaque_each_plain;
    e.draw_blend_over = draw::blend_over_each;
    return e;
}

}  // namespace zuvo::curvix
