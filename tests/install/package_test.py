#!/usr/bin/env python3
"""The Debian package: built by cpack from the build folder, checked by
lintian, unpacked with dpkg -x into a scratch root, and its program run
from there to its window.

Checks the package's fields (dependencies computed from the binaries, among
them Qt's and libcurl's), that lintian reports no error, that the scratch
root holds the program and its runtime library (stripped), the menu entry,
the icons, the manual, the AppStream metadata and the copyright file with
both licences, and that the unpacked program shows its window and the
usage notice, then ends with exit code 0 on SIGTERM. A deadline only guards
against a hang.

usage: package_test.py BUILD_DIR
"""
import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(__file__))
from install_test import up  # noqa: E402


def fail(what):
    print(f"package: {what}")
    sys.exit(1)


def run(args, **kw):
    return subprocess.run(args, capture_output=True, text=True, **kw)


def debug_sections(path):
    r = run(["readelf", "--section-headers", "--wide", path])
    if r.returncode != 0:
        fail(f"readelf {path}: {r.stderr}")
    return [w for line in r.stdout.splitlines() for w in line.split() if w.startswith(".debug")]


def main():
    build = os.path.abspath(sys.argv[1])
    top = tempfile.mkdtemp(prefix="pixaroo-package-")
    try:
        out = os.path.join(top, "out")
        r = run(["cpack", "-G", "DEB", "--config", os.path.join(build, "CPackConfig.cmake"),
                 "-B", out])
        if r.returncode != 0:
            fail("cpack failed:\n" + r.stdout[-3000:] + r.stderr[-3000:])
        debs = glob.glob(os.path.join(out, "pixaroo_*.deb"))
        if len(debs) != 1:
            fail(f"cpack made {os.listdir(out)}")
        deb = debs[0]

        depends = run(["dpkg-deb", "--field", deb, "Depends"]).stdout
        for library in ("libqt6widgets6", "libcurl", "libc6"):
            if library not in depends:
                fail(f"Depends lacks {library}: {depends!r}")

        lint = run(["lintian", "--fail-on", "error", "--tag-display-limit", "0", deb])
        if lint.returncode != 0:
            fail("lintian:\n" + lint.stdout + lint.stderr)
        print(lint.stdout, end="")

        root = os.path.join(top, "root")
        r = run(["dpkg", "-x", deb, root])
        if r.returncode != 0:
            fail("dpkg -x: " + r.stderr)
        usr = os.path.join(root, "usr")
        exe = os.path.join(usr, "bin", "pixaroo")
        wanted = [exe, os.path.join(usr, "bin", "korvex.fnr"),
                  os.path.join(usr, "share", "applications", "pixaroo.desktop"),
                  os.path.join(usr, "share", "icons", "hicolor", "48x48", "apps", "pixaroo.png"),
                  os.path.join(usr, "share", "man", "man1", "pixaroo.1.gz"),
                  os.path.join(usr, "share", "metainfo", "io.github.pixaroo.Pixaroo.metainfo.xml"),
                  os.path.join(usr, "share", "doc", "pixaroo", "copyright")]
        for path in wanted:
            if not os.path.isfile(path):
                fail(f"{os.path.relpath(path, root)} is not in the package")
        for binary in wanted[:2]:
            if debug_sections(binary):
                fail(f"{binary} carries debug information: {debug_sections(binary)}")
        copyright_text = open(wanted[-1]).read()
        for licence in ("License: Expat", "License: CC0-1.0", "Permission is hereby granted"):
            if licence not in copyright_text:
                fail(f"the copyright file lacks {licence!r}")

        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env.update(QT_QPA_PLATFORM="minimal", QT_DEBUG_BACKINGSTORE="1",
                   PIXAROO_REGISTRY=os.path.join(top, "no-registry"),
                   XDG_CONFIG_HOME=os.path.join(top, "config"),
                   XDG_DATA_HOME=os.path.join(top, "data"))
        errfile = os.path.join(top, "stderr.txt")
        with open(errfile, "w") as err:
            proc = subprocess.Popen([exe, "--site", "http://127.0.0.1:9"],
                                    stdout=subprocess.DEVNULL, stderr=err, env=env, cwd=top)
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and proc.poll() is None:
            if up(open(errfile, errors="replace").read()):
                break
            time.sleep(0.05)
        if proc.poll() is not None or not up(open(errfile, errors="replace").read()):
            if proc.poll() is None:
                proc.kill()
            proc.wait()
            fail(f"the unpacked program did not come up (exit {proc.returncode}):\n"
                 + open(errfile, errors="replace").read()[-2000:])
        # Logging out: a close request, the index written, exit code 0.
        proc.send_signal(signal.SIGTERM)
        try:
            code = proc.wait(30)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
            fail("the unpacked program did not end within 30 s of SIGTERM")
        if code != 0:
            fail(f"SIGTERM ended the program with {code}:\n"
                 + open(errfile, errors="replace").read()[-2000:])
        print(f"{os.path.basename(deb)}: built, lintian-clean, unpacked and run")
        return 0
    finally:
        shutil.rmtree(top, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
