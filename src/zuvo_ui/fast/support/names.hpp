// Names a module looks up often: interned once, and module globals read the
// way Python code reads them.
#pragma once

#include <Python.h>

#include <initializer_list>

#include "ref.hpp"

namespace zuvo {

struct InternedName {
    PyObject** slot;
    const char* text;
};

// Interns each text into its slot (slots already set are kept: the names live
// for the life of the process).  False with an exception set on failure.
bool intern_names(std::initializer_list<InternedName> names);

// `name` from the module namespace `module_dict`, then from the builtins;
// NameError "name '...' is not defined" when neither has it.
Ref lookup_global(PyObject* module_dict, PyObject* name);

}  // namespace zuvo
