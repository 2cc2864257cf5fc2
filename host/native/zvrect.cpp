// Stand-in for zuvo_ui.fast.zvrect.zvrect: a rectangle of 32-bit floats.

// Python.h first: structmember.h needs it, and CPython 3.11 does not include it for you.
#include <Python.h>
#include <structmember.h>

#include <cstddef>

#include "common.hpp"
#include "free_list.hpp"

namespace {

using zuvo::zvhost::ZvRect;
using zuvo::zvhost::ZvRectVTable;

PyTypeObject rect_type = {PyVarObject_HEAD_INIT(nullptr, 0)};
ZvRectVTable vtable;
standin::FreeList<ZvRect> free_rects(&rect_type);

ZvRect* create(float x, float y, float w, float h) {
    ZvRect* r = free_rects.take();
    if (!r) return nullptr;
    r->vtab = &vtable;
    r->x = x;
    r->y = y;
    r->w = w;
    r->h = h;
    return r;
}

PyObject* rect_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    static const char* keywords[] = {"x", "y", "w", "h", nullptr};
    float x = 0, y = 0, w = 0, h = 0;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|ffff", const_cast<char**>(keywords), &x, &y,
                                     &w, &h))
        return nullptr;
    auto* r = reinterpret_cast<ZvRect*>(type->tp_alloc(type, 0));
    if (!r) return nullptr;
    r->vtab = &vtable;
    r->x = x;
    r->y = y;
    r->w = w;
    r->h = h;
    return reinterpret_cast<PyObject*>(r);
}

void rect_dealloc(PyObject* self) { free_rects.release(self); }

PyObject* rect_repr(PyObject* self) {
    const auto* r = reinterpret_cast<ZvRect*>(self);
    const zuvo::Ref t = zuvo::Ref::steal(Py_BuildValue("(ffff)", r->x, r->y, r->w, r->h));
    if (!t) return nullptr;
    return PyUnicode_FromFormat("ZvRect%R", t.get());
}

PyMemberDef members[] = {
    {"x", T_FLOAT, offsetof(ZvRect, x), 0, nullptr},
    {"y", T_FLOAT, offsetof(ZvRect, y), 0, nullptr},
    {"w", T_FLOAT, offsetof(ZvRect, w), 0, nullptr},
    {"h", T_FLOAT, offsetof(ZvRect, h), 0, nullptr},
    {nullptr, 0, 0, 0, nullptr},
};

PyModuleDef definition = {PyModuleDef_HEAD_INIT, "zvrect", nullptr, -1, nullptr,
                          nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit_zvrect() {
    vtable.create = create;
    rect_type.tp_name = "zuvo_ui.fast.zvrect.zvrect.ZvRect";
    rect_type.tp_basicsize = sizeof(ZvRect);
    rect_type.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE;
    rect_type.tp_new = rect_new;
    rect_type.tp_dealloc = rect_dealloc;
    rect_type.tp_repr = rect_repr;
    rect_type.tp_members = members;
    if (!standin::ready_with_vtable(&rect_type, &vtable)) return nullptr;
    zuvo::Ref module = zuvo::Ref::steal(PyModule_Create(&definition));
    if (!module || !standin::add_type(module.get(), &rect_type, "ZvRect")) return nullptr;
    return module.release();
}
