// Module lifecycle shared by both extension modules: one interpreter per
// process, one execution of the module body, the version warning, and
// traceback entries carrying qualified function names.
#pragma once

#include <Python.h>

#include "ref.hpp"

namespace zuvo {

// Adds a traceback entry named `qualname` to the exception being raised.
// `filename` is the source shown in the entry.  Keeps the exception as it is.
void add_traceback(const char* qualname, const char* filename);

// Passes a call's result on; when it failed (a null reference, or false),
// first adds the traceback entry `qualname`, shown in `filename`.
inline PyObject* traced(Ref result, const char* qualname, const char* filename) {
    if (!result) add_traceback(qualname, filename);
    return result.release();
}
inline bool traced(bool ok, const char* qualname, const char* filename) {
    if (!ok) add_traceback(qualname, filename);
    return ok;
}

// The state of one extension module across imports.  A module object that
// executed successfully stays for the life of the process.
struct ModuleLifecycle {
    const char* short_name;  // "curvix": used in the re-initialisation message
    const char* full_name;   // "zuvo_ui.fast.shapes.curvix"
    PyObject* module = nullptr;  // strong reference once execution has begun

    // Create step: records the first interpreter, refuses any other, returns
    // the existing module again, or makes a new one from its ModuleSpec.
    PyObject* create(PyObject* spec);

    // Start of the execute step.  Returns 1 when the body is to run (and takes
    // `mod` as the module), 0 when `mod` already ran, -1 with an error set.
    int begin_exec(PyObject* mod);

    // End of a failed execute step: adds the "init <full_name>" traceback
    // entry and drops the half-built module so that a later import starts over.
    int fail_exec(const char* filename);
};

// Issues the RuntimeWarning of a module built for `built_major`.`built_minor`
// running on another version.  Returns -1 when the warning was turned into an error.
int warn_on_version_mismatch(const char* module_name, int built_major, int built_minor,
                             int run_major, int run_minor);

// The same check for this build and the running interpreter.
int check_python_version(const char* module_name);

// A METH_FASTCALL | METH_KEYWORDS function as the PyCFunction a PyMethodDef holds.
template <auto Function>
constexpr PyCFunction as_cfunction() {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(Function));
}

// Adds `value` to the module as `name`.  False, with the error set, when
// `value` is null (the lookup or call that made it failed) or adding fails.
bool bind(PyObject* mod, const char* name, Ref value);

// The builtin function of `def`, bound to `mod`, its `__module__` `module_name`.
Ref new_function(PyObject* mod, PyMethodDef& def, const char* module_name);

// Adds the builtin function of `def` to the module under its own name.
bool publish(PyObject* mod, PyMethodDef& def, const char* module_name);

// What is a module's own in its import: its names and its execute body.
struct ModuleSteps {
    const char* short_name;  // "curvix": the PyModuleDef name
    const char* full_name;   // "zuvo_ui.fast.shapes.curvix"
    const char* source;      // the file shown in the "init <full_name>" traceback entry
    bool (*execute)(PyObject* mod);  // binds the globals; false with an error set
    void (*undo)(PyObject* mod);     // after a failed execute: forgets what it kept
};

// The execute step shared by both modules: the body runs once per module
// object, after the version check; a failure is undone and reported.
int execute_module(ModuleLifecycle& lifecycle, const ModuleSteps& steps, PyObject* mod);

// The module definition, with create and execute slots, of the module `Steps`.
// `PyInit_<name>` returns `ExtensionModule<steps>::init()`.
template <const ModuleSteps& Steps>
class ExtensionModule {
public:
    static PyObject* init() { return PyModuleDef_Init(&definition); }

private:
    static PyObject* create(PyObject* spec, PyModuleDef*) { return lifecycle.create(spec); }
    static int exec(PyObject* mod) { return execute_module(lifecycle, Steps, mod); }

    static inline ModuleLifecycle lifecycle{Steps.short_name, Steps.full_name};
    static inline PyModuleDef_Slot slots[] = {
        {Py_mod_create, reinterpret_cast<void*>(create)},
        {Py_mod_exec, reinterpret_cast<void*>(exec)},
        {0, nullptr},
    };
    static inline PyModuleDef definition = {
        PyModuleDef_HEAD_INIT, Steps.short_name, nullptr, 0, nullptr, slots, nullptr, nullptr,
        nullptr,
    };
};

}  // namespace zuvo
