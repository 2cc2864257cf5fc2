#include "common.hpp"

#include <utility>
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

namespace {

// zuvo_standin.recorder's list, failure table and switch, taken once and kept
// for the process like the module itself; nullptr until the first call.
struct Recorder {
    PyObject* calls = nullptr;
    PyObject* failures = nullptr;
    PyObject* fail_if_due = nullptr;
    const char* switch_byte = nullptr;
};

const Recorder* recorder() {
    static Recorder handles;
    if (handles.switch_byte) return &handles;
    const Ref module = Ref::steal(PyImport_ImportModule("zuvo_standin.recorder"));
    if (!module) return nullptr;
    const auto attribute = [&module](const char* name) {
        return Ref::steal(PyObject_GetAttrString(module.get(), name));
    };
    Ref calls = attribute("calls");
    Ref failures = attribute("_failures");
    Ref fail_if_due = attribute("_fail_if_due");
    const Ref switch_object = attribute("_switch");
    if (!calls || !failures || !fail_if_due || !switch_object) return nullptr;
    if (!PyList_CheckExact(calls.get()) || !PyDict_CheckExact(failures.get()) ||
        !PyByteArray_CheckExact(switch_object.get()) ||
        PyByteArray_GET_SIZE(switch_object.get()) < 1) {
        PyErr_SetString(PyExc_TypeError, "zuvo_standin.recorder has an unexpected layout");
        return nullptr;
    }
    handles.calls = calls.release();
    handles.failures = failures.release();
    handles.fail_if_due = fail_if_due.release();
    // The bytearray is kept alive and never resized, so its buffer stays put.
    handles.switch_byte = PyByteArray_AS_STRING(Py_NewRef(switch_object.get()));
    return &handles;
}

// One str per label: the labels are string literals, so their addresses name them.
PyObject* label_for(const char* name) {
    static std::vector<std::pair<const char*, PyObject*>> labels;
    for (const auto& [text, label] : labels)
        if (text == name) return label;
    PyObject* label = PyUnicode_InternFromString(name);
    if (label) labels.emplace_back(name, label);
    return label;
}

}  // namespace

bool recording() {
    const Recorder* r = recorder();
    if (!r) {
        PyErr_Clear();
        return true;  // let record() raise the import error
    }
    return *r->switch_byte != 0;
}

bool record(const char* name, std::initializer_list<PyObject*> args) {
    const Recorder* r = recorder();
    if (!r) return false;
    if (!*r->switch_byte) return true;
    PyObject* label = label_for(name);
    if (!label) return false;
    const Ref arguments = Ref::steal(PyTuple_New(static_cast<Py_ssize_t>(args.size())));
    if (!arguments) return false;
    Py_ssize_t i = 0;
    for (PyObject* arg : args) PyTuple_SET_ITEM(arguments.get(), i++, Py_NewRef(arg));
    const Ref entry = Ref::steal(PyTuple_Pack(2, label, arguments.get()));
    if (!entry || PyList_Append(r->calls, entry.get()) < 0) return false;
    if (PyDict_GET_SIZE(r->failures) == 0) return true;
    return static_cast<bool>(zuvo::call(r->fail_if_due, label));
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

#if PY_VERSION_HEX < 0x030D0000
namespace {

// True when `method`, found on the type, is the method descriptor of `native`.
bool is_native_descriptor(PyObject* method, PyCFunction native) {
    return Py_IS_TYPE(method, &PyMethodDescr_Type) &&
           reinterpret_cast<PyMethodDescrObject*>(method)->d_method->ml_meth == native;
}

}  // namespace
#endif

int find_override(PyObject* self, PyObject* name, PyCFunction native, Ref& out) {
    PyTypeObject* type = Py_TYPE(self);
    // Neither an instance dictionary nor a Python subclass: nothing can override.
    if (type->tp_dictoffset == 0 && !(type->tp_flags & Py_TPFLAGS_HEAPTYPE)) return 0;
#if PY_VERSION_HEX < 0x030D0000
    // Finds the type's method without binding it, unless the instance shadows
    // it, as the interpreter's own method calls do: no bound method per call.
    PyObject* found = nullptr;
    const int unbound = _PyObject_GetMethod(self, name, &found);
    Ref method = Ref::steal(found);
    if (!method) return -1;
    if (unbound) {
        if (is_native_descriptor(method.get(), native)) return 0;
        method = Ref::steal(PyObject_GetAttr(self, name));
        if (!method) return -1;
    }
#else
    Ref method = Ref::steal(PyObject_GetAttr(self, name));
    if (!method) return -1;
#endif
    if (PyCFunction_Check(method.get()) && PyCFunction_GET_FUNCTION(method.get()) == native &&
        PyCFunction_GET_SELF(method.get()) == self) {
        return 0;
    }
    out = std::move(method);
    return 1;
}

}  // namespace standin
