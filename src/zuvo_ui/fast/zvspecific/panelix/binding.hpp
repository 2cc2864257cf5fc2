// The binding step: host types checked by instance size, their method tables,
// native functions published under a signature text, and Python names.
#pragma once

#include <Python.h>

#include <cstddef>

namespace zuvo::panelix {

// What a type larger than its expected size leads to.
enum class Larger { warn, accept };

struct TypeImport {
    const char* module;
    const char* name;
    std::size_t expected_size;
    Larger larger;
};

// Imports the type with the size checks; the result is a new reference.
PyTypeObject* import_type(const TypeImport& spec);

// The type's native method table, from the capsule "__pyx_vtable__" in its dictionary.
void* import_vtable(PyTypeObject* type);

// The native function `name` of `module`, published under `signature`.
void* import_function(const char* module, const char* name, const char* signature);

// `from module import name`, falling back to the submodule "module.name".
PyObject* import_name(const char* module, const char* name);

}  // namespace zuvo::panelix
