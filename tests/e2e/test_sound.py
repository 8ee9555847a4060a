"""The sound a person hears: recorded from the null sink's monitor while the
viewer plays, then while it is muted."""

import array
import math
import subprocess

from viewer import RECORDING, wait_for

RATE = 8000


def loudness(desktop, seconds=1.0):
    """The RMS level (0..32767) of what the sound server plays for `seconds`."""
    raw = desktop.run(["timeout", str(seconds), "parec", "--device=e2e_null.monitor",
                       "--format=s16le", "--channels=1", "--rate=%d" % RATE, "--raw"],
                      check_exit=False)
    samples = array.array("h", raw[:len(raw) // 2 * 2])
    return math.sqrt(sum(s * s for s in samples) / len(samples)) if samples else 0.0


def test_sound_plays_and_mutes(viewer, player, desktop):
    player.paused_at(RECORDING, 0.0)
    player.play()
    wait_for(lambda: loudness(desktop) > 300, what="the recording's sound at the sink")
    viewer.focus()
    viewer.key("m")
    wait_for(lambda: loudness(desktop) < 30, what="silence when muted")
    viewer.key("m")
    player.pause()
