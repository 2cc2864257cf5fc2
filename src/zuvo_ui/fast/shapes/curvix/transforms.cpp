// The in-place corner and outline transforms.
#include <cmath>

#include "../../support/args.hpp"
#include "../../support/convert.hpp"
#include "../../support/errors.hpp"
#include "entry_points.hpp"
#include "kernels/fast.hpp"
#include "kernels/outline_transform.hpp"
#include "state.hpp"

namespace zuvo::curvix {
namespace {

constexpr Signature corners_sig{"transform_into_rounded_rect",
                                "zuvo_ui.fast.shapes.curvix.transform_into_rounded_rect",
                                std::array{"surf", "radii_input", "color"}, 2};
constexpr Signature outline_sig{
    "transform_into_outlined_rounded_rect",
    "zuvo_ui.fast.shapes.curvix.transform_into_outlined_rounded_rect",
    std::array{"surf", "radii_input", "stroke_width", "color", "background_color"}, 4};

Ref none() { return Ref::borrow(Py_None); }

struct Size {
    std::int32_t width, height;
};

std::optional<Size> surface_size(PyObject* surf) {
    const auto width = surface_dimension(surf, names.get_width);
    if (!width) return std::nullopt;
    const auto height = surface_dimension(surf, names.get_height);
    if (!height) return std::nullopt;
    return Size{*width, *height};
}

// Items 0 to 2 of a colour as 8-bit channels.  A shorter colour fails on its
// missing item with the IndexError of indexing, before anything is written.
std::optional<Rgb> rgb_of(PyObject* color) {
    std::uint8_t channel[3];
    for (Py_ssize_t i = 0; i < 3; ++i) {
        const Ref item = item_at(color, i);
        if (!item) return std::nullopt;
        const auto c = to_uint8(item.get());
        if (!c) return std::nullopt;
        channel[i] = *c;
    }
    return Rgb{channel[0], channel[1], channel[2]};
}

// The fourth item of `color` as a signed 32-bit integer, or 255 without one.
std::optional<std::int32_t> alpha_item(PyObject* color, Py_ssize_t length) {
    if (length <= 3) return 255;
    const Ref item = item_at(color, 3);
    if (!item) return std::nullopt;
    return to_int32(item.get());
}

std::optional<std::int32_t> alpha_item(PyObject* color) {
    const Py_ssize_t length = PyObject_Length(color);
    if (length < 0) return std::nullopt;
    return alpha_item(color, length);
}

// A tuple or list of plain ints and floats: reading it runs no Python code.
bool plain_numbers(PyObject* color) {
    if (!PyTuple_CheckExact(color) && !PyList_CheckExact(color)) return false;
    for (Py_ssize_t i = 0; i < PySequence_Fast_GET_SIZE(color); ++i) {
        PyObject* item = PySequence_Fast_GET_ITEM(color, i);
        if (!PyLong_CheckExact(item) && !PyFloat_CheckExact(item)) return false;
    }
    return true;
}

// The colour as the fill is to get it.  pygame converts a colour's items
// while it holds the surface's pixels, so an item whose conversion runs the
// caller's code could free them under it: a colour of three or four items
// that is not plain numbers goes as the numbers already converted from it
// (the same fill).  Other lengths go as they are: pygame refuses them before
// reading any item.
Ref colour_for_fill(PyObject* color, Py_ssize_t length, Rgb rgb, std::int32_t alpha) {
    if ((length != 3 && length != 4) || plain_numbers(color)) return Ref::borrow(color);
    if (length == 3) return Ref::steal(Py_BuildValue("(iii)", rgb.r, rgb.g, rgb.b));
    return Ref::steal(Py_BuildValue("(iiii)", rgb.r, rgb.g, rgb.b, static_cast<int>(alpha)));
}

Ref round_corners(PyObject* surf, PyObject* radii_input, PyObject* color) {
    const auto size = surface_size(surf);
    if (!size) return {};
    const auto given = normalise_radii(radii_input);
    if (!given) return {};
    const CornerRadii radii = clamp_corner_radii(size->width, size->height, *given);
    const bool cut = !all_corners_square(radii);

    std::int32_t alpha_base = 255;
    const bool has_color = color != Py_None;
    if (has_color) {
        const Py_ssize_t length = PyObject_Length(color);
        if (length < 0) return {};
        const auto a = alpha_item(color, length);
        if (!a) return {};
        alpha_base = *a;
        // Checked here; the fill takes the same colour.
        const auto rgb = rgb_of(color);
        if (!rgb) return {};
        const Ref fill_with = colour_for_fill(color, length, *rgb, alpha_base);
        if (!fill_with) return {};
        if (!cut) return fill(surf, fill_with.get()) ? none() : Ref{};
        // An invisible colour: the whole surface becomes transparent black.
        if (alpha_base == 0) return fill(surf, names.transparent) ? none() : Ref{};
        if (!fill(surf, fill_with.get())) return {};
    } else if (!cut) {
        return none();
    }

    const Ref pygame = pygame_module();
    if (!pygame) return {};
    // Only the alpha is written, but both views are held as in every pass, so
    // that a surface whose colour view fails is refused the same way here.
    const auto views = SurfaceViews::take_both(pygame.get(), surf, size->width, size->height);
    if (!views) return {};
    const CornerTransformShape shape =
        make_corner_transform(size->width, size->height, radii, has_color, alpha_base);
    const Plane plane = views->alpha();
    prefetch_corners(plane, shape);
    {
        ReleaseGil unlocked;
        transform_corners_fast(plane, shape);
    }
    return none();
}

bool is_finite(const CornerRadii& r) {
    return std::isfinite(r.top_left) && std::isfinite(r.top_right) &&
           std::isfinite(r.bottom_right) && std::isfinite(r.bottom_left);
}

// The stroke colour and the background, converted.
struct OutlineColours {
    std::int32_t alpha_base;
    Rgb stroke;
    bool has_bg;
    Rgb bg;
    std::int32_t bg_alpha;  // -1: three items, opaque
};

std::optional<OutlineColours> outline_colours(PyObject* color, PyObject* background_color) {
    if (color == Py_None) {
        raise_none_has_no_len();
        return std::nullopt;
    }
    OutlineColours c{};
    const auto alpha_base = alpha_item(color);
    if (!alpha_base) return std::nullopt;
    c.alpha_base = *alpha_base;
    const auto stroke = rgb_of(color);
    if (!stroke) return std::nullopt;
    c.stroke = *stroke;
    // Outside 0..255 the stroke's coverage would leave [0, 1] and its stored
    // alpha would wrap: refuse it instead.
    if (c.alpha_base < 0 || c.alpha_base > 255) {
        PyErr_Format(PyExc_ValueError, "the stroke colour's alpha must be 0 to 255, not %d",
                     static_cast<int>(c.alpha_base));
        return std::nullopt;
    }
    c.has_bg = background_color != Py_None;
    c.bg_alpha = -1;
    if (!c.has_bg) return c;
    const auto bg = rgb_of(background_color);
    if (!bg) return std::nullopt;
    c.bg = *bg;
    const Py_ssize_t length = PyObject_Length(background_color);
    if (length < 0) return std::nullopt;
    if (length > 3) {
        const Ref item = item_at(background_color, 3);
        if (!item) return std::nullopt;
        const auto a = to_uint8(item.get());
        if (!a) return std::nullopt;
        c.bg_alpha = *a;
    }
    return c;
}

Ref draw_outline(PyObject* surf, PyObject* radii_input, float stroke_width, PyObject* color,
                 PyObject* background_color) {
    // Nothing in the outline is clamped, so a NaN or infinite distance would
    // reach every pixel: refuse it before the surface is touched.
    if (!std::isfinite(stroke_width)) {
        PyErr_SetString(PyExc_ValueError, "stroke_width must be a finite number");
        return {};
    }
    const auto size = surface_size(surf);
    if (!size) return {};
    const auto radii = normalise_radii(radii_input);
    if (!radii) return {};
    if (!is_finite(*radii)) {
        PyErr_SetString(PyExc_ValueError, "radii must be finite numbers");
        return {};
    }

    // The colours are converted before the views are taken (their conversions
    // run the caller's code); a failure is raised once the views have been
    // taken, so that a failing view still reports first.
    const auto colours = outline_colours(color, background_color);
    HeldError failed = colours ? HeldError{} : HeldError::take();
    const Ref pygame = pygame_module();
    if (!pygame) return {};
    const auto views = SurfaceViews::take_both(pygame.get(), surf, size->width, size->height);
    if (!views) return {};
    if (!colours) {
        failed.raise();
        return {};
    }
    // An invisible stroke over the content changes nothing, not even outside.
    if (!colours->has_bg && colours->alpha_base == 0) return none();

    const OutlineTransformShape shape = make_outline_transform(
        size->width, size->height, *radii, stroke_width, colours->stroke, colours->alpha_base,
        colours->has_bg, colours->bg, colours->bg_alpha);
    const PixelPlanes planes = views->planes();
    {
        ReleaseGil unlocked;
        transform_outline_fast(planes, shape);
    }
    return none();
}

}  // namespace

PyObject* transform_into_rounded_rect(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                      PyObject* kwnames) {
    std::array<PyObject*, 3> a;
    if (!parse_args(corners_sig, args, nargs, kwnames, a)) return traced({}, corners_sig.qualname);
    PyObject* color = a[2] ? a[2] : Py_None;
    return traced(round_corners(a[0], a[1], color), corners_sig.qualname);
}

PyObject* transform_into_outlined_rounded_rect(PyObject*, PyObject* const* args,
                                               Py_ssize_t nargs, PyObject* kwnames) {
    std::array<PyObject*, 5> a;
    if (!parse_args(outline_sig, args, nargs, kwnames, a)) return traced({}, outline_sig.qualname);
    const auto stroke_width = to_float(a[2]);
    if (!stroke_width || !check_exact_or_none(a[3], &PyTuple_Type, "color")) {
        return traced({}, outline_sig.qualname);
    }
    PyObject* background_color = a[4] ? a[4] : Py_None;
    return traced(draw_outline(a[0], a[1], *stroke_width, a[3], background_color),
                  outline_sig.qualname);
}

}  // namespace zuvo::curvix
