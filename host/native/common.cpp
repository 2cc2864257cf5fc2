#include "common.hpp"

#include <vector>

namespace standin {

bool ready_with_vtable(PyTypeObject* type, void* vtable) {
    if (PyType_Ready(type) < 0) return false;
    const Ref capsule = Ref::steal(PyCapsule_New(vtable, nullptr, nullptr));
    if (!capsule) return false;
    if (PyDict_SetItemString(type->tp_dict, zuvo::zvhost::kVtableKey, capsule.get()) < 0)
        return false;
    PyType_Modified(type);
    return true;
}

bool add_type(PyObject* module, PyTypeObject* type, const char* name) {
    return PyModule_AddObjectRef(module, name, reinterpret_cast<PyObject*>(type)) == 0;
}

bool import_type(const char* module_name, const char* type_name, PyTypeObject** type,
                 void** vtable) {
    const Ref module = Ref::steal(PyImport_ImportModule(module_name));
    if (!module) return false;
    const Ref found = Ref::steal(PyObject_GetAttrString(module.get(), type_name));
    if (!found) return false;
    if (!PyType_Check(found.get())) {
        PyErr_Format(PyExc_TypeError, "%s.%s is not a type object", module_name, type_name);
        return false;
    }
    auto* t = reinterpret_cast<PyTypeObject*>(found.get());
    PyObject* capsule = PyDict_GetItemString(t->tp_dict, zuvo::zvhost::kVtableKey);
    if (!capsule) {
        PyErr_Format(PyExc_ImportError, "%s.%s has no method table", module_name, type_name);
        return false;
    }
    void* table = PyCapsule_GetPointer(capsule, nullptr);
    if (!table) return false;
    // Kept for the process, like the module that holds the table.
    *type = reinterpret_cast<PyTypeObject*>(Py_NewRef(found.get()));
    *vtable = table;
    return true;
}

bool export_function(PyObject* module, const char* name, void* function, const char* signature) {
    PyObject* table = PyObject_GetAttrString(module, zuvo::zvhost::kCapiKey);
    Ref capi = Ref::steal(table);
    if (!capi) {
        PyErr_Clear();
        capi = Ref::steal(PyDict_New());
        if (!capi || PyModule_AddObjectRef(module, zuvo::zvhost::kCapiKey, capi.get()) < 0)
            return false;
    }
    const Ref capsule = Ref::steal(PyCapsule_New(function, signature, nullptr));
    return capsule && PyDict_SetItemString(capi.get(), name, capsule.get()) == 0;
}

void* import_function(const char* module_name, const char* name, const char* signature) {
    const Ref module = Ref::steal(PyImport_ImportModule(module_name));
    if (!module) return nullptr;
    const Ref capi = Ref::steal(PyObject_GetAttrString(module.get(), zuvo::zvhost::kCapiKey));
    if (!capi) return nullptr;
    PyObject* capsule = PyDict_GetItemString(capi.get(), name);
    if (!capsule) {
        PyErr_Format(PyExc_ImportError, "%s does not export %s", module_name, name);
        return nullptr;
    }
    return PyCapsule_GetPointer(capsule, signature);
}

bool record(const char* name, std::initializer_list<PyObject*> args) {
    static PyObject* recorder = nullptr;  // the module, kept for the process
    if (!recorder) {
        recorder = PyImport_ImportModule("zuvo_standin.recorder");
        if (!recorder) return false;
    }
    const Ref function = Ref::steal(PyObject_GetAttrString(recorder, "record"));
    if (!function) return false;
    const Ref label = Ref::steal(PyUnicode_FromString(name));
    if (!label) return false;
    std::vector<PyObject*> argv{label.get()};
    argv.insert(argv.end(), args.begin(), args.end());
    return static_cast<bool>(
        Ref::steal(PyObject_Vectorcall(function.get(), argv.data(), argv.size(), nullptr)));
}

void raise_cannot_convert(PyObject* obj, PyTypeObject* type) {
    PyErr_Format(PyExc_TypeError, "Cannot convert %.200s to %.200s", Py_TYPE(obj)->tp_name,
                 type->tp_name);
}

bool check_optional(PyObject* obj, PyTypeObject* type) {
    if (obj == Py_None || PyObject_TypeCheck(obj, type)) return true;
    raise_cannot_convert(obj, type);
    return false;
}

int find_override(PyObject* self, PyObject* name, PyCFunction native, Ref& out) {
    PyTypeObject* type = Py_TYPE(self);
    // Neither an instance dictionary nor a Python subclass: nothing can override.
    if (type->tp_dictoffset == 0 && !(type->tp_flags & Py_TPFLAGS_HEAPTYPE)) return 0;
    Ref method = Ref::steal(PyObject_GetAttr(self, name));
    if (!method) return -1;
    if (PyCFunction_Check(method.get()) && PyCFunction_GET_FUNCTION(method.get()) == native &&
        PyCFunction_GET_SELF(method.get()) == self) {
        return 0;
    }
    out = std::move(method);
    return 1;
}

}  // namespace standin
