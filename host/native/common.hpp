// What the stand-in host modules share: publishing and importing method
// tables and native functions the way the toolkit's own modules do, a static
// type set-up, and the call recorder that tests read back.
#pragma once

#include <Python.h>

#include <initializer_list>

#include "../../src/zuvo_ui/fast/support/ref.hpp"
#include "../../src/zuvo_ui/fast/zvhost/names.hpp"
#include "../../src/zuvo_ui/fast/zvhost/types.hpp"

namespace standin {

using zuvo::Ref;

// Readies `type` and stores `vtable` in its dictionary as the capsule "__pyx_vtable__".
bool ready_with_vtable(PyTypeObject* type, void* vtable);

// Adds `type` to `module` under its short name.
bool add_type(PyObject* module, PyTypeObject* type, const char* name);

// Imports `module_name`, takes the type `type_name` and its method table.
bool import_type(const char* module_name, const char* type_name, PyTypeObject** type,
                 void** vtable);

// Adds `function` to the module's "__pyx_capi__" table under `signature`.
bool export_function(PyObject* module, const char* name, void* function, const char* signature);

// Imports a native function published by another stand-in module.
void* import_function(const char* module_name, const char* name, const char* signature);

// Appends (name, args) to zuvo_standin.recorder.calls; fails when a test asked
// the recorder to fail at this call.  `name` must be a string literal (its
// address keys a cache of labels).  Does nothing while recording is off.
bool record(const char* name, std::initializer_list<PyObject*> args);

// False while zuvo_standin.recorder's recording is switched off, so that a
// caller can skip building the arguments of record().
bool recording();

// Raises the toolkit's conversion error for `obj` not being a `type`.
void raise_cannot_convert(PyObject* obj, PyTypeObject* type);

// True when `obj` is None or an instance of `type`; otherwise raises.
bool check_optional(PyObject* obj, PyTypeObject* type);

// Looks `name` up on `self` and returns it when it is not the native method
// `native` (a Python override): 1 with `out` set, 0 for the native one, -1 on error.
int find_override(PyObject* self, PyObject* name, PyCFunction native, Ref& out);

}  // namespace standin
