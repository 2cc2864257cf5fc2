// The paths by preference, each with its table and what it needs of the processor.
#include "evaluators.hpp"

namespace zuvo::curvix {
namespace {

bool always() noexcept { return true; }

#ifdef ZUVO_HAS_AVX2_PATH
bool has_avx2_fma() noexcept {
    static const bool yes = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return yes;
}
#endif

struct PathEntry {
    KernelPath path;
    Evaluators (*table)() noexcept;
    bool (*usable)() noexcept;
};

constexpr PathEntry kPaths[] = {
#ifdef ZUVO_HAS_AVX2_PATH
    {KernelPath::avx2, avx2_evaluators, has_avx2_fma},
#endif
#ifdef ZUVO_HAS_SSE2_PATH
    {KernelPath::sse2, sse2_evaluators, always},
#endif
#ifdef ZUVO_HAS_NEON_PATH
    {KernelPath::neon, neon_evaluators, always},
#endif
    {KernelPath::scalar, portable_evaluators, always},
};

const PathEntry* entry_of(KernelPath path) noexcept {
    for (const PathEntry& e : kPaths) {
        if (e.path == path) return e.usable() ? &e : nullptr;
    }
    return nullptr;
}

}  // namespace

bool kernel_path_available(KernelPath path) noexcept { return entry_of(path) != nullptr; }

KernelPath best_kernel_path() noexcept {
    static const KernelPath best = [] {
        for (const PathEntry& e : kPaths) {
            if (e.usable()) return e.path;
        }
        return KernelPath::scalar;
    }();
    return best;
}

Evaluators evaluators_of(KernelPath path) noexcept {
    const PathEntry* e = entry_of(path);
    return e ? e->table() : Evaluators{};
}

}  // namespace zuvo::curvix
