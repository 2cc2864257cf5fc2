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

#include "../corner_runs.hpp"
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

// --- corner squares as runs (corner_runs.hpp) ----------------------------------

// Where a window of a row lies: lane j is column x0 + j, and the row's lanes
// are `valid_`.  Columns are counted inwards from the square's outer column:
// column p of a left square is x_begin + p, of a right one x_end - 1 - p, so
// that a window [p, p + m) of a right square ends at its last lane.  A square
// painted mirrored (mirror_x) writes each window and run a second time,
// reversed, at the mirrored columns.
template <class Isa>
class RowWindows {
public:
    static constexpr int lanes = Isa::lanes;

    void start_square(const CornerSquare& sq) {
        square_ = sq;
        const std::int32_t length = sq.x_end - sq.x_begin;
        m_ = length < lanes ? length : lanes;
        const I<Isa> lane = Isa::iota();
        valid_ = sq.right ? (lane >= splat_int<Isa>(lanes - m_)) : (lane < splat_int<Isa>(m_));
    }
    std::int32_t length() const { return square_.x_end - square_.x_begin; }
    const CornerSquare& square() const { return square_; }

protected:
    std::int32_t x0_of(std::int32_t p) const {
        return square_.right ? square_.x_end - p - lanes : square_.x_begin + p;
    }
    // The first column of columns [from, to), counted inwards.
    std::int32_t x_from(std::int32_t from, std::int32_t to) const {
        return square_.right ? square_.x_end - to : square_.x_begin + from;
    }
    bool mirrored() const { return square_.mirror_x >= 0; }
    // The column mirroring column x.
    std::int32_t mirror_of(std::int32_t x) const { return square_.mirror_x - x; }
    // A window's counts from `bytes`, whose byte k - 1 is 1 in the lanes of
    // the columns ranking below k: each count one byte of the lanes' sum (a
    // count is at most 8).
    WindowCounts counts_of(I<Isa> bytes) const {
        const std::int32_t sum = sum_of<Isa>(bytes & valid_);
        WindowCounts c;
        for (int k = 1; k < kMaxRanks; ++k) c.below[k] = (sum >> (8 * (k - 1))) & 0xff;
        return c;
    }

    CornerSquare square_{};
    std::int32_t m_ = 0;  // the columns of a window: `lanes`, or fewer in a narrow square
    I<Isa> valid_{};
};

// The filled generator's corner rows as runs.  Its pixels rank
//   0  cleared (signed distance >= 0.5)
//   1  on the ramp (written with their coverage)
//   2  left as filled (signed distance <= -0.5)
// and the signed distance never rises inwards: |x - center_x| falls, so qx
// never rises, and each step from qx to the distance is monotone under
// round-to-nearest (adding a constant, max0, squaring a non-negative value,
// adding qy_sq, sqrt, min/max against constants, the sum of two such terms).
// Every value is finite here (radii clamped to half the surface), so no NaN
// breaks the order.  The alpha cells must be distinct: the cleared run is
// written after the window beside it.  `Mirrored`: the squares may be
// painted mirrored (most are not, and spare the test).
template <class Isa, bool Mirrored>
class FilledRunsWindow : public RowWindows<Isa> {
    using Base = RowWindows<Isa>;

public:
    static constexpr int ranks = 3;
    static constexpr bool evaluated(int rank) { return rank == 1; }

    FilledRunsWindow(const Plane& alpha, const FilledShape& s)
        : alpha_(alpha),
          step_(alpha.x_stride),
          alpha_base_(splat<Isa>(static_cast<float>(s.alpha_base))),
          center_x_(splat<Isa>(s.center_x)),
          half_w_(splat<Isa>(s.half_w)),
          center_y_(s.center_y),
          half_h_(s.half_h) {}

    void start_square(const CornerSquare& sq) {
        Base::start_square(sq);
        radius_ = splat<Isa>(sq.radius);
    }

    // Row y's values, as for_each_corner_row_batch forms them; the row is
    // painted again as row `mirror` unless that is negative.
    void start_row(std::int32_t y, std::int32_t mirror) {
        rows_[0] = alpha_.base + y * alpha_.y_stride;
        rows_[1] = alpha_.base + mirror * alpha_.y_stride;
        mirrored_rows_ = mirror >= 0;
        qy_ = (abs_of<Isa>(splat<Isa>(static_cast<float>(y)) - center_y_) - half_h_) + radius_;
        const F<Isa> qy_out = max0<Isa>(qy_);
        qy_sq_ = qy_out * qy_out;
    }

