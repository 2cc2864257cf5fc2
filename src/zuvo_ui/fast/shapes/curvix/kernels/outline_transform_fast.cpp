// The outline transform on a chosen path, or on the processor's best.
#include "outline_transform_fast.hpp"

namespace zuvo::curvix {

void transform_outline_on(const PixelPlanes& px, const OutlineTransform& shape, KernelPath path,
                          bool fill_runs) noexcept {
    const OutlineEvaluator e = outline_evaluator(path);
    // Vectors and runs change the order of the writes, which only the plain
    // kernel keeps where cells share bytes.
    if ((path == KernelPath::scalar && !fill_runs) || e.span == nullptr || !cells_disjoint(px)) {
        transform_outline(px, shape);
        return;
    }
    fill_outline_rows(px, shape, e, fill_runs);
}

void transform_outline_fast(const PixelPlanes& px, const OutlineTransform& shape) noexcept {
    transform_outline_on(px, shape, best_kernel_path(), true);
}

}  // namespace zuvo::curvix
