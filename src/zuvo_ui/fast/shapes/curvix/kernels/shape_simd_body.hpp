// The corner rows of the filled generator, the corner transform and the
// outlined generator on vectors of columns, written once over an
// instruction-set description `Isa` (see outline_simd_body.hpp, whose helpers
// it shares) and instantiated by each instruction-set translation unit.
// Everything here has internal linkage and calls no inline function that is
// not its own.
//
// Each lane follows the scalar kernel's operations one for one: the same IEEE
// operations in the same order and precision, the same select for every
// std::min / std::max (including what they do with NaN), a fused
// multiply-add exactly where the corner transform has one, and every
// float-to-integer conversion through the truncating conversion of
// outline_simd_body.hpp, whose low 8 bits equal `low8_of_trunc`.  The lanes
// are then stored in ascending columns, so the writes reach memory in the
// scalar kernel's order whatever the layout (a stroke pixel of interleaved
// planes as one 32-bit store of the same four cells).
#pragma once

#include <cstdint>
#include <cstring>

#include "outline_simd_body.hpp"
#include "shape_rows.hpp"

namespace zuvo::curvix::shape_simd {
namespace {

using simd::abs_of;

// The columns x0, x0 + 1, ... as floats.  Lanes past the row's end are never
// stored; the unsigned sum keeps their indices defined.
template <class Isa>
typename Isa::F columns(std::int32_t x0) {
    using I = typename Isa::I;
    using U = typename Isa::U;
    return Isa::from_int((I)((U)Isa::iota() + static_cast<std::uint32_t>(x0)));
}

// low8(trunc(v)) of each lane.
template <class Isa>
typename Isa::I low8_of(typename Isa::F v) {
    return Isa::trunc_f(v) & 0xff;
}

template <class Isa>
struct Lanes {
    std::int32_t v[Isa::lanes];
    explicit Lanes(typename Isa::I vector) { std::memcpy(v, &vector, sizeof v); }
};

// Cells of one row of a plane.  A copy of the plane's numbers: stores
// through a byte pointer may alias a Plane, which would make the compiler
// read them again after every store.
struct RowCells {
    std::uint8_t* row;
    std::ptrdiff_t x_stride;
    RowCells(const Plane& p, std::int32_t y) : row(p.base + y * p.y_stride), x_stride(p.x_stride) {}
    std::uint8_t& operator[](std::int32_t x) const { return row[x * x_stride]; }
};

// Writes `value` to the alpha of the lanes in `write`, columns ascending.
template <class Isa>
void store_alpha(const RowCells& alpha, std::int32_t x0, std::int32_t count,
                 typename Isa::I write, typename Isa::I value) {
    const Lanes<Isa> w(write), v(value);
    for (std::int32_t i = 0; i < count; ++i) {
        if (w.v[i]) alpha[x0 + i] = static_cast<std::uint8_t>(v.v[i]);
    }
}

template <class Isa>
struct Distances {
    typename Isa::F sum, signed_dist;  // dist_outside + dist_inside, and less the radius
};

// The rounded-box distance of the filled generator and the corner transform:
// the first forms the sum of squares with a multiply and an add, the second
// with one fused multiply-add.
template <class Isa, bool fused>
Distances<Isa> rounded_box(typename Isa::F qx, const CornerRow& row) {
    using F = typename Isa::F;
    const F zero{};
    const F qy = zero + row.qy;
    const F qx_out = qx > zero ? qx : zero;
    const F squares = fused ? Isa::fma_f(qx_out, qx_out, zero + row.qy_sq)
                            : qx_out * qx_out + row.qy_sq;
    const F dist_outside = Isa::sqrt(squares);
    const F larger = qx < qy ? qy : qx;
    const F dist_inside = zero < larger ? zero : larger;
    const F sum = dist_outside + dist_inside;
    return {sum, sum - row.radius};
}

// The constants of the rows of one kernel, read once into registers: stores
// through byte pointers may alias the shape, which would otherwise make the
// compiler read every one of them again after each store.
template <class Isa>
void filled_rows(const Plane& alpha, const FilledShape& s, const CornerRow* rows,
                 std::int32_t count) {
    using F = typename Isa::F;
    using I = typename Isa::I;
    constexpr std::int32_t n = Isa::lanes;
    const float alpha_base = static_cast<float>(s.alpha_base);
    const float center_x = s.center_x, half_w = s.half_w;
    const F zero{}, half = zero + 0.5f;
    for (std::int32_t r = 0; r < count; ++r) {
        const CornerRow row = rows[r];
        const RowCells cells(alpha, row.y);
        // Steps that never pass the row's end: no column index overflows.
        for (std::int32_t x0 = row.x_begin, lanes = 0; x0 < row.x_end; x0 += lanes) {
            lanes = row.x_end - x0 < n ? row.x_end - x0 : n;
            const F qx = (abs_of<Isa>(columns<Isa>(x0) - center_x) - half_w) + row.radius;
            const F signed_dist = rounded_box<Isa, false>(qx, row).signed_dist;
            const I cleared = signed_dist >= half;
            const I ramp = signed_dist > -half;
            const I value = low8_of<Isa>((half - signed_dist) * alpha_base);
            store_alpha<Isa>(cells, x0, lanes, cleared | ramp, cleared ? I{} : value);
        }
    }
}

template <class Isa>
void corner_rows(const Plane& alpha, const CornerTransform& s, const CornerRow* rows,
                 std::int32_t count) {
    using F = typename Isa::F;
    using I = typename Isa::I;
    constexpr std::int32_t n = Isa::lanes;
    const float alpha_base = static_cast<float>(s.alpha_base);
    // The box's half extents equal the centre's coordinates.
    const float center_x = s.center_x;
    const bool has_color = s.has_color;
    const F zero{}, half = zero + 0.5f;
    for (std::int32_t r = 0; r < count; ++r) {
        const CornerRow row = rows[r];
        const RowCells cells(alpha, row.y);
        const float top = row.radius + 0.5f;
        for (std::int32_t x0 = row.x_begin, lanes = 0; x0 < row.x_end; x0 += lanes) {
            lanes = row.x_end - x0 < n ? row.x_end - x0 : n;
            const F qx = (abs_of<Isa>(columns<Isa>(x0) - center_x) - center_x) + row.radius;
            const Distances<Isa> d = rounded_box<Isa, true>(qx, row);
            const I cleared = d.signed_dist >= half;
            const I ramp = ~cleared & (d.signed_dist > -half);
            const F alpha_f = top - d.sum;
            I value;
            if (has_color) {
                value = low8_of<Isa>(alpha_f * alpha_base);
            } else {
                // The old alpha is read only where it is scaled.
                const Lanes<Isa> scaled(ramp);
                float old[n] = {};
                for (std::int32_t i = 0; i < lanes; ++i) {
                    if (scaled.v[i]) old[i] = cells[x0 + i];
                }
                F old_alpha;
                std::memcpy(&old_alpha, old, sizeof old_alpha);
                value = low8_of<Isa>(old_alpha * alpha_f);
            }
            store_alpha<Isa>(cells, x0, lanes, cleared | ramp, cleared ? I{} : value);
        }
    }
}

template <class Isa>
void outlined_rows(const PixelPlanes& px, const OutlineShape& s, const StrokeWords& words,
                   const OutlinedRow* rows, std::int32_t count) {
    using F = typename Isa::F;
    using I = typename Isa::I;
    constexpr std::int32_t n = Isa::lanes;
    const float alpha_base = static_cast<float>(s.alpha_base);
    const float center_x = s.center_x, centerline_w = s.centerline_w;
    const float center_radius = s.center_radius, half_width = s.half_width, cutoff = s.cutoff;
    const std::uint8_t full = static_cast<std::uint8_t>(static_cast<std::uint32_t>(s.alpha_base));
    const std::uint8_t r = s.r, g = s.g, b = s.b;
    const StrokeWords stroke = words;
    const F zero{}, one = zero + 1.0f;
    for (std::int32_t k = 0; k < count; ++k) {
        const OutlinedRow row = rows[k];
        const F dy = zero + row.dy, dy_out = zero + row.dy_out;
        const RowCells red(px.red, row.y), green(px.green, row.y), blue(px.blue, row.y),
            alpha_cells(px.alpha, row.y);
        std::uint8_t* const row_words =
            stroke.first_byte ? stroke.first_byte + row.y * stroke.y_stride : nullptr;
        for (std::int32_t x0 = row.x_begin, lanes = 0; x0 < row.x_end; x0 += lanes) {
            lanes = row.x_end - x0 < n ? row.x_end - x0 : n;
            const F dx = abs_of<Isa>(columns<Isa>(x0) - center_x) - centerline_w;
            const F root = Isa::sqrt(dx * dx + row.dy_sq);
            const F larger_out = dx < dy_out ? dy_out : dx;
            const F dist = ((dx > zero) & (dy_out > zero)) ? root : larger_out;
            const F larger = dx < dy ? dy : dx;
            const F inside = zero < larger ? zero : larger;
            const F dist_from_edge = abs_of<Isa>((dist + inside) - center_radius);
            const F alpha_f = (half_width - dist_from_edge) + 0.5f;
            const Lanes<Isa> write(~(dist_from_edge > cutoff) & ~(alpha_f <= zero));
            const I alpha = alpha_f >= one ? (I{} + full) : low8_of<Isa>(alpha_f * alpha_base);
            if (row_words) {
                const Lanes<Isa> pixel((I)((typename Isa::U)alpha << stroke.alpha_shift) |
                                       static_cast<std::int32_t>(stroke.colour));
                for (std::int32_t i = 0; i < lanes; ++i) {
                    if (write.v[i]) std::memcpy(row_words + 4 * std::ptrdiff_t{x0 + i}, &pixel.v[i], 4);
                }
                continue;
            }
            const Lanes<Isa> a(alpha);
            for (std::int32_t i = 0; i < lanes; ++i) {
                if (!write.v[i]) continue;
                const std::int32_t x = x0 + i;
                red[x] = r;
                green[x] = g;
                blue[x] = b;
                alpha_cells[x] = static_cast<std::uint8_t>(a.v[i]);
            }
        }
    }
}

}  // namespace
}  // namespace zuvo::curvix::shape_simd
