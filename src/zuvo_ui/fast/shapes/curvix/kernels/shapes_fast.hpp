// The filled generator's, the corner transform's and the outlined
// generator's kernels as the module runs them: the scalar kernels' bytes,
// with the corner rows evaluated on vectors of one instruction set and the
// outlined generator's straight bands written as runs.
#pragma once

#include "../../../support/plane.hpp"
#include "corner_transform.hpp"
#include "filled.hpp"
#include "dispatch.hpp"
#include "outlined.hpp"

namespace zuvo::curvix {

// On one chosen path (tests and benchmarks); the module calls the `_fast` forms.
void round_filled_corners_on(const Plane& alpha, const FilledShape& shape, KernelPath path) noexcept;
void transform_corners_on(const Plane& alpha, const CornerTransform& shape, KernelPath path) noexcept;
// `fill_runs` writes the bands as runs, where the planes' cells share no bytes.
void paint_outline_on(const PixelPlanes& px, const OutlineShape& shape, KernelPath path,
                      bool fill_runs) noexcept;

// On the best available path, with run filling.
void round_filled_corners_fast(const Plane& alpha, const FilledShape& shape) noexcept;
void transform_corners_fast(const Plane& alpha, const CornerTransform& shape) noexcept;
void paint_outline_fast(const PixelPlanes& px, const OutlineShape& shape) noexcept;

}  // namespace zuvo::curvix
