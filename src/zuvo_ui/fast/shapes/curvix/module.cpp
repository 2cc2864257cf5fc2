// The curvix module: the namespace its execute step binds.
#include <Python.h>

#include <cstring>
#include <string_view>

#define ZUVO_BINDS_NUMPY
#include "numpy_api.hpp"

#include "../../support/module.hpp"
#include "entry_points.hpp"
#include "state.hpp"

namespace zuvo::curvix {
namespace {

constexpr int kFastcall = METH_FASTCALL | METH_KEYWORDS;

// Text signatures only: `__doc__` stays None, `inspect.signature` works.
PyMethodDef functions[] = {
    {"_create_outlined_rounded_rect_sdf", as_cfunction<_create_outlined_rounded_rect_sdf>(),
     kFastcall, "_create_outlined_rounded_rect_sdf($module, size, radius, width, color)\n--\n\n"},
    {"_create_rounded_rect_surface_optimized",
     as_cfunction<_create_rounded_rect_surface_optimized>(), kFastcall,
     "_create_rounded_rect_surface_optimized($module, size, radii_input, color)\n--\n\n"},
    {"transform_into_outlined_rounded_rect", as_cfunction<transform_into_outlined_rounded_rect>(),
     kFastcall,
     "transform_into_outlined_rounded_rect($module, surf, radii_input, stroke_width, color, "
     "background_color=None)\n--\n\n"},
    {"transform_into_rounded_rect", as_cfunction<transform_into_rounded_rect>(), kFastcall,
     "transform_into_rounded_rect($module, surf, radii_input, color=None)\n--\n\n"},
    {"_get_cached_rounded_rect_surface", as_cfunction<_get_cached_rounded_rect_surface>(),
     kFastcall, "_get_cached_rounded_rect_surface($module, size, radii, color)\n--\n\n"},
    {"create_rounded_rect_surface", as_cfunction<create_rounded_rect_surface>(), kFastcall,
     "create_rounded_rect_surface($module, size, radii_input, color)\n--\n\n"},
    {"_get_cached_outlined_rounded_rect_sdf",
     as_cfunction<_get_cached_outlined_rounded_rect_sdf>(), kFastcall,
     "_get_cached_outlined_rounded_rect_sdf($module, size, radius, width, color)\n--\n\n"},
    {"create_outlined_rounded_rect_sdf", as_cfunction<create_outlined_rounded_rect_sdf>(),
     kFastcall, "create_outlined_rounded_rect_sdf($module, size, radius, width, color)\n--\n\n"},
};

// `name = lru_cache(maxsize=256)(<native name>)`, `lru_cache` read from the namespace now.
bool bind_memoised(PyObject* mod, PyMethodDef& def) {
    const Ref native = new_function(mod, def, kModuleName);
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

constexpr const char* kRegistry = "zuvo_ui.core.modules";

// Outside the toolkit the registry is missing: the ModuleNotFoundError raised
// for it (or for a package above it) gains a note saying where to read how to
// provide one.  Errors raised by a registry that exists are left alone.
void note_missing_registry() {
    if (!PyErr_ExceptionMatches(PyExc_ModuleNotFoundError)) return;
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);
    PyErr_NormalizeException(&type, &value, &traceback);
    if (value) {
        const Ref name = Ref::steal(PyObject_GetAttrString(value, "name"));
        const char* missing = name && PyUnicode_Check(name.get()) ? PyUnicode_AsUTF8(name.get()) : nullptr;
        const std::string_view registry = kRegistry;
        if (missing && registry.starts_with(missing) &&
            (registry.size() == std::strlen(missing) || registry[std::strlen(missing)] == '.')) {
            const Ref done = Ref::steal(PyObject_CallMethod(
                value, "add_note", "s",
                "curvix reaches pygame through the toolkit's module registry, "
                "zuvo_ui.core.modules; to use curvix without the toolkit, provide that module "
                "yourself as the README's section \"Using curvix without the toolkit\" shows."));
        }
        PyErr_Clear();  // a note that cannot be added leaves the error as it was
    }
    PyErr_Restore(type, value, traceback);
}

bool execute_body(PyObject* mod) {
    if (_import_array() < 0) return false;
    module_dict = PyModule_GetDict(mod);
    if (!init_names()) return false;
    Ref registry = Ref::steal(PyImport_ImportModule(kRegistry));
    if (!registry) note_missing_registry();
    if (!bind(mod, "md", std::move(registry))) return false;
    if (!bind(mod, "np", Ref::steal(PyImport_ImportModule("numpy")))) return false;
    {
        const Ref functools = Ref::steal(PyImport_ImportModule("functools"));
        if (!functools) return false;
        if (!bind(mod, "lru_cache", Ref::steal(PyObject_GetAttrString(functools.get(), "lru_cache"))))
            return false;
    }
    PyMethodDef* def = functions;
    return publish(mod, def[0], kModuleName) && publish(mod, def[1], kModuleName) &&
           publish(mod, def[2], kModuleName) && publish(mod, def[3], kModuleName) &&
           bind_memoised(mod, def[4]) && publish(mod, def[5], kModuleName) &&
           bind_memoised(mod, def[6]) && publish(mod, def[7], kModuleName);
}

void forget_namespace(PyObject*) { module_dict = nullptr; }

constexpr ModuleSteps steps{"curvix", kModuleName, kSource, execute_body,
                            forget_namespace};

}  // namespace
}  // namespace zuvo::curvix

PyMODINIT_FUNC PyInit_curvix() { return zuvo::ExtensionModule<zuvo::curvix::steps>::init(); }
