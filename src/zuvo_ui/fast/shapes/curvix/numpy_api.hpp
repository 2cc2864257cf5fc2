// NumPy's native interface as curvix uses it: bound once by the module's
// execute step (which defines ZUVO_BINDS_NUMPY before including this), and
// shared by every other unit that includes this header.
#pragma once

#include <Python.h>

#define NPY_TARGET_VERSION NPY_1_25_API_VERSION
#define NPY_NO_DEPRECATED_API NPY_1_25_API_VERSION
#define PY_ARRAY_UNIQUE_SYMBOL zuvo_curvix_numpy_api
#ifndef ZUVO_BINDS_NUMPY
#define NO_IMPORT_ARRAY
#endif
#include <numpy/arrayobject.h>
