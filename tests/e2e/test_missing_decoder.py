"""The viewer on a machine whose GStreamer has no HEVC decoder: an HEVC
recording brings up one box that names what is missing, once a run, and
the H.264 recordings play on."""

import os
import shutil
import subprocess
import time

from conftest import start_viewer
from viewer import Player, wait_for

INSTALL_CODECS = "コーデックとスプリッターをインストールしてください。"


def limited_gstreamer(folder):
    """The environment that gives GStreamer every system plug-in but those
    with HEVC decoders (libav, libde265), with a registry of its own."""
    plugins = subprocess.run(["pkg-config", "--variable=pluginsdir", "gstreamer-1.0"],
                             check=True, capture_output=True, text=True).stdout.strip()
    folder.mkdir()
    for name in os.listdir(plugins):
        if name not in ("libgstlibav.so", "libgstde265.so"):
            os.symlink(os.path.join(plugins, name), folder / name)
    return {"GST_PLUGIN_SYSTEM_PATH_1_0": str(folder), "GST_PLUGIN_PATH_1_0": None,
            "GST_PLUGIN_PATH": None, "GST_REGISTRY_1_0": str(folder / "registry.bin")}


def click_row(viewer, folder, name):
    """Clicks the row of recording `name`, listing its folder first."""
    window = viewer.main_window()
    rows = viewer.find_all(window, name, "list item")
    if not rows:
        viewer.click(viewer.find(folder, "table cell", root=window))
        rows = [viewer.find(name, "list item", root=window)]
    viewer.click(rows[0])


def test_missing_hevc_decoder_is_named_once_and_h264_plays(desktop, programs, tmp_path):
    # A card of two HEVC recordings in 100MEDIA and an H.264 one in 101MEDIA.
    hevc, h264 = tmp_path / "hevc", tmp_path / "h264"
    common = ["--files", "2", "--seconds", "3"]
    subprocess.run([programs["mkcard"], *common, "--folders", "1", "--codec", "hevc", str(hevc)],
                   check=True, capture_output=True)
    subprocess.run([programs["mkcard"], *common, "--folders", "2", str(h264)], check=True,
                   capture_output=True)
    card = hevc / "DCIM"
    shutil.copytree(h264 / "DCIM" / "101MEDIA", card / "101MEDIA")
    first, second = sorted(p.stem for p in (card / "100MEDIA").glob("*.MOV"))
    h264_name = sorted(p.stem for p in (card / "101MEDIA").glob("*.MOV"))[0]

    viewer = start_viewer(desktop, programs, card, env=limited_gstreamer(tmp_path / "plugins"))
    try:
        player = Player(viewer, card)
        only_main = [viewer.main_window().name]

        # The first HEVC recording: one box, with the install wording and the
        # decoder GStreamer lacks.
        click_row(viewer, "100MEDIA", first)
        box = viewer.window("ERROR", timeout=30)
        texts = [viewer.text(n) for n in viewer.find_all(box, role="label")]
        said = next((t for t in texts if t.startswith(INSTALL_CODECS)), None)
        assert said is not None, texts
        assert "H.265" in said and "decoder" in said, said
        viewer.click(viewer.find("OK", "push button", root=box))
        wait_for(lambda: [w.name for w in viewer.windows()] == only_main, what="the box closed")

        # The other HEVC recording fails without a box: it was said once.
        click_row(viewer, "100MEDIA", second)
        time.sleep(5)
        assert [w.name for w in viewer.windows()] == only_main

        # An H.264 recording of the other folder opens and plays.
        click_row(viewer, "101MEDIA", h264_name)
        wait_for(lambda: player.picture()[1] == 0, 20, what="the H.264 recording's first picture")
        player.play()
        wait_for(lambda: player.picture()[1] > 0, 20, step=0.01,
                 what="the H.264 recording playing")
        assert [w.name for w in viewer.windows()] == only_main
    finally:
        viewer.stop()
        shutil.rmtree(viewer.work, ignore_errors=True)