    WindowCounts evaluate(std::int32_t p) {
        const std::int32_t x0 = this->x0_of(p);
        const F<Isa> half = splat<Isa>(0.5f);
        const F<Isa> qx = (abs_of<Isa>(columns<Isa>(x0) - center_x_) - half_w_) + radius_;
        const F<Isa> qx_out = max0<Isa>(qx);
        const F<Isa> dist_outside = Isa::sqrt(qx_out * qx_out + qy_sq_);
        const F<Isa> dist_inside = min_of<Isa>(max_of<Isa>(qx, qy_), F<Isa>{});
        const F<Isa> signed_dist = (dist_outside + dist_inside) - radius_;
        const I<Isa> cleared = signed_dist >= half;
        const I<Isa> written = signed_dist > -half;
        // Below 1: the cleared columns; below 2: the written ones (masks are -1).
        const WindowCounts c = this->counts_of(-(cleared + (written << 8)));
        // The written columns are the window's outermost ones.
        const std::int32_t count = c.below[2];
        if (count == 0) return c;
        const I<Isa> value = cleared ? I<Isa>{} : low8_of<Isa>((half - signed_dist) * alpha_base_);
        const std::int32_t first = this->square_.right ? Base::lanes - count : 0;
        const Unpacked<Isa> v(value);
        each_place(x0 + first, [&](std::uint8_t* cell, std::ptrdiff_t step) {
            for (std::int32_t j = first; j < first + count; ++j, cell += step) {
                *cell = static_cast<std::uint8_t>(v.v[j]);
            }
        });
        return c;
    }

    void run(int rank, std::int32_t from, std::int32_t to) {
        if (rank != 0) return;
        each_place(this->x_from(from, to), [&](std::uint8_t* cell, std::ptrdiff_t step) {
            for (std::int32_t i = from; i < to; ++i, cell += step) *cell = 0;
        });
    }

private:
    // write(cell, step) for each place of the cells from column x rightwards:
    // in each row, and mirrored (leftwards from the mirror of x).
    template <class Write>
    void each_place(std::int32_t x, Write write) const {
        write(rows_[0] + x * step_, step_);
        if constexpr (Mirrored) {
            if (this->mirrored()) write(rows_[0] + this->mirror_of(x) * step_, -step_);
            if (!mirrored_rows_) return;
            write(rows_[1] + x * step_, step_);
            if (this->mirrored()) write(rows_[1] + this->mirror_of(x) * step_, -step_);
        }
    }

    Plane alpha_;
    std::ptrdiff_t step_;
    F<Isa> alpha_base_, center_x_, half_w_;
    float center_y_, half_h_;
    F<Isa> radius_{}, qy_{}, qy_sq_{};
    std::uint8_t* rows_[2] = {};
    bool mirrored_rows_ = false;
};

// Each square's rows from its straight end (nearest the middle row)
// outwards, through row(y, mirror, starts): `mirror` the row painted alike,
// or -1.
template <class Window, class Row>
void for_each_square_row(Window& window, const CornerSquare* squares, std::int32_t count, Row row) {
    for (std::int32_t i = 0; i < count; ++i) {
        const CornerSquare& sq = squares[i];
        window.start_square(sq);
        RankStarts starts;
        for (std::int32_t k = 0; k < sq.y_end - sq.y_begin; ++k) {
            const std::int32_t y = sq.bottom ? sq.y_begin + k : sq.y_end - 1 - k;
            row(y, sq.mirror_y < 0 ? -1 : sq.mirror_y - y, starts);
        }
    }
}

template <class Window>
void paint_filled_square(Window window, const CornerSquare& square) {
    for_each_square_row(window, &square, 1,
                        [&](std::int32_t y, std::int32_t mirror, RankStarts& starts) {
                            window.start_row(y, mirror);
                            paint_row_in_runs(window, window.length(), starts);
                        });
}

template <class Isa>
void filled_corner_runs(const Plane& alpha, const FilledShape& s, const CornerSquare* squares,
                        std::int32_t count) noexcept {
    for (std::int32_t i = 0; i < count; ++i) {
        if (squares[i].mirror_x < 0 && squares[i].mirror_y < 0) {
            paint_filled_square(FilledRunsWindow<Isa, false>(alpha, s), squares[i]);
        } else {
            paint_filled_square(FilledRunsWindow<Isa, true>(alpha, s), squares[i]);
        }
    }
}

