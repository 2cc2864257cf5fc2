// Module lifecycle shared by both extension modules: one interpreter per
// process, one execution of the module body, the version warning, and
// traceback entries carrying qualified function names.
#pragma once

#include <Python.h>

namespace zuvo {

// Adds a traceback entry named `qualname` to the exception being raised.
// `filename` is the source shown in the entry.  Keeps the exception as it is.
void add_traceback(const char* qualname, const char* filename);

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

}  // namespace zuvo
