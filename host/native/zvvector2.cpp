// Stand-in for zuvo_ui.fast.zvvector2.zvvector2: the two-component vector.
#include "common.hpp"
#include "free_list.hpp"

namespace {

using zuvo::zvhost::ZvVector2;
using zuvo::zvhost::ZvVector2VTable;

PyTypeObject vector_type = {PyVarObject_HEAD_INIT(nullptr, 0)};
ZvVector2VTable vtable;
bool fail_next_create = false;  // set by tests to drive the callers' failure paths
standin::FreeList<ZvVector2> free_vectors(&vector_type);

ZvVector2* create(double x, double y) {
    if (fail_next_create) {
        fail_next_create = false;
        PyErr_SetString(PyExc_MemoryError, "stand-in failure in ZvVector2.create");
        return nullptr;
    }
    ZvVector2* v = free_vectors.take();
    if (!v) return nullptr;
    v->vtab = &vtable;
    v->data = {x, y};
    return v;
}

PyObject* vector_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    static const char* keywords[] = {"x", "y", nullptr};
    double x = 0.0, y = 0.0;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|dd", const_cast<char**>(keywords), &x, &y))
        return nullptr;
    auto* v = reinterpret_cast<ZvVector2*>(type->tp_alloc(type, 0));
    if (!v) return nullptr;
    v->vtab = &vtable;
    v->data = {x, y};
    return reinterpret_cast<PyObject*>(v);
}

void vector_dealloc(PyObject* self) { free_vectors.release(self); }

PyObject* vector_repr(PyObject* self) {
    const auto* v = reinterpret_cast<ZvVector2*>(self);
    const zuvo::Ref x = zuvo::Ref::steal(PyFloat_FromDouble(v->data.x));
    const zuvo::Ref y = zuvo::Ref::steal(PyFloat_FromDouble(v->data.y));
    if (!x || !y) return nullptr;
    return PyUnicode_FromFormat("ZvVector2(%R, %R)", x.get(), y.get());
}

PyObject* get_component(PyObject* self, void* which) {
    const auto& d = reinterpret_cast<ZvVector2*>(self)->data;
    return PyFloat_FromDouble(which ? d.y : d.x);
}

int set_component(PyObject* self, PyObject* value, void* which) {
    if (!value) {
        PyErr_SetString(PyExc_AttributeError, "cannot delete a vector component");
        return -1;
    }
    const double v = PyFloat_AsDouble(value);
    if (v == -1.0 && PyErr_Occurred()) return -1;
    auto& d = reinterpret_cast<ZvVector2*>(self)->data;
    (which ? d.y : d.x) = v;
    return 0;
}

PyGetSetDef getset[] = {
    {"x", get_component, set_component, nullptr, nullptr},
    {"y", get_component, set_component, nullptr, reinterpret_cast<void*>(1)},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyObject* arm_create_failure(PyObject*, PyObject*) {
    fail_next_create = true;
    Py_RETURN_NONE;
}

PyMethodDef functions[] = {
    {"_fail_next_create", arm_create_failure, METH_NOARGS,
     "The next native ZvVector2.create raises MemoryError (for tests)."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef definition = {PyModuleDef_HEAD_INIT, "zvvector2", nullptr, -1, functions,
                          nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit_zvvector2() {
    vtable.create = create;
    vector_type.tp_name = "zuvo_ui.fast.zvvector2.zvvector2.ZvVector2";
    vector_type.tp_basicsize = sizeof(ZvVector2);
    vector_type.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE;
    vector_type.tp_new = vector_new;
    vector_type.tp_dealloc = vector_dealloc;
    vector_type.tp_repr = vector_repr;
    vector_type.tp_getset = getset;
    if (!standin::ready_with_vtable(&vector_type, &vtable)) return nullptr;
    zuvo::Ref module = zuvo::Ref::steal(PyModule_Create(&definition));
    if (!module || !standin::add_type(module.get(), &vector_type, "ZvVector2")) return nullptr;
    return module.release();
}
