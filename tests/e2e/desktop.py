"""A desktop of the tests' own: an X server, a D-Bus session with the
accessibility bus, and a sound server with a null sink. Every process it
starts is ended by its own id."""

import os
import shutil
import signal
import subprocess
import tempfile
import time


def _missing(programs):
    return [p for p in programs if shutil.which(p) is None and not os.path.exists(p)]


ACCESSIBILITY_BUS = "/usr/libexec/at-spi-bus-launcher"
NEEDED = ["Xvfb", "dbus-daemon", ACCESSIBILITY_BUS, "xdotool", "import"]


class Desktop:
    def __init__(self, width=1920, height=1080, sound=True):
        self.size = (width, height)
        self.sound = sound
        self.processes = []
        self.folder = tempfile.mkdtemp(prefix="kestrel-e2e-desktop-")
        self.env = {}

    def missing(self):
        """What this machine lacks to run the desktop, or an empty list."""
        return _missing(NEEDED + (["pulseaudio"] if self.sound else []))

    def _spawn(self, args, env=None, **kwargs):
        process = subprocess.Popen(args, env=env or self.full_env(), start_new_session=True,
                                   **kwargs)
        self.processes.append(process)
        return process

    def full_env(self):
        env = dict(os.environ)
        env.update(self.env)
        return env

    def _start_x_server(self):
        """Starts Xvfb on a free display and returns its number. Another
        program may take the same display at the same moment (tests run side
        by side): the server is tried until one answers as ours."""
        for _ in range(5):
            read_fd, write_fd = os.pipe()
            server = self._spawn(["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                                  "%dx%dx24" % self.size, "-nolisten", "tcp"],
                                 env=dict(os.environ), pass_fds=(write_fd,))
            os.close(write_fd)
            with os.fdopen(read_fd) as pipe:
                display = pipe.readline().strip()
            answered = display and subprocess.run(
                ["xdotool", "getdisplaygeometry"], env=dict(os.environ, DISPLAY=":" + display),
                capture_output=True).returncode == 0
            if answered and server.poll() is None:
                return display
            server.kill()
            server.wait()
        raise RuntimeError("Xvfb did not start")

    def start(self):
        display = self._start_x_server()
        runtime = os.path.join(self.folder, "runtime")
        os.mkdir(runtime, 0o700)
        self.env.update({
            "DISPLAY": ":" + display,
            "XDG_RUNTIME_DIR": runtime,
            # The accessibility bridge of Qt, without a desktop that asks for it.
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "NO_AT_BRIDGE": "0",
        })
        bus = self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                          stdout=subprocess.PIPE, text=True)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        self._spawn([ACCESSIBILITY_BUS, "--launch-immediately"],
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.sound:
            self._start_sound(runtime)
        self._wait_for_accessibility_bus()

    def _start_sound(self, runtime):
        socket = os.path.join(runtime, "pulse-native")
        self._spawn(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                     "--disallow-exit", "--use-pid-file=no", "--system=false",
                     "-L", "module-null-sink sink_name=e2e_null",
                     "-L", "module-native-protocol-unix socket=%s auth-anonymous=1" % socket],
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.env["PULSE_SERVER"] = "unix:" + socket
        deadline = time.monotonic() + 10
        while not os.path.exists(socket) and time.monotonic() < deadline:
            time.sleep(0.05)

    def _wait_for_accessibility_bus(self):
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            found = subprocess.run(
                ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                 "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
                env=self.full_env(), capture_output=True)
            if found.returncode == 0:
                return
            time.sleep(0.1)
        raise RuntimeError("the accessibility bus did not start")

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for process in reversed(self.processes):
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)

    def run(self, args, check_exit=True, **kwargs):
        """Runs a program on this desktop and returns its standard output."""
        return subprocess.run(args, env=self.full_env(), check=check_exit, capture_output=True,
                              **kwargs).stdout

    def screenshot(self, x, y, width, height):
        """The screen's pixels in the rectangle, as rows of (r, g, b)."""
        data = self.run(["import", "-window", "root", "-depth", "8", "-crop",
                         "%dx%d+%d+%d" % (width, height, x, y), "ppm:-"])
        return Picture.from_ppm(data)


class Picture:
    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    @staticmethod
    def from_ppm(data):
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos)
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        assert fields[0] == b"P6" and fields[3] == b"255", fields
        return Picture(int(fields[1]), int(fields[2]), data[pos + 1:])

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.rgb[i:i + 3])

    def grey(self, x, y):
        r, g, b = self.pixel(x, y)
        return (r * 299 + g * 587 + b * 114) // 1000
