"""The executable's command line as a user meets it: --help and --version
work without a display, a bad --site is refused with exit code 2 before any
window opens, a good one is the site the program asks, and without a display
the program says so in one line and ends with exit code 8 instead of
crashing.

usage: command_line_process.py PIXAROO
"""

import http.server
import os
import subprocess
import sys
import tempfile
import threading
import unittest

PIXAROO = sys.argv[1]
NO_DISPLAY = 8  # the exit code of a start with no display to open


# The user's configuration folder, empty unless a test writes in it.
CONFIG = tempfile.mkdtemp(prefix="pixaroo-config-")


def env(**extra):
    e = {k: v for k, v in os.environ.items()
         if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    e["XDG_CONFIG_HOME"] = CONFIG
    e.update(extra)
    return e


def write_config(text):
    os.makedirs(os.path.join(CONFIG, "pixaroo"), exist_ok=True)
    with open(os.path.join(CONFIG, "pixaroo", "pixaroo.conf"), "w") as f:
        f.write(text)


def run(args, **extra):
    return subprocess.run([PIXAROO] + args, env=env(**extra), capture_output=True, text=True,
                          timeout=30)


class CommandLine(unittest.TestCase):
    def test_help_and_version_need_no_display(self):
        v = run(["--version"])
        self.assertEqual(v.returncode, 0, v.stderr)
        self.assertIn("1.0.0.0", v.stdout)
        h = run(["--help"])
        self.assertEqual(h.returncode, 0, h.stderr)
        for option in ("--site", "--help", "--version", "pixaroo.conf"):
            self.assertIn(option, h.stdout)

    def test_a_bad_site_is_refused_before_any_window(self):
        # With a display at hand (offscreen), a refused option must still
        # end the program at once rather than open the window.
        for bad in ["ftp://127.0.0.1", "http://127.0.0.1/gallery", "http://127.0.0.1:0",
                    "http://", "127.0.0.1:8637", "http://u@127.0.0.1",
                    "http://[::1]:8637", "file:///tmp"]:
            r = run(["--site", bad], QT_QPA_PLATFORM="offscreen")
            self.assertEqual(r.returncode, 2, bad)
            lines = r.stderr.strip().splitlines()
            self.assertEqual(len(lines), 1, r.stderr)
            self.assertIn(bad, lines[0])
        self.assertEqual(run(["--site"], QT_QPA_PLATFORM="offscreen").returncode, 2)
        self.assertEqual(run(["--colour"], QT_QPA_PLATFORM="offscreen").returncode, 2)

    def test_without_a_display_one_line_and_no_crash(self):
        # No display named, and one named that is not there.
        for extra in ({}, {"DISPLAY": "/nonexistent-pixaroo-display/X:0"}):
            r = run([], **extra)
            self.assertEqual(r.returncode, NO_DISPLAY, r.stderr)
            lines = r.stderr.strip().splitlines()
            self.assertEqual(len(lines), 1, r.stderr)
            self.assertIn("display", lines[0])

    def test_the_site_given_is_the_site_asked(self):
        """--site first, then the configuration file's site= line."""
        asked = []
        arrived = threading.Condition()

        def serve():
            class Handler(http.server.BaseHTTPRequestHandler):
                def log_message(self, *a):
                    pass

                def do_GET(self):
                    # The support badge is the first thing the window asks for.
                    if self.path.startswith("/pa?p="):
                        with arrived:
                            asked.append(self.server.server_address[1])
                            arrived.notify_all()
                    self.send_response(404)
                    self.send_header("Content-Length", "0")
                    self.end_headers()

            server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
            threading.Thread(target=server.serve_forever, daemon=True).start()
            return server

        command, config = serve(), serve()
        port = {s: s.server_address[1] for s in (command, config)}

        def asks(args, server):
            proc = subprocess.Popen([PIXAROO] + args, env=env(QT_QPA_PLATFORM="offscreen"),
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                with arrived:
                    ok = arrived.wait_for(lambda: port[server] in asked, 30)
                return ok and asked == [port[server]]
            finally:
                proc.kill()
                proc.wait()
                asked.clear()

        try:
            write_config(f"# the gallery\nsite = http://127.0.0.1:{port[config]}/\n")
            self.assertTrue(asks([], config), "the configuration file's site was not asked")
            self.assertTrue(asks(["--site", f"http://127.0.0.1:{port[command]}/"], command),
                            "--site did not win over the configuration file")
            # A refused line: exit code 2 and one line naming the file.
            write_config("site=http://127.0.0.1/gallery\n")
            r = run([], QT_QPA_PLATFORM="offscreen")
            self.assertEqual(r.returncode, 2, r.stderr)
            self.assertIn("pixaroo.conf", r.stderr)
            self.assertEqual(len(r.stderr.strip().splitlines()), 1, r.stderr)
        finally:
            os.remove(os.path.join(CONFIG, "pixaroo", "pixaroo.conf"))
            for s in (command, config):
                s.shutdown()
                s.server_close()


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
