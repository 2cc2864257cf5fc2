"""Benchmark cases of draw.rect against pygame's own ways to the same picture."""

import pygame

from harness import Case
from zuvo_ui.fast.shapes import draw

OPAQUE = (200, 120, 40)
TRANSLUCENT = (40, 90, 200, 128)


def supersampled(target, size, radius, colour, scale=4):
    """The anti-aliased rounded rect pygame alone can draw: pygame.draw.rect at
    `scale` times the size on a surface with per-pixel alpha, smoothscale
    down, blit."""
    w, h = size

    def run():
        big = pygame.Surface((w * scale, h * scale), pygame.SRCALPHA)
        pygame.draw.rect(big, colour, (0, 0, w * scale, h * scale), border_radius=radius * scale)
        target.blit(pygame.transform.smoothscale(big, size), (10, 10))
    return run


def cases():
    screen = pygame.Surface((800, 600))  # 32 bits, no per-pixel alpha, like a display surface
    screen.fill((20, 20, 20))
    full_hd = pygame.Surface((1920, 1080))
    full_hd.fill((20, 20, 20))
    panel = pygame.Surface((1920, 1080), pygame.SRCALPHA)
    panel.fill(TRANSLUCENT)
    small, large = pygame.Rect(10, 10, 120, 40), pygame.Rect(10, 10, 400, 300)
    return [
        Case("draw.rect filled 120 x 40, radius 8, opaque, onto 800 x 600 without alpha",
             lambda: draw.rect(screen, OPAQUE, small, 0, 8),
             lambda: pygame.draw.rect(screen, OPAQUE, small, 0, 8),
             "pygame.draw.rect (aliased)", target=1.5),
        Case("draw.rect filled 400 x 300, radius 12",
             lambda: draw.rect(screen, OPAQUE, large, 0, 12),
             lambda: pygame.draw.rect(screen, OPAQUE, large, 0, 12),
             "pygame.draw.rect (aliased)", target=1.3),
        Case("draw.rect stroke 2, 400 x 300, radius 12",
             lambda: draw.rect(screen, OPAQUE, large, 2, 12),
             lambda: pygame.draw.rect(screen, OPAQUE, large, 2, 12),
             "pygame.draw.rect (aliased)", target=1.5),
        Case("draw.rect translucent (alpha 128) 1920 x 1080 panel, radius 16",
             lambda: draw.rect(full_hd, TRANSLUCENT, (0, 0, 1920, 1080), 0, 16),
             lambda: full_hd.blit(panel, (0, 0)),
             "blit of a premade translucent surface", target=1.0),
        Case("draw.rect filled 120 x 40, radius 8, against supersampling",
             lambda: draw.rect(screen, OPAQUE, small, 0, 8),
             supersampled(screen, small.size, 8, OPAQUE),
             "4x pygame.draw.rect + smoothscale + blit", target=0.08),
    ]
