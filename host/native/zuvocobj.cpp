// Stand-in for zuvo_ui.fast.zuvocobj.zuvocobj: the widget base type.
//
// Its native get_zvrect / update / draw honour Python overrides when called
// with skip_dispatch 0, as the toolkit's do; the Python methods of the same
// names run the native bodies.  Native bodies record their calls.

// Python.h first: structmember.h needs it, and CPython 3.11 does not include it for you.
#include <Python.h>
#include <structmember.h>

#include <cstddef>

#include "../../src/zuvo_ui/fast/support/numeric.hpp"
#include "common.hpp"

namespace {

using namespace zuvo::zvhost;
using zuvo::Ref;

PyTypeObject widget_type = {PyVarObject_HEAD_INIT(nullptr, 0)};
ZuvoCobjectVTable vtable;
PyTypeObject* vector_type = nullptr;
ZvVector2VTable* vector_vtable = nullptr;
PyTypeObject* rect_type = nullptr;
ZvRectVTable* rect_vtable = nullptr;
PyObject* name_get_zvrect = nullptr;
PyObject* name_update = nullptr;
PyObject* name_draw = nullptr;

PyObject* py_get_zvrect(PyObject* self, PyObject*);
PyObject* py_update(PyObject* self, PyObject*);
PyObject* py_draw(PyObject* self, PyObject*);

ZvVector2* vector_or_null(ZvVector2* v, const char* field) {
    if (reinterpret_cast<PyObject*>(v) != Py_None) return v;
    PyErr_Format(PyExc_TypeError, "widget has no %s", field);
    return nullptr;
}

ZvRect* get_zvrect(ZuvoCobject* self, int skip_dispatch) {
    PyObject* obj = reinterpret_cast<PyObject*>(self);
    if (!skip_dispatch) {
        Ref override;
        const int found = standin::find_override(obj, name_get_zvrect, py_get_zvrect, override);
        if (found < 0) return nullptr;
        if (found) {
            Ref result = zuvo::call(override.get());
            if (!result || !standin::check_optional(result.get(), rect_type)) return nullptr;
            return reinterpret_cast<ZvRect*>(result.release());
        }
    }
    if (!standin::record("get_zvrect", {obj})) return nullptr;
    const ZvVector2* at = vector_or_null(self->absolute_coordinates, "absolute_coordinates");
    const ZvVector2* size = vector_or_null(self->size, "size");
    if (!at || !size) return nullptr;
    return rect_vtable->create(zuvo::narrow_to_float(at->data.x), zuvo::narrow_to_float(at->data.y),
                               zuvo::narrow_to_float(size->data.x),
                               zuvo::narrow_to_float(size->data.y));
}

template <PyObject* (*Python)(PyObject*, PyObject*), PyObject** Name>
PyObject* dispatch_or_count(ZuvoCobject* self, int skip_dispatch, const char* label,
                            std::int64_t ZuvoCobject::*counter) {
    PyObject* obj = reinterpret_cast<PyObject*>(self);
    if (!skip_dispatch) {
        Ref override;
        const int found = standin::find_override(obj, *Name, Python, override);
        if (found < 0) return nullptr;
        if (found) return zuvo::call(override.get()).release();
    }
    if (!standin::record(label, {obj})) return nullptr;
    ++(self->*counter);
    Py_RETURN_NONE;
}

PyObject* update(ZuvoCobject* self, int skip_dispatch) {
    return dispatch_or_count<py_update, &name_update>(self, skip_dispatch, "update",
                                                      &ZuvoCobject::update_count);
}

PyObject* draw(ZuvoCobject* self, int skip_dispatch) {
    return dispatch_or_count<py_draw, &name_draw>(self, skip_dispatch, "draw",
                                                  &ZuvoCobject::draw_count);
}

ZuvoCobject* as_widget(PyObject* self) { return reinterpret_cast<ZuvoCobject*>(self); }

PyObject* py_get_zvrect(PyObject* self, PyObject*) {
    return reinterpret_cast<PyObject*>(get_zvrect(as_widget(self), 1));
}
PyObject* py_update(PyObject* self, PyObject*) { return update(as_widget(self), 1); }
PyObject* py_draw(PyObject* self, PyObject*) { return draw(as_widget(self), 1); }

ZvVector2* new_vector(double x, double y) { return vector_vtable->create(x, y); }

PyObject* widget_new(PyTypeObject* type, PyObject*, PyObject*) {
    Ref obj = Ref::steal(type->tp_alloc(type, 0));
    if (!obj) return nullptr;
    ZuvoCobject* w = as_widget(obj.get());
    w->vtab = &vtable;
    w->parent = Py_NewRef(Py_None);
    w->name = Py_NewRef(Py_None);
    for (ZvVector2** slot : {&w->absolute_coordinates, &w->coordinates, &w->size, &w->scroll}) {
        *slot = new_vector(0.0, 0.0);
        if (!*slot) return nullptr;
    }
    return obj.release();
}

// ZuvoCobject(x=0, y=0, w=0, h=0, name=None): at (x, y) in its parent, also
// its absolute position until a container recomputes it.
int widget_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    static const char* keywords[] = {"x", "y", "w", "h", "name", nullptr};
    double x = 0, y = 0, w = 0, h = 0;
    PyObject* name = Py_None;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|ddddO", const_cast<char**>(keywords), &x,
                                     &y, &w, &h, &name))
        return -1;
    ZuvoCobject* widget = as_widget(self);
    Ref at = Ref::steal(reinterpret_cast<PyObject*>(new_vector(x, y)));
    Ref position = Ref::steal(reinterpret_cast<PyObject*>(new_vector(x, y)));
    Ref size = Ref::steal(reinterpret_cast<PyObject*>(new_vector(w, h)));
    if (!at || !position || !size) return -1;
    Py_XSETREF(widget->absolute_coordinates, reinterpret_cast<ZvVector2*>(at.release()));
    Py_XSETREF(widget->coordinates, reinterpret_cast<ZvVector2*>(position.release()));
    Py_XSETREF(widget->size, reinterpret_cast<ZvVector2*>(size.release()));
    Py_XSETREF(widget->name, Py_NewRef(name));
    return 0;
}

