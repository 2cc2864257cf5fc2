"""Scrollable containers: collisions, recomputed coordinates, updates."""

import math
import sys

import pytest

from panelix_host import PREFIX, Fixed, clean_host, tb_names  # noqa: F401 (fixture)
from zuvo_standin import recorder
from zuvo_ui.fast.zuvocobj.zuvocobj import ZuvoCobject
from zuvo_ui.fast.zvrect.zvrect import ZvRect
from zuvo_ui.fast.zvspecific import panelix
from zuvo_ui.fast.zvvector2.zvvector2 import ZvVector2

pytestmark = [pytest.mark.py313, pytest.mark.clang]

recollide = panelix.scrollable_recollide_items
update = panelix.scrollable_update_collided
NAN = math.nan
BIG = 2.0 ** 24


@pytest.mark.parametrize("container, child, collides", [
    ((0, 0, 100, 100), (100, 10, 20, 20), False),   # touches the right edge
    ((0, 0, 100, 100), (99.5, 10, 20, 20), True),
    ((0, 0, 100, 100), (-20, 10, 20, 20), False),   # touches the left edge
    ((0, 0, 100, 100), (-19, 10, 20, 20), True),
    ((0, 0, 100, 100), (10, 100, 20, 20), False),   # touches the bottom edge
    ((0, 0, 100, 100), (10, -20, 20, 20), False),   # touches the top edge
    ((0, 0, 100, 100), (10, -19.5, 20, 20), True),
    ((0, 0, 100, 100), (50, 10, 0, 20), True),      # zero width inside
    ((0, 0, 100, 100), (0, 10, 0, 20), False),      # zero width on the edge
    ((0, 0, 100, 100), (100, 100, 5, 5), False),    # touches a corner
    ((0, 0, 100, 100), (50, 10, -10, 20), True),    # negative width, taken as stored
    ((0, 0, 100, 100), (110, 10, -20, 20), False),
    ((0, 0, 100, 100), (NAN, 10, 20, 20), False),
    ((0, 0, 100, 100), (10, 10, NAN, 20), False),
    ((0, 0, 100, 100), (10, 10, 20, NAN), False),
    ((0, 0, NAN, 100), (10, 10, 20, 20), False),
    ((0, 0, math.inf, 100), (1e30, 10, 20, 20), True),
    # Single precision: 2**24 + 1 rounds to 2**24, so the child only touches.
    ((BIG, 0, 1, 100), (BIG, 10, 20, 20), False),
])
def test_collision_table(container, child, collides):
    items = [Fixed(*child)]
    assert recollide(Fixed(*container), items) == (items if collides else [])


def test_empty_items_still_reposition_the_container():
    container = Fixed(3.5, -7.25, 10, 10)
    position = container.absolute_coordinates
    items = []
    result = recollide(container, items)
    assert result == [] and result is not items
    assert recorder.names() == ["Fixed.get_zvrect"]
    # Changed in place: every holder of the vector sees the new position.
    assert container.absolute_coordinates is position
    assert (position.x, position.y) == (3.5, -7.25)


def test_container_position_is_widened_from_single_precision():
    container = Fixed(0.1, 1e39, 10, 10)
    recollide(container, [])
    assert container.absolute_coordinates.x == float(ZvRect(0.1, 0, 0, 0).x) != 0.1
    assert container.absolute_coordinates.y == math.inf


def test_every_child_gets_new_coordinates_and_the_order_is_kept():
    container = ZuvoCobject(10, 20, 100, 50)
    container.scroll = ZvVector2(0, 30)
    children = [ZuvoCobject(x, y, 20, 10) for x, y in
                [(0, 0), (50, 40), (0, 200), (95, 60), (-30, 40), (0, 75)]]
    old = [child.absolute_coordinates for child in children]
    result = recollide(container, children + [children[1]])
    # Scrolled by 30, the children at y 0 and 200 lie above and below; the one
    # at x -30 ends where the container starts.
    assert result == [children[1], children[3], children[5], children[1]]
    for child, previous in zip(children, old):
        expected = (10 + child.coordinates.x, 20 + child.coordinates.y - 30)
        assert (child.absolute_coordinates.x, child.absolute_coordinates.y) == expected
        assert child.absolute_coordinates is not previous
    assert [(v.x, v.y) for v in old] == [(c.coordinates.x, c.coordinates.y) for c in children]


def test_host_calls_come_in_order():
    container = ZuvoCobject(0, 0, 100, 100)
    a, b = ZuvoCobject(1, 1, 5, 5), ZuvoCobject(200, 1, 5, 5)
    recollide(container, [a, b])
    assert recorder.calls == [("get_zvrect", (container,)),
                              ("get_item_abs_coords", (container, a)), ("get_zvrect", (a,)),
                              ("get_item_abs_coords", (container, b)), ("get_zvrect", (b,))]


