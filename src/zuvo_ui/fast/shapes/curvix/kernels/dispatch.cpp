// The paths by preference, each with its table and what it needs of the processor.
#include <array>
#include <cstddef>

#include "evaluators.hpp"

namespace zuvo::curvix {
namespace {

bool always() noexcept { return true; }

#ifdef ZUVO_HAS_AVX2_PATH
bool has_avx2_fma() noexcept {
    // The tables below are filled while the library loads, possibly before
    // GCC's own constructor has read the processor's features.
    static const bool yes = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    }();
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

namespace {

// Every path's table, filled while the library loads: a kernel call then
// costs a lookup only (so no other initialiser of a static may call it).
const std::array<Evaluators, kPathCount> kTables = [] {
    std::array<Evaluators, kPathCount> t{};
    for (std::size_t i = 0; i < t.size(); ++i) {
        const PathEntry* e = entry_of(static_cast<KernelPath>(i));
        if (e) t[i] = e->table();
    }
    return t;
}();

const Evaluators kNoEvaluators{};

}  // namespace

const Evaluators& evaluators_of(KernelPath path) noexcept {
    const auto i = static_cast<std::size_t>(path);
    return i < kTables.size() ? kTables[i] : kNoEvaluators;
}

}  // namespace zuvo::curvix
