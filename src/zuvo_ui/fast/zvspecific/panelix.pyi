# Types of zuvo_ui.fast.zvspecific.panelix: widget fast paths on the toolkit's
# native objects.  The widget, vector, rectangle and render-texture types are
# the host toolkit's own, so they appear here as Any; the menus are described
# by the attributes each back end reads (any object that has them will do).
from typing import Any, Protocol

from pygame import Surface
from pygame._sdl2.video import Image, Texture

Color: Any
zuvo_state: Any

class _RaylibMenu(Protocol):
    @property
    def _surface(self) -> Any: ...  # a render texture
    @property
    def absolute_coordinates(self) -> Any: ...  # a vector, or None
    @property
    def _layout(self) -> Any: ...  # a widget, or None

class _SdlMenu(Protocol):
    @property
    def _sdl_texture(self) -> Any: ...
    @property
    def _layout(self) -> Any: ...
    @property
    def _window(self) -> Any: ...  # its _renderer blits the texture
    @property
    def _tuple_absolute_coordinates(self) -> Any: ...
    def get_rect(self) -> Any: ...

class _PygameMenu(Protocol):
    @property
    def _surface(self) -> Surface: ...
    @property
    def _layout(self) -> Any: ...
    @property
    def _window(self) -> Any: ...  # its _renderer blits the surface
    @property
    def _tuple_absolute_coordinates(self) -> Any: ...

# Runs update() of every child in the list (an exact list); a failing child is
# reported to the unraisable-exception hook and ends the loop.
def scrollable_update_collided(collided_items: list[Any]) -> None: ...

# Recomputes the container's and every child's absolute coordinates and
# returns the children whose rectangles intersect the container's.
def scrollable_recollide_items(self: Any, items: list[Any]) -> list[Any]: ...
def menu_draw_raylib(self: _RaylibMenu, bg: Any) -> None: ...
def menu_draw_sdl(self: _SdlMenu, bg: Texture | Image) -> None: ...
def menu_draw_pygame(self: _PygameMenu, bg: Surface) -> None: ...
