"""Benchmark cases of draw.rect and draw.shadow against pygame's own ways to
the same picture (and Pillow's, for a shadow)."""

import pygame
from PIL import Image, ImageDraw, ImageFilter

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


SHADOW = (0, 0, 0, 150)


def premade_shadow(box, radius, blur):
    """The shadow drawn once into a surface of its own reach: what blitting a
    cached shadow costs."""
    reach = int(1.5 * blur)  # three sigmas of blur / 2
    shadow = pygame.Surface((box.w + 2 * reach, box.h + 2 * reach), pygame.SRCALPHA)
    draw.shadow(shadow, SHADOW, (reach, reach, box.w, box.h), blur, radius)
    return shadow, (box.x - reach, box.y - reach)


def pillow_shadow(target, box, radius, blur):
    """A rounded rectangle blurred by Pillow, converted and blitted."""
    reach = int(1.5 * blur)
    size = (box.w + 2 * reach, box.h + 2 * reach)

    def run():
        mask = Image.new("L", size, 0)
        ImageDraw.Draw(mask).rounded_rectangle((reach, reach, reach + box.w, reach + box.h), radius,
                                               fill=SHADOW[3])
        mask = mask.filter(ImageFilter.GaussianBlur(blur / 2))
        image = Image.new("RGBA", size, SHADOW[:3] + (0,))
        image.putalpha(mask)
        target.blit(pygame.image.frombytes(image.tobytes(), size, "RGBA"), (box.x - reach, box.y - reach))
    return run


def cases():
    screen = pygame.Surface((800, 600))  # 32 bits, no per-pixel alpha, like a display surface
    screen.fill((20, 20, 20))
    full_hd = pygame.Surface((1920, 1080))
    full_hd.fill((20, 20, 20))
    panel = pygame.Surface((1920, 1080), pygame.SRCALPHA)
    panel.fill(TRANSLUCENT)
    layer = pygame.Surface((800, 600), pygame.SRCALPHA)  # a layer composed over the screen later
    layer.fill((20, 20, 20, 100))
    panel_layer = pygame.Surface((1920, 1080), pygame.SRCALPHA)
    panel_layer.fill((20, 20, 20, 100))
    small, large = pygame.Rect(10, 10, 120, 40), pygame.Rect(10, 10, 400, 300)
    shadow_box = pygame.Rect(200, 150, 400, 300)
    premade = premade_shadow(shadow_box, 12, 16)
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
        Case("draw.shadow of 400 x 300, radius 12, blur 16, onto 800 x 600",
             lambda: draw.shadow(screen, SHADOW, shadow_box, 16, 12),
             lambda: screen.blit(*premade),
             "blit of the same shadow, premade", target=2.0),
        Case("draw.shadow of 400 x 300, radius 12, blur 16, onto 800 x 600 with per-pixel alpha",
             lambda: draw.shadow(layer, SHADOW, shadow_box, 16, 12),
             lambda: layer.blit(*premade),
             "blit of the same shadow, premade"),
        Case("draw.rect translucent (alpha 128) 1920 x 1080 panel, radius 16, with per-pixel alpha",
             lambda: draw.rect(panel_layer, TRANSLUCENT, (0, 0, 1920, 1080), 0, 16),
             lambda: panel_layer.blit(panel, (0, 0)),
             "blit of a premade translucent surface"),
        Case("draw.shadow of 400 x 300, radius 12, blur 16, against Pillow",
             lambda: draw.shadow(screen, SHADOW, shadow_box, 16, 12),
             pillow_shadow(screen, shadow_box, 12, 16),
             "Pillow rounded_rectangle + GaussianBlur + blit", target=0.1),
        Case("draw.rect filled 120 x 40, radius 8, against supersampling",
             lambda: draw.rect(screen, OPAQUE, small, 0, 8),
             supersampled(screen, small.size, 8, OPAQUE),
             "4x pygame.draw.rect + smoothscale + blit", target=0.08),
    ]
