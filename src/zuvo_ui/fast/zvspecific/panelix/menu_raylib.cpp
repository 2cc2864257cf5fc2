// Menu drawing through raylib: background and layout into the menu's render
// texture, then that texture onto the previous target.  The blits, the
// layout's draw and the mode switches are direct native calls.
#include "../../support/args.hpp"
#include "entry_points.hpp"
#include "state.hpp"

namespace zuvo::panelix {
namespace {

using zvhost::ZuvoCobject;
using zvhost::ZvRenderTexture;
using zvhost::ZvVector2;

constexpr Signature signature{"menu_draw_raylib", "zuvo_ui.fast.zvspecific.panelix.menu_draw_raylib",
                              std::array{"self", "bg"}, 2};
constexpr const char* kWorker = "zuvo_ui.fast.zvspecific.panelix._menu_draw_raylib";
constexpr int kBlendAlphaPremultiply = 5;

// The raylib modes this call has begun and not yet ended.  When the call
// fails in between they are ended here, so that a UI that catches the error
// keeps drawing into the right target; the original exception is kept and a
// failure while ending is dropped.
class OpenModes {
public:
    explicit OpenModes(const PendingError& pending) : pending_(pending) {}
    OpenModes(const OpenModes&) = delete;
    OpenModes& operator=(const OpenModes&) = delete;
    ~OpenModes() {
        if (!texture_ && !blend_) return;
        const SavedError failure;
        if (blend_) {
            host.end_blend_mode(0);
            PyErr_Clear();
        }
        if (texture_) host.end_texture_mode(0);
    }

    bool begin_texture(PyObject* target) {
        host.begin_texture_mode(target, 0);
        texture_ = !pending_.occurred();
        return texture_;
    }
    bool begin_blend(int mode) {
        host.begin_blend_mode(mode, 0);
        blend_ = !pending_.occurred();
        return blend_;
    }
    // An end that fails counts as ended: it is not tried a second time.
    bool end_blend() {
        blend_ = false;
        host.end_blend_mode(0);
        return !pending_.occurred();
    }
    bool end_texture() {
        texture_ = false;
        host.end_texture_mode(0);
        return !pending_.occurred();
    }

private:
    const PendingError& pending_;
    bool texture_ = false;
    bool blend_ = false;
};

bool blit(const PendingError& pending, PyObject* target, PyObject* source, PyObject* position,
          int blend_mode) {
    auto* texture = as<ZvRenderTexture>(target);
    texture->vtab->c_fast_zvblit(texture, as<ZvRenderTexture>(source), as<ZvVector2>(position),
                                 blend_mode, 1, as<zvhost::ZvRect>(host.white_color));
    return !pending.occurred();
}

bool draw_raylib(PyObject* self, PyObject* bg) {
    const Ref main_zvtex = getattr(self, names.surface);
    if (!main_zvtex) return false;
    // None would reach the render texture's method table: refused up front.
    if (!instance_of(main_zvtex.get(), host.render_texture)) return false;
    const Ref abs_coords = getattr(self, names.absolute_coordinates);
    if (!abs_coords || !none_or(abs_coords.get(), host.vector2)) return false;
    Ref layout = getattr(self, names.layout);
    if (!layout) return false;
    const bool has_layout = layout.get() != Py_None;
    if (has_layout) {
        layout = getattr(self, names.layout);
        if (!layout || !none_or(layout.get(), host.cobject)) return false;
        if (!call_method(layout.get(), names.rl_predraw_widgets)) return false;
    }

    const PendingError pending;
    OpenModes modes(pending);
    if (!modes.begin_texture(main_zvtex.get())) return false;
    host.c_clear_background_blank();
    if (!modes.begin_blend(kBlendAlphaPremultiply)) return false;
    const Ref origin = owned(host.vector2_table->create(0.0, 0.0));
    if (!origin || !blit(pending, main_zvtex.get(), bg, origin.get(), -1)) return false;
    if (has_layout && layout.get() != Py_None) {
        auto* widget = as<ZuvoCobject>(layout.get());
        if (!owned(widget->vtab->draw(widget, 0))) return false;
    }
    if (!modes.end_blend() || !modes.end_texture()) return false;
    return blit(pending, main_zvtex.get(), main_zvtex.get(), abs_coords.get(),
                kBlendAlphaPremultiply);
}

}  // namespace

PyObject* menu_draw_raylib(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                           PyObject* kwnames) {
    std::array<PyObject*, 2> arg{};
    if (!parse_args(signature, args, nargs, kwnames, arg) || !check_not_none(arg[0], "self")) {
        return traced(Ref{}, signature.qualname);
    }
    if (!PyObject_TypeCheck(arg[1], host.render_texture)) {
        raise_arg_type("bg", host.render_texture, arg[1]);
        return traced(Ref{}, signature.qualname);
    }
    if (!traced(draw_raylib(arg[0], arg[1]), kWorker)) return traced(Ref{}, signature.qualname);
    Py_RETURN_NONE;
}

}  // namespace zuvo::panelix
