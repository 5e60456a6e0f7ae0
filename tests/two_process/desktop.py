"""A virtual desktop for driving the real program as a user would.

Starts Xvfb on a free display and the openbox window manager on it, and
offers clicks at window coordinates, key presses and a window manager's
close request (what the close button of a title bar sends). Python's
standard library plus xvfb, openbox, xdotool and wmctrl (scripts/deps).
"""

import os
import shutil
import subprocess
import tempfile
import time


class Desktop:
    def __init__(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise RuntimeError("Xvfb did not start")
                number += chunk
        self.display = ":" + number.decode().strip()
        self.runtime_dir = tempfile.mkdtemp(prefix="pixaroo-xdg-")
        self.env = dict(os.environ, DISPLAY=self.display, XDG_RUNTIME_DIR=self.runtime_dir)
        self.env.pop("QT_QPA_PLATFORM", None)
        # On a real X display Qt reads the keymap through libxkbcommon-x11,
        # which hands strndup counted buffers without a NUL; AddressSanitizer's
        # strict string checks take that for an overflow in an outside
        # library. Everything else the sanitizer checks stays on.
        #
        # The leak check at the end of the process is left to the in-process
        # tests: on a real X display, with Qt's and libcurl's own threads
        # still about at exit, LeakSanitizer's stop-the-world tracer now and
        # then dies of a SIGSEGV of its own ("Tracer caught signal 11") and
        # turns a clean exit into an abort.
        if "ASAN_OPTIONS" in self.env:
            self.env["ASAN_OPTIONS"] = self.env["ASAN_OPTIONS"].replace(
                "strict_string_checks=1", "strict_string_checks=0").replace(
                "detect_leaks=1", "detect_leaks=0")
        self.env.pop("WAYLAND_DISPLAY", None)
        self.wm = self.start_window_manager()

    def start_window_manager(self):
        """Starts openbox and waits until it manages the display. Now and then,
        with other virtual desktops starting beside this one, openbox gives up
        at once (exit code 1): that is the test machine's hiccup, not the
        program's, so it is started again, up to three times in all, and what
        it said is shown if it never stays."""
        said = ""
        for _ in range(3):
            log = tempfile.TemporaryFile()
            wm = subprocess.Popen(["openbox"], env=self.env, stdout=log, stderr=log)
            # Generous: on a busy machine openbox may take many seconds to start.
            self.wait_until(lambda: wm.poll() is not None or
                            self.run(["wmctrl", "-m"], check=False).returncode == 0,
                            60, "the window manager did not start")
            if wm.poll() is None:
                log.close()
                return wm
            log.seek(0)
            said = log.read().decode(errors="replace").strip()
            log.close()
        raise AssertionError(f"the window manager ended with {wm.returncode}: {said}")

    def close(self):
        for p in (self.wm, self.xvfb):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
        shutil.rmtree(self.runtime_dir, ignore_errors=True)

    def run(self, args, check=True):
        return subprocess.run(args, env=self.env, capture_output=True, text=True, check=check,
                              timeout=20)

    @staticmethod
    def wait_until(condition, seconds, what):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if condition():
                return
            time.sleep(0.05)
        raise AssertionError(what)

    def windows_of(self, pid):
        r = self.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)], check=False)
        return [w for w in r.stdout.split() if w]

    def window_name(self, window):
        return self.run(["xdotool", "getwindowname", window], check=False).stdout.strip()

    def click(self, window, x, y):
        self.run(["xdotool", "mousemove", "--window", window, str(x), str(y)])
        self.run(["xdotool", "click", "--window", window, "1"])

    def key(self, window, key):
        # Keys go to the focused window, as a user's would.
        self.run(["xdotool", "windowactivate", "--sync", window], check=False)
        self.run(["xdotool", "key", key])

    def request_close(self, window):
        # The window manager sends the window its close request, as the
        # title bar's close button does.
        self.run(["wmctrl", "-i", "-c", window])
