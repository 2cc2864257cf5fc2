"""Stand-in for the toolkit's module registry: ``pygame`` is the real pygame."""

import pygame

__all__ = ["pygame"]
