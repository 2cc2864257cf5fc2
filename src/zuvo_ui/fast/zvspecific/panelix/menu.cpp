// Menu drawing through SDL textures and pygame surfaces.  Everything here is
// an ordinary attribute lookup and call on the objects the toolkit hands in,
// except the layout's draw, which goes through the widget's method table.
#include "../../support/args.hpp"
#include "entry_points.hpp"
#include "state.hpp"

namespace zuvo::panelix {
namespace {

using zvhost::ZuvoCobject;

constexpr Signature sdl_signature{"menu_draw_sdl", "zuvo_ui.fast.zvspecific.panelix.menu_draw_sdl",
                                  std::array{"self", "bg"}, 2};
constexpr Signature pygame_signature{"menu_draw_pygame",
                                     "zuvo_ui.fast.zvspecific.panelix.menu_draw_pygame",
                                     std::array{"self", "bg"}, 2};
constexpr const char* kSdlWorker = "zuvo_ui.fast.zvspecific.panelix._menu_draw_sdl";
constexpr const char* kPygameWorker = "zuvo_ui.fast.zvspecific.panelix._menu_draw_pygame";

// `self._layout`: None or a widget.
Ref layout_of(PyObject* self) {
    Ref layout = getattr(self, names.layout);
    if (layout && !none_or(layout.get(), host.cobject)) return {};
    return layout;
}

bool draw_layout(PyObject* layout) {
    auto* widget = as<ZuvoCobject>(layout);
    return static_cast<bool>(owned(widget->vtab->draw(widget, 0)));
}

// `self._window._renderer.blit(source, self._tuple_absolute_coordinates)`.
bool blit_onto_window(PyObject* self, PyObject* source) {
    const Ref window = getattr(self, names.window);
    if (!window) return false;
    const Ref renderer = getattr(window.get(), names.window_renderer);
    if (!renderer) return false;
    const Ref blit = getattr(renderer.get(), names.blit);
    if (!blit) return false;
    const Ref position = getattr(self, names.tuple_absolute_coordinates);
    return position && call(blit.get(), source, position.get());
}

// Drawing into the menu's texture: `bg` under the layout's widgets.  Called
// with the renderer's target already set to that texture.
bool draw_into_texture(PyObject* self, PyObject* renderer, PyObject* bg, PyObject* layout) {
    const Ref blit = getattr(renderer, names.blit);
    if (!blit) return false;
    const Ref rect = call_method(self, names.get_rect);
    return rect && call(blit.get(), bg, rect.get()) && draw_layout(layout);
}

bool draw_sdl(PyObject* self, PyObject* bg) {
    const Ref sdl_texture = getattr(self, names.sdl_texture);
    if (!sdl_texture) return false;
    const Ref state = module_global(names.zuvo_state);
    if (!state) return false;
    const Ref renderer = getattr(state.get(), names.renderer);
    if (!renderer) return false;
    const Ref layout = layout_of(self);
    if (!layout) return false;
    if (layout.get() != Py_None) {
        const Ref target = getattr(self, names.sdl_texture);
        if (!target || PyObject_SetAttr(renderer.get(), names.target, target.get()) < 0)
            return false;
        const bool drawn = draw_into_texture(self, renderer.get(), bg, layout.get());
        if (!drawn) {
            // Rendering must go back to the window even when the menu failed;
            // the menu's own exception is the one the caller sees.
            const SavedError failure;
            PyObject_SetAttr(renderer.get(), names.target, Py_None);
            return false;
        }
        if (PyObject_SetAttr(renderer.get(), names.target, Py_None) < 0) return false;
    }
    return blit_onto_window(self, sdl_texture.get());
}

bool draw_pygame(PyObject* self, PyObject* bg) {
    const Ref surface = getattr(self, names.surface);
    if (!surface) return false;
    {
        const Ref fill = getattr(surface.get(), names.fill);
        if (!fill) return false;
        const Ref color = module_global(names.Color);
        if (!color) return false;
        const Ref blank = getattr(color.get(), names.Blank);
        if (!blank || !call(fill.get(), blank.get())) return false;
    }
    if (!call_method(surface.get(), names.blit, bg, host.origin)) return false;
    const Ref layout = layout_of(self);
    if (!layout) return false;
    if (layout.get() != Py_None && !draw_layout(layout.get())) return false;
    return blit_onto_window(self, surface.get());
}

template <auto& Sig, bool (*Draw)(PyObject*, PyObject*), const char* const& Worker>
PyObject* entry(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    std::array<PyObject*, 2> arg{};
    if (!parse_args(Sig, args, nargs, kwnames, arg) || !check_not_none(arg[0], "self") ||
        !check_not_none(arg[1], "bg") || !traced(Draw(arg[0], arg[1]), Worker)) {
        return traced(Ref{}, Sig.qualname);
    }
    Py_RETURN_NONE;
}

}  // namespace

PyObject* menu_draw_sdl(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return entry<sdl_signature, draw_sdl, kSdlWorker>(args, nargs, kwnames);
}

PyObject* menu_draw_pygame(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                           PyObject* kwnames) {
    return entry<pygame_signature, draw_pygame, kPygameWorker>(args, nargs, kwnames);
}

}  // namespace zuvo::panelix