@pytest.mark.parametrize("failing, skip, child_moved", [
    ("get_item_abs_coords", 1, False),   # the second child keeps its old coordinates
    ("get_zvrect", 2, True),             # container, first child, then the second fails
])
def test_a_failing_host_call_stops_the_loop(failing, skip, child_moved):
    container = ZuvoCobject(5, 5, 100, 100)
    children = [ZuvoCobject(1, 1, 5, 5) for _ in range(3)]
    old = [child.absolute_coordinates for child in children]
    recorder.fail_on(failing, ValueError("host failure"), skip=skip)
    with pytest.raises(ValueError, match="host failure") as info:
        recollide(container, children)
    names = tb_names(info.value)
    assert PREFIX + "_scrollable_recollide_items" in names
    assert PREFIX + "scrollable_recollide_items" in names
    assert children[0].absolute_coordinates is not old[0]
    assert (children[1].absolute_coordinates is not old[1]) == child_moved
    assert children[2].absolute_coordinates is old[2]


class Returns(ZuvoCobject):
    def __init__(self, value):
        super().__init__()
        self.value = value

    def get_zvrect(self):
        return self.value


@pytest.mark.parametrize("value, message", [
    (None, "Cannot convert NoneType to zuvo_ui.fast.zvrect.zvrect.ZvRect"),
    ((0, 0, 1, 1), "Cannot convert tuple to zuvo_ui.fast.zvrect.zvrect.ZvRect"),
])
@pytest.mark.parametrize("where", ["container", "child"])
def test_an_override_returning_no_rectangle_raises(value, message, where):
    container = Returns(value) if where == "container" else Fixed(0, 0, 10, 10)
    child = Returns(value) if where == "child" else Fixed(0, 0, 10, 10)
    with pytest.raises(TypeError) as info:
        recollide(container, [child])
    assert str(info.value) == message


def test_a_container_without_a_vector_raises_before_writing():
    container = Fixed(1, 2, 10, 10)
    child = ZuvoCobject(1, 1, 1, 1)
    before = child.absolute_coordinates
    container.absolute_coordinates = None
    with pytest.raises(TypeError) as info:
        recollide(container, [child])
    assert str(info.value) == "Cannot convert NoneType to zuvo_ui.fast.zvvector2.zvvector2.ZvVector2"
    assert child.absolute_coordinates is before
    assert "get_item_abs_coords" not in recorder.names()


def test_elements_that_are_not_widgets_raise():
    container = ZuvoCobject(0, 0, 10, 10)
    first = ZuvoCobject(1, 1, 1, 1)
    before = first.absolute_coordinates
    with pytest.raises(TypeError) as info:
        recollide(container, [first, 42])
    assert str(info.value) == "Cannot convert int to zuvo_ui.fast.zuvocobj.zuvocobj.ZuvoCobject"
    assert first.absolute_coordinates is not before
    first_update = first.update_count
    with pytest.raises(TypeError) as info:
        update([first, "text"])
    assert str(info.value) == "Cannot convert str to zuvo_ui.fast.zuvocobj.zuvocobj.ZuvoCobject"
    assert first.update_count == first_update + 1


class Shrinks(ZuvoCobject):
    """Empties the list it belongs to from its override."""

    def __init__(self, items):
        super().__init__(0, 0, 5, 5)
        self.items = items

    def get_zvrect(self):
        self.items.clear()
        return ZvRect(0, 0, 5, 5)

    def update(self):
        self.items.clear()


def test_a_list_shrinking_during_recollide_raises():
    items = []
    items += [Shrinks(items), ZuvoCobject(), ZuvoCobject()]
    with pytest.raises(RuntimeError, match="^list changed size during iteration$"):
        recollide(ZuvoCobject(0, 0, 10, 10), items)


def test_a_list_shrinking_during_update_raises():
    items = []
    items += [Shrinks(items), ZuvoCobject()]
    with pytest.raises(RuntimeError, match="^list changed size during iteration$") as info:
        update(items)
    assert PREFIX + "_scrollable_update_collided" in tb_names(info.value)


def test_a_growing_list_visits_only_the_children_counted_first():
    class Grows(ZuvoCobject):
        def update(self):
            items.append(ZuvoCobject())
            super().update()

    items = [Grows(), ZuvoCobject()]
    update(items)
    assert [item.update_count for item in items] == [1, 1, 0]


