"""The calls that the stand-in host's native functions received, in order.

Every recorded native call (raylib wrapper functions, render-texture blits,
the widget base's native bodies, ``get_item_abs_coords``) appends
``(name, args)`` to ``calls``; the native side appends to this very list
and reads the switch below directly, without calling into Python.
``fail_on`` makes a chosen call fail, so that a caller's failure paths can
be driven from a test.

``set_recording(False)`` turns the bookkeeping off: nothing is appended and
``fail_on`` is not consulted, so the host then costs what a real one does
(the benchmarks use this).  ``clear()`` turns it back on.
"""

calls = []
_failures = {}
_switch = bytearray(b"\x01")  # byte 0: 1 while calls are recorded


def record(name, *args):
    if _switch[0]:
        calls.append((name, args))
        _fail_if_due(name)


def _fail_if_due(name):
    """Raises the failure armed for ``name`` once its skip count is used up."""
    pending = _failures.get(name)
    if pending is None:
        return
    if pending[0] > 0:
        pending[0] -= 1
        return
    del _failures[name]
    raise pending[1]


def fail_on(name, exc=None, skip=0):
    """The call ``name`` fails with ``exc`` after ``skip`` calls of it succeeded."""
    _failures[name] = [skip, exc if exc is not None else RuntimeError("stand-in failure in " + name)]


def set_recording(on):
    _switch[0] = 1 if on else 0


def names():
    return [name for name, _ in calls]


def clear():
    calls.clear()
    _failures.clear()
    set_recording(True)
