#include "state.hpp"

#include "../../support/pygame_surface.hpp"
#include "live_pixels.hpp"
#include "numpy_api.hpp"
#include "../../support/convert.hpp"
#include "../../support/module.hpp"
#include "../../support/names.hpp"

namespace zuvo::curvix {

Names names{};

namespace {
constexpr const char* kParentGone =
    "the parent of this subsurface was re-initialised: its pixels are gone";
}  // namespace
PyObject* module_dict = nullptr;

bool init_names() {
    if (!intern_names({
            {&names.md, "md"},
            {&names.pygame, "pygame"},
            {&names.Surface, "Surface"},
            {&names.SRCALPHA, "SRCALPHA"},
            {&names.surfarray, "surfarray"},
            {&names.pixels3d, "pixels3d"},
            {&names.pixels_alpha, "pixels_alpha"},
            {&names.fill, "fill"},
            {&names.get_width, "get_width"},
            {&names.get_height, "get_height"},
            {&names.get_cached_filled, "_get_cached_rounded_rect_surface"},
            {&names.get_cached_outlined, "_get_cached_outlined_rounded_rect_sdf"},
        })) {
        return false;
    }
    if (!names.transparent) names.transparent = Py_BuildValue("(iiii)", 0, 0, 0, 0);
    if (!names.transparent) return false;
    // A plain module's attribute is its namespace's entry unless ModuleType
    // itself defines the name (a descriptor there would come first).
    names.read_module_namespaces = true;
    for (PyObject* name : {names.pygame, names.Surface, names.SRCALPHA, names.surfarray,
                           names.pixels3d, names.pixels_alpha}) {
        if (PyObject_HasAttr(reinterpret_cast<PyObject*>(&PyModule_Type), name)) {
            names.read_module_namespaces = false;
        }
    }
    return true;
}

Ref module_global(PyObject* name) { return lookup_global(module_dict, name); }

namespace {

// `getattr(obj, name)`.  pygame and its submodules are plain modules: their
// attributes are read from their namespaces, as the interpreter would find
// them there.  Anything else, and a name a namespace lacks (a module
// `__getattr__`, or the AttributeError), takes the interpreter's lookup.
Ref attribute(PyObject* obj, PyObject* name) {
    if (names.read_module_namespaces && PyModule_CheckExact(obj)) {
        PyObject* dict = PyModule_GetDict(obj);
        PyObject* value = dict ? PyDict_GetItemWithError(dict, name) : nullptr;
        if (value) return Ref::borrow(value);
        if (PyErr_Occurred()) return {};
    }
    return getattr(obj, name);
}

// A NumPy array of writable unsigned bytes with `ndim` dimensions, read
// directly: the layout the buffer protocol would describe, without building
// the description.  Anything else (another exporter, another type, flags
// NumPy keeps to itself, such as warning on write) takes the buffer protocol
// and its errors.
std::optional<ByteView> numpy_view(Ref& array, int ndim) {
    if (!PyArray_CheckExact(array.get())) return std::nullopt;
    auto* a = reinterpret_cast<PyArrayObject*>(array.get());
    constexpr int public_flags = 0xffff;
    if (PyArray_NDIM(a) != ndim || PyArray_TYPE(a) != NPY_UBYTE || !PyArray_ISWRITEABLE(a) ||
        (PyArray_FLAGS(a) & ~public_flags) != 0) {
        return std::nullopt;
    }
    Py_ssize_t shape[3], strides[3];
    for (int axis = 0; axis < ndim; ++axis) {
        shape[axis] = PyArray_DIM(a, axis);
        strides[axis] = PyArray_STRIDE(a, axis);
    }
    auto* data = static_cast<std::uint8_t*>(PyArray_DATA(a));
    return ByteView::adopt(std::move(array), data, ndim, shape, strides);
}

}  // namespace

Ref pygame_module() {
    const Ref md = module_global(names.md);
    if (!md) return {};
    return attribute(md.get(), names.pygame);
}

Ref new_surface(PyObject* pygame, PyObject* size, std::int32_t width, std::int32_t height) {
    const Ref surface_type = attribute(pygame, names.Surface);
    if (!surface_type) return {};
    const Ref flags = attribute(pygame, names.SRCALPHA);
    if (!flags) return {};
    // The caller's (width, height) serves as it is when it holds just those ints.
    const bool exact = PyTuple_GET_SIZE(size) == 2 &&
                       PyLong_CheckExact(PyTuple_GET_ITEM(size, 0)) &&
                       PyLong_CheckExact(PyTuple_GET_ITEM(size, 1));
    const Ref built = exact ? Ref::borrow(size) : Ref::steal(Py_BuildValue("(ii)", width, height));
    if (!built) return {};
    return call(surface_type.get(), built.get(), flags.get());
}

bool check_pixels_owned(PyObject* surf) {
    if (!pygame_surface::borrows_pixels(surf)) return true;
    const auto owner = pygame_surface::pixel_owner(surf);
    if (!owner) return false;
    if (pygame_surface::owned_by(surf, *owner)) return true;
    PyErr_SetString(PyExc_ValueError, kParentGone);
    return false;
}

bool fill(PyObject* surf, PyObject* color) {
    // pygame's own fill writes a subsurface whose parent was re-initialised.
    return check_pixels_owned(surf) && static_cast<bool>(call_method(surf, names.fill, color));
}

std::optional<std::int32_t> surface_dimension(PyObject* surf, PyObject* method) {
    const Ref value = call_method(surf, method);
    if (!value) return std::nullopt;
    return to_int32(value.get());
}

std::optional<SurfaceViews> SurfaceViews::start(PyObject* pygame, PyObject* surf,
                                                std::int32_t width, std::int32_t height) {
    Ref surfarray = attribute(pygame, names.surfarray);
    if (!surfarray) return std::nullopt;
    SurfaceViews views(std::move(surfarray), surf, width, height);
    // Where a subsurface's pixels lie in its parent's, asked of pygame now,
    // while Python calls are still allowed.
    if (pygame_surface::borrows_pixels(surf)) {
        views.owner_ = pygame_surface::pixel_owner(surf);
        if (!views.owner_) return std::nullopt;
    }
    return views;
}

std::optional<ByteView> SurfaceViews::take_view(PyObject* which, int ndim, const char* what,
                                                bool& checked) {
    const Ref getter = attribute(surfarray_.get(), which);
    if (!getter) return std::nullopt;
    // Asked before the getter runs: only the proof may come after the last one.
    const bool pygame_getter = is_pygame_getter(getter.get());
    Ref array = call(getter.get(), surf_);
    if (!array) return std::nullopt;
    std::optional<ByteView> direct = numpy_view(array, ndim);
    auto v = direct ? std::move(direct) : ByteView::acquire(std::move(array), ndim);
    if (!v || !v->fits(width_, height_, what)) return std::nullopt;
    checked = pygame_getter || exported_by_pygame(*v);
    return v;
}

std::optional<SurfaceViews> SurfaceViews::take_colour(PyObject* pygame, PyObject* surf,
                                                      std::int32_t width, std::int32_t height) {
    auto views = start(pygame, surf, width, height);
    if (!views) return std::nullopt;
    auto colour = views->take_view(names.pixels3d, 3, "pixels3d", views->colour_checked_);
    if (!colour) return std::nullopt;
    views->colour_.emplace(std::move(*colour));
    return views;
}

bool SurfaceViews::take_alpha() {
    auto alpha = take_view(names.pixels_alpha, 2, "pixels_alpha", alpha_checked_);
    if (!alpha) return false;
    alpha_.emplace(std::move(*alpha));
    return proven_live();
}

bool SurfaceViews::proven_live() const {
    // No Python code runs from here until the caller's next call into Python.
    const bool live = (!colour_checked_ || describes_live_pixels(*colour_, surf_)) &&
                      (!alpha_checked_ || describes_live_pixels(*alpha_, surf_));
    if (!live) {
        PyErr_SetString(PyExc_ValueError,
                        "the surface's pixels were replaced while its views were taken");
        return false;
    }
    if (owner_ && (colour_checked_ || alpha_checked_) && !pygame_surface::owned_by(surf_, *owner_)) {
        PyErr_SetString(PyExc_ValueError, kParentGone);
        return false;
    }
    return true;
}

std::optional<SurfaceViews> SurfaceViews::take_both(PyObject* pygame, PyObject* surf,
                                                    std::int32_t width, std::int32_t height) {
    auto views = take_colour(pygame, surf, width, height);
    if (!views || !views->take_alpha()) return std::nullopt;
    return views;
}

std::optional<SurfaceViews> SurfaceViews::take_alpha_only(PyObject* pygame, PyObject* surf,
                                                          std::int32_t width,
                                                          std::int32_t height) {
    auto views = start(pygame, surf, width, height);
    if (!views || !views->take_alpha()) return std::nullopt;
    return views;
}

Ref item_at(PyObject* seq, Py_ssize_t index) {
    if (PyTuple_CheckExact(seq) && index < PyTuple_GET_SIZE(seq)) {
        return Ref::borrow(PyTuple_GET_ITEM(seq, index));
    }
    if (PyList_CheckExact(seq) && index < PyList_GET_SIZE(seq)) {
        return Ref::borrow(PyList_GET_ITEM(seq, index));
    }
    const Ref key = Ref::steal(PyLong_FromSsize_t(index));
    if (!key) return {};
    return Ref::steal(PyObject_GetItem(seq, key.get()));
}

std::optional<CornerRadii> normalise_radii(PyObject* radii_input) {
    if (PyLong_Check(radii_input) || PyFloat_Check(radii_input)) {
        const auto r = to_float(radii_input);
        if (!r) return std::nullopt;
        return CornerRadii{*r, *r, *r, *r};
    }
    const Py_ssize_t length = PyObject_Length(radii_input);
    if (length < 0) return std::nullopt;
    if (length != 4) return CornerRadii{};
    float corner[4];
    for (Py_ssize_t i = 0; i < 4; ++i) {
        const Ref item = item_at(radii_input, i);
        if (!item) return std::nullopt;
        const auto r = to_float(item.get());
        if (!r) return std::nullopt;
        corner[i] = *r;
    }
    return CornerRadii{corner[0], corner[1], corner[2], corner[3]};
}

void raise_none_has_no_len() { (void)PyObject_Length(Py_None); }

void raise_none_not_subscriptable() {
    const Ref zero = Ref::steal(PyLong_FromLong(0));
    if (zero) Py_XDECREF(PyObject_GetItem(Py_None, zero.get()));
}

}  // namespace zuvo::curvix
