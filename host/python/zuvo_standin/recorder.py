"""The calls that the stand-in host's native functions received, in order.

Every recorded native call (raylib wrapper functions, render-texture blits,
the widget base's native bodies, ``get_item_abs_coords``) appends
``(name, args)`` to ``calls``.  ``fail_on`` makes a chosen call fail, so
that a caller's failure paths can be driven from a test.
"""

calls = []
_failures = {}


def record(name, *args):
    calls.append((name, args))
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


def names():
    return [name for name, _ in calls]


def clear():
    calls.clear()
    _failures.clear()
