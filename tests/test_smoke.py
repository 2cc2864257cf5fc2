import pygame

from zuvo_ui.fast.shapes import curvix


def test_filled_corner_matches_worked_example():
    surf = curvix._create_rounded_rect_surface_optimized((10, 10), 4, (1, 2, 3))
    alpha = pygame.surfarray.pixels_alpha(surf)
    assert alpha.T[:4, :4].tolist() == [
        [0, 50, 176, 245], [50, 245, 255, 255], [176, 255, 255, 255], [245, 255, 255, 255]]
