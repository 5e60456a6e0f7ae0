#!/usr/bin/env python3
"""`cmake --install` into a temporary prefix, then the installed program.

Checks that the executable and the runtime library land side by side in
bin/ (the library exporting its start function alone), the six icons in the hicolor layout at their sizes, the desktop entry
(valid by desktop-file-validate when it is installed), and that the
installed pixaroo starts: under Qt's minimal platform it paints its main
window and then the usage notice. A deadline only guards against a hang.

usage: install_test.py BUILD_DIR
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

SIZES = [256, 128, 64, 48, 32, 16]
NEW_WINDOW = "QMinimalBackingStore::QMinimalBackingStore"
PAINTED = "QMinimalBackingStore::flush()"


def fail(what):
    print(f"install: {what}")
    sys.exit(1)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        fail(f"{path} is not a PNG")
    return struct.unpack(">II", head[16:24])


def up(err):
    # The main window painted, then a second window (the notice) painted.
    first = err.find(NEW_WINDOW)
    second = err.find(NEW_WINDOW, first + 1) if first >= 0 else -1
    return err.find(PAINTED) >= 0 and second >= 0 and err.find(PAINTED, second) >= 0


def main():
    build = sys.argv[1]
    prefix = tempfile.mkdtemp(prefix="pixaroo-install-")
    try:
        r = subprocess.run(["cmake", "--install", build, "--prefix", prefix],
                           capture_output=True, text=True)
        if r.returncode != 0:
            fail("cmake --install failed: " + r.stderr)
        exe = os.path.join(prefix, "bin", "pixaroo")
        for path in (exe, os.path.join(prefix, "bin", "korvex.fnr")):
            if not os.path.isfile(path):
                fail(f"{path} not installed")
        for size in SIZES:
            icon = os.path.join(prefix, "share", "icons", "hicolor", f"{size}x{size}", "apps",
                                "pixaroo.png")
            if not os.path.isfile(icon):
                fail(f"{icon} not installed")
            if png_size(icon) != (size, size):
                fail(f"{icon} is {png_size(icon)}")
        desktop = os.path.join(prefix, "share", "applications", "pixaroo.desktop")
        if not os.path.isfile(desktop):
            fail("the desktop entry is not installed")
        if shutil.which("desktop-file-validate"):
            v = subprocess.run(["desktop-file-validate", desktop], capture_output=True, text=True)
            if v.returncode != 0 or v.stdout.strip():
                fail("desktop entry: " + v.stdout + v.stderr)

        # The runtime library exports its start function and nothing of its
        # own code (the standard library's shared type data aside).
        if shutil.which("nm"):
            nm = subprocess.run(["nm", "-D", "--defined-only", "-C",
                                 os.path.join(prefix, "bin", "korvex.fnr")],
                                capture_output=True, text=True)
            names = [line.split(" ", 2)[2] for line in nm.stdout.splitlines()
                     if line.count(" ") >= 2]
            own = sorted(n for n in names if "std::" not in n)
            if nm.returncode != 0 or own != ["GetNewSock"]:
                fail(f"korvex.fnr exports {own[:20]} ({len(own)} in all)")

        v = subprocess.run([exe, "--version"], capture_output=True, text=True)
        if v.stdout != "pixaroo 1.0.0.0\n":
            fail(f"--version printed {v.stdout!r}")

        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env.update(QT_QPA_PLATFORM="minimal", QT_DEBUG_BACKINGSTORE="1",
                   PIXAROO_REGISTRY=os.path.join(prefix, "no-registry"))
        errfile = os.path.join(prefix, "stderr.txt")
        with open(errfile, "w") as err:
            proc = subprocess.Popen([exe], stdout=subprocess.DEVNULL, stderr=err, env=env,
                                    cwd=prefix)
        deadline = time.monotonic() + 60
        text = ""
        while time.monotonic() < deadline and proc.poll() is None:
            text = open(errfile, errors="replace").read()
            if up(text):
                break
            time.sleep(0.05)
        running = proc.poll() is None
        if running:
            proc.kill()
        proc.wait()
        text = open(errfile, errors="replace").read()
        if not running or not up(text):
            fail(f"the installed program did not come up (exit {proc.returncode}):\n{text[-2000:]}")
        print(f"installed into {prefix} and started")
        return 0
    finally:
        shutil.rmtree(prefix, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
