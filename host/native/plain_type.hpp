// Host types that the fast layer binds but never calls: a plain static type
// whose instances hold None in their object fields and the type's method table.
#pragma once

#include <cstddef>
#include <utility>

#include "common.hpp"

namespace standin {

template <typename Instance, auto... ObjectFields>
struct PlainType {
    static inline PyTypeObject type = {PyVarObject_HEAD_INIT(nullptr, 0)};
    static inline void* vtable = nullptr;

    static PyObject* create(PyTypeObject* t, PyObject*, PyObject*) {
        auto* obj = reinterpret_cast<Instance*>(t->tp_alloc(t, 0));
        if (!obj) return nullptr;
        obj->vtab = static_cast<decltype(obj->vtab)>(vtable);
        ((obj->*ObjectFields = Py_NewRef(Py_None)), ...);
        return reinterpret_cast<PyObject*>(obj);
    }

    static void dealloc(PyObject* self) {
        auto* obj = reinterpret_cast<Instance*>(self);
        (Py_XDECREF(std::exchange(obj->*ObjectFields, nullptr)), ...);
        Py_TYPE(self)->tp_free(self);
    }

    static bool ready(const char* qualified_name, void* table, PyMethodDef* methods = nullptr) {
        vtable = table;
        type.tp_name = qualified_name;
        type.tp_basicsize = sizeof(Instance);
        type.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE;
        type.tp_new = create;
        type.tp_dealloc = dealloc;
        type.tp_methods = methods;
        return ready_with_vtable(&type, table);
    }
};

inline PyObject* single_type_module(PyModuleDef* def, PyTypeObject* type, const char* name) {
    Ref module = Ref::steal(PyModule_Create(def));
    if (!module || !add_type(module.get(), type, name)) return nullptr;
    return module.release();
}

}  // namespace standin
