#include "fast.hpp"

namespace zuvo::curvix {

void transform_outline_on(const PixelPlanes& px, const OutlineTransformShape& shape,
                          KernelPath path, bool fill_runs) noexcept {
    const Evaluators& e = evaluators_of(path);
    // Vectors and runs change the order of the writes, which only the plain
    // kernel keeps where cells share bytes.
    if ((path == KernelPath::scalar && !fill_runs) || e.outline_span == nullptr ||
        !cells_disjoint(px)) {
        transform_outline(px, shape);
        return;
    }
    fill_outline_rows(px, shape, e.outline_span, e.outline_scan, fill_runs);
}

void round_filled_corners_on(const Plane& alpha, const FilledShape& shape, KernelPath path) noexcept {
    const Evaluators& e = evaluators_of(path);
    // Runs are written apart from the windows beside them: the cells must be distinct.
    if (e.filled_corner_runs && cells_disjoint(alpha)) {
        round_filled_corners_in_runs(alpha, shape, e.filled_corner_runs);
        return;
    }
    round_filled_corners(alpha, shape, e.filled_rows ? e.filled_rows : filled_rows_scalar);
}

void transform_corners_on(const Plane& alpha, const CornerTransformShape& shape,
                          KernelPath path) noexcept {
    CornerTransformRowsEvaluator rows = evaluators_of(path).corner_transform_rows;
    // Scaling reads a vector of old alphas before writing them: the cells
    // of a row must then be distinct.
    if (!rows || (!shape.has_color && alpha.x_stride == 0)) rows = corner_transform_rows_scalar;
    transform_corners(alpha, shape, rows);
}

void paint_outline_on(const PixelPlanes& px, const OutlinedShape& shape, KernelPath path,
                      bool fill_runs) noexcept {
    const Evaluators& e = evaluators_of(path);
    if (fill_runs && e.outlined_corner_runs && paint_outline_in_runs(px, shape, e.outlined_corner_runs)) {
        return;
    }
    if (fill_runs && cells_disjoint(px)) {
        paint_outline_bands_in_runs(px, shape);
    } else {
        paint_outline_bands(px, shape);
    }
    paint_outline_corners(px, shape, e.outlined_rows ? e.outlined_rows : outlined_rows_scalar);
}

void transform_outline_fast(const PixelPlanes& px, const OutlineTransformShape& shape) noexcept {
    transform_outline_on(px, shape, best_kernel_path(), true);
}

void round_filled_corners_fast(const Plane& alpha, const FilledShape& shape) noexcept {
    round_filled_corners_on(alpha, shape, best_kernel_path());
}

void transform_corners_fast(const Plane& alpha, const CornerTransformShape& shape) noexcept {
    transform_corners_on(alpha, shape, best_kernel_path());
}

void paint_outline_fast(const PixelPlanes& px, const OutlinedShape& shape) noexcept {
    paint_outline_on(px, shape, best_kernel_path(), true);
}

}  // namespace zuvo::curvix
