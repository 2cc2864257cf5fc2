# Types of zuvo_ui.fast.shapes.curvix: anti-aliased rounded rectangles for pygame.
from functools import _lru_cache_wrapper
from types import ModuleType
from typing import Sequence, SupportsFloat, SupportsIndex, SupportsInt, Union

from pygame import Surface

_Int = Union[SupportsInt, SupportsIndex]
_Float = Union[SupportsFloat, SupportsIndex]
# One radius for all four corners, or four radii clockwise from the top-left
# (a sequence of any other length means square corners).
_Radii = Union[float, Sequence[_Float]]
# (width, height); items beyond the second are ignored.
_Size = tuple[Union[_Int, str], ...]
# (R, G, B) or (R, G, B, A), each 0 to 255.
_Color = tuple[_Int, ...]

md: ModuleType
np: ModuleType
lru_cache: object

def _create_rounded_rect_surface_optimized(
    size: _Size | None, radii_input: _Radii, color: _Color | None
) -> Surface: ...

_get_cached_rounded_rect_surface: _lru_cache_wrapper[Surface]

def create_rounded_rect_surface(
    size: _Size | None, radii_input: _Radii | list[_Float], color: _Color | None
) -> Surface: ...
def _create_outlined_rounded_rect_sdf(
    size: _Size | None, radius: _Int, width: _Float, color: _Color | None
) -> Surface: ...

_get_cached_outlined_rounded_rect_sdf: _lru_cache_wrapper[Surface]

def create_outlined_rounded_rect_sdf(
    size: _Size | None, radius: _Int, width: _Float, color: _Color | None
) -> Surface: ...
def transform_into_rounded_rect(
    surf: Surface, radii_input: _Radii, color: Sequence[_Int] | None = None
) -> None: ...
def transform_into_outlined_rounded_rect(
    surf: Surface,
    radii_input: _Radii,
    stroke_width: _Float,
    color: _Color | None,
    background_color: Sequence[_Int] | None = None,
) -> None: ...
