"""A recording that an impact cut short, as a person finds it in the list:
greyed, with its tooltip, and a click on it plays nothing."""

import shutil
import subprocess
import time

from conftest import start_viewer
from viewer import Player

TIP = "破損（修復できます）"


def test_cut_short_recording_is_listed_greyed_and_does_not_play(desktop, programs, tmp_path):
    root = tmp_path / "card"
    # --extras adds to the folder a file cut short inside its media, beside
    # the two recordings (and files that are no recordings, not listed).
    subprocess.run([programs["mkcard"], "--folders", "1", "--files", "2", "--seconds", "4",
                    "--extras", str(root)], check=True, capture_output=True)
    card = root / "DCIM"
    cut = next(p for p in sorted(card.glob("*/*.MOV")) if b"moov" not in p.read_bytes())
    viewer = start_viewer(desktop, programs, card)
    try:
        player = Player(viewer, card)
        row = viewer.find(cut.stem, "list item", root=viewer.main_window())
        assert row.description == TIP
        assert not viewer.state(row, "selectable")

        # The first recording is on show; a click on the damaged row leaves it
        # there, without an error box.
        shown = player.picture()[0]
        viewer.click(row)
        time.sleep(2)
        assert not viewer.state(row, "selected")
        assert player.picture()[0] == shown
        assert [w.name for w in viewer.windows()] == [viewer.main_window().name]
    finally:
        viewer.stop()
        shutil.rmtree(viewer.work, ignore_errors=True)
