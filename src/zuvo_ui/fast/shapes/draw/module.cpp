// zuvo_ui.fast.shapes.draw: anti-aliased rounded rectangles drawn onto any
// pygame surface, as a drop-in for pygame.draw.rect.
#include <Python.h>

#include "common.hpp"
#include "functions.hpp"

namespace zuvo::draw {
namespace {

constexpr const char* kModuleDoc =
    "Anti-aliased rounded rectangles drawn onto any pygame surface.\n"
    "\n"
    "rect() takes pygame.draw.rect's arguments, in pygame-ce's order and names,\n"
    "and draws the shape with exact, anti-aliased edges at fractional positions,\n"
    "sizes, radii and widths, blended over what the surface holds.  It works\n"
    "with pygame and pygame-ce, on 24- and 32-bit surfaces of any channel order,\n"
    "with or without per-pixel alpha, subsurfaces and the display surface.";

constexpr const char* kRectDoc =
    "rect($module, /, surface, color, rect, width=0, border_radius=0, "
    "border_top_left_radius=-1, border_top_right_radius=-1, border_bottom_left_radius=-1, "
    "border_bottom_right_radius=-1, *, border_color=None, blend=True)\n"
    "--\n"
    "\n"
    "Draw an anti-aliased, optionally rounded rectangle on a surface.\n"
    "\n"
    "surface: a pygame Surface of 24 or 32 bits per pixel.  Only pixels inside\n"
    "  its clip rect change; it is locked while they are written.\n"
    "color: anything pygame takes as a colour (Color, (r, g, b[, a]), a name,\n"
    "  \"#rrggbb[aa]\", or an int mapped for the surface).\n"
    "rect: a Rect, FRect, (x, y, w, h), ((x, y), (w, h)) or an object with a\n"
    "  rect attribute.  Fractional values are drawn exactly; a negative size\n"
    "  is normalised; NaN or infinite values raise ValueError.\n"
    "width: 0 fills; above 0 strokes inward by that many pixels (fractional\n"
    "  widths are exact; half the smaller side or more fills); below 0 draws\n"
    "  nothing.\n"
    "border_radius: the radius of every corner; below 1, square corners.\n"
    "border_*_radius: a radius of 0 or more for that corner overrides\n"
    "  border_radius.  Each radius is clamped to half the smaller side.\n"
    "border_color: with width above 0, the ring is drawn in this colour and the\n"
    "  inside filled with color, in one pass without a seam.\n"
    "blend: True composites the colour over the pixels (straight alpha, as\n"
    "  pygame stores it); False moves every channel, alpha included, to the\n"
    "  colour by the coverage, so the inside becomes exactly the colour.\n"
    "\n"
    "A pixel is covered by the part of its area that the shape's signed\n"
    "distance at its centre says (a one-pixel ramp), so an integer rect without\n"
    "radius covers exactly the pixels pygame.draw.rect fills.\n"
    "\n"
    "Returns the Rect bounding the pixels the shape covers, clipped to the clip\n"
    "rect (of zero size, at the rect's position, when it covers none).";

constexpr const char* kShadowDoc =
    "shadow($module, /, surface, color, rect, blur_radius, border_radius=0, "
    "border_top_left_radius=-1, border_top_right_radius=-1, border_bottom_left_radius=-1, "
    "border_bottom_right_radius=-1, *, spread=0, offset=(0, 0))\n"
    "--\n"
    "\n"
    "Draw the soft shadow of a rounded box: the box blurred by a Gaussian.\n"
    "\n"
    "The box is rect moved by offset and grown by spread on every side (a\n"
    "negative spread shrinks it); each corner radius, chosen as in rect(),\n"
    "grows by spread where it is above 0 and is clamped to half the smaller\n"
    "side.  The shadow's alpha at a pixel is the colour's alpha times the box\n"
    "convolved with a Gaussian of sigma blur_radius / 2 (as in CSS), within two\n"
    "units of 255 of the exact integral; it is composited over the pixels as\n"
    "rect() blends.  blur_radius 0 draws the box as rect() would; a negative,\n"
    "NaN or infinite blur_radius raises ValueError.\n"
    "\n"
    "Surfaces, colours, rects, the clip rect and locking are as in rect().\n"
    "Returns the Rect of the pixels the shadow reaches, clipped.";

PyMethodDef functions[] = {
    {"rect", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(rect)),
     METH_FASTCALL | METH_KEYWORDS, kRectDoc},
    {"shadow", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(shadow)),
     METH_VARARGS | METH_KEYWORDS, kShadowDoc},
    {nullptr, nullptr, 0, nullptr},
};

int traverse(PyObject* mod, visitproc visit, void* arg) {
    const State* state = state_of(mod);
    Py_VISIT(state->Surface);
    Py_VISIT(state->Color);
    Py_VISIT(state->Rect);
    Py_VISIT(state->error);
    Py_VISIT(state->lock);
    Py_VISIT(state->unlock);
    Py_VISIT(state->no_args);
    return 0;
}

int clear(PyObject* mod) {
    State* state = state_of(mod);
    Py_CLEAR(state->Surface);
    Py_CLEAR(state->Color);
    Py_CLEAR(state->Rect);
    Py_CLEAR(state->error);
    Py_CLEAR(state->lock);
    Py_CLEAR(state->unlock);
    Py_CLEAR(state->no_args);
    return 0;
}

void free_state(void* mod) { clear(static_cast<PyObject*>(mod)); }

PyModuleDef_Slot slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(bind_pygame)},
#if PY_VERSION_HEX >= 0x030C0000
    // The Surface, Color and Rect types bound here are the process's one pygame.
    {Py_mod_multiple_interpreters, Py_MOD_MULTIPLE_INTERPRETERS_NOT_SUPPORTED},
#endif
    {0, nullptr},
};

PyModuleDef definition = {
    PyModuleDef_HEAD_INIT, "draw", kModuleDoc, sizeof(State), functions, slots,
    traverse, clear, free_state,
};

}  // namespace
}  // namespace zuvo::draw

PyMODINIT_FUNC PyInit_draw() { return PyModuleDef_Init(&zuvo::draw::definition); }
