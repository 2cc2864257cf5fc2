#include "state.hpp"

#include "../../support/module.hpp"
#include "../../support/names.hpp"

namespace zuvo::panelix {

Host host{};
Names names{};
PyObject* module_dict = nullptr;

bool init_names() {
    return intern_names({
        {&names.surface, "_surface"},
        {&names.absolute_coordinates, "absolute_coordinates"},
        {&names.layout, "_layout"},
        {&names.rl_predraw_widgets, "_rl_predraw_widgets"},
        {&names.sdl_texture, "_sdl_texture"},
        {&names.renderer, "renderer"},
        {&names.target, "target"},
        {&names.blit, "blit"},
        {&names.get_rect, "get_rect"},
        {&names.window, "_window"},
        {&names.window_renderer, "_renderer"},
        {&names.tuple_absolute_coordinates, "_tuple_absolute_coordinates"},
        {&names.fill, "fill"},
        {&names.Blank, "Blank"},
        {&names.Color, "Color"},
        {&names.zuvo_state, "zuvo_state"},
    });
}

void clear_host() {
    Py_CLEAR(host.vector2);
    Py_CLEAR(host.rect);
    Py_CLEAR(host.cobject);
    Py_CLEAR(host.render_texture);
    Py_CLEAR(host.white_color);
    Py_CLEAR(host.origin);
    host = Host{};
    module_dict = nullptr;
}

Ref module_global(PyObject* name) { return lookup_global(module_dict, name); }

void raise_cannot_convert(PyObject* obj, PyTypeObject* type) {
    PyErr_Format(PyExc_TypeError, "Cannot convert %.200s to %.200s", Py_TYPE(obj)->tp_name,
                 type->tp_name);
}

}  // namespace zuvo::panelix
