// The filled rounded-rectangle generator and its memoised entry points.
#include "../../support/args.hpp"
#include "../../support/convert.hpp"
#include "entry_points.hpp"
#include "kernels/fast.hpp"
#include "state.hpp"

namespace zuvo::curvix {
namespace {

constexpr Signature generator_sig{
    "_create_rounded_rect_surface_optimized",
    "zuvo_ui.fast.shapes.curvix._create_rounded_rect_surface_optimized",
    std::array{"size", "radii_input", "color"}, 3};
constexpr Signature cached_sig{"_get_cached_rounded_rect_surface",
                               "zuvo_ui.fast.shapes.curvix._get_cached_rounded_rect_surface",
                               std::array{"size", "radii", "color"}, 3};
constexpr Signature public_sig{"create_rounded_rect_surface",
                               "zuvo_ui.fast.shapes.curvix.create_rounded_rect_surface",
                               std::array{"size", "radii_input", "color"}, 3};

// `size` and `color` are exact tuples or None here.
Ref generate(PyObject* size, PyObject* radii_input, PyObject* color) {
    if (size == Py_None) {
        raise_none_not_subscriptable();
        return {};
    }
    if (PyTuple_GET_SIZE(size) < 2) {
        PyErr_SetString(PyExc_IndexError, "tuple index out of range");
        return {};
    }
    const auto width = python_int_to_int32(PyTuple_GET_ITEM(size, 0));
    if (!width) return {};
    const auto height = python_int_to_int32(PyTuple_GET_ITEM(size, 1));
    if (!height) return {};
    const auto radii = normalise_radii(radii_input);
    if (!radii) return {};

    const Ref pygame = pygame_module();
    if (!pygame) return {};
    Ref surf = new_surface(pygame.get(), size, *width, *height);
    if (!surf) return {};

    if (color == Py_None) {
        raise_none_has_no_len();
        return {};
    }
    std::int32_t alpha_base = 255;
    if (PyTuple_GET_SIZE(color) > 3) {
        const auto a = to_int32(PyTuple_GET_ITEM(color, 3));
        if (!a) return {};
        alpha_base = *a;
    }
    if (alpha_base == 0) {
        if (!fill(surf.get(), names.transparent)) return {};
        return surf;
    }
    if (!fill(surf.get(), color)) return {};

    {
        const auto views = SurfaceViews::take_alpha_only(pygame.get(), surf.get(), *width, *height);
        if (!views) return {};
        const FilledShape shape = make_filled_shape(*width, *height, *radii, alpha_base);
        const Plane plane = views->alpha();
        prefetch_filled_corners(plane, shape);
        ReleaseGil unlocked;
        round_filled_corners_fast(plane, shape);
    }
    return surf;
}

Ref generate_traced(PyObject* size, PyObject* radii_input, PyObject* color) {
    Ref result = generate(size, radii_input, color);
    return Ref::steal(traced(std::move(result), generator_sig.qualname));
}

}  // namespace

PyObject* _create_rounded_rect_surface_optimized(PyObject*, PyObject* const* args,
                                                 Py_ssize_t nargs, PyObject* kwnames) {
    std::array<PyObject*, 3> a;
    if (!parse_args(generator_sig, args, nargs, kwnames, a) ||
        !check_exact_or_none(a[0], &PyTuple_Type, "size") ||
        !check_exact_or_none(a[2], &PyTuple_Type, "color")) {
        return traced({}, generator_sig.qualname);
    }
    return traced(generate(a[0], a[1], a[2]), generator_sig.qualname);
}

PyObject* _get_cached_rounded_rect_surface(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                           PyObject* kwnames) {
    std::array<PyObject*, 3> a;
    if (!parse_args(cached_sig, args, nargs, kwnames, a) ||
        !check_exact_or_none(a[0], &PyTuple_Type, "size") ||
        !check_exact_or_none(a[1], &PyTuple_Type, "radii") ||
        !check_exact_or_none(a[2], &PyTuple_Type, "color")) {
        return traced({}, cached_sig.qualname);
    }
    return traced(generate_traced(a[0], a[1], a[2]), cached_sig.qualname);
}

PyObject* create_rounded_rect_surface(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                      PyObject* kwnames) {
    std::array<PyObject*, 3> a;
    if (!parse_args(public_sig, args, nargs, kwnames, a)) return traced({}, public_sig.qualname);
    Ref radii = Ref::borrow(a[1]);
    if (PyList_Check(radii.get())) {
        radii = Ref::steal(PyList_AsTuple(radii.get()));
        if (!radii) return traced({}, public_sig.qualname);
    }
    const Ref cached = module_global(names.get_cached_filled);
    if (!cached) return traced({}, public_sig.qualname);
    return traced(call(cached.get(), a[0], radii.get(), a[2]), public_sig.qualname);
}

}  // namespace zuvo::curvix
