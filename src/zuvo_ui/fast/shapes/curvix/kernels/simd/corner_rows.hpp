// The corner rows of the filled generator, the corner transform and the
// outlined generator on vectors of columns, written once over the lanes of
// simd/lanes.hpp.  Each follows its scalar kernel lane by lane, a fused
// multiply-add exactly where the corner transform has one; the lanes are
// stored in ascending columns, so the writes reach memory in the scalar
// kernel's order whatever the layout (a stroke pixel of interleaved planes
// as one 32-bit store of the same four cells).
#pragma once

#include <cstdint>
#include <cstring>

#include "../corner_transform.hpp"
#include "../filled.hpp"
#include "../outlined.hpp"
#include "lanes.hpp"

namespace zuvo::curvix::simd {
namespace {

template <class Isa>
struct Distances {
    F<Isa> sum, signed_dist;  // dist_outside + dist_inside, and less the radius
};

// The rounded-box distance of the filled generator and the corner transform:
// the first forms the sum of squares with a multiply and an add, the second
// with one fused multiply-add.
template <class Isa, bool fused>
Distances<Isa> rounded_box(F<Isa> qx, const CornerRow& row) {
    const F<Isa> qx_out = max0<Isa>(qx);
    const F<Isa> squares = fused ? Isa::fma_f(qx_out, qx_out, splat<Isa>(row.qy_sq))
                                 : qx_out * qx_out + row.qy_sq;
    const F<Isa> dist_outside = Isa::sqrt(squares);
    const F<Isa> dist_inside = min_of<Isa>(max_of<Isa>(qx, splat<Isa>(row.qy)), F<Isa>{});
    const F<Isa> sum = dist_outside + dist_inside;
    return {sum, sum - row.radius};
}

// The constants of the rows of one kernel are read once into registers:
// stores through byte pointers may alias the shape, which would otherwise
// make the compiler read every one of them again after each store.
template <class Isa>
void filled_rows(const Plane& alpha, const FilledShape& s, const CornerRow* rows,
                 std::int32_t count) noexcept {
    constexpr std::int32_t n = Isa::lanes;
    const float alpha_base = static_cast<float>(s.alpha_base);
    const float center_x = s.center_x, half_w = s.half_w;
    const F<Isa> half = splat<Isa>(0.5f);
    for (std::int32_t r = 0; r < count; ++r) {
        const CornerRow row = rows[r];
        const RowCells cells(alpha, row.y);
        // Steps that never pass the row's end: no column index overflows.
        for (std::int32_t x0 = row.x_begin, lanes = 0; x0 < row.x_end; x0 += lanes) {
            lanes = row.x_end - x0 < n ? row.x_end - x0 : n;
            const F<Isa> qx = (abs_of<Isa>(columns<Isa>(x0) - center_x) - half_w) + row.radius;
            const F<Isa> signed_dist = rounded_box<Isa, false>(qx, row).signed_dist;
            const I<Isa> cleared = signed_dist >= half;
            const I<Isa> ramp = signed_dist > -half;
            const I<Isa> value = low8_of<Isa>((half - signed_dist) * alpha_base);
            store_where<Isa>(cells, x0, lanes, cleared | ramp, cleared ? I<Isa>{} : value);
        }
    }
}

template <class Isa>
void corner_transform_rows(const Plane& alpha, const CornerTransformShape& s, const CornerRow* rows,
                           std::int32_t count) noexcept {
    constexpr std::int32_t n = Isa::lanes;
    const float alpha_base = static_cast<float>(s.alpha_base);
    // The box's half extents equal the centre's coordinates.
    const float center_x = s.center_x;
    const bool has_color = s.has_color;
    const F<Isa> half = splat<Isa>(0.5f);
    for (std::int32_t r = 0; r < count; ++r) {
        const CornerRow row = rows[r];
        const RowCells cells(alpha, row.y);
        const float top = row.radius + 0.5f;
        for (std::int32_t x0 = row.x_begin, lanes = 0; x0 < row.x_end; x0 += lanes) {
            lanes = row.x_end - x0 < n ? row.x_end - x0 : n;
            const F<Isa> qx = (abs_of<Isa>(columns<Isa>(x0) - center_x) - center_x) + row.radius;
            const Distances<Isa> d = rounded_box<Isa, true>(qx, row);
            const I<Isa> cleared = d.signed_dist >= half;
            const I<Isa> ramp = ~cleared & (d.signed_dist > -half);
            const F<Isa> alpha_f = top - d.sum;
            // Without a colour the old alpha is read, only where it is scaled.
            const I<Isa> value =
                has_color ? low8_of<Isa>(alpha_f * alpha_base)
                          : low8_of<Isa>(load_where<Isa>(cells, x0, lanes, ramp) * alpha_f);
            store_where<Isa>(cells, x0, lanes, cleared | ramp, cleared ? I<Isa>{} : value);
        }
    }
}

template <class Isa>
void outlined_rows(const PixelPlanes& px, const OutlinedShape& s, const StrokeWords& words,
                   const OutlinedCornerRow* rows, std::int32_t count) noexcept {
    constexpr std::int32_t n = Isa::lanes;
    const float alpha_base = static_cast<float>(s.alpha_base);
    const float center_x = s.center_x, centerline_w = s.centerline_w;
    const float center_radius = s.center_radius, half_width = s.half_width, cutoff = s.cutoff;
    const std::uint8_t full = static_cast<std::uint8_t>(static_cast<std::uint32_t>(s.alpha_base));
    const std::uint8_t r = s.r, g = s.g, b = s.b;
    const StrokeWords stroke = words;
    const F<Isa> zero{}, one = zero + 1.0f;
    for (std::int32_t k = 0; k < count; ++k) {
        const OutlinedCornerRow row = rows[k];
        const F<Isa> dy = splat<Isa>(row.dy), dy_out = splat<Isa>(row.dy_out);
        const PixelRow cells(px, row.y);
        std::uint8_t* const row_words =
            stroke.first_byte ? stroke.first_byte + row.y * stroke.y_stride : nullptr;
        for (std::int32_t x0 = row.x_begin, lanes = 0; x0 < row.x_end; x0 += lanes) {
            lanes = row.x_end - x0 < n ? row.x_end - x0 : n;
            const F<Isa> dx = abs_of<Isa>(columns<Isa>(x0) - center_x) - centerline_w;
            const F<Isa> root = Isa::sqrt(dx * dx + row.dy_sq);
            const F<Isa> dist = ((dx > zero) & (dy_out > zero)) ? root : max_of<Isa>(dx, dy_out);
            const F<Isa> inside = min_of<Isa>(max_of<Isa>(dx, dy), zero);
            const F<Isa> dist_from_edge = abs_of<Isa>((dist + inside) - center_radius);
            const F<Isa> alpha_f = (half_width - dist_from_edge) + 0.5f;
            const Unpacked<Isa> write(~(dist_from_edge > cutoff) & ~(alpha_f <= zero));
            const I<Isa> alpha =
                alpha_f >= one ? splat_int<Isa>(full) : low8_of<Isa>(alpha_f * alpha_base);
            if (row_words) {
                const Unpacked<Isa> pixel((I<Isa>)((typename Isa::U)alpha << stroke.alpha_shift) |
                                          static_cast<std::int32_t>(stroke.colour));
                for (std::int32_t i = 0; i < lanes; ++i) {
                    if (write.v[i]) std::memcpy(row_words + 4 * std::ptrdiff_t{x0 + i}, &pixel.v[i], 4);
                }
                continue;
            }
            const Unpacked<Isa> a(alpha);
            for (std::int32_t i = 0; i < lanes; ++i) {
                if (!write.v[i]) continue;
                const std::int32_t x = x0 + i;
                cells.red[x] = r;
                cells.green[x] = g;
                cells.blue[x] = b;
                cells.alpha[x] = static_cast<std::uint8_t>(a.v[i]);
            }
        }
    }
}

}  // namespace
}  // namespace zuvo::curvix::simd
