// The instruction-set paths of the kernels: which ones this build and this
// processor have, and each one's evaluators.
#pragma once

#include "outline_span.hpp"
#include "shape_rows.hpp"

namespace zuvo::curvix {

// `scalar` is on every processor and compiler: the scalar kernels' own
// per-pixel code, and for the outline transform the portable evaluator.
enum class KernelPath {
    scalar,
    sse2,  // x86-64 with GCC or Clang
    avx2,  // with FMA, where the processor has both
    neon,  // aarch64 with GCC or Clang
};

bool kernel_path_available(KernelPath path) noexcept;

// The best available path: AVX2 and FMA, SSE2, NEON, or else scalar.
KernelPath best_kernel_path() noexcept;

// The evaluators of `path`; all null when this build or processor lacks it.
OutlineEvaluator outline_evaluator(KernelPath path) noexcept;
ShapeEvaluators shape_evaluators(KernelPath path) noexcept;

}  // namespace zuvo::curvix
