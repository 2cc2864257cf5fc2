// The row evaluators of the filled generator's, the corner transform's and
// the outlined generator's corner squares, one set per instruction set; the
// rows and the scalar evaluators are declared with their kernels.  Plain data
// and declarations only, as in outline_span.hpp: the instruction-set units
// include this header.
#pragma once

#include <cstdint>

#include "../../../support/plane.hpp"
#include "corner_transform.hpp"
#include "filled.hpp"
#include "outlined.hpp"

namespace zuvo::curvix {

// Each row's pixels in ascending columns, exactly as the scalar kernel
// writes them.  The corner transform's evaluators read the old alpha of a
// vector of columns before writing any of them, so without a colour they
// need the row's cells to be distinct (a non-zero column stride).
struct ShapeEvaluators {
    FilledRowsEvaluator filled = nullptr;
    CornerRowsEvaluator corner = nullptr;
    OutlinedRowsEvaluator outlined = nullptr;
};

// One set per instruction set, entered only after the processor said it has that set.
void filled_rows_sse2(const Plane& alpha, const FilledShape& shape, const CornerRow* rows,
                      std::int32_t count) noexcept;
void corner_rows_sse2(const Plane& alpha, const CornerTransform& shape, const CornerRow* rows,
                      std::int32_t count) noexcept;
void outlined_rows_sse2(const PixelPlanes& px, const OutlineShape& shape, const StrokeWords& words,
                        const OutlinedRow* rows, std::int32_t count) noexcept;
void filled_rows_avx2(const Plane& alpha, const FilledShape& shape, const CornerRow* rows,
                      std::int32_t count) noexcept;
void corner_rows_avx2(const Plane& alpha, const CornerTransform& shape, const CornerRow* rows,
                      std::int32_t count) noexcept;
void outlined_rows_avx2(const PixelPlanes& px, const OutlineShape& shape, const StrokeWords& words,
                        const OutlinedRow* rows, std::int32_t count) noexcept;
void filled_rows_neon(const Plane& alpha, const FilledShape& shape, const CornerRow* rows,
                      std::int32_t count) noexcept;
void corner_rows_neon(const Plane& alpha, const CornerTransform& shape, const CornerRow* rows,
                      std::int32_t count) noexcept;
void outlined_rows_neon(const PixelPlanes& px, const OutlineShape& shape, const StrokeWords& words,
                        const OutlinedRow* rows, std::int32_t count) noexcept;

}  // namespace zuvo::curvix
