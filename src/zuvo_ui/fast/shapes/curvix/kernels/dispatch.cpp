#include "dispatch.hpp"

namespace zuvo::curvix {
namespace {

#ifdef ZUVO_HAS_AVX2_PATH
bool has_avx2_fma() noexcept {
    static const bool yes = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return yes;
}
#endif

struct Evaluators {
    OutlineEvaluator outline;
    ShapeEvaluators shapes;
};

Evaluators evaluators(KernelPath path) noexcept {
    switch (path) {
        case KernelPath::scalar:
            return {{outline_span_scalar, outline_scan_scalar},
                    {filled_rows_scalar, corner_rows_scalar, outlined_rows_scalar}};
#ifdef ZUVO_HAS_SSE2_PATH
        case KernelPath::sse2:
            return {{outline_span_sse2, outline_scan_sse2},
                    {filled_rows_sse2, corner_rows_sse2, outlined_rows_sse2}};
#endif
#ifdef ZUVO_HAS_AVX2_PATH
        case KernelPath::avx2:
            if (!has_avx2_fma()) return {};
            return {{outline_span_avx2, outline_scan_avx2},
                    {filled_rows_avx2, corner_rows_avx2, outlined_rows_avx2}};
#endif
#ifdef ZUVO_HAS_NEON_PATH
        case KernelPath::neon:
            return {{outline_span_neon, outline_scan_neon},
                    {filled_rows_neon, corner_rows_neon, outlined_rows_neon}};
#endif
        default: return {};
    }
}

}  // namespace

bool kernel_path_available(KernelPath path) noexcept {
    return evaluators(path).outline.span != nullptr;
}

KernelPath best_kernel_path() noexcept {
    static const KernelPath best = [] {
        for (const KernelPath path : {KernelPath::avx2, KernelPath::sse2, KernelPath::neon}) {
            if (kernel_path_available(path)) return path;
        }
        return KernelPath::scalar;
    }();
    return best;
}

OutlineEvaluator outline_evaluator(KernelPath path) noexcept { return evaluators(path).outline; }

ShapeEvaluators shape_evaluators(KernelPath path) noexcept { return evaluators(path).shapes; }

}  // namespace zuvo::curvix
