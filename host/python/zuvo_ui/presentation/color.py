"""Stand-in for the toolkit's colour names (RGBA tuples, as pygame takes them)."""


class Color:
    Blank = (0, 0, 0, 0)
    White = (255, 255, 255, 255)
    Black = (0, 0, 0, 255)
    Panel = (46, 52, 64, 255)
    Accent = (94, 129, 172, 255)
    Text = (236, 239, 244, 255)


__all__ = ["Color"]
