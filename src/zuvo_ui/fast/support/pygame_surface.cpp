#include "pygame_surface.hpp"

#include <cstring>

namespace zuvo::pygame_surface {
namespace {

struct SurfaceObject {
    PyObject_HEAD
    SdlSurface* surf;
};

}  // namespace

bool is_own_type(PyTypeObject* type, const char* name) {
    return !(type->tp_flags & Py_TPFLAGS_HEAPTYPE) && std::strcmp(type->tp_name, name) == 0;
}

namespace {

// pygame's own type `name` among the bases of `type`, or null.
PyTypeObject* own_base(PyTypeObject* type, const char* name) {
    PyObject* mro = type->tp_mro;
    if (!mro || !PyTuple_Check(mro)) return nullptr;
    for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(mro); ++i) {
        auto* base = reinterpret_cast<PyTypeObject*>(PyTuple_GET_ITEM(mro, i));
        if (is_own_type(base, name)) return base;
    }
    return nullptr;
}

}  // namespace

bool derives_from(PyTypeObject* type, const char* name, Py_ssize_t min_size) {
    const PyTypeObject* base = own_base(type, name);
    return base && base->tp_basicsize >= min_size;
}

namespace {

Ref call_own(PyTypeObject* type, const char* name, PyObject* self) {
    const Ref method = Ref::steal(PyObject_GetAttrString(reinterpret_cast<PyObject*>(type), name));
    if (!method) return {};
    return call(method.get(), self);
}

}  // namespace

bool borrows_pixels(PyObject* surf) {
    const SdlSurface* s = sdl_surface(surf);
    return s && (s->flags & kPreallocated) != 0;
}

std::optional<PixelOwner> pixel_owner(PyObject* surf) {
    PyTypeObject* type = own_base(Py_TYPE(surf), kSurfaceType);
    if (!type) {
        PyErr_SetString(PyExc_TypeError, "not a pygame Surface");
        return std::nullopt;
    }
    PixelOwner owner;
    owner.parent = call_own(type, "get_abs_parent", surf);
    if (!owner.parent) return std::nullopt;
    const Ref offset = call_own(type, "get_abs_offset", surf);
    if (!offset || !PyArg_ParseTuple(offset.get(), "ii", &owner.x, &owner.y)) return std::nullopt;
    return owner;
}

bool owned_by(PyObject* surf, const PixelOwner& owner) {
    const SdlSurface* s = sdl_surface(surf);
    const SdlSurface* p = sdl_surface(owner.parent.get());
    if (!s || !p || !s->pixels || !p->pixels || !p->format) return false;
    if (s == p) return owner.x == 0 && owner.y == 0;
    const std::int64_t bpp = p->format->bytes_per_pixel;
    const auto at = reinterpret_cast<std::uintptr_t>(p->pixels) +
                    static_cast<std::uintptr_t>(owner.y * std::int64_t{p->pitch} + owner.x * bpp);
    return owner.x >= 0 && owner.y >= 0 && s->pitch == p->pitch &&
           std::int64_t{owner.x} + s->w <= p->w && std::int64_t{owner.y} + s->h <= p->h &&
           reinterpret_cast<std::uintptr_t>(s->pixels) == at;
}

const SdlSurface* sdl_surface(PyObject* obj) {
    // pygame's Surface type is static, so the last type found to be it (or
    // to derive from it) can be recognised by its address.
    static PyTypeObject* known = nullptr;
    PyTypeObject* type = Py_TYPE(obj);
    if (type != known) {
        if (!derives_from(type, kSurfaceType, static_cast<Py_ssize_t>(sizeof(SurfaceObject)))) {
            return nullptr;
        }
        if (!(type->tp_flags & Py_TPFLAGS_HEAPTYPE)) known = type;
    }
    return reinterpret_cast<SurfaceObject*>(obj)->surf;
}

}  // namespace zuvo::pygame_surface
