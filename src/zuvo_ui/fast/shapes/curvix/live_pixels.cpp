#include "live_pixels.hpp"

#include <algorithm>
#include <cstdint>

#include "../../support/buffer.hpp"
#include "../../support/pygame_surface.hpp"
#include "numpy_api.hpp"

namespace zuvo::curvix {

using pygame_surface::derives_from;
using pygame_surface::kBufferProxyType;
using pygame_surface::kSurfaceType;


bool is_pygame_getter(PyObject* getter) {
    if (!PyFunction_Check(getter)) return false;
    PyObject* globals = PyFunction_GET_GLOBALS(getter);
    if (!globals || !PyDict_CheckExact(globals)) return false;
    static PyObject* const dunder_name = PyUnicode_InternFromString("__name__");
    PyObject* name = dunder_name ? PyDict_GetItemWithError(globals, dunder_name) : nullptr;
    if (!name) PyErr_Clear();
    return name && PyUnicode_CheckExact(name) &&
           PyUnicode_CompareWithASCIIString(name, "pygame.surfarray") == 0;
}

bool exported_by_pygame(const ByteView& view) {
    // Ownership chains are acyclic; a chain longer than any NumPy or
    // memoryview makes is treated as pygame's, so that it is checked.
    PyObject* owner = view.exporter();
    for (int step = 0; owner && step < 1000; ++step) {
        if (derives_from(Py_TYPE(owner), kBufferProxyType) ||
            derives_from(Py_TYPE(owner), kSurfaceType)) {
            return true;
        }
        if (PyArray_Check(owner)) {
            owner = PyArray_BASE(reinterpret_cast<PyArrayObject*>(owner));
        } else if (PyMemoryView_Check(owner)) {
            owner = PyMemoryView_GET_BUFFER(owner)->obj;
        } else {
            return false;
        }
    }
    return owner != nullptr;
}

bool describes_live_pixels(const ByteView& view, PyObject* surf) {
    const Py_ssize_t width = view.shape(0), height = view.shape(1);
    if (width == 0 || height == 0) return true;
    const pygame_surface::SdlSurface* s = pygame_surface::sdl_surface(surf);
    // The format is read last: only a surface laid out as expected gets there.
    if (!s || !s->pixels || s->w != width || s->h != height || view.stride(1) != s->pitch ||
        !s->format) {
        return false;
    }
    const int bpp = s->format->bytes_per_pixel;
    if (bpp < 1 || bpp > 4 || s->pitch < width * bpp || view.stride(0) != bpp) return false;
    // Every channel's first cell lies in the first pixel, so every cell lies
    // in its own pixel of the live rows.
    const auto first = reinterpret_cast<std::uintptr_t>(s->pixels);
    const auto origin = reinterpret_cast<std::uintptr_t>(view.data());
    // Channels past the third are never written.
    const Py_ssize_t channels = view.ndim() == 3 ? std::min<Py_ssize_t>(view.shape(2), 3) : 1;
    for (Py_ssize_t c = 0; c < channels; ++c) {
        const std::uintptr_t cell = origin + static_cast<std::uintptr_t>(c * view.stride(2));
        if (cell - first >= static_cast<std::uintptr_t>(bpp)) return false;
    }
    return true;
}

}  // namespace zuvo::curvix
