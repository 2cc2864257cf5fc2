"""Renders a gallery of widgets drawn with the fast layer to a PNG.

Run with ``make demo``; the picture is written to demo-output/gallery.png.
When a display is present the gallery is also shown in a window (until it is
closed, or for ``--seconds N``); without one it stays headless.
"""

import argparse
import os
import pathlib
import sys
import time

HAS_DISPLAY = os.environ.get("SDL_VIDEODRIVER") != "dummy" and bool(
    os.environ.get("DISPLAY") or os.environ.get("WAYLAND_DISPLAY"))
if not HAS_DISPLAY:
    os.environ["SDL_VIDEODRIVER"] = "dummy"
os.environ.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")

import pygame

import gallery_draw
import gallery_panelix
import gallery_transforms
from zuvo_ui.fast.shapes import curvix

OUTPUT = pathlib.Path(__file__).resolve().parent.parent / "demo-output" / "gallery.png"
BACKGROUND = (236, 239, 244)


def label(canvas: pygame.Surface, font: pygame.font.Font, text: str, pos: tuple[int, int],
          color: tuple[int, int, int] = (40, 44, 52)) -> None:
    canvas.blit(font.render(text, True, color), pos)


def buttons(canvas: pygame.Surface, font: pygame.font.Font, top: int) -> None:
    label(canvas, font, "Buttons: create_rounded_rect_surface", (24, top))
    colours: list[tuple[int, int, int] | tuple[int, int, int, int]] = [
        (52, 101, 164), (78, 154, 6), (204, 0, 0), (117, 80, 123, 200)]
    for i, colour in enumerate(colours):
        surf = curvix.create_rounded_rect_surface((150, 44), [10, 10, 10, 10], colour)
        canvas.blit(surf, (24 + i * 170, top + 28))
        label(canvas, font, "Button %d" % (i + 1), (54 + i * 170, top + 40), (255, 255, 255))


def pills(canvas: pygame.Surface, font: pygame.font.Font, top: int) -> None:
    label(canvas, font, "Pills and mixed corners", (24, top))
    shapes: list[tuple[tuple[int, int], tuple[float, float, float, float], tuple[int, int, int]]] = [
        ((160, 36), (100, 100, 100, 100), (32, 74, 135)),
        ((120, 36), (18, 0, 18, 0), (245, 121, 0)),
        ((120, 36), (0, 18, 0, 18), (193, 125, 17)),
        ((36, 36), (18, 18, 18, 18), (92, 53, 102)),
        ((120, 36), (2.7, 2.7, 2.7, 2.7), (46, 52, 54)),
    ]
    x = 24
    for size, radii, colour in shapes:
        canvas.blit(curvix.create_rounded_rect_surface(size, radii, colour), (x, top + 28))
        x += size[0] + 20


def cards(canvas: pygame.Surface, font: pygame.font.Font, top: int) -> None:
    label(canvas, font, "Cards with outlines: create_outlined_rounded_rect_sdf", (24, top))
    strokes: list[tuple[float, tuple[int, int, int] | tuple[int, int, int, int]]] = [
        (1, (46, 52, 54)), (1.5, (52, 101, 164)), (2, (204, 0, 0, 200)), (4, (78, 154, 6))]
    for i, (width, colour) in enumerate(strokes):
        x = 24 + i * 170
        card = curvix.create_rounded_rect_surface((150, 100), (14, 14, 14, 14), (255, 255, 255))
        canvas.blit(card, (x, top + 28))
        outline = curvix.create_outlined_rounded_rect_sdf((150, 100), 14, width, colour)
        canvas.blit(outline, (x, top + 28))
        label(canvas, font, "stroke %s" % width, (x + 36, top + 68))


def show(picture: pygame.Surface, seconds: float | None) -> None:
    """Shows the picture in a window until it is closed or `seconds` have passed."""
    screen = pygame.display.set_mode(picture.get_size())
    pygame.display.set_caption("zuvo_ui fast layer: gallery")
    screen.blit(picture, (0, 0))
    pygame.display.flip()
    print("window shown", flush=True)
    deadline = None if seconds is None else time.monotonic() + seconds
    while deadline is None or time.monotonic() < deadline:
        if any(event.type == pygame.QUIT for event in pygame.event.get()):
            return
        pygame.time.wait(20)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", type=pathlib.Path, default=OUTPUT)
    parser.add_argument("--seconds", type=float, default=None,
                        help="close the window after this many seconds")
    args = parser.parse_args()
    pygame.init()
    font = pygame.font.Font(None, 22)
    canvas = pygame.Surface((720, 2000), pygame.SRCALPHA)
    canvas.fill(BACKGROUND)
    buttons(canvas, font, 16)
    pills(canvas, font, 116)
    cards(canvas, font, 206)
    bottom = gallery_transforms.draw(canvas, font, 350)
    bottom = gallery_draw.draw(canvas, font, bottom + 12)
    # With a display (and raylib), the menu by all three back ends side by side.
    bottom = gallery_panelix.draw(canvas, font, bottom + 12, every_back_end=HAS_DISPLAY)
    picture = canvas.subsurface((0, 0, canvas.get_width(), bottom))
    args.output.parent.mkdir(parents=True, exist_ok=True)
    pygame.image.save(picture, str(args.output))
    print("gallery written to %s" % args.output, flush=True)
    if HAS_DISPLAY:
        show(picture, args.seconds)
    return 0


if __name__ == "__main__":
    sys.exit(main())
