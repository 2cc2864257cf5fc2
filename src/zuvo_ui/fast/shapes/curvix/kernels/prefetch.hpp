// Fetching the cache lines a kernel is about to write.  Not for the
// instruction-set units.
//
// A surface a generator has just filled is often not in the cache: SDL's and
// pygame's fills write large rectangles with non-temporal stores.  Each store
// to such a line then waits for the line in turn; asking for all the lines
// first lets the processor fetch many at once (measured after such a fill of
// 120 x 40 pixels: the outlined generator's kernel took 6.2 us with the
// lines missing and 1.1 us with them cached).  A hint only: no memory
// changes, and no address is ever read or written through it.
#pragma once

// Inline code compiled for one instruction set must not reach the others.
#ifdef ZUVO_INSTRUCTION_SET_UNIT
#error "not for the instruction-set units: see simd/lanes.hpp"
#endif

#include <cstdint>
#include <cstdlib>

#include "../../../support/plane.hpp"
#include "corners.hpp"

#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <xmmintrin.h>
#endif

namespace zuvo::curvix {

// GCC drops __builtin_prefetch from a loop that does nothing else (it counts
// as free of side effects), so GCC and Clang get the instruction itself.
inline void prefetch_line(std::uintptr_t address) noexcept {
#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
    _mm_prefetch(reinterpret_cast<const char*>(address), _MM_HINT_T0);
#elif (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
    asm volatile("prefetcht0 (%0)" : : "r"(address));
#elif (defined(__GNUC__) || defined(__clang__)) && defined(__aarch64__)
    asm volatile("prfm pstl1keep, [%0]" : : "r"(address));
#else
    (void)address;
#endif
}

// The lines of cells [x_begin, x_end) of rows [y_begin, y_end) of `p`.
inline void prefetch_cells(const Plane& p, std::int32_t x_begin, std::int32_t x_end,
                           std::int32_t y_begin, std::int32_t y_end) noexcept {
    constexpr std::intptr_t line = 64;
    if (x_begin >= x_end) return;
    const auto base = reinterpret_cast<std::intptr_t>(p.base);
    const std::intptr_t first_x = x_begin * p.x_stride, last_x = (x_end - 1) * p.x_stride;
    const std::intptr_t low = first_x < last_x ? first_x : last_x;
    const std::intptr_t high = first_x < last_x ? last_x : first_x;
    // Cells further apart than a line each have their own.
    const std::intptr_t step = std::abs(p.x_stride) > line ? std::abs(p.x_stride) : line;
    for (std::int32_t y = y_begin; y < y_end; ++y) {
        const std::intptr_t row = base + y * p.y_stride;
        for (std::intptr_t at = low; at <= high; at += step) {
            prefetch_line(static_cast<std::uintptr_t>(row + at));
        }
        prefetch_line(static_cast<std::uintptr_t>(row + high));
    }
}

// The lines of the four corner squares of `for_each_corner_square`.
inline void prefetch_corner_squares(const Plane& p, const CornerRadii& radii, std::int32_t width,
                                    std::int32_t height) noexcept {
    for_each_corner_square(radii, width, height, [&](const CornerSquare& sq) {
        prefetch_cells(p, sq.x_begin, sq.x_end, sq.y_begin, sq.y_end);
    });
}

}  // namespace zuvo::curvix
