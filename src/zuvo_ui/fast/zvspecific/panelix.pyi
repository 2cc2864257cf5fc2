# Types of zuvo_ui.fast.zvspecific.panelix: widget fast paths on the toolkit's
# native objects.  The widget, vector, rectangle and render-texture types are
# the host toolkit's own, so they appear here as Any.
from typing import Any

Color: Any
zuvo_state: Any

# Runs update() of every child in the list; a failing child is reported to the
# unraisable-exception hook and ends the loop.
def scrollable_update_collided(collided_items: list[Any]) -> None: ...

# Recomputes the container's and every child's absolute coordinates and
# returns the children whose rectangles intersect the container's.
def scrollable_recollide_items(self: Any, items: list[Any]) -> list[Any]: ...
def menu_draw_raylib(self: object, bg: Any) -> None: ...
def menu_draw_sdl(self: object, bg: object) -> None: ...
def menu_draw_pygame(self: object, bg: object) -> None: ...
