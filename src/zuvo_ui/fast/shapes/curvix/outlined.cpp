// The outlined rounded-rectangle generator and its memoised entry points.
#include <cmath>

#include "../../support/args.hpp"
#include "../../support/convert.hpp"
#include "../../support/errors.hpp"
#include "entry_points.hpp"
#include "kernels/fast.hpp"
#include "state.hpp"

namespace zuvo::curvix {
namespace {

constexpr Signature generator_sig{"_create_outlined_rounded_rect_sdf",
                                  "zuvo_ui.fast.shapes.curvix._create_outlined_rounded_rect_sdf",
                                  std::array{"size", "radius", "width", "color"}, 4};
constexpr Signature cached_sig{"_get_cached_outlined_rounded_rect_sdf",
                               "zuvo_ui.fast.shapes.curvix._get_cached_outlined_rounded_rect_sdf",
                               std::array{"size", "radius", "width", "color"}, 4};
constexpr Signature public_sig{"create_outlined_rounded_rect_sdf",
                               "zuvo_ui.fast.shapes.curvix.create_outlined_rounded_rect_sdf",
                               std::array{"size", "radius", "width", "color"}, 4};

struct OutlineArgs {
    PyObject* size;
    std::int32_t radius;
    float width;
    PyObject* color;
};

// The conversions and checks of both the generator and the memoised function.
template <typename Sig>
std::optional<OutlineArgs> convert_args(const Sig& sig, PyObject* const* args, Py_ssize_t nargs,
                                        PyObject* kwnames) {
    std::array<PyObject*, 4> a;
    if (!parse_args(sig, args, nargs, kwnames, a)) return std::nullopt;
    const auto radius = to_int32(a[1]);
    if (!radius) return std::nullopt;
    const auto width = to_float(a[2]);
    if (!width) return std::nullopt;
    if (!check_exact_or_none(a[0], &PyTuple_Type, "size") ||
        !check_exact_or_none(a[3], &PyTuple_Type, "color")) {
        return std::nullopt;
    }
    return OutlineArgs{a[0], *radius, *width, a[3]};
}

struct StrokeColour {
    std::int32_t alpha_base;
    std::uint8_t rgb[3];  // not read when alpha_base is 0
};

// `color` is an exact tuple or None.  An alpha of 0 leaves the channels unread.
std::optional<StrokeColour> stroke_colour(PyObject* color) {
    if (color == Py_None) {
        raise_none_has_no_len();
        return std::nullopt;
    }
    const Py_ssize_t n_items = PyTuple_GET_SIZE(color);
    StrokeColour c{255, {}};
    if (n_items >= 4) {
        const auto a = to_int32(PyTuple_GET_ITEM(color, 3));
        if (!a) return std::nullopt;
        c.alpha_base = *a;
    }
    if (c.alpha_base == 0) return c;
    if (n_items < 3) {
        PyErr_SetString(PyExc_IndexError, "tuple index out of range");
        return std::nullopt;
    }
    for (Py_ssize_t i = 0; i < 3; ++i) {
        const auto channel = to_uint8(PyTuple_GET_ITEM(color, i));
        if (!channel) return std::nullopt;
        c.rgb[i] = *channel;
    }
    return c;
}

Ref generate(const OutlineArgs& in) {
    if (in.size == Py_None) {
        raise_none_not_subscriptable();
        return {};
    }
    if (PyTuple_GET_SIZE(in.size) < 2) {
        PyErr_SetString(PyExc_IndexError, "tuple index out of range");
        return {};
    }
    // The band and corner ranges are clipped to the surface, but a NaN or
    // infinite width has no meaningful stroke at all.
    if (!std::isfinite(in.width)) {
        PyErr_SetString(PyExc_ValueError, "width must be a finite number");
        return {};
    }
    const auto w = python_int_to_int32(PyTuple_GET_ITEM(in.size, 0));
    if (!w) return {};
    const auto h = python_int_to_int32(PyTuple_GET_ITEM(in.size, 1));
    if (!h) return {};

    const Ref pygame = pygame_module();
    if (!pygame) return {};
    Ref surf = new_surface(pygame.get(), in.size, *w, *h);
    if (!surf || !fill(surf.get(), names.transparent)) return {};

    // The colour is converted before the views are taken (its conversions run
    // the caller's code); a failure is raised once the views have been taken,
    // so that a failing view still reports first.
    const auto colour = stroke_colour(in.color);
    HeldError failed = colour ? HeldError{} : HeldError::take();
    const bool paints = colour && colour->alpha_base != 0;
    const OutlinedShape shape =
        paints ? make_outlined_shape(*w, *h, in.radius, in.width, colour->alpha_base,
                                     colour->rgb[0], colour->rgb[1], colour->rgb[2])
               : OutlinedShape{};
    auto views = SurfaceViews::take_colour(pygame.get(), surf.get(), *w, *h);
    if (!views) return {};
    // The lines of the bands and corners are asked for as soon as the colour
    // view gives their addresses (on pygame's pixels those are the alpha's
    // too), so that they arrive while pygame makes the alpha view.
    if (paints) prefetch_outlined(views->colour_planes(), shape);
    if (!views->take_alpha()) return {};
    if (!colour) {
        failed.raise();
        return {};
    }
    if (!paints) return surf;

    const PixelPlanes planes = views->planes();
    {
        ReleaseGil unlocked;
        paint_outline_fast(planes, shape);
    }
    return surf;
}

}  // namespace

PyObject* _create_outlined_rounded_rect_sdf(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                            PyObject* kwnames) {
    const auto in = convert_args(generator_sig, args, nargs, kwnames);
    if (!in) return traced({}, generator_sig.qualname);
    return traced(generate(*in), generator_sig.qualname);
}

PyObject* _get_cached_outlined_rounded_rect_sdf(PyObject*, PyObject* const* args,
                                                Py_ssize_t nargs, PyObject* kwnames) {
    const auto in = convert_args(cached_sig, args, nargs, kwnames);
    if (!in) return traced({}, cached_sig.qualname);
    Ref surf = Ref::steal(traced(generate(*in), generator_sig.qualname));
    return traced(std::move(surf), cached_sig.qualname);
}

PyObject* create_outlined_rounded_rect_sdf(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                           PyObject* kwnames) {
    std::array<PyObject*, 4> a;
    if (!parse_args(public_sig, args, nargs, kwnames, a)) return traced({}, public_sig.qualname);
    const Ref cached = module_global(names.get_cached_outlined);
    if (!cached) return traced({}, public_sig.qualname);
    return traced(call(cached.get(), a[0], a[1], a[2], a[3]), public_sig.qualname);
}

}  // namespace zuvo::curvix
