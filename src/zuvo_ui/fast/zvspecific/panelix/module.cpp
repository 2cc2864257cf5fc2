// The panelix module: its execute step binds the host toolkit's types and
// native functions before publishing the entry points.
#include <Python.h>

#include <string_view>

#include "../../support/module.hpp"
#include "../../zvhost/names.hpp"
#include "binding.hpp"
#include "entry_points.hpp"
#include "state.hpp"

namespace zuvo::panelix {
namespace {

using namespace zvhost;

constexpr int kFastcall = METH_FASTCALL | METH_KEYWORDS;

// Text signatures only: `__doc__` stays None, `inspect.signature` works.
PyMethodDef functions[] = {
    {"scrollable_update_collided", as_cfunction<scrollable_update_collided>(), kFastcall,
     "scrollable_update_collided($module, collided_items)\n--\n\n"},
    {"scrollable_recollide_items", as_cfunction<scrollable_recollide_items>(), kFastcall,
     "scrollable_recollide_items($module, self, items)\n--\n\n"},
    {"menu_draw_raylib", as_cfunction<menu_draw_raylib>(), kFastcall,
     "menu_draw_raylib($module, self, bg)\n--\n\n"},
    {"menu_draw_sdl", as_cfunction<menu_draw_sdl>(), kFastcall,
     "menu_draw_sdl($module, self, bg)\n--\n\n"},
    {"menu_draw_pygame", as_cfunction<menu_draw_pygame>(), kFastcall,
     "menu_draw_pygame($module, self, bg)\n--\n\n"},
};

// The host types in binding order; the instance sizes are those of zvhost/types.hpp.
constexpr TypeImport type_imports[] = {
    {"builtins", "type", 920, Larger::warn},
    {kVector2Module, "ZvVector2", sizeof(ZvVector2), Larger::warn},
    {kRectModule, "ZvRect", sizeof(ZvRect), Larger::warn},
    {"numpy", "dtype", 32, Larger::accept},
    {"numpy", "flatiter", 2632, Larger::accept},
    {"numpy", "broadcast", 560, Larger::accept},
    {"numpy", "ndarray", 96, Larger::accept},
    {"numpy", "ufunc", 232, Larger::accept},
    {"numpy", "generic", 16, Larger::warn},
    {"numpy", "number", 16, Larger::warn},
    {"numpy", "integer", 16, Larger::warn},
    {"numpy", "signedinteger", 16, Larger::warn},
    {"numpy", "unsignedinteger", 16, Larger::warn},
    {"numpy", "inexact", 16, Larger::warn},
    {"numpy", "floating", 16, Larger::warn},
    {"numpy", "complexfloating", 16, Larger::warn},
    {"numpy", "flexible", 16, Larger::warn},
    {"numpy", "character", 16, Larger::warn},
    {kParamModule, "ZvParam", sizeof(ZvParam), Larger::warn},
    {kCacheModule, "Cache", sizeof(Cache), Larger::warn},
    {kCobjectModule, "ZuvoCobject", sizeof(ZuvoCobject), Larger::warn},
    {kSystemModule, "ZRequest", sizeof(ZRequest), Larger::warn},
    {kSystemModule, "ZSystem", sizeof(ZSystem), Larger::warn},
    {kRenderTextureModule, "ZvRenderTexture", sizeof(ZvRenderTexture), Larger::warn},
    {kShaderModule, "ZvShader", sizeof(ZvShader), Larger::warn},
};

// Where a bound type (and its table) is kept; the others are checked and let go.
struct Keep {
    PyTypeObject** type = nullptr;
    void** table = nullptr;
};

Keep keep_for(const TypeImport& spec) {
    const std::string_view name = spec.name;
    if (name == "ZvVector2") return {&host.vector2, reinterpret_cast<void**>(&host.vector2_table)};
    if (name == "ZvRect") return {&host.rect, reinterpret_cast<void**>(&host.rect_table)};
    if (name == "ZuvoCobject")
        return {&host.cobject, reinterpret_cast<void**>(&host.cobject_table)};
    if (name == "ZvRenderTexture")
        return {&host.render_texture, reinterpret_cast<void**>(&host.render_texture_table)};
    return {};
}

bool has_table(const TypeImport& spec) { return std::string_view(spec.module) != "builtins" &&
                                                std::string_view(spec.module) != "numpy"; }

bool bind_types() {
    for (const TypeImport& spec : type_imports) {
        Ref type = Ref::steal(reinterpret_cast<PyObject*>(import_type(spec)));
        if (!type) return false;
        void* table = nullptr;
        if (has_table(spec)) {
            table = import_vtable(reinterpret_cast<PyTypeObject*>(type.get()));
            if (!table) return false;
        }
        const Keep keep = keep_for(spec);
        if (keep.type) {
            Py_XSETREF(*keep.type, reinterpret_cast<PyTypeObject*>(type.release()));
            *keep.table = table;
        }
    }
    return true;
}

template <typename Function>
bool bind_function(Function& slot, const char* module, const char* name, const char* signature) {
    void* pointer = import_function(module, name, signature);
    slot = reinterpret_cast<Function>(pointer);
    return pointer != nullptr;
}

bool bind_functions() {
    return bind_function(host.get_item_abs_coords, kLogicModule, "get_item_abs_coords",
                         signature::get_item_abs_coords) &&
           bind_function(host.begin_texture_mode, kRaylibModule, "begin_texture_mode",
                         signature::begin_texture_mode) &&
           bind_function(host.end_blend_mode, kRaylibModule, "end_blend_mode",
                         signature::end_blend_mode) &&
           bind_function(host.end_texture_mode, kRaylibModule, "end_texture_mode",
                         signature::end_texture_mode) &&
           bind_function(host.begin_blend_mode, kRaylibModule, "begin_blend_mode",
                         signature::begin_blend_mode) &&
           bind_function(host.c_clear_background_blank, kRaylibModule,
                         "c_clear_background_blank", signature::c_clear_background_blank);
}

// True when the execute step itself put the module into sys.modules: a failed step takes it out.
bool registered = false;

// Registers the module under its full name when it was loaded some other way.
bool register_module(PyObject* mod) {
    PyObject* modules = PyImport_GetModuleDict();
    const Ref key = Ref::steal(PyUnicode_FromString(kModuleName));
    if (!key) return false;
    const int present = PyDict_Contains(modules, key.get());
    if (present < 0) return false;
    if (present) return true;
    registered = true;
    return PyDict_SetItemString(modules, kModuleName, mod) == 0;
}

void unregister_module(PyObject* mod) {
    PyObject* modules = PyImport_GetModuleDict();
    const SavedError failure;
    if (PyDict_GetItemString(modules, kModuleName) == mod) PyDict_DelItemString(modules, kModuleName);
}

bool execute_body(PyObject* mod) {
    registered = false;
    if (!register_module(mod)) return false;
    if (!init_names()) return false;
    module_dict = PyModule_GetDict(mod);
    if (!bind_types() || !bind_functions()) return false;
    if (!bind(mod, "Color", Ref::steal(import_name(kColorModule, "Color")))) return false;
    if (!bind(mod, "zuvo_state", Ref::steal(import_name(kStateModule, "zuvo_state"))))
        return false;
    if (!publish(mod, functions[0], kModuleName) || !publish(mod, functions[1], kModuleName) ||
        !publish(mod, functions[2], kModuleName)) {
        return false;
    }
    host.white_color =
        reinterpret_cast<PyObject*>(host.rect_table->create(255.0f, 255.0f, 255.0f, 255.0f));
    if (!host.white_color) return false;
    if (!publish(mod, functions[3], kModuleName) || !publish(mod, functions[4], kModuleName))
        return false;
    host.origin = Py_BuildValue("(ii)", 0, 0);
    return host.origin != nullptr;
}

void undo_execute(PyObject* mod) {
    if (registered) unregister_module(mod);
    registered = false;
    clear_host();
}

constexpr ModuleSteps steps{"panelix", kModuleName, kSource, execute_body, undo_execute};

}  // namespace
}  // namespace zuvo::panelix

PyMODINIT_FUNC PyInit_panelix() { return zuvo::ExtensionModule<zuvo::panelix::steps>::init(); }
