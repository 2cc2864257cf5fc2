// What the curvix entry points share: interned names, the module namespace,
// and the calls into pygame (always reached as `md.pygame`, looked up afresh).
#pragma once

#include <Python.h>

#include <cstdint>
#include <optional>
#include <utility>

#include "../../support/buffer.hpp"
#include "../../support/module.hpp"
#include "../../support/ref.hpp"
#include "kernels/corners.hpp"

namespace zuvo::curvix {

inline constexpr const char* kModuleName = "zuvo_ui.fast.shapes.curvix";
inline constexpr const char* kSource = "zuvo_ui/fast/shapes/curvix";

struct Names {
    PyObject* md;
    PyObject* pygame;
    PyObject* Surface;
    PyObject* SRCALPHA;
    PyObject* surfarray;
    PyObject* pixels3d;
    PyObject* pixels_alpha;
    PyObject* fill;
    PyObject* get_width;
    PyObject* get_height;
    PyObject* get_cached_filled;    // "_get_cached_rounded_rect_surface"
    PyObject* get_cached_outlined;  // "_get_cached_outlined_rounded_rect_sdf"
    PyObject* transparent;          // the tuple (0, 0, 0, 0)
    // Whether an attribute of a plain module may be read from its namespace
    // (see `attribute` in state.cpp).
    bool read_module_namespaces;
};

// Set once by the module's execute step and kept for the life of the process.
extern Names names;
extern PyObject* module_dict;

bool init_names();

// A module global, looked up in the module namespace and then the builtins;
// NameError when neither has it.  Returns a new reference.
Ref module_global(PyObject* name);

// `md.pygame`, looked up afresh.
Ref pygame_module();

// `pygame.Surface((width, height), pygame.SRCALPHA)`; `size` is the caller's
// size tuple those came from (it is passed on when it holds exactly them).
Ref new_surface(PyObject* pygame, PyObject* size, std::int32_t width, std::int32_t height);

// `surf.fill(color)`, result dropped.
bool fill(PyObject* surf, PyObject* color);

// `surf.get_width()` / `surf.get_height()` converted to int32.
std::optional<std::int32_t> surface_dimension(PyObject* surf, PyObject* method);

// Called with a colour view's planes (the fourth one a copy of the red).
struct OnColourView {
    void (*call)(const PixelPlanes& colour, const void* context);
    const void* context;
};

// The pixel views of one surface: the only way the entry points reach pixels.
// `take` fetches `pygame.surfarray.pixels3d(surf)` (when the colour is wanted)
// and then `pygame.surfarray.pixels_alpha(surf)`, checks each to be 8-bit
// cells covering exactly width x height pixels (and three channels), and the
// object releases both, with the interpreter lock held, when it goes.
//
// While an instance lives, nothing the caller passed in may be converted or
// called: its code could re-initialise the surface, which frees the pixels
// under the views.  So every argument is converted before `take`.
class SurfaceViews {
public:
    enum class Want { alpha, colour_and_alpha };

    // `on_colour`, when given, is called with the colour view's planes as soon
    // as that view is taken, before pygame makes the alpha view: a kernel's
    // prefetch asked for there has the alpha view's making to arrive in.  It
    // may only read the planes' numbers (no Python, no pixels).
    static std::optional<SurfaceViews> take(PyObject* pygame, PyObject* surf, std::int32_t width,
                                            std::int32_t height, Want want,
                                            OnColourView on_colour = {nullptr, nullptr});

    Plane alpha() const noexcept { return alpha_.plane(); }
    // The four planes; only for views taken with Want::colour_and_alpha.
    PixelPlanes planes() const noexcept {
        return {colour_->plane(0), colour_->plane(1), colour_->plane(2), alpha_.plane()};
    }

private:
    SurfaceViews(std::optional<ByteView>&& colour, ByteView&& alpha) noexcept
        : colour_(std::move(colour)), alpha_(std::move(alpha)) {}
    std::optional<ByteView> colour_;
    ByteView alpha_;
};

// The corner-radius normalisation: one number for all four corners, a
// four-item sequence clockwise from the top-left, anything else four zeros.
std::optional<CornerRadii> normalise_radii(PyObject* radii_input);

// The `index`-th item of `seq`, read by indexing.
Ref item_at(PyObject* seq, Py_ssize_t index);

// Raises the error Python gives for `len(None)` or `None[...]`.
void raise_none_has_no_len();
void raise_none_not_subscriptable();

// Adds the traceback entry `qualname` when `result` is null; passes it on.
inline PyObject* traced(Ref result, const char* qualname) {
    return zuvo::traced(std::move(result), qualname, kSource);
}

}  // namespace zuvo::curvix
