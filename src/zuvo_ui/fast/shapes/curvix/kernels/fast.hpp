// The kernels as the module runs them: the scalar kernels' bytes, with rows
// evaluated on vectors of the best instruction set the processor has, and
// runs of provably equal pixels filled in bulk (the outline transform's
// settled runs, the outlined generator's straight bands).
#pragma once

#include "../../../support/plane.hpp"
#include "corner_transform.hpp"
#include "evaluators.hpp"
#include "filled.hpp"
#include "outline_transform.hpp"
#include "outlined.hpp"

namespace zuvo::curvix {

// On one chosen path, for tests and benchmarks.  `fill_runs` false evaluates
// every pixel on it.  Where the planes' cells share bytes (aliased planes,
// overlapping rows) the runs are not filled, and the outline transform runs
// its plain scalar kernel.
void transform_outline_on(const PixelPlanes& px, const OutlineTransformShape& shape,
                          KernelPath path, bool fill_runs) noexcept;
void round_filled_corners_on(const Plane& alpha, const FilledShape& shape, KernelPath path) noexcept;
void transform_corners_on(const Plane& alpha, const CornerTransformShape& shape,
                          KernelPath path) noexcept;
void paint_outline_on(const PixelPlanes& px, const OutlinedShape& shape, KernelPath path,
                      bool fill_runs) noexcept;

// On the best available path, with run filling: what the module calls.
void transform_outline_fast(const PixelPlanes& px, const OutlineTransformShape& shape) noexcept;
void round_filled_corners_fast(const Plane& alpha, const FilledShape& shape) noexcept;
void transform_corners_fast(const Plane& alpha, const CornerTransformShape& shape) noexcept;
void paint_outline_fast(const PixelPlanes& px, const OutlinedShape& shape) noexcept;

}  // namespace zuvo::curvix
