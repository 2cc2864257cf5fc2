// A strided plane of 8-bit cells: what the pixel kernels work on.  No Python.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace zuvo {

struct Plane {
    std::uint8_t* base = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::ptrdiff_t x_stride = 0;  // bytes between horizontally adjacent cells
    std::ptrdiff_t y_stride = 0;  // bytes between vertically adjacent cells

    std::uint8_t* row(std::int32_t y) const noexcept { return base + y * y_stride; }
    std::uint8_t& at(std::int32_t x, std::int32_t y) const noexcept {
        return base[x * x_stride + y * y_stride];
    }
};

// The three colour planes and the alpha plane of one surface.
struct PixelPlanes {
    Plane red, green, blue, alpha;
};

struct ColourPlanes {
    Plane red, green, blue;
};

namespace layout {

// Strides this large belong to no real surface; refusing them keeps every
// extent below computable in 64 bits.
constexpr std::int64_t kStrideLimit = std::int64_t{1} << 31;

constexpr bool stride_in_range(std::ptrdiff_t s) noexcept {
    return s > -kStrideLimit && s < kStrideLimit;
}

constexpr std::int64_t magnitude(std::ptrdiff_t s) noexcept { return s < 0 ? -std::int64_t{s} : s; }

// Whether blocks of `size` bytes at x * x_stride + y * y_stride, for every
// cell of `p`, never share a byte: the smaller step must clear a block and
// the larger one a whole run of the smaller.  Strides in range only.
constexpr bool blocks_disjoint(const Plane& p, std::int64_t size) noexcept {
    std::int64_t step[2] = {magnitude(p.x_stride), magnitude(p.y_stride)};
    std::int64_t count[2] = {p.width, p.height};
    if (step[0] > step[1]) {
        std::swap(step[0], step[1]);
        std::swap(count[0], count[1]);
    }
    if (count[0] > 1 && step[0] < size) return false;
    const std::int64_t inner_run = count[0] > 1 ? step[0] * (count[0] - 1) : 0;
    return count[1] <= 1 || step[1] >= inner_run + size;
}

// The first and last byte addresses of the cells of `p`.
struct Span {
    std::intptr_t first, last;
};

inline Span span_of(const Plane& p) noexcept {
    const auto reach = [](std::ptrdiff_t stride, std::int32_t count, bool low) -> std::int64_t {
        const std::int64_t far = std::int64_t{stride} * (count - 1);
        return low ? std::min<std::int64_t>(far, 0) : std::max<std::int64_t>(far, 0);
    };
    const auto base = reinterpret_cast<std::intptr_t>(p.base);
    return {base + static_cast<std::intptr_t>(reach(p.x_stride, p.width, true) +
                                              reach(p.y_stride, p.height, true)),
            base + static_cast<std::intptr_t>(reach(p.x_stride, p.width, false) +
                                              reach(p.y_stride, p.height, false))};
}

}  // namespace layout

// True when no two cells of `p` share a byte.
inline bool cells_disjoint(const Plane& p) noexcept {
    if (p.width <= 0 || p.height <= 0) return true;
    return layout::stride_in_range(p.x_stride) && layout::stride_in_range(p.y_stride) &&
           layout::blocks_disjoint(p, 1);
}

// True when no two cells of the four planes share a byte, so that a kernel
// may reorder, batch or copy writes freely.  Two layouts are recognised:
// interleaved pixels (equal strides, the four channels within one block that
// no other pixel's block overlaps), and four planes that each hold distinct
// cells and lie apart.  Anything else (aliased planes, overlapping rows, huge
// strides) is refused: callers then take their plain per-pixel path.
inline bool cells_disjoint(const PixelPlanes& px) noexcept {
    const Plane* planes[4] = {&px.red, &px.green, &px.blue, &px.alpha};
    for (const Plane* p : planes) {
        if (p->width < 0 || p->height < 0) return false;
        if (p->width == 0 || p->height == 0) return true;  // no cell at all
        if (!layout::stride_in_range(p->x_stride) || !layout::stride_in_range(p->y_stride)) {
            return false;
        }
    }
    const Plane& first = px.red;
    bool same_layout = true;
    std::intptr_t low = reinterpret_cast<std::intptr_t>(first.base), high = low;
    for (const Plane* p : planes) {
        same_layout &= p->x_stride == first.x_stride && p->y_stride == first.y_stride &&
                       p->width == first.width && p->height == first.height;
        low = std::min(low, reinterpret_cast<std::intptr_t>(p->base));
        high = std::max(high, reinterpret_cast<std::intptr_t>(p->base));
    }
    if (same_layout) {
        bool distinct = true;
        for (int i = 0; i < 4; ++i) {
            for (int j = i + 1; j < 4; ++j) distinct &= planes[i]->base != planes[j]->base;
        }
        if (distinct && layout::blocks_disjoint(first, std::int64_t{high - low} + 1)) return true;
    }
    layout::Span spans[4];
    for (int i = 0; i < 4; ++i) {
        if (!layout::blocks_disjoint(*planes[i], 1)) return false;
        spans[i] = layout::span_of(*planes[i]);
        for (int j = 0; j < i; ++j) {
            if (spans[i].first <= spans[j].last && spans[j].first <= spans[i].last) return false;
        }
    }
    return true;
}

}  // namespace zuvo
