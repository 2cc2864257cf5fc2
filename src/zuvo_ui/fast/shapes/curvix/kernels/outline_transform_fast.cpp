// Which evaluator the outline transform runs: the processor's best, or the
// one a test or benchmark names.
#include "outline_transform_fast.hpp"

#include "outline_span.hpp"

namespace zuvo::curvix {
namespace {

#ifdef ZUVO_HAS_AVX2_PATH
bool has_avx2_fma() noexcept {
    static const bool yes = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return yes;
}
#endif

// The evaluator of `path`, when this build and this processor have it.
OutlineEvaluator evaluator(OutlinePath path) noexcept {
    switch (path) {
        case OutlinePath::scalar: return {outline_span_scalar, outline_scan_scalar};
#ifdef ZUVO_HAS_SSE2_PATH
        case OutlinePath::sse2: return {outline_span_sse2, outline_scan_sse2};
#endif
#ifdef ZUVO_HAS_AVX2_PATH
        case OutlinePath::avx2:
            return has_avx2_fma() ? OutlineEvaluator{outline_span_avx2, outline_scan_avx2}
                                  : OutlineEvaluator{};
#endif
#ifdef ZUVO_HAS_NEON_PATH
        case OutlinePath::neon: return {outline_span_neon, outline_scan_neon};
#endif
        default: return {};
    }
}

}  // namespace

bool outline_path_available(OutlinePath path) noexcept { return evaluator(path).span != nullptr; }

void transform_outline_on(const PixelPlanes& px, const OutlineTransform& shape, OutlinePath path,
                          bool fill_runs) noexcept {
    const OutlineEvaluator e = evaluator(path);
    // Vectors and runs change the order of the writes, which only the plain
    // kernel keeps where cells share bytes.
    if ((path == OutlinePath::scalar && !fill_runs) || e.span == nullptr || !cells_disjoint(px)) {
        transform_outline(px, shape);
        return;
    }
    fill_outline_rows(px, shape, e, fill_runs);
}

void transform_outline_fast(const PixelPlanes& px, const OutlineTransform& shape) noexcept {
    static const OutlinePath best = [] {
        for (const OutlinePath path : {OutlinePath::avx2, OutlinePath::sse2, OutlinePath::neon}) {
            if (outline_path_available(path)) return path;
        }
        return OutlinePath::scalar;
    }();
    transform_outline_on(px, shape, best, true);
}

}  // namespace zuvo::curvix
