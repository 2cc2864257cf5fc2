"""Drawing through raylib itself in the stand-in host (tests and the demo).

``enable()`` opens a hidden raylib window (raylib needs one for its OpenGL
context) and hands the addresses of raylib's C functions, taken from the
``raylib`` package's CFFI module, to the stand-in's native modules.  From
then on, besides being recorded:

- ``zuvo_raylib.begin_texture_mode`` / ``end_texture_mode``,
  ``begin_blend_mode`` / ``end_blend_mode`` and ``c_clear_background_blank``
  call raylib's ``BeginTextureMode``, ``EndTextureMode``, ``BeginBlendMode``,
  ``EndBlendMode`` and ``ClearBackground(BLANK)``.  The stand-in keeps the
  open modes as stacks, so ending a nested texture or blend mode gives raylib
  the enclosing one back (raylib's own ``EndTextureMode`` returns to the window);
- a ``ZvRenderTexture(width, height)`` owns a render texture made with
  ``LoadRenderTexture`` and unloaded with ``UnloadRenderTexture`` when the
  object goes (one made without a size owns none, and blits of it draw nothing);
- ``c_fast_zvblit(source, position, blend_mode, flip_y, color)`` draws the
  source's texture with ``DrawTextureRec`` at ``position`` (the origin when
  None), tinted by ``color``; ``flip_y`` gives the source rectangle a negative
  height, which turns the bottom-up rows of a render texture upright;
  ``blend_mode`` is set with ``BeginBlendMode`` around that one draw, and -1
  keeps the blend mode in force.

``disable()`` stops drawing (the recording goes on); ``close()`` unloads every
render texture and closes the window.  ``read_texture`` reads a render texture
back as RGBA rows, top row first.
"""

import os

from zuvo_standin import _raylib

FUNCTIONS = ("BeginTextureMode", "EndTextureMode", "BeginBlendMode", "EndBlendMode",
             "ClearBackground", "LoadRenderTexture", "UnloadRenderTexture", "DrawTextureRec")


def unavailable():
    """Why raylib cannot draw here, or None when it can."""
    if not (os.environ.get("DISPLAY") or os.environ.get("WAYLAND_DISPLAY")):
        return "no display to open raylib's window on (DISPLAY is not set)"
    try:
        import raylib  # noqa: F401
    except ImportError as exc:
        return "the raylib package cannot be imported (%s)" % exc
    return None


def enable(width=64, height=64):
    """Draws through raylib from now on; opens its hidden window if needed."""
    reason = unavailable()
    if reason:
        raise RuntimeError(reason)
    from raylib import ffi, rl
    if not rl.IsWindowReady():
        rl.SetTraceLogLevel(rl.LOG_WARNING)
        rl.SetConfigFlags(rl.FLAG_WINDOW_HIDDEN)
        rl.InitWindow(width, height, b"zuvo_ui stand-in host")
        if not rl.IsWindowReady():
            raise RuntimeError("raylib could not open a window on %s"
                               % os.environ.get("DISPLAY", "the display"))
    _raylib.use({name: int(ffi.cast("uintptr_t", ffi.addressof(rl, name)))
                 for name in FUNCTIONS})


def active():
    return _raylib.active()


def disable():
    """Stops drawing through raylib; render textures already made are kept."""
    _raylib.use(None)


def close():
    """Unloads every render texture and closes raylib's window."""
    _raylib.close()
    try:
        from raylib import rl
    except ImportError:
        return
    if rl.IsWindowReady():
        rl.CloseWindow()


def read_texture(texture):
    """The pixels of a ZvRenderTexture's render texture: a numpy array of
    shape (height, width, 4), RGBA, top row first."""
    import numpy as np
    from raylib import ffi, rl

    fields = _raylib.texture(texture)
    if fields is None:
        raise ValueError("%r holds no raylib render texture" % (texture,))
    rl.rlDrawRenderBatchActive()  # draws still batched must land first
    image = rl.LoadImageFromTexture(ffi.new("Texture *", fields)[0])
    try:
        if image.format != rl.PIXELFORMAT_UNCOMPRESSED_R8G8B8A8 or not image.data:
            raise RuntimeError("unexpected image read back from raylib (format %d)" % image.format)
        rows = np.frombuffer(ffi.buffer(image.data, image.width * image.height * 4),
                             dtype=np.uint8).reshape(image.height, image.width, 4)
        # Render textures are stored bottom row first.
        return rows[::-1].copy()
    finally:
        rl.UnloadImage(image)
