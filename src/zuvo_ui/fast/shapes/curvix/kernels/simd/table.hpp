// The table of every kernel's evaluators on one instruction set: each
// instruction-set unit calls `make_evaluators` with its lane description,
// and gets its own copies of the bodies (internal linkage, simd/lanes.hpp).
#pragma once

#include "../evaluators.hpp"
#include "corner_rows.hpp"
#include "draw_rect.hpp"
#include "outline_transform.hpp"

namespace zuvo::curvix::simd {
namespace {

template <class Isa>
Evaluators make_evaluators() noexcept {
    Evaluators e;
    e.outline_span = evaluate_span<Isa>;
    e.outline_scan = scan_to_settled<Isa>;
    e.filled_rows = filled_rows<Isa>;
    e.corner_transform_rows = corner_transform_rows<Isa>;
    e.outlined_rows = outlined_rows<Isa>;
    e.filled_corner_runs = filled_corner_runs<Isa>;
    e.outlined_corner_runs = outlined_corner_runs<Isa>;
    e.draw_blend_run = blend_opaque_run<Isa>;
    e.draw_blend_each = blend_opaque_each<Isa>;
    e.draw_blend_over = blend_over_each<Isa>;
    return e;
}

}  // namespace
}  // namespace zuvo::curvix::simd
