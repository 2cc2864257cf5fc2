// Values shared by the rounded-rectangle kernels.  No Python.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "../../../support/numeric.hpp"

namespace zuvo::curvix {

// Corner radii in pixels, clockwise from the top-left corner.
struct CornerRadii {
    float top_left = 0, top_right = 0, bottom_right = 0, bottom_left = 0;
};

// Columns [x_begin, x_end) of row y of one corner square of the filled
// generator or the corner transform, with the values its pixels share.
struct CornerRow {
    std::int32_t y, x_begin, x_end;
    float radius;  // the corner's radius
    float qy;      // (|y - center_y| - half height) + radius
    float qy_sq;   // max(qy, 0)^2
};

// Columns [x_begin, x_end) of rows [y_begin, y_end): one corner's square,
// whose outer edges are its first or last column and row.
struct CornerSquare {
    std::int32_t x_begin, x_end, y_begin, y_end;
    float radius;
    bool right, bottom;  // which corner: the right ones' outer column is x_end - 1
    // Not negative: the square is painted again mirrored, each column x also
    // as column mirror_x - x, each row y also as row mirror_y - y (both: as
    // four squares).  See mirror_squares.
    std::int32_t mirror_x = -1, mirror_y = -1;
};

// Merges each bottom square into the top square above it and then each
// right square into the left one beside it, where the two have the same
// radius and mirrored places: the merged square is painted mirrored instead.
// Mirrored pixels are equal, since |x - center_x| and |y - center_y| are
// exact for both (below 2^23 columns and rows) and so is every value formed
// from them.  Returns how many squares are left, in their order.
inline std::int32_t mirror_squares(CornerSquare* squares, std::int32_t count, std::int32_t width,
                                   std::int32_t height) noexcept {
    constexpr std::int32_t exact = std::int32_t{1} << 23;
    const auto merge = [&](bool rows) {
        if ((rows ? height : width) > exact) return;
        std::int32_t kept = 0;
        for (std::int32_t i = 0; i < count; ++i) {
            const CornerSquare& sq = squares[i];
            bool merged = false;
            for (std::int32_t j = 0; j < kept && !merged && (rows ? sq.bottom : sq.right); ++j) {
                CornerSquare& kin = squares[j];
                if (kin.radius != sq.radius || (rows ? kin.bottom : kin.right) ||
                    kin.mirror_x != sq.mirror_x || kin.mirror_y != sq.mirror_y) {
                    continue;
                }
                if (rows) {
                    merged = kin.right == sq.right && kin.x_begin == sq.x_begin &&
                             kin.x_end == sq.x_end && kin.y_begin + sq.y_end == height &&
                             kin.y_end + sq.y_begin == height;
                    if (merged) kin.mirror_y = height - 1;
                } else {
                    merged = kin.bottom == sq.bottom && kin.y_begin == sq.y_begin &&
                             kin.y_end == sq.y_end && kin.x_begin + sq.x_end == width &&
                             kin.x_end + sq.x_begin == width;
                    if (merged) kin.mirror_x = width - 1;
                }
            }
            if (merged) continue;
            if (kept != i) squares[kept] = sq;
            ++kept;
        }
        count = kept;
    };
    merge(true);
    merge(false);
    return count;
}

// Calls `evaluate(rows, count)` on the rows [y_begin, y_end) in batches, each
// row made by `make(y)`: one call of an evaluator serves many rows.
template <class Row, class Make, class Evaluate>
void in_row_batches(std::int32_t y_begin, std::int32_t y_end, Make make, Evaluate evaluate) {
    constexpr std::int64_t batch = 64;
    Row rows[batch];
    for (std::int64_t y0 = y_begin; y0 < y_end; y0 += batch) {
        const auto count = static_cast<std::int32_t>(std::min<std::int64_t>(batch, y_end - y0));
        for (std::int32_t i = 0; i < count; ++i) rows[i] = make(static_cast<std::int32_t>(y0 + i));
        evaluate(rows, count);
    }
}

// The smaller of `a` and `limit`; a NaN `a` stays NaN, so that the callers'
// "greater than 0" tests skip the corner.
constexpr float min_keep_nan(float a, float limit) noexcept { return limit < a ? limit : a; }

constexpr float max0(float v) noexcept { return v > 0.0f ? v : 0.0f; }

// Calls visit(square) for the n x n square of each corner whose radius is
// positive and at least 1 (n its integer part), in the order top-left,
// top-right, bottom-left, bottom-right.  The radii must already be clamped so
// that the squares fit the width x height surface.
template <typename Visit>
void for_each_corner_square(const CornerRadii& radii, std::int32_t width, std::int32_t height,
                            Visit visit) {
    struct Corner {
        float radius;
        bool right, bottom;
    };
    const Corner corners[] = {{radii.top_left, false, false},
                              {radii.top_right, true, false},
                              {radii.bottom_left, false, true},
                              {radii.bottom_right, true, true}};
    for (const Corner& c : corners) {
        if (!(c.radius > 0.0f)) continue;
        const std::int32_t n = trunc_to_int32(c.radius);
        if (n <= 0) continue;
        const std::int32_t x = c.right ? width - n : 0, y = c.bottom ? height - n : 0;
        visit(CornerSquare{x, x + n, y, y + n, c.radius, c.right, c.bottom});
    }
}

// The rows of those squares, in batches: `evaluate(rows, count)` for the
// filled generator and the corner transform alike, each row with the values
// its pixels share, qy = (|y - center_y| - half_h) + radius.
template <typename Evaluate>
void for_each_corner_row_batch(const CornerRadii& radii, std::int32_t width, std::int32_t height,
                               float center_y, float half_h, Evaluate evaluate) {
    for_each_corner_square(radii, width, height, [&](const CornerSquare& sq) {
        const auto row = [&](std::int32_t y) {
            const float qy = std::fabs(static_cast<float>(y) - center_y) - half_h + sq.radius;
            const float qy_out = max0(qy);
            return CornerRow{y, sq.x_begin, sq.x_end, sq.radius, qy, qy_out * qy_out};
        };
        in_row_batches<CornerRow>(sq.y_begin, sq.y_end, row, evaluate);
    });
}

}  // namespace zuvo::curvix
