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

bool derives_from(PyTypeObject* type, const char* name, Py_ssize_t min_size) {
    PyObject* mro = type->tp_mro;
    if (!mro || !PyTuple_Check(mro)) return false;
    for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(mro); ++i) {
        auto* base = reinterpret_cast<PyTypeObject*>(PyTuple_GET_ITEM(mro, i));
        if (is_own_type(base, name)) return base->tp_basicsize >= min_size;
    }
    return false;
}

const SdlSurface* sdl_surface(PyObject* obj) {
    if (!derives_from(Py_TYPE(obj), kSurfaceType, static_cast<Py_ssize_t>(sizeof(SurfaceObject)))) {
        return nullptr;
    }
    return reinterpret_cast<SurfaceObject*>(obj)->surf;
}

}  // namespace zuvo::pygame_surface
