// A strided plane of 8-bit cells: what the pixel kernels work on.  No Python.
#pragma once

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

}  // namespace zuvo
