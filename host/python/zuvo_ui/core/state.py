"""Stand-in for the toolkit's global state: the SDL renderer lives here."""


class ZuvoState:
    def __init__(self):
        self.renderer = None


zuvo_state = ZuvoState()

__all__ = ["zuvo_state", "ZuvoState"]
