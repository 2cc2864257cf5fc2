// Whether a pixel view still describes a pygame surface's live pixels, read
// from the objects themselves: nothing here calls into Python, so the answer
// holds until the caller next runs Python code.
#pragma once

#include <Python.h>

namespace zuvo {
class ByteView;
}

namespace zuvo::curvix {

// True when `getter` is one of pygame's own `surfarray` functions (a Python
// function defined in the module `pygame.surfarray`).
bool is_pygame_getter(PyObject* getter);

// True when the memory of `view` was exported by pygame: its chain of NumPy
// bases and memoryviews ends at a pygame `BufferProxy` or `Surface`.
bool exported_by_pygame(const ByteView& view);

// True when `view` (a `pixels3d` or `pixels_alpha` view) has exactly the
// layout pygame gives the live pixels of `surf` now: `surf` is a pygame
// `Surface` with pixels, the view covers its width and height, steps by its
// bytes per pixel and its pitch, and starts inside its first pixel.  A view
// without cells describes nothing and passes.
bool describes_live_pixels(const ByteView& view, PyObject* surf);

}  // namespace zuvo::curvix
