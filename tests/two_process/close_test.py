"""Closing the real program while its transfers stall.

The built `pixaroo` and `korvex.fnr` are copied into a folder of their own
and run as a user would: on a virtual desktop, against a loopback gallery
whose pages stall where each case says. The window is closed through the
window manager while a transfer hangs; the process must end by itself with
exit code 0, while the site still holds the stalled request, after
writing the index it held to confi.ini next to the executable.

Given the build folder, the program installed by `cmake --install` is run
the same way, its index landing in the user's data folder once bin/ refuses
writes (as root, which writes anywhere, the program runs as nobody).

usage: close_test.py PIXAROO KORVEX_FNR [BUILD_DIR [TEST ...]]
"""

import http.server
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import struct
import unittest
import zlib

sys.path.insert(0, os.path.dirname(__file__))
from desktop import Desktop  # noqa: E402

PIXAROO, KORVEX = sys.argv[1], sys.argv[2]
# With the build folder, the installed program's index file is tested too.
BUILD = sys.argv[3] if len(sys.argv) > 3 else None

GBK = "gbk"
LIST_START = '<a class="img" href="'
LIST_END = '<div class="pagination"><a>首页</a>'
PICTURE_START = '<div style="text-align: center">'
PICTURE_END = "\t\t\t\t\t\t</div>"
NOTICE_TITLE = "温馨提示"
LIST = "/nvshengzhenrenxiu/list_60_"

# Client coordinates of the buttons' centres: 按钮1 "更新" and 按钮3 "下一页"
# lie in 分组框2 at (8, 520), each 80 x 32, at left 16 and 304, top 16.
UPDATE_BUTTON = (8 + 16 + 40, 520 + 16 + 16)
NEXT_BUTTON = (8 + 304 + 40, 520 + 16 + 16)

# Closing is prompt when the close cancels the stalled transfer: the workers
# end at once, and the program exits with 0. A close that did not cancel it
# would leave a worker in the transfer until the runtime's own wait for its
# workers (10 s) gives up: the program then says the workers "did not end"
# and exits with another code; the transfer's no-progress time-out (30 s)
# comes later still, and the site holds its answer longer than both
# (STALL_HOLD_S). So the outcome, not a clock, tells a prompt close from one
# that waited out the transfer.
STALL_HOLD_S = 120
# Only against a hang of this script: far beyond any close, however slow
# the machine.
EXIT_WAIT_S = 120


def list_page(links):
    body = "".join(f'{LIST_START}{link}">x</a>' for link in links) + LIST_END
    return f"<html><body>{body}</body></html>".encode(GBK)


def item_page(sources):
    imgs = "".join(f'<img src="{s}">' for s in sources)
    return f"<html><body>{PICTURE_START}{imgs}{PICTURE_END}</body></html>".encode(GBK)