def test_update_runs_native_bodies_and_overrides():
    class Counted(ZuvoCobject):
        def update(self):
            recorder.calls.append(("Counted.update", (self,)))

    class Plain(ZuvoCobject):
        pass

    a, b, c = ZuvoCobject(), Counted(), Plain()
    # An instance attribute shadows the method, as in any Python method call.
    d = Plain()
    d.update = lambda: recorder.calls.append(("d.update", ()))
    assert update([a, b, c, d]) is None
    assert recorder.calls == [("update", (a,)), ("Counted.update", (b,)), ("update", (c,)),
                              ("d.update", ())]
    assert [w.update_count for w in (a, b, c, d)] == [1, 0, 1, 0]


def test_update_on_an_empty_list_calls_nothing():
    assert update([]) is None
    assert recorder.calls == []


def test_a_failing_update_is_reported_as_unraisable(monkeypatch, capsys):
    class Fails(ZuvoCobject):
        def update(self):
            raise ValueError("update failed")

    seen = []
    monkeypatch.setattr(sys, "unraisablehook", seen.append)
    children = [ZuvoCobject(), Fails(), ZuvoCobject()]
    assert update(children) is None
    assert [c.update_count for c in children] == [1, 0, 0]
    assert len(seen) == 1
    assert seen[0].object == PREFIX + "_scrollable_update_collided"
    assert type(seen[0].exc_value) is ValueError and str(seen[0].exc_value) == "update failed"
    err = capsys.readouterr().err
    assert "Traceback (most recent call last)" in err and "ValueError: update failed" in err


def test_an_instance_attribute_overrides_the_method_too():
    class WithDict(ZuvoCobject):
        pass

    widget = WithDict(0, 0, 5, 5)
    widget.get_zvrect = lambda: ZvRect(500, 500, 1, 1)
    assert recollide(ZuvoCobject(0, 0, 10, 10), [widget]) == []


class ListSub(list):
    pass


RECOLLIDE_ERRORS = [
    ((), {}, "scrollable_recollide_items() takes exactly 2 positional arguments (0 given)"),
    (("c",), {}, "scrollable_recollide_items() takes exactly 2 positional arguments (1 given)"),
    (("c", [], []), {}, "scrollable_recollide_items() takes exactly 2 positional arguments (3 given)"),
    (("c", []), {"extra": 1}, "scrollable_recollide_items() got an unexpected keyword argument 'extra'"),
    (("c", []), {"items": []}, "scrollable_recollide_items() got multiple values for keyword argument 'items'"),
    ((None, []), {}, "Argument 'self' has incorrect type (expected zuvo_ui.fast.zuvocobj.zuvocobj.ZuvoCobject, got NoneType)"),
    ((ZvRect(), []), {}, "Argument 'self' has incorrect type (expected zuvo_ui.fast.zuvocobj.zuvocobj.ZuvoCobject, got zuvo_ui.fast.zvrect.zvrect.ZvRect)"),
    (("c", ()), {}, "Argument 'items' has incorrect type (expected list, got tuple)"),
    (("c", ListSub()), {}, "Argument 'items' has incorrect type (expected list, got ListSub)"),
    (("c", None), {}, "Argument 'items' has incorrect type (expected list, got NoneType)"),
]
UPDATE_ERRORS = [
    ((), {}, "scrollable_update_collided() takes exactly 1 positional argument (0 given)"),
    (([], []), {}, "scrollable_update_collided() takes exactly 1 positional argument (2 given)"),
    (([],), {"collided_items": []}, "scrollable_update_collided() got multiple values for keyword argument 'collided_items'"),
    ((), {"items": []}, "scrollable_update_collided() got an unexpected keyword argument 'items'"),
    (((),), {}, "Argument 'collided_items' has incorrect type (expected list, got tuple)"),
    ((ListSub(),), {}, "Argument 'collided_items' has incorrect type (expected list, got ListSub)"),
    ((None,), {}, "Argument 'collided_items' has incorrect type (expected list, got NoneType)"),
]


@pytest.mark.parametrize("function, args, kwargs, message",
                         [(recollide, *row) for row in RECOLLIDE_ERRORS] +
                         [(update, *row) for row in UPDATE_ERRORS])
def test_argument_errors(function, args, kwargs, message):
    container = ZuvoCobject(0, 0, 10, 10)
    args = tuple(container if a == "c" else a for a in args)
    with pytest.raises(TypeError) as info:
        function(*args, **kwargs)
    assert str(info.value) == message
    assert recorder.calls == []


def test_keywords_are_accepted():
    container, child = ZuvoCobject(0, 0, 10, 10), ZuvoCobject(1, 1, 1, 1)
    assert recollide(items=[child], self=container) == [child]
    assert update(collided_items=[child]) is None and child.update_count == 1
