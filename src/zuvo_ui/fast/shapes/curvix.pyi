# Types of zuvo_ui.fast.shapes.curvix: anti-aliased rounded rectangles for pygame.
#
# The types say what each function converts without a TypeError.  Where the
# runtime accepts something that only ever gives a surprise, the types are
# narrower: a tuple of radii must have four items (other lengths run, but give
# square corners), and sizes and colours have the item counts that draw.
# A tuple subclass cannot be told from a tuple here, although the arguments
# documented as "exact tuple" refuse one at run time.
from functools import _CacheInfo, _CacheParameters
from types import ModuleType
from typing import Callable, Protocol, SupportsFloat, SupportsIndex, SupportsInt, Union

from pygame import Color, Surface

# Converted with int() semantics (floats truncate toward zero) and checked
# against the 32-bit range.
_Int = Union[SupportsInt, SupportsIndex]
# Converted to a C double (float(), or __index__).
_Float = Union[SupportsFloat, SupportsIndex]

# (width, height): an exact tuple.
_Size = tuple[_Int, _Int]

# Four radii clockwise from the top-left.
_Radii4 = tuple[_Float, _Float, _Float, _Float]
# A list of radii (which should have four items); lists are invariant, hence three.
_RadiiList = Union[list[int], list[float], list[_Float]]
# One radius for all four corners (an int or a float, not any number-like
# object), four radii as a tuple, or a list.
_Radii = Union[float, _Radii4, _RadiiList]

# Colours handed to pygame's Surface.fill as they are, alpha read by curvix.
_FillColor = Union[tuple[int, int, int], tuple[int, int, int, int]]
# Colours whose channels curvix converts itself (exact tuples).
_StrokeColor = Union[tuple[_Int, _Int, _Int], tuple[_Int, _Int, _Int, _Int]]
# Colours read by indexing: a tuple, a list (of three or four items) or a pygame.Color.
_AnyColor = Union[_StrokeColor, list[int], list[float], list[_Int], Color]

md: ModuleType
np: ModuleType
lru_cache: object

class _FilledMemo(Protocol):
    __wrapped__: Callable[..., Surface]
    def __call__(self, size: _Size, radii: _Radii4, color: _FillColor) -> Surface: ...
    def cache_info(self) -> _CacheInfo: ...
    def cache_clear(self) -> None: ...
    def cache_parameters(self) -> _CacheParameters: ...

# The memo's key must be hashable: plain numbers here.
class _OutlinedMemo(Protocol):
    __wrapped__: Callable[..., Surface]
    def __call__(
        self, size: tuple[float, float], radius: float, width: float, color: _FillColor
    ) -> Surface: ...
    def cache_info(self) -> _CacheInfo: ...
    def cache_clear(self) -> None: ...
    def cache_parameters(self) -> _CacheParameters: ...

def _create_rounded_rect_surface_optimized(
    size: _Size, radii_input: _Radii, color: _FillColor
) -> Surface: ...

_get_cached_rounded_rect_surface: _FilledMemo

# A list of radii is turned into a tuple (the memo's key); a single number is refused.
def create_rounded_rect_surface(
    size: _Size, radii_input: _Radii4 | _RadiiList, color: _FillColor
) -> Surface: ...

# One integer radius (a float truncates toward zero).
def _create_outlined_rounded_rect_sdf(
    size: _Size, radius: _Int, width: _Float, color: _StrokeColor
) -> Surface: ...

_get_cached_outlined_rounded_rect_sdf: _OutlinedMemo

def create_outlined_rounded_rect_sdf(
    size: _Size, radius: _Int, width: _Float, color: _StrokeColor
) -> Surface: ...
def transform_into_rounded_rect(
    surf: Surface, radii_input: _Radii, color: _AnyColor | None = None
) -> None: ...
def transform_into_outlined_rounded_rect(
    surf: Surface,
    radii_input: _Radii,
    stroke_width: _Float,
    color: _StrokeColor,
    background_color: _AnyColor | None = None,
) -> None: ...