def png_1x1():
    """A valid one-pixel PNG, so that a photo of it shows in a box."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    header = struct.pack(">IIBBBBB", 1, 1, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(b"\x00\xff\x00\x00")) + chunk(b"IEND", b""))


class StallingSite:
    """Serves fixed pages; a path in `stall` hangs until the site stops."""

    def __init__(self, pages, stall):
        self.pages, self.stall = pages, stall
        self.requests = []
        self.holding = 0  # stalled requests held right now
        self.arrived = threading.Condition()
        self.release = threading.Event()
        site = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def do_GET(self):
                with site.arrived:
                    site.requests.append(self.path)
                    site.arrived.notify_all()
                if self.path in site.stall:
                    with site.arrived:
                        site.holding += 1
                    site.release.wait(STALL_HOLD_S)
                    with site.arrived:
                        site.holding -= 1
                    return
                body = site.pages.get(self.path)
                if body is None:
                    self.send_response(404)
                    self.send_header("Content-Length", "0")
                    self.end_headers()
                    return
                self.send_response(200)
                self.send_header("Content-Type", "text/html; charset=gbk")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.server.daemon_threads = True
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()
        self.base = f"http://127.0.0.1:{self.server.server_address[1]}"

    def wait_for(self, path, timeout=60):
        """True once `path` has been asked for (within `timeout` s)."""
        with self.arrived:
            return self.arrived.wait_for(lambda: path in self.requests, timeout)

    def wait_for_photo(self, timeout=60):
        """True once any photo (a path under /p/) has been asked for."""
        with self.arrived:
            return self.arrived.wait_for(
                lambda: any(r.startswith("/p/") for r in self.requests), timeout)

    def held(self):
        """How many stalled requests the site holds right now."""
        with self.arrived:
            return self.holding

    def stop(self):
        self.release.set()
        self.server.shutdown()
        self.server.server_close()


class ProgramRun(unittest.TestCase):
    """The program in `self.folder` on a virtual desktop: starting it,
    clicking 更新, closing it while the run hangs."""

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="pixaroo-close-")
        for f in (PIXAROO, KORVEX):
            shutil.copy2(f, self.folder)
        self.exe = os.path.join(self.folder, os.path.basename(PIXAROO))
        self.desktop = Desktop()
        self.proc = None
        self.env, self.run_as = self.desktop.env, []

    def tearDown(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.desktop.close()
        shutil.rmtree(self.folder, ignore_errors=True)

    def start(self, site):
        self.proc = subprocess.Popen(self.run_as + [self.exe, "--site", site.base], env=self.env,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        # The usage notice comes up over the window; answer it.
        notice, main = None, None

        def windows_up():
            nonlocal notice, main
            for w in self.desktop.windows_of(self.proc.pid):
                if self.desktop.window_name(w) == NOTICE_TITLE:
                    notice = w
                else:
                    main = w
            return notice is not None and main is not None

        try:
            Desktop.wait_until(windows_up, 60, "the window and the usage notice did not appear")
        except AssertionError:
            if self.proc.poll() is not None:
                err = self.proc.stderr.read().decode(errors="replace")
                self.fail(f"the program ended with {self.proc.returncode}: {err[:4000]}")
            raise
        self.desktop.key(notice, "Return")
        Desktop.wait_until(lambda: len(self.desktop.windows_of(self.proc.pid)) == 1, 60,
                           "the usage notice did not close")
        return main

    def close_and_wait(self, window, site, close_signal=None):
        """Closes through the window manager, or with `close_signal`."""
        if close_signal is None:
            self.desktop.request_close(window)
        else:
            self.proc.send_signal(close_signal)
        try:
            self.proc.wait(EXIT_WAIT_S)
        except subprocess.TimeoutExpired:
            self.fail(f"the program did not end within {EXIT_WAIT_S} s of the close request")
        # The site still holds the stalled request: the program did not wait
        # for its answer (see STALL_HOLD_S).
        self.assertGreater(site.held(), 0, "the stalled request was let go before the exit")
        err = self.proc.stderr.read().decode(errors="replace")
        self.proc.stdout.close()
        self.proc.stderr.close()
        self.assertEqual(self.proc.returncode, 0, err)
        self.assertNotIn("did not end", err)
        return err

    def index_file(self, folder=None):
        path = os.path.join(folder or self.folder, "confi.ini")
        self.assertTrue(os.path.exists(path), f"{path} was not written")
        with open(path, "rb") as f:
            return f.read()

    def update_then_close(self, pages, stall, while_stalled=None, close_signal=None):
        """Clicks 更新, waits until the site holds the request for `stall`'s
        first path and the first display has asked for a photo (so list
        page 1's items are in the index), does `while_stalled(window, site)`
        if given, closes the window (or sends `close_signal`) and gives back
        the program's stderr."""
        site = StallingSite(pages, set(stall))
        try:
            window = self.start(site)
            self.desktop.click(window, *UPDATE_BUTTON)
            self.assertTrue(site.wait_for(stall[0]), "the update run never reached the stall")
            self.assertTrue(site.wait_for_photo(), "the first display never started")
            if while_stalled is not None:
                while_stalled(window, site)
            return self.close_and_wait(window, site, close_signal)
        finally:
            site.stop()


class CloseWhileStalled(ProgramRun):
    def update_then_close(self, pages, stall, while_stalled=None, close_signal=None):
        """As ProgramRun's, giving back what confi.ini holds."""
        super().update_then_close(pages, stall, while_stalled, close_signal)
        return self.index_file()

    def test_the_desktops_end_signals_are_a_close_request(self):
        # Logout (SIGTERM), Ctrl+C (SIGINT) and a closed terminal (SIGHUP)
        # close the window as its close button does: the index it holds is
        # written, and the program ends by itself with exit code 0.
        pages = {LIST + "1.html": list_page(["/i/1.html"]),
                 "/i/1.html": item_page(["/p/kept.jpg"])}
        index = os.path.join(self.folder, "confi.ini")
        for close_signal in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            # A signal this test was started with ignored (nohup, a shell's
            # background job) would be the program's ignored one too, and
            # the program leaves such alone. Caught here instead, it still
            # goes by unheeded in this process but starts out as the
            # default in the program.
            if signal.getsignal(close_signal) == signal.SIG_IGN:
                previous = signal.signal(close_signal, lambda *_: None)
                self.addCleanup(signal.signal, close_signal, previous)
            with self.subTest(signal=close_signal.name):
                if os.path.exists(index):
                    os.remove(index)
                self.assertEqual(self.update_then_close(pages, stall=[LIST + "3.html"],
                                                        close_signal=close_signal),
                                 b"/p/kept.jpg\r\n")

    # The run asks for all seven list pages at once, but reads them in
    # order; list page 1's photos are asked for (by the first display) only
    # once its item pages are in the index. Waiting for a photo as well as
    # the stall, what the index holds at the close does not depend on how
    # fast the answers before came.


    def test_closing_while_an_item_page_stalls(self):
        # List page 1's item page gives two photos; list page 2's item page
        # never answers. The photos themselves are missing (404).
        pages = {LIST + "1.html": list_page(["/i/1.html"]),
                 "/i/1.html": item_page(["/p/a.jpg", "/p/b.jpg"]),
                 LIST + "2.html": list_page(["/i/2.html"])}
        self.assertEqual(self.update_then_close(pages, stall=["/i/2.html"]),
                         b"/p/a.jpg\r\n/p/b.jpg\r\n")

    def test_closing_while_a_list_page_stalls(self):
        # The web request for list page 3 never answers; list page 1's item
        # gave one photo, so the index holds it when the window closes.
        pages = {LIST + "1.html": list_page(["/i/1.html"]),
                 "/i/1.html": item_page(["/p/only.jpg"])}
        self.assertEqual(self.update_then_close(pages, stall=[LIST + "3.html"]),
                         b"/p/only.jpg\r\n")

    def test_closing_while_a_next_page_loader_stalls(self):
        # The index fills from list page 1 and the update's first display
        # asks for photos 0 .. 5; the run hangs on list page 2 (so that
        # display never runs again), and 下一页's page loader hangs on
        # photos 6 and 7, which only it asks for.
        photo = png_1x1()
        pages = {LIST + "1.html": list_page(["/i/1.html"]),
                 "/i/1.html": item_page([f"/p/{n}.jpg" for n in range(8)])}
        pages.update({f"/p/{n}.jpg": photo for n in range(6)})

        def next_page(window, site):
            self.assertTrue(site.wait_for("/p/5.jpg"), "the first display did not ask for photo 5")
            self.desktop.click(window, *NEXT_BUTTON)
            self.assertTrue(site.wait_for("/p/6.jpg"), "the page loader did not start")

        written = self.update_then_close(pages, stall=[LIST + "2.html", "/p/6.jpg", "/p/7.jpg"],
                                         while_stalled=next_page)
        self.assertEqual(written, b"".join(f"/p/{n}.jpg\r\n".encode() for n in range(8)))


# Root writes into any folder, so as root the program runs as nobody.
NOBODY = 65534


@unittest.skipUnless(BUILD, "needs the build folder to install from")
class InstalledIndexFile(ProgramRun):
    """`cmake --install` into a temporary prefix; the installed program
    keeps its index next to itself while bin/ can be written, and in the
    user's data folder once it cannot, saying where on stderr."""

    def setUp(self):
        self.proc = None
        self.top = tempfile.mkdtemp(prefix="pixaroo-installed-")
        self.addCleanup(shutil.rmtree, self.top, True)
        prefix = os.path.join(self.top, "prefix")
        r = subprocess.run(["cmake", "--install", BUILD, "--prefix", prefix],
                           capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.folder = os.path.join(prefix, "bin")
        self.exe = os.path.join(self.folder, "pixaroo")
        self.addCleanup(os.chmod, self.folder, 0o755)
        self.data = os.path.join(self.top, "data")
        home, runtime = os.path.join(self.top, "home"), os.path.join(self.top, "runtime")
        for d in (self.data, home, runtime):
            os.mkdir(d, 0o700)
        self.root = os.geteuid() == 0
        self.run_as = []
        if self.root:
            os.chmod(self.top, 0o755)
            for d in (self.data, home, runtime):
                os.chown(d, NOBODY, NOBODY)
            self.run_as = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}",
                           "--clear-groups"]
        self.desktop = Desktop()
        self.addCleanup(self.desktop.close)
        self.env = dict(self.desktop.env, XDG_DATA_HOME=self.data, HOME=home,
                        XDG_RUNTIME_DIR=runtime)

    def tearDown(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    def test_index_next_to_the_program_else_in_the_data_folder(self):
        pages = {LIST + "1.html": list_page(["/i/1.html"]),
                 "/i/1.html": item_page(["/p/照片.jpg"])}
        # The index file holds the page's text as it came: GBK, each line
        # ended by CR LF.
        index = "/p/照片.jpg\r\n".encode(GBK)
        beside = os.path.join(self.folder, "confi.ini")
        data_folder = os.path.join(self.data, "pixaroo")
        fallback = os.path.join(data_folder, "confi.ini")

        # bin/ can be written (a portable copy): the index goes next to the program.
        os.chmod(self.folder, 0o777 if self.root else 0o755)
        err = self.update_then_close(pages, stall=[LIST + "3.html"])
        self.assertEqual(self.index_file(), index)
        self.assertFalse(os.path.exists(fallback), "the data folder got an index too")
        self.assertNotIn(fallback, err)
        os.remove(beside)

        # bin/ refuses writes: the data folder (made by the program) holds
        # the index, and stderr names the file.
        os.chmod(self.folder, 0o755 if self.root else 0o555)
        err = self.update_then_close(pages, stall=[LIST + "3.html"])
        self.assertFalse(os.path.exists(beside), "confi.ini written into a refusing bin/")
        self.assertEqual(self.index_file(data_folder), index)
        self.assertIn(fallback, err)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"] + sys.argv[4:])