// The outlined generator's corner rows as runs, on interleaved pixels.  Its
// pixels rank
//   0  outside the stroke, beyond its outer edge (signed distance > 0)
//   1  partly covered, signed distance > 0
//   2  fully covered
//   3  partly covered, signed distance <= 0
//   4  inside the stroke's inner edge (signed distance <= 0)
// and the signed distance never rises inwards: dx never rises; with dy <= 0
// the distance is max(dx, 0) + min(max(dx, dy), 0), each term monotone; with
// dy > 0 it is dy_out for dx <= 0 and sqrt(dx^2 + dy_sq) >= sqrt(dy_sq) beyond,
// which is at least dy_out wherever sqrt(dy_sq) >= dy_out (checked per row:
// it can only fail where dy_out^2 underflows).  Every value is finite for a
// finite width and integer sizes.  Since coverage and writing depend on the
// distance's magnitude alone, ranks 0-2 follow it down on the outer side and
// 2-4 on the inner side.  A window reads and writes all its lanes' pixels (the
// others keep their value), so the surface must be at least `lanes` wide.
template <class Isa>
class OutlinedRunsWindow : public RowWindows<Isa> {
    using Base = RowWindows<Isa>;

public:
    static constexpr int ranks = 5;
    static constexpr bool evaluated(int rank) { return rank == 1 || rank == 3; }

    OutlinedRunsWindow(const OutlinedShape& s, const StrokeWords& words)
        : first_byte_(words.first_byte),
          y_stride_(words.y_stride),
          alpha_shift_(words.alpha_shift),
          alpha_base_(splat<Isa>(static_cast<float>(s.alpha_base))),
          center_x_(splat<Isa>(s.center_x)),
          centerline_w_(splat<Isa>(s.centerline_w)),
          center_radius_(splat<Isa>(s.center_radius)),
          half_width_(splat<Isa>(s.half_width)),
          cutoff_(splat<Isa>(s.cutoff)),
          colour_(splat_int<Isa>(static_cast<std::int32_t>(words.colour))),
          full_alpha_(splat_int<Isa>(
              static_cast<std::int32_t>(static_cast<std::uint32_t>(s.alpha_base) & 0xff))),
          full_word_((static_cast<std::uint32_t>(s.alpha_base) & 0xff) << words.alpha_shift |
                     words.colour),
          full_pixels_(splat_int<Isa>(static_cast<std::int32_t>(full_word_))) {}

    // Row y's values; the row is painted again as row `mirror` unless that
    // is negative.
    void start_row(std::int32_t y, std::int32_t mirror, F<Isa> dy, F<Isa> dy_out, F<Isa> dy_sq) {
        rows_[0] = first_byte_ + y * y_stride_;
        rows_[1] = first_byte_ + mirror * y_stride_;
        row_count_ = mirror < 0 ? 1 : 2;
        dy_ = dy;
        dy_out_ = dy_out;
        dy_sq_ = dy_sq;
    }

    WindowCounts evaluate(std::int32_t p) {
        const std::int32_t x0 = this->x0_of(p);
        const F<Isa> zero{}, one = zero + 1.0f;
        const F<Isa> dx = abs_of<Isa>(columns<Isa>(x0) - center_x_) - centerline_w_;
        const F<Isa> root = Isa::sqrt(dx * dx + dy_sq_);
        const F<Isa> dist = ((dx > zero) & (dy_out_ > zero)) ? root : max_of<Isa>(dx, dy_out_);
        const F<Isa> inside = min_of<Isa>(max_of<Isa>(dx, dy_), zero);
        const F<Isa> signed_dist = (dist + inside) - center_radius_;
        const F<Isa> dist_from_edge = abs_of<Isa>(signed_dist);
        const F<Isa> alpha_f = (half_width_ - dist_from_edge) + 0.5f;
        const I<Isa> written = ~(dist_from_edge > cutoff_) & ~(alpha_f <= zero);
        const I<Isa> full = written & (alpha_f >= one);
        const I<Isa> outer = signed_dist > zero;
        const I<Isa> alpha = full ? full_alpha_ : low8_of<Isa>(alpha_f * alpha_base_);
        const I<Isa> pixel = (I<Isa>)((typename Isa::U)alpha << alpha_shift_) | colour_;
        const I<Isa> write = written & this->valid_;
        for (int r = 0; r < row_count_; ++r) store(rows_[r], x0, pixel, write);
        if (this->mirrored()) {
            const I<Isa> mirrored_pixel = reversed<Isa>(pixel), mirrored_write = reversed<Isa>(write);
            const std::int32_t mirrored_x0 = this->mirror_of(x0 + Base::lanes - 1);
            for (int r = 0; r < row_count_; ++r) {
                store(rows_[r], mirrored_x0, mirrored_pixel, mirrored_write);
            }
        }
        // Outside the outer edge a column ranks below 1 unless written, below 2
        // unless full, below 3 and 4 always; inwards of it below 3 if full
        // and below 4 if written (masks are -1, so ~m & 1 is m + 1).
        const I<Isa> outer_bytes = (written + (full << 8)) + 0x01010101;
        const I<Isa> inner_bytes = -((full << 16) + (written << 24));
        return this->counts_of(outer ? outer_bytes : inner_bytes);
    }

