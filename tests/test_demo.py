"""The demo: headless it writes the gallery PNG; with a display it also shows it."""

import os
import pathlib
import shutil
import subprocess
import sys
import time

import pygame
import pytest

pytestmark = [pytest.mark.pygame_ce]

GALLERY = pathlib.Path(__file__).resolve().parent.parent / "examples" / "gallery.py"


def demo_env(**extra):
    env = {k: v for k, v in os.environ.items()
           if k not in ("SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY")}
    env.update(PYGAME_HIDE_SUPPORT_PROMPT="1", SDL_AUDIODRIVER="dummy", **extra)
    return env


@pytest.mark.clang
def test_headless_demo_writes_the_gallery(tmp_path):
    out = tmp_path / "gallery.png"
    done = subprocess.run([sys.executable, str(GALLERY), "--output", str(out)], env=demo_env(),
                          capture_output=True, text=True, timeout=120)
    assert done.returncode == 0, done.stderr
    assert "window shown" not in done.stdout
    picture = pygame.image.load(str(out))
    assert picture.get_width() == 720 and picture.get_height() > 600


@pytest.fixture
def xvfb():
    if not shutil.which("Xvfb"):
        pytest.skip("Xvfb is not installed")
    display = ":%d" % (90 + os.getpid() % 100)
    server = subprocess.Popen(["Xvfb", display, "-screen", "0", "1024x2400x24", "-nolisten", "tcp"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    socket = pathlib.Path("/tmp/.X11-unix/X%s" % display[1:])
    for _ in range(100):
        if socket.exists():
            break
        time.sleep(0.05)
    try:
        yield display
    finally:
        server.terminate()
        server.wait(timeout=10)


@pytest.mark.sanitizer_invariant
def test_demo_opens_a_window_showing_the_gallery(tmp_path, xvfb):
    image_grab = pytest.importorskip("PIL.ImageGrab")
    out = tmp_path / "gallery.png"
    demo = subprocess.Popen([sys.executable, str(GALLERY), "--output", str(out), "--seconds", "20"],
                            env=demo_env(DISPLAY=xvfb, SDL_VIDEO_WINDOW_POS="0,0"),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        for line in demo.stdout:
            if line.strip() == "window shown":
                break
        else:
            pytest.fail("no window: " + demo.stderr.read())
        time.sleep(0.5)  # let the server finish drawing
        shot = image_grab.grab(xdisplay=xvfb)
    finally:
        demo.terminate()
        demo.communicate(timeout=10)
    headless = pygame.image.load(str(out))
    w, h = headless.get_size()
    window = shot.crop((0, 0, w, h)).convert("RGB").tobytes()
    assert window == pygame.image.tobytes(headless, "RGB")
