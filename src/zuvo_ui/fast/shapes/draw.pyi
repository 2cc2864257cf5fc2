# Types of zuvo_ui.fast.shapes.draw: anti-aliased rounded rectangles drawn
# onto any pygame surface.
from typing import Protocol, Sequence, SupportsFloat, SupportsIndex, Union

from pygame import Color, Rect, Surface

# Converted to a C double (float(), or __index__).
_Float = Union[SupportsFloat, SupportsIndex]

# What pygame takes as a colour: a Color, three or four channels, a name or
# "#rrggbb[aa]" text, or an int mapped for the surface.
_Colour = Union[Color, int, str, tuple[int, int, int], tuple[int, int, int, int], Sequence[int]]

# Read-only: an object whose `rect` is any one of the rects below (a Rect
# attribute, a tuple, a property) qualifies.
class _HasRect(Protocol):
    @property
    def rect(self) -> "_RectLike": ...

_RectLike = Union[
    Rect,
    tuple[_Float, _Float, _Float, _Float],
    tuple[tuple[_Float, _Float], tuple[_Float, _Float]],
    Sequence[_Float],
    _HasRect,
]

def rect(
    surface: Surface,
    color: _Colour,
    rect: _RectLike,
    width: _Float = 0,
    border_radius: _Float = 0,
    border_top_left_radius: _Float = -1,
    border_top_right_radius: _Float = -1,
    border_bottom_left_radius: _Float = -1,
    border_bottom_right_radius: _Float = -1,
    *,
    border_color: _Colour | None = None,
    blend: bool = True,
) -> Rect: ...

def shadow(
    surface: Surface,
    color: _Colour,
    rect: _RectLike,
    blur_radius: _Float,
    border_radius: _Float = 0,
    border_top_left_radius: _Float = -1,
    border_top_right_radius: _Float = -1,
    border_bottom_left_radius: _Float = -1,
    border_bottom_right_radius: _Float = -1,
    *,
    spread: _Float = 0,
    offset: tuple[_Float, _Float] | Sequence[_Float] = (0, 0),
) -> Rect: ...