    void run(int rank, std::int32_t from, std::int32_t to) {
        if (rank != 2) return;
        const std::int32_t x = this->x_from(from, to);
        for (int r = 0; r < row_count_; ++r) {
            fill_full(rows_[r] + 4 * std::ptrdiff_t{x}, to - from);
            if (this->mirrored()) {
                fill_full(rows_[r] + 4 * std::ptrdiff_t{this->mirror_of(x + (to - from) - 1)}, to - from);
            }
        }
    }

private:
    // The lanes of `write` get `pixel`, the others keep their pixel.
    static void store(std::uint8_t* row, std::int32_t x0, I<Isa> pixel, I<Isa> write) {
        std::uint8_t* const at = row + 4 * std::ptrdiff_t{x0};
        I<Isa> old;
        std::memcpy(&old, at, sizeof old);
        const I<Isa> out = write ? pixel : old;
        std::memcpy(at, &out, sizeof out);
    }

    void fill_full(std::uint8_t* at, std::int32_t count) const {
        if (count < Base::lanes) {
            for (; count > 0; --count, at += 4) std::memcpy(at, &full_word_, 4);
            return;
        }
        // Whole vectors, the last one overlapping the one before.
        for (; count > Base::lanes; count -= Base::lanes, at += sizeof full_pixels_) {
            std::memcpy(at, &full_pixels_, sizeof full_pixels_);
        }
        std::memcpy(at + 4 * std::ptrdiff_t{count - Base::lanes}, &full_pixels_, sizeof full_pixels_);
    }

    std::uint8_t* first_byte_;
    std::ptrdiff_t y_stride_;
    int alpha_shift_;
    F<Isa> alpha_base_, center_x_, centerline_w_, center_radius_, half_width_, cutoff_;
    I<Isa> colour_, full_alpha_;
    std::uint32_t full_word_;
    I<Isa> full_pixels_;
    std::uint8_t* rows_[2] = {};
    int row_count_ = 1;
    F<Isa> dy_{}, dy_out_{}, dy_sq_{};
};

template <class Isa>
void outlined_corner_runs(const PixelPlanes& px, const OutlinedShape& s, const StrokeWords& words,
                          const CornerSquare* squares, std::int32_t count) noexcept {
    OutlinedRunsWindow<Isa> window(s, words);
    const float center_y = s.center_y, centerline_h = s.centerline_h;
    const bool wide = s.w >= Isa::lanes;
    for_each_square_row(window, squares, count, [&](std::int32_t y, std::int32_t mirror,
                                                    RankStarts& starts) {
        // Row y's values, as paint_outline_corners forms them.
        const F<Isa> dy = abs_of<Isa>(splat<Isa>(static_cast<float>(y)) - center_y) - centerline_h;
        const F<Isa> dy_out = max_of<Isa>(dy, F<Isa>{});
        const F<Isa> dy_sq = dy_out * dy_out;
        if (wide && (!(dy_out[0] > 0.0f) || Isa::sqrt(dy_sq)[0] >= dy_out[0])) {
            window.start_row(y, mirror, dy, dy_out, dy_sq);
            paint_row_in_runs(window, window.length(), starts);
            return;
        }
        // Otherwise every pixel of the row's places, evaluated.
        const CornerSquare& sq = window.square();
        OutlinedCornerRow rows[4];
        std::int32_t n = 0;
        for (const std::int32_t row_y : {y, mirror}) {
            if (row_y < 0) continue;
            rows[n++] = {row_y, sq.x_begin, sq.x_end, dy[0], dy_out[0], dy_sq[0]};
            if (sq.mirror_x < 0) continue;
            rows[n++] = {row_y, sq.mirror_x - sq.x_end + 1, sq.mirror_x - sq.x_begin + 1, dy[0],
                         dy_out[0], dy_sq[0]};
        }
        outlined_rows<Isa>(px, s, words, rows, n);
    });
}

}  // namespace
}  // namespace zuvo::curvix::simd
