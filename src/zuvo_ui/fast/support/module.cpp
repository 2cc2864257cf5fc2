#include "module.hpp"

#include <frameobject.h>

#include <cstdint>
#include <map>
#include <string>

#include "errors.hpp"
#include "ref.hpp"

namespace zuvo {
namespace {

std::int64_t first_interpreter = -1;

int copy_spec_attr(PyObject* spec, PyObject* dict, const char* from, const char* to,
                   bool allow_none) {
    Ref value = Ref::steal(PyObject_GetAttrString(spec, from));
    if (!value) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return -1;
        PyErr_Clear();
        return 0;
    }
    if (!allow_none && value.get() == Py_None) return 0;
    return PyDict_SetItemString(dict, to, value.get());
}

}  // namespace

namespace {

// The code object of a traceback entry, made once per name and kept for the
// life of the process (as the interpreter keeps those of Python functions):
// a fresh one per failure costs time, and on 3.13 memory that is never freed.
PyCodeObject* entry_code(const char* qualname, const char* filename) {
    static auto* const codes = new std::map<std::string, PyCodeObject*, std::less<>>();
    std::string key = std::string(filename) + '\0' + qualname;
    if (const auto found = codes->find(key); found != codes->end()) return found->second;
    PyCodeObject* code = PyCode_NewEmpty(filename, qualname, 0);
    if (code) codes->emplace(std::move(key), code);
    return code;
}

}  // namespace

void add_traceback(const char* qualname, const char* filename) {
    static PyObject* globals = nullptr;  // shared by every entry, never freed
    Ref frame;
    {
        const SavedError saved;
        if (!globals && !(globals = PyDict_New())) return;
        PyCodeObject* code = entry_code(qualname, filename);
        if (!code) return;
        frame = Ref::steal(
            reinterpret_cast<PyObject*>(PyFrame_New(PyThreadState_Get(), code, globals, nullptr)));
        if (!frame) return;
    }
    PyTraceBack_Here(reinterpret_cast<PyFrameObject*>(frame.get()));
}

PyObject* ModuleLifecycle::create(PyObject* spec) {
    const std::int64_t current = PyInterpreterState_GetID(PyInterpreterState_Get());
    if (current == -1) return nullptr;
    if (first_interpreter == -1) {
        first_interpreter = current;
    } else if (first_interpreter != current) {
        PyErr_SetString(PyExc_ImportError,
                        "Interpreter change detected - this module can only be loaded into one "
                        "interpreter per process.");
        return nullptr;
    }
    if (module) return Py_NewRef(module);

    const Ref name = Ref::steal(PyObject_GetAttrString(spec, "name"));
    if (!name) return nullptr;
    Ref mod = Ref::steal(PyModule_NewObject(name.get()));
    if (!mod) return nullptr;
    PyObject* dict = PyModule_GetDict(mod.get());
    if (copy_spec_attr(spec, dict, "loader", "__loader__", true) < 0 ||
        copy_spec_attr(spec, dict, "origin", "__file__", true) < 0 ||
        copy_spec_attr(spec, dict, "parent", "__package__", true) < 0 ||
        copy_spec_attr(spec, dict, "submodule_search_locations", "__path__", false) < 0) {
        return nullptr;
    }
    return mod.release();
}

int ModuleLifecycle::begin_exec(PyObject* mod) {
    if (module) {
        if (module == mod) return 0;
        PyErr_Format(PyExc_RuntimeError,
                     "Module '%s' has already been imported. Re-initialisation is not supported.",
                     short_name);
        return -1;
    }
    module = Py_NewRef(mod);
    return 1;
}

int ModuleLifecycle::fail_exec(const char* filename) {
    if (!PyErr_Occurred()) {
        PyErr_Format(PyExc_ImportError, "init %s", full_name);
    } else {
        char qualname[256];
        PyOS_snprintf(qualname, sizeof qualname, "init %s", full_name);
        add_traceback(qualname, filename);
    }
    Py_CLEAR(module);
    return -1;
}

int execute_module(ModuleLifecycle& lifecycle, const ModuleSteps& steps, PyObject* mod) {
    const int state = lifecycle.begin_exec(mod);
    if (state <= 0) return state;
    if (check_python_version(steps.full_name) == 0 && steps.execute(mod)) return 0;
    steps.undo(mod);
    return lifecycle.fail_exec(steps.source);
}

bool bind(PyObject* mod, const char* name, Ref value) {
    return value && PyModule_AddObjectRef(mod, name, value.get()) == 0;
}

Ref new_function(PyObject* mod, PyMethodDef& def, const char* module_name) {
    const Ref name = Ref::steal(PyUnicode_FromString(module_name));
    if (!name) return {};
    return Ref::steal(PyCFunction_NewEx(&def, mod, name.get()));
}

bool publish(PyObject* mod, PyMethodDef& def, const char* module_name) {
    return bind(mod, def.ml_name, new_function(mod, def, module_name));
}

int warn_on_version_mismatch(const char* module_name, int built_major, int built_minor,
                             int run_major, int run_minor) {
    if (built_major == run_major && built_minor == run_minor) return 0;
    char message[200];
    PyOS_snprintf(message, sizeof message,
                  "compile time Python version %d.%d of module '%.100s' %s runtime version %d.%d",
                  built_major, built_minor, module_name, "does not match", run_major, run_minor);
    return PyErr_WarnEx(PyExc_RuntimeWarning, message, 1);
}

int check_python_version(const char* module_name) {
    const int run_major = static_cast<int>((Py_Version >> 24) & 0xFF);
    const int run_minor = static_cast<int>((Py_Version >> 16) & 0xFF);
    return warn_on_version_mismatch(module_name, PY_MAJOR_VERSION, PY_MINOR_VERSION, run_major,
                                    run_minor);
}

}  // namespace zuvo
