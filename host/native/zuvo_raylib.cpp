// Stand-in for zuvo_ui.fast.raylib.zuvo_raylib, the raylib wrapper.
//
// Each call is recorded, and the texture and blend modes are kept as stacks
// that tests read back, so that an unbalanced begin/end pair shows.  An end
// without a begin fails, as a misuse should.  While zuvo_standin.real_raylib
// is enabled the calls also draw through raylib; raylib itself keeps no stack
// (its EndTextureMode goes back to the window), so ending a nested mode here
// gives raylib the enclosing target or blend mode again.
#include <utility>
#include <vector>

#include "common.hpp"
#include "real_raylib.hpp"

namespace {

using namespace zuvo::zvhost;
using zuvo::Ref;

// Strong references to the targets of the open texture modes.  Never
// destroyed: at process exit that would run after the interpreter is gone.
std::vector<PyObject*>& texture_modes = *new std::vector<PyObject*>;
std::vector<int> blend_modes;
standin::real::Bridge* bridge = nullptr;  // set at import

// Points raylib at the innermost open target, or at the window when that
// target holds no render texture or none is open.
void retarget_raylib() {
    const standin::real::Functions* rl = bridge->functions;
    if (!rl) return;
    if (!texture_modes.empty()) {
        if (const auto* texture = bridge->texture_of(texture_modes.back())) {
            bridge->target = *texture;
            bridge->has_target = true;
            rl->BeginTextureMode(*texture);
            return;
        }
    }
    bridge->has_target = false;
    rl->EndTextureMode();
}

// Gives raylib the innermost open blend mode, or its default.
void reblend_raylib() {
    const standin::real::Functions* rl = bridge->functions;
    if (!rl) return;
    if (blend_modes.empty()) {
        rl->EndBlendMode();
        bridge->blend_mode = standin::real::kDefaultBlendMode;
    } else {
        rl->BeginBlendMode(blend_modes.back());
        bridge->blend_mode = blend_modes.back();
    }
}

bool fail_unbalanced(const char* name, bool empty) {
    if (!empty) return true;
    PyErr_Format(PyExc_RuntimeError, "%s without a matching begin", name);
    return false;
}

void begin_texture_mode(PyObject* target, int) {
    if (!standin::record("begin_texture_mode", {target})) return;
    texture_modes.push_back(Py_NewRef(target));
    retarget_raylib();
}

void end_texture_mode(int) {
    if (standin::record("end_texture_mode", {}) &&
        fail_unbalanced("end_texture_mode", texture_modes.empty())) {
        PyObject* target = texture_modes.back();
        texture_modes.pop_back();
        retarget_raylib();  // before the target can go, and its render texture with it
        Py_DECREF(target);
    }
}

void begin_blend_mode(int mode, int) {
    const Ref number = Ref::steal(PyLong_FromLong(mode));
    if (!number || !standin::record("begin_blend_mode", {number.get()})) return;
    blend_modes.push_back(mode);
    reblend_raylib();
}

void end_blend_mode(int) {
    if (standin::record("end_blend_mode", {}) &&
        fail_unbalanced("end_blend_mode", blend_modes.empty())) {
        blend_modes.pop_back();
        reblend_raylib();
    }
}

// Cannot report failure: a recorder failure is shown as unraisable instead.
void c_clear_background_blank() {
    if (!standin::record("c_clear_background_blank", {})) {
        PyErr_WriteUnraisable(nullptr);
        return;
    }
    if (const standin::real::Functions* rl = bridge->functions) rl->ClearBackground({0, 0, 0, 0});
}

template <typename Body>
PyObject* checked(Body body) {
    body();
    if (PyErr_Occurred()) return nullptr;
    Py_RETURN_NONE;
}

PyObject* py_begin_texture_mode(PyObject*, PyObject* target) {
    return checked([&] { begin_texture_mode(target, 1); });
}
PyObject* py_end_texture_mode(PyObject*, PyObject*) {
    return checked([] { end_texture_mode(1); });
}
PyObject* py_begin_blend_mode(PyObject*, PyObject* mode) {
    const long value = PyLong_AsLong(mode);
    if (value == -1 && PyErr_Occurred()) return nullptr;
    return checked([&] { begin_blend_mode(static_cast<int>(value), 1); });
}
PyObject* py_end_blend_mode(PyObject*, PyObject*) {
    return checked([] { end_blend_mode(1); });
}
PyObject* py_clear_background_blank(PyObject*, PyObject*) {
    return checked([] { c_clear_background_blank(); });
}

PyObject* texture_stack(PyObject*, PyObject*) {
    Ref list = Ref::steal(PyList_New(0));
    if (!list) return nullptr;
    for (PyObject* target : texture_modes)
        if (PyList_Append(list.get(), target) < 0) return nullptr;
    return list.release();
}

PyObject* blend_stack(PyObject*, PyObject*) {
    Ref list = Ref::steal(PyList_New(0));
    if (!list) return nullptr;
    for (int mode : blend_modes) {
        const Ref number = Ref::steal(PyLong_FromLong(mode));
        if (!number || PyList_Append(list.get(), number.get()) < 0) return nullptr;
    }
    return list.release();
}

PyObject* reset(PyObject*, PyObject*) {
    const bool was_open = !texture_modes.empty() || !blend_modes.empty();
    const std::vector<PyObject*> targets = std::exchange(texture_modes, {});
    blend_modes.clear();
    if (was_open) {
        reblend_raylib();
        retarget_raylib();
    }
    for (PyObject* target : targets) Py_DECREF(target);
    Py_RETURN_NONE;
}

PyMethodDef functions[] = {
    {"begin_texture_mode", py_begin_texture_mode, METH_O, nullptr},
    {"end_texture_mode", py_end_texture_mode, METH_NOARGS, nullptr},
    {"begin_blend_mode", py_begin_blend_mode, METH_O, nullptr},
    {"end_blend_mode", py_end_blend_mode, METH_NOARGS, nullptr},
    {"clear_background_blank", py_clear_background_blank, METH_NOARGS, nullptr},
    {"texture_stack", texture_stack, METH_NOARGS, "Targets of the open texture modes."},
    {"blend_stack", blend_stack, METH_NOARGS, "Numbers of the open blend modes."},
    {"reset", reset, METH_NOARGS, "Forgets every open mode (between tests)."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef definition = {PyModuleDef_HEAD_INIT, "zuvo_raylib", nullptr, -1, functions,
                          nullptr, nullptr, nullptr, nullptr};

template <typename F>
void* as_pointer(F function) {
    return reinterpret_cast<void*>(function);
}

}  // namespace

PyMODINIT_FUNC PyInit_zuvo_raylib() {
    bridge = standin::real::import_bridge();
    if (!bridge) return nullptr;
    Ref module = Ref::steal(PyModule_Create(&definition));
    if (!module) return nullptr;
    PyObject* m = module.get();
    const bool exported =
        standin::export_function(m, "begin_texture_mode",
                                 as_pointer<BeginTextureMode>(begin_texture_mode),
                                 signature::begin_texture_mode) &&
        standin::export_function(m, "end_blend_mode", as_pointer<EndBlendMode>(end_blend_mode),
                                 signature::end_blend_mode) &&
        standin::export_function(m, "end_texture_mode",
                                 as_pointer<EndTextureMode>(end_texture_mode),
                                 signature::end_texture_mode) &&
        standin::export_function(m, "begin_blend_mode",
                                 as_pointer<BeginBlendMode>(begin_blend_mode),
                                 signature::begin_blend_mode) &&
        standin::export_function(m, "c_clear_background_blank",
                                 as_pointer<ClearBackgroundBlank>(c_clear_background_blank),
                                 signature::c_clear_background_blank);
    if (!exported) return nullptr;
    return module.release();
}
