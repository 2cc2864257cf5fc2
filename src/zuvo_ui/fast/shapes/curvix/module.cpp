// The curvix module: its create and execute steps and the namespace they bind.
#include <Python.h>

#define NPY_TARGET_VERSION NPY_1_25_API_VERSION
#define NPY_NO_DEPRECATED_API NPY_1_25_API_VERSION
#include <numpy/arrayobject.h>

#include "../../support/module.hpp"
#include "entry_points.hpp"
#include "state.hpp"

namespace zuvo::curvix {
namespace {

constexpr const char* kSource = "zuvo_ui/fast/shapes/curvix";
constexpr int kFastcall = METH_FASTCALL | METH_KEYWORDS;

template <auto Function>
constexpr PyCFunction as_cfunction() {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(Function));
}

// Text signatures only: `__doc__` stays None, `inspect.signature` works.
PyMethodDef functions[] = {
    {"_create_outlined_rounded_rect_sdf", as_cfunction<create_outlined_rounded_rect_sdf_direct>(),
     kFastcall, "_create_outlined_rounded_rect_sdf($module, size, radius, width, color)\n--\n\n"},
    {"_create_rounded_rect_surface_optimized",
     as_cfunction<create_rounded_rect_surface_optimized>(), kFastcall,
     "_create_rounded_rect_surface_optimized($module, size, radii_input, color)\n--\n\n"},
    {"transform_into_outlined_rounded_rect", as_cfunction<transform_into_outlined_rounded_rect>(),
     kFastcall,
     "transform_into_outlined_rounded_rect($module, surf, radii_input, stroke_width, color, "
     "background_color=None)\n--\n\n"},
    {"transform_into_rounded_rect", as_cfunction<transform_into_rounded_rect>(), kFastcall,
     "transform_into_rounded_rect($module, surf, radii_input, color=None)\n--\n\n"},
    {"_get_cached_rounded_rect_surface", as_cfunction<get_cached_rounded_rect_surface>(),
     kFastcall, "_get_cached_rounded_rect_surface($module, size, radii, color)\n--\n\n"},
    {"create_rounded_rect_surface", as_cfunction<create_rounded_rect_surface>(), kFastcall,
     "create_rounded_rect_surface($module, size, radii_input, color)\n--\n\n"},
    {"_get_cached_outlined_rounded_rect_sdf", as_cfunction<get_cached_outlined_rounded_rect_sdf>(),
     kFastcall, "_get_cached_outlined_rounded_rect_sdf($module, size, radius, width, color)\n--\n\n"},
    {"create_outlined_rounded_rect_sdf", as_cfunction<create_outlined_rounded_rect_sdf>(),
     kFastcall, "create_outlined_rounded_rect_sdf($module, size, radius, width, color)\n--\n\n"},
};

ModuleLifecycle lifecycle{"curvix", kModuleName};

bool bind(PyObject* mod, const char* name, Ref value) {
    return value && PyModule_AddObjectRef(mod, name, value.get()) == 0;
}

bool bind_function(PyObject* mod, PyMethodDef& def) {
    const Ref module_name = Ref::steal(PyUnicode_FromString(kModuleName));
    if (!module_name) return false;
    return bind(mod, def.ml_name, Ref::steal(PyCFunction_NewEx(&def, mod, module_name.get())));
}

// `name = lru_cache(maxsize=256)(<native name>)`, `lru_cache` read from the namespace now.
bool bind_memoised(PyObject* mod, PyMethodDef& def) {
    const Ref module_name = Ref::steal(PyUnicode_FromString(kModuleName));
    if (!module_name) return false;
    const Ref native = Ref::steal(PyCFunction_NewEx(&def, mod, module_name.get()));
    if (!native) return false;
    const Ref lru_cache = Ref::steal(PyObject_GetAttrString(mod, "lru_cache"));
    if (!lru_cache) return false;
    const Ref kwargs = Ref::steal(Py_BuildValue("{s:i}", "maxsize", 256));
    if (!kwargs) return false;
    const Ref no_args = Ref::steal(PyTuple_New(0));
    if (!no_args) return false;
    const Ref decorator = Ref::steal(PyObject_Call(lru_cache.get(), no_args.get(), kwargs.get()));
    if (!decorator) return false;
    return bind(mod, def.ml_name, call(decorator.get(), native.get()));
}

bool execute_body(PyObject* mod) {
    if (check_python_version(kModuleName) < 0) return false;
    if (_import_array() < 0) return false;
    module_dict = PyModule_GetDict(mod);
    if (!init_names()) return false;
    if (!bind(mod, "md", Ref::steal(PyImport_ImportModule("zuvo_ui.core.modules")))) return false;
    if (!bind(mod, "np", Ref::steal(PyImport_ImportModule("numpy")))) return false;
    {
        const Ref functools = Ref::steal(PyImport_ImportModule("functools"));
        if (!functools) return false;
        if (!bind(mod, "lru_cache", Ref::steal(PyObject_GetAttrString(functools.get(), "lru_cache"))))
            return false;
    }
    PyMethodDef* def = functions;
    return bind_function(mod, def[0]) && bind_function(mod, def[1]) &&
           bind_function(mod, def[2]) && bind_function(mod, def[3]) &&
           bind_memoised(mod, def[4]) && bind_function(mod, def[5]) &&
           bind_memoised(mod, def[6]) && bind_function(mod, def[7]);
}

PyObject* create(PyObject* spec, PyModuleDef*) { return lifecycle.create(spec); }

int exec(PyObject* mod) {
    const int state = lifecycle.begin_exec(mod);
    if (state <= 0) return state;
    if (execute_body(mod)) return 0;
    module_dict = nullptr;
    return lifecycle.fail_exec(kSource);
}

PyModuleDef_Slot slots[] = {
    {Py_mod_create, reinterpret_cast<void*>(create)},
    {Py_mod_exec, reinterpret_cast<void*>(exec)},
    {0, nullptr},
};

PyModuleDef definition = {
    PyModuleDef_HEAD_INIT, "curvix", nullptr, 0, nullptr, slots, nullptr, nullptr, nullptr,
};

}  // namespace
}  // namespace zuvo::curvix

PyMODINIT_FUNC PyInit_curvix() { return PyModuleDef_Init(&zuvo::curvix::definition); }
