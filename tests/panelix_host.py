"""Shared pieces of the panelix tests: the stand-in host's recorder and
raylib state reset around each test, subprocess runs for import cases, and
widgets whose rectangle or behaviour a test sets."""

import traceback

import pytest

from isolated import run  # noqa: F401 - the panelix tests import it from here
from zuvo_standin import recorder
from zuvo_ui.fast.raylib import zuvo_raylib
from zuvo_ui.fast.zuvocobj.zuvocobj import ZuvoCobject
from zuvo_ui.fast.zvrect.zvrect import ZvRect

MODULE = "zuvo_ui.fast.zvspecific.panelix"
PREFIX = MODULE + "."


@pytest.fixture(autouse=True)
def clean_host():
    recorder.clear()
    zuvo_raylib.reset()
    yield
    recorder.clear()
    zuvo_raylib.reset()


class Fixed(ZuvoCobject):
    """A widget whose get_zvrect override returns the rectangle it was given."""

    def __init__(self, x, y, w, h, **kwargs):
        super().__init__(**kwargs)
        self.rect = (x, y, w, h)

    def get_zvrect(self):
        recorder.calls.append(("Fixed.get_zvrect", (self,)))
        return ZvRect(*self.rect)


def tb_names(exc):
    """The names of the traceback entries an exception passed through."""
    return [frame.name for frame in traceback.extract_tb(exc.__traceback__)]