int widget_traverse(PyObject* self, visitproc visit, void* arg) {
    ZuvoCobject* w = as_widget(self);
    Py_VISIT(w->absolute_coordinates);
    Py_VISIT(w->coordinates);
    Py_VISIT(w->size);
    Py_VISIT(w->scroll);
    Py_VISIT(w->parent);
    Py_VISIT(w->name);
    return 0;
}

int widget_clear(PyObject* self) {
    ZuvoCobject* w = as_widget(self);
    Py_CLEAR(w->absolute_coordinates);
    Py_CLEAR(w->coordinates);
    Py_CLEAR(w->size);
    Py_CLEAR(w->scroll);
    Py_CLEAR(w->parent);
    Py_CLEAR(w->name);
    return 0;
}

void widget_dealloc(PyObject* self) {
    PyObject_GC_UnTrack(self);
    widget_clear(self);
    Py_TYPE(self)->tp_free(self);
}

// Vector fields: `absolute_coordinates` may be None, the others may not.
template <ZvVector2* ZuvoCobject::*Field, bool AllowNone>
struct VectorField {
    static PyObject* get(PyObject* self, void*) {
        return Py_NewRef(reinterpret_cast<PyObject*>(as_widget(self)->*Field));
    }
    static int set(PyObject* self, PyObject* value, void*) {
        if (!value || (value == Py_None && !AllowNone)) {
            PyErr_SetString(PyExc_TypeError, "this widget field needs a ZvVector2");
            return -1;
        }
        if (!standin::check_optional(value, vector_type)) return -1;
        Py_XSETREF(as_widget(self)->*Field, reinterpret_cast<ZvVector2*>(Py_NewRef(value)));
        return 0;
    }
};

template <typename F>
constexpr PyGetSetDef field(const char* name) {
    return {name, F::get, F::set, nullptr, nullptr};
}

PyGetSetDef getset[] = {
    field<VectorField<&ZuvoCobject::absolute_coordinates, true>>("absolute_coordinates"),
    field<VectorField<&ZuvoCobject::coordinates, false>>("coordinates"),
    field<VectorField<&ZuvoCobject::size, false>>("size"),
    field<VectorField<&ZuvoCobject::scroll, false>>("scroll"),
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyMemberDef members[] = {
    {"parent", T_OBJECT, offsetof(ZuvoCobject, parent), 0, nullptr},
    {"name", T_OBJECT, offsetof(ZuvoCobject, name), 0, nullptr},
    {"update_count", T_LONGLONG, offsetof(ZuvoCobject, update_count), READONLY, nullptr},
    {"draw_count", T_LONGLONG, offsetof(ZuvoCobject, draw_count), READONLY, nullptr},
    {nullptr, 0, 0, 0, nullptr},
};

PyMethodDef methods[] = {
    {"get_zvrect", py_get_zvrect, METH_NOARGS, "The widget's rectangle, as a new ZvRect."},
    {"update", py_update, METH_NOARGS, nullptr},
    {"draw", py_draw, METH_NOARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef definition = {PyModuleDef_HEAD_INIT, "zuvocobj", nullptr, -1, nullptr,
                          nullptr, nullptr, nullptr, nullptr};

bool import_dependencies() {
    void* table = nullptr;
    if (!standin::import_type(kVector2Module, "ZvVector2", &vector_type, &table)) return false;
    vector_vtable = static_cast<ZvVector2VTable*>(table);
    if (!standin::import_type(kRectModule, "ZvRect", &rect_type, &table)) return false;
    rect_vtable = static_cast<ZvRectVTable*>(table);
    name_get_zvrect = PyUnicode_InternFromString("get_zvrect");
    name_update = PyUnicode_InternFromString("update");
    name_draw = PyUnicode_InternFromString("draw");
    return name_get_zvrect && name_update && name_draw;
}

}  // namespace

PyMODINIT_FUNC PyInit_zuvocobj() {
    if (!import_dependencies()) return nullptr;
    vtable = {get_zvrect, update, draw};
    widget_type.tp_name = "zuvo_ui.fast.zuvocobj.zuvocobj.ZuvoCobject";
    widget_type.tp_basicsize = sizeof(ZuvoCobject);
    widget_type.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE | Py_TPFLAGS_HAVE_GC;
    widget_type.tp_new = widget_new;
    widget_type.tp_init = widget_init;
    widget_type.tp_dealloc = widget_dealloc;
    widget_type.tp_traverse = widget_traverse;
    widget_type.tp_clear = widget_clear;
    widget_type.tp_getset = getset;
    widget_type.tp_members = members;
    widget_type.tp_methods = methods;
    if (!standin::ready_with_vtable(&widget_type, &vtable)) return nullptr;
    Ref module = Ref::steal(PyModule_Create(&definition));
    if (!module || !standin::add_type(module.get(), &widget_type, "ZuvoCobject")) return nullptr;
    return module.release();
}
