// The draw module's state and its rect() entry point.
#pragma once

#include <Python.h>

namespace zuvo::draw {

// pygame's types, bound when the module is executed.
struct State {
    PyObject* Surface;  // pygame.surface.Surface itself (never a subclass)
    PyObject* Color;
    PyObject* Rect;
    PyObject* lock;    // Surface.lock and Surface.unlock, pygame's own methods
    PyObject* unlock;
    PyObject* no_args;  // (), for making Rects
    bool community_edition;  // pygame-ce: refuses ints that are no 32-bit colour
    bool rect_layout_known;  // a Rect is an object head and four ints (x, y, w, h)
};

inline State* state_of(PyObject* mod) { return static_cast<State*>(PyModule_GetState(mod)); }

// The execute step: imports pygame and fills the state.  0, or -1 with an error set.
int bind_pygame(PyObject* mod);

PyObject* rect(PyObject* mod, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);

}  // namespace zuvo::draw
