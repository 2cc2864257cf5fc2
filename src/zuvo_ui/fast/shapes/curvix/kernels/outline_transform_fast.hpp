// The outline transform as the module runs it: the scalar kernel's pixel
// rules, byte for byte, with runs of provably equal pixels filled in bulk and
// the rest evaluated on vectors of the best instruction set the processor has.
#pragma once

#include "../../../support/plane.hpp"
#include "dispatch.hpp"
#include "outline_transform.hpp"

namespace zuvo::curvix {

// One chosen path; `fill_runs` false evaluates every pixel on it.  The planes
// are shape.w x shape.h; where their cells share bytes (aliased planes,
// overlapping rows) the plain scalar kernel runs instead.  For tests and
// benchmarks: the module calls `transform_outline_fast`.
void transform_outline_on(const PixelPlanes& px, const OutlineTransform& shape, KernelPath path,
                          bool fill_runs) noexcept;

// The best available path with run filling: AVX2 and FMA, SSE2, NEON, or
// else the portable evaluator.
void transform_outline_fast(const PixelPlanes& px, const OutlineTransform& shape) noexcept;

}  // namespace zuvo::curvix
