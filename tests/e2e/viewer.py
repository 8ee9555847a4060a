"""The viewer program as a person meets it: started the way scripts/run
starts it, driven by X input at screen coordinates and keys to the focused
window, read back from the accessibility tree, the screen and its files."""

import os
import signal
import subprocess
import time

SETTINGS = "Default_Folder.ini"
TITLE = "Quendra3"


def wait_for(condition, timeout=15.0, step=0.1, what="a condition"):
    """Polls `condition` until it gives something true; returns it."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(step)


def write_settings(work, lines):
    """Writes the settings file as scripts/run does: CR LF line ends, a
    temporary name renamed into place."""
    path = os.path.join(work, SETTINGS)
    with open(path + ".tmp", "w", newline="") as out:
        out.write("".join(line + "\r\n" for line in lines))
    os.replace(path + ".tmp", path)


class Viewer:
    def __init__(self, desktop, binary, work, args=(), env=None):
        self.desktop = desktop
        self.work = work
        changes = env or {}
        env = desktop.full_env()
        # `env` adds variables to the desktop's, and takes away those it
        # gives None.
        for name, value in changes.items():
            if value is None:
                env.pop(name, None)
            else:
                env[name] = value
        # As root the web engine needs its sandbox off; the program never
        # does that itself.
        if os.geteuid() == 0:
            env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        env.pop("QT_QPA_PLATFORM", None)
        self.log = open(os.path.join(work, "viewer.log"), "w")
        self.process = subprocess.Popen([binary, *args], cwd=work, env=env,
                                        stdout=self.log, stderr=subprocess.STDOUT,
                                        start_new_session=True)

    # --- the process -----------------------------------------------------
    def running(self):
        return self.process.poll() is None

    def stop(self):
        if self.running():
            os.killpg(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()
        self.log.close()

    def wait_exit(self, timeout=15):
        return self.process.wait(timeout)

    # --- the accessibility tree -----------------------------------------
    def application(self):
        import pyatspi
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    def windows(self):
        """The viewer's top-level windows that show."""
        import pyatspi
        app = self.application()
        if app is None:
            return []
        return [w for w in app if w is not None and
                w.getState().contains(pyatspi.STATE_SHOWING)]

    def window(self, name=TITLE, timeout=30):
        return wait_for(lambda: next((w for w in self.windows() if w.name == name), None),
                        timeout, what="the window " + name)

    def main_window(self):
        return self.window(TITLE, timeout=60)

    def find_all(self, root=None, name=None, role=None, showing=True, depth=8):
        """Every node under `root` (default: every window), at most `depth`
        levels down, with the name and role given."""
        import pyatspi
        found = []
        stack = [(w, 0) for w in reversed(self.windows())] if root is None else [(root, 0)]
        while stack:
            node, level = stack.pop()
            if node is None:
                continue
            try:
                node_role = node.getRoleName()
                node_name = node.name
                shown = node.getState().contains(pyatspi.STATE_SHOWING)
            except Exception:
                continue
            if showing and not shown:
                continue
            if (name is None or node_name == name) and (role is None or node_role == role):
                found.append(node)
            # The map's page is a web document of its own.
            if level < depth and node_role != "document web":
                stack.extend((node[i], level + 1) for i in reversed(range(node.childCount)))
        return found

    def find(self, name, role=None, root=None, timeout=15, depth=8):
        return wait_for(lambda: next(iter(self.find_all(root, name, role, depth=depth)), None),
                        timeout,
                        what="the control %r" % name)

    @staticmethod
    def extents(node):
        import pyatspi
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height

    @staticmethod
    def state(node, name):
        import pyatspi
        return node.getState().contains(getattr(pyatspi, "STATE_" + name.upper()))

    @staticmethod
    def value(node):
        return node.queryValue().currentValue

    @staticmethod
    def text(node):
        try:
            return node.queryText().getText(0, -1)
        except NotImplementedError:
            return node.name

    # --- input -----------------------------------------------------------
    def xdotool(self, *args):
        return self.desktop.run(["xdotool", *map(str, args)]).decode()

    def focus(self, title=TITLE):
        """Gives the window `title` the keyboard focus (there is no window
        manager to do it)."""
        ids = wait_for(lambda: self.xdotool("search", "--all", "--pid", self.process.pid,
                                            "--name", "^%s$" % title).split(), 20,
                       what="the X id of " + title)
        self.xdotool("windowfocus", "--sync", ids[0])

    def key(self, *keys):
        """Keys pressed and released as a keyboard does, to the focused
        window."""
        for k in keys:
            self.xdotool("key", "--clearmodifiers", k)
            time.sleep(0.05)

    def type(self, text):
        self.xdotool("type", "--delay", 20, text)

    def point(self, x, y):
        self.xdotool("mousemove", x, y)
        time.sleep(0.05)

    def click_at(self, x, y, button=1, repeat=1):
        self.point(x, y)
        self.xdotool("click", "--repeat", repeat, "--delay", 80, button)

    def click(self, node, button=1, repeat=1, at=None):
        """Clicks the middle of a control, or the point `at` (fractions of its
        width and height)."""
        x, y, w, h = self.extents(node)
        fx, fy = at or (0.5, 0.5)
        self.click_at(x + int(w * fx), y + int(h * fy), button, repeat)

    def popup_menu(self, x, y):
        """Right-clicks at (x, y) and returns the popup menu that shows: a
        popup is no child of the application in the tree, so it is found, as
        a screen reader finds it, by the event of its showing."""
        import pyatspi
        from gi.repository import GLib
        shown = []

        def seen(event):
            if event.detail1 and event.source.getRoleName() == "popup menu":
                shown.append(event.source)
        pyatspi.Registry.registerEventListener(seen, "object:state-changed:showing")
        try:
            self.click_at(x, y, button=3)
            context = GLib.MainContext.default()

            def pump():
                context.iteration(False)
                return shown
            wait_for(pump, 10, step=0.01, what="a popup menu")
        finally:
            pyatspi.Registry.deregisterEventListener(seen, "object:state-changed:showing")
        return shown[-1]

    def press_and_hold(self, x, y, seconds, button=1):
        self.point(x, y)
        self.xdotool("mousedown", button)
        time.sleep(seconds)
        self.xdotool("mouseup", button)

    def drag(self, start, end, button=1, steps=10):
        self.point(*start)
        self.xdotool("mousedown", button)
        for i in range(1, steps + 1):
            self.point(start[0] + (end[0] - start[0]) * i // steps,
                       start[1] + (end[1] - start[1]) * i // steps)
            time.sleep(0.02)
        self.xdotool("mouseup", button)

    # --- the screen --------------------------------------------------------
    def grab(self, node):
        return self.desktop.screenshot(*self.extents(node))


PICTURE_SIZE = (640, 360)  # the sample card's pictures
FPS = 30
RECORDING = "0612083010_M"  # the card's second recording, with two events


def near(a, b, tolerance=3):
    return abs(a - b) <= tolerance


PLAY, PAUSE = "再生", "一時停止"  # the play button's two looks


class Player:
    """The main window's playback as a person sees it: the picture (read by
    its barcode), the play button's look, the list and the seek slider."""

    def __init__(self, viewer, card, names=(PLAY, PAUSE, "再生位置")):
        self.v = viewer
        # The play button's two looks and the seek slider, by the window's
        # wording.
        self.play_name, self.pause_name, self.slider_name = names
        # The generator numbers the recordings in card order.
        self.names = sorted(p.stem for p in card.glob("*/*.MOV"))
        self.folders = {p.stem: p.parent.name for p in card.glob("*/*.MOV")}

    def window(self):
        return self.v.main_window()

    def video(self):
        return self.v.find(None, "frame", root=self.window(), depth=1)

    def picture(self, timeout=10, strip=None):
        """The (recording, frame) of the picture on show."""
        import barcode
        v = self.v
        if strip is None:
            shown = barcode.picture_rect(v.extents(self.video()), PICTURE_SIZE)
            strip = barcode.strip_rect(shown, PICTURE_SIZE[1])
        return wait_for(lambda: barcode.read(v.desktop.screenshot(*strip)), timeout,
                        what="a picture with a barcode")

    def settled_picture(self):
        """The picture once two reads 0.3 s apart agree."""
        import barcode
        shown = barcode.picture_rect(self.v.extents(self.video()), PICTURE_SIZE)
        strip = barcode.strip_rect(shown, PICTURE_SIZE[1])
        last = self.picture(strip=strip)
        for _ in range(30):
            time.sleep(0.3)
            now = self.picture(strip=strip)
            if now == last:
                return now
            last = now
        raise AssertionError("the picture never settled")

    def button(self, name):
        return self.v.find(name, "push button", root=self.window(), depth=1)

    def playing(self):
        return bool(self.v.find_all(self.window(), self.pause_name, "push button", depth=1))

    def open(self, name):
        """Opens the recording by a click on its row of the list."""
        rows = self.v.find_all(self.window(), name, "list item")
        if not rows:
            # Another folder is listed: its folder first, from the tree.
            folder = self.folders[name]
            self.v.click(self.v.find(folder, "table cell", root=self.window()))
            rows = [self.v.find(name, "list item", root=self.window())]
        self.v.click(rows[0])
        self.wait_recording(name)

    def wait_recording(self, name):
        index = self.names.index(name)
        wait_for(lambda: self.picture()[0] == index, 20, what="a picture of " + name)

    def pause(self):
        if self.playing():
            self.v.click(self.button(self.pause_name))
            wait_for(lambda: not self.playing(), what="the pause")
        return self.picture()

    def play(self):
        if not self.playing():
            # The button is disabled while a recording opens, which goes on
            # after its first picture is shown.
            button = wait_for(lambda: next((b for b in [self.button(self.play_name)]
                                            if self.v.state(b, "enabled")), None),
                              20, what="the play button enabled")
            self.v.click(button)
            wait_for(self.playing, what="playing")

    def seek_slider(self):
        return self.v.find(self.slider_name, "slider", root=self.window(), depth=1)

    def paused_at(self, name, fraction):
        """Opens `name`, plays and pauses it, and puts the picture at
        `fraction` of the recording by a click on the seek slider."""
        index = self.names.index(name)
        for _ in range(3):
            if self.picture()[0] != index or self.playing():
                self.open(name)
                self.play()
                self.pause()
            self.v.click(self.seek_slider(), at=(fraction, 0.5))
            shown = self.settled_picture()
            # A slow machine may have played on into the next recording.
            if shown[0] == index and not self.playing():
                return shown
        raise AssertionError("could not pause %s at %s" % (name, fraction))
