"""Fixtures of the end-to-end suite: one desktop and one sample card for the
session, a viewer started on that card for each module."""

import http.server
import json
import os
import shutil
import subprocess
import tempfile
import threading

import pytest

from desktop import Desktop
from viewer import FPS, RECORDING, Player, Viewer, write_settings

CARD_OPTIONS = ["--folders", "2", "--files", "3", "--seconds", "10"]


def _program(variable):
    path = os.environ.get(variable)
    if not path or not os.access(path, os.X_OK):
        pytest.fail("%s must name the built program (CTest sets it)" % variable)
    return path


def _unavailable(reason):
    # Outside CI a machine without a display server or sound server skips,
    # and says why; CI must run every case.
    if os.environ.get("CI"):
        pytest.fail(reason)
    pytest.skip(reason)


@pytest.fixture(scope="session")
def desktop():
    screen = Desktop()
    missing = screen.missing()
    if missing:
        _unavailable("the desktop needs " + ", ".join(missing))
    screen.start()
    # The accessibility library finds its bus through the session bus.
    os.environ.update(screen.env)
    yield screen
    screen.stop()


@pytest.fixture(scope="session")
def programs():
    return {"viewer": _program("KESTREL_VIEWER"), "mkcard": _program("KESTREL_MKCARD"),
            "cli": _program("KESTREL_CLI")}


@pytest.fixture(scope="session")
def card(programs, tmp_path_factory):
    root = tmp_path_factory.mktemp("card")
    subprocess.run([programs["mkcard"], *CARD_OPTIONS, str(root)], check=True,
                   capture_output=True)
    return root / "DCIM"


@pytest.fixture(scope="session")
def version_server():
    """An update server on 127.0.0.1 whose version files name newer versions
    of both the firmware and the viewer."""
    files = {
        "/taiou/dr_updata/hx-tq80_81/hx-tq80_81_sw_version.txt": b"VER:9.9.9\r\n",
        "/0_recorder/viewer/hx-tq80_81/hx-tq80_81_view_version.txt": b"VER:9.9.9.9\r\n",
    }
    asked = []

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            asked.append(self.path)
            body = files.get(self.path)
            self.send_response(200 if body else 404)
            self.send_header("Content-Length", str(len(body or b"")))
            self.end_headers()
            self.wfile.write(body or b"")

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    server.asked = asked
    yield server
    server.shutdown()


def start_viewer(desktop, programs, card, extra_settings=(), args=(), env=None):
    work = tempfile.mkdtemp(prefix="kestrel-e2e-work-")
    # The map's tiles come from an empty folder of the work's: the map works
    # without a network, blank.
    tiles = os.path.join(work, "tiles")
    os.mkdir(tiles)
    write_settings(work, ["[DISPLAY]", "INFOCHECK=31", "ASPECT=on", "VOLUME=65535",
                          "[SOURCE]", "SELECT=FOLDER", "FOLDER=%s" % card,
                          "[MAP]", "TILE_URL=%s" % tiles, *extra_settings])
    viewer = Viewer(desktop, programs["viewer"], work, args, env)
    viewer.main_window()
    return viewer


@pytest.fixture(scope="module")
def viewer(desktop, programs, card):
    running = start_viewer(desktop, programs, card)
    yield running
    running.stop()
    shutil.rmtree(running.work, ignore_errors=True)


@pytest.fixture(scope="module")
def player(viewer, card):
    return Player(viewer, card)


@pytest.fixture(scope="session")
def event_pictures(programs, card):
    """The pictures of the events of RECORDING, from the command-line tool."""
    events = json.loads(subprocess.run([programs["cli"], "events", str(card), "--json"],
                                       check=True, capture_output=True).stdout)
    return sorted(e["offset_ms"] * FPS // 1000 for e in events
                  if e["recording"].endswith(RECORDING + ".MOV"))
