// Test-only access to the support layer's checks, and the pieces tests need
// to build broken host toolkits: types of any instance size, capsules with
// any name (or none, or a null pointer), and a second run of a module's
// execute step on another module object.
#include <Python.h>

#include <cstring>

#include "../../src/zuvo_ui/fast/support/module.hpp"
#include "../../src/zuvo_ui/fast/support/ref.hpp"

namespace {

using zuvo::Ref;

// warn_on_version_mismatch(name, built_major, built_minor, run_major, run_minor)
PyObject* warn_on_version_mismatch(PyObject*, PyObject* args) {
    const char* name;
    int built_major, built_minor, run_major, run_minor;
    if (!PyArg_ParseTuple(args, "siiii", &name, &built_major, &built_minor, &run_major,
                          &run_minor)) {
        return nullptr;
    }
    if (zuvo::warn_on_version_mismatch(name, built_major, built_minor, run_major, run_minor) < 0)
        return nullptr;
    Py_RETURN_NONE;
}

// make_type(name, basicsize, itemsize=0): a subclassable type of that size.
PyObject* make_type(PyObject*, PyObject* args) {
    const char* name;
    int basicsize;
    int itemsize = 0;
    if (!PyArg_ParseTuple(args, "si|i", &name, &basicsize, &itemsize)) return nullptr;
    if (basicsize < static_cast<int>(sizeof(PyObject)) || itemsize < 0) {
        PyErr_SetString(PyExc_ValueError, "basicsize must hold an object header");
        return nullptr;
    }
    // PyType_Spec's name must outlive the type: keep a copy in an immortal bytes object.
    PyObject* kept = PyBytes_FromString(name);
    if (!kept) return nullptr;
    PyType_Slot slots[] = {{0, nullptr}};
    PyType_Spec spec = {PyBytes_AS_STRING(kept), basicsize, itemsize,
                        Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE, slots};
    return PyType_FromSpec(&spec);
}

// Any non-null pointer will do: nobody calls through these capsules.
unsigned char dummy_target;

// capsule(name=None): a capsule holding a dummy pointer under `name`.
PyObject* capsule(PyObject*, PyObject* args) {
    PyObject* name_obj = Py_None;
    if (!PyArg_ParseTuple(args, "|O", &name_obj)) return nullptr;
    const char* name = nullptr;
    if (name_obj != Py_None) {
        // Capsules borrow their name: keep the text alive with the process.
        PyObject* kept = PyUnicode_Check(name_obj) ? PyUnicode_AsUTF8String(name_obj)
                                                   : PyBytes_FromObject(name_obj);
        if (!kept) return nullptr;
        name = PyBytes_AS_STRING(kept);
    }
    return PyCapsule_New(&dummy_target, name, nullptr);
}

// null_capsule(): a capsule whose pointer is null, which the capsule API
// never makes.  Its pointer is the first field after the object header; the
// helper checks that before writing, and refuses when the layout differs.
PyObject* null_capsule(PyObject*, PyObject*) {
    Ref cap = Ref::steal(PyCapsule_New(&dummy_target, nullptr, nullptr));
    if (!cap) return nullptr;
    void* stored = nullptr;
    auto* field = reinterpret_cast<unsigned char*>(cap.get()) + sizeof(PyObject);
    std::memcpy(&stored, field, sizeof stored);
    if (stored != &dummy_target) {
        PyErr_SetString(PyExc_NotImplementedError, "unexpected capsule layout");
        return nullptr;
    }
    stored = nullptr;
    std::memcpy(field, &stored, sizeof stored);
    return cap.release();
}

// exec_def_on(target, source): runs the execute step of `source`'s module
// definition on the module object `target`.
PyObject* exec_def_on(PyObject*, PyObject* args) {
    PyObject* target;
    PyObject* source;
    if (!PyArg_ParseTuple(args, "O!O!", &PyModule_Type, &target, &PyModule_Type, &source))
        return nullptr;
    PyModuleDef* def = PyModule_GetDef(source);
    if (!def) {
        PyErr_SetString(PyExc_TypeError, "source has no module definition");
        return nullptr;
    }
    if (PyModule_ExecDef(target, def) < 0) return nullptr;
    Py_RETURN_NONE;
}

PyMethodDef methods[] = {
    {"warn_on_version_mismatch", warn_on_version_mismatch, METH_VARARGS, nullptr},
    {"make_type", make_type, METH_VARARGS, nullptr},
    {"capsule", capsule, METH_VARARGS, nullptr},
    {"null_capsule", null_capsule, METH_NOARGS, nullptr},
    {"exec_def_on", exec_def_on, METH_VARARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef definition = {PyModuleDef_HEAD_INIT, "_probe", nullptr, 0, methods,
                          nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit__probe() { return PyModuleDef_Init(&definition); }
