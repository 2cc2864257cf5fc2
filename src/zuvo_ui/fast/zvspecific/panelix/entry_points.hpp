// The Python-visible functions of panelix (METH_FASTCALL | METH_KEYWORDS).
#pragma once

#include <Python.h>

namespace zuvo::panelix {

#define ZUVO_FASTCALL(name) \
    PyObject* name(PyObject* module, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)

ZUVO_FASTCALL(scrollable_update_collided);
ZUVO_FASTCALL(scrollable_recollide_items);
ZUVO_FASTCALL(menu_draw_raylib);
ZUVO_FASTCALL(menu_draw_sdl);
ZUVO_FASTCALL(menu_draw_pygame);

#undef ZUVO_FASTCALL

}  // namespace zuvo::panelix
