"""The program image embedded in `pixaroo` is what runs.

A copy of the built `pixaroo` (beside a copy of `korvex.fnr`) has the image
it carries patched in one place, as a damaged or edited file would have it:
- damage the runtime must refuse, before any window, with its reason on
  stderr and exit code 9 (a refused command line ends with 2), never by a
  signal or a sanitizer's report: a `var` smaller than the program's cells
  or too large to allocate,
  a routine record naming a symbol that is no program routine, an entry, an
  event routine and an operation table word naming a record of the wrong
  role, a DLL command the
  platform lacks, a size word past any image;
- an edited text of `const` and an edited word of the regular-expression
  object's operation table: on a virtual desktop, the usage notice's title
  and the name of the index file written at the close (after an update
  against a loopback site) are the texts the image holds, and batch
  extraction counts its matches with the operation the table names.

usage: patched_image_test.py PIXAROO KORVEX_FNR PIXAROO_IMG
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from close_test import UPDATE_BUTTON, StallingSite, item_page, list_page  # noqa: E402
from desktop import Desktop  # noqa: E402

PIXAROO, KORVEX, IMAGE = sys.argv[1], sys.argv[2], sys.argv[3]
EXIT_REFUSED = 9
RECORD = 0x40
# Record numbers: SavePicture, the binding, the object's first operation.
SAVE_PICTURE, BINDING, FIRST_OPERATION = 15, 19, 20
# The operation table in `const`, and the places in it of MatchCount and
# SubMatchCount (the object's seventh and tenth operations).
OPERATION_TABLE, MATCH_COUNT, SUB_MATCH_COUNT = 0x18, 6, 9
START_UPDATE_OFFSET = 5 * RECORD   # 按钮1's click routine
SANITIZER_MARKS = ("AddressSanitizer", "LeakSanitizer", "runtime error:")


def u32(b, at):
    return struct.unpack_from("<I", b, at)[0]


def put32(b, at, v):
    struct.pack_into("<I", b, at, v)


def segments(img):
    """Segment name -> (header offset, stored bytes offset), walking the chain."""
    out, at = {}, u32(img, 0x24)
    while at != 0xFFFFFFFF:
        name = bytes(img[at + 0x0C:at + 0x20]).rstrip(b"\0").decode()
        out[name] = (at, u32(img, at + 0x2C))
        at = u32(img, at + 4)
    return out


def record_name_place(img, record):
    """Where the record's name text lies in the image."""
    segs = segments(img)
    return segs["const"][1] + u32(img, segs["code"][1] + record * RECORD)


class PatchedCopy:
    """A folder holding pixaroo (its image patched) and korvex.fnr."""

    def __init__(self, patch):
        with open(IMAGE, "rb") as f:
            image = f.read()
        with open(PIXAROO, "rb") as f:
            exe = bytearray(f.read())
        at = exe.find(image)
        assert at >= 0 and exe.find(image, at + 1) < 0, "the image is not embedded once"
        img = bytearray(image)
        patch(img)
        exe[at:at + len(img)] = img
        self.folder = tempfile.mkdtemp(prefix="pixaroo-patched-")
        self.exe = os.path.join(self.folder, "pixaroo")
        with open(self.exe, "wb") as f:
            f.write(exe)
        os.chmod(self.exe, 0o755)
        shutil.copy2(KORVEX, self.folder)

    def remove(self):
        shutil.rmtree(self.folder, ignore_errors=True)


def no_display_env():
    return {k: v for k, v in os.environ.items()
            if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}


class RefusedImages(unittest.TestCase):
    def refused(self, patch, reason):
        copy = PatchedCopy(patch)
        try:
            r = subprocess.run([copy.exe, "--site", "http://127.0.0.1:9"], env=no_display_env(),
                               capture_output=True, text=True, timeout=60)
        finally:
            copy.remove()
        for mark in SANITIZER_MARKS:
            self.assertNotIn(mark, r.stderr)
        self.assertEqual(r.returncode, EXIT_REFUSED, r.stderr)
        # The loader's failure message: "<caption>: <text>" on stderr.
        self.assertIn("Error: The program image is refused", r.stderr)
        self.assertIn(reason, r.stderr)
        return r.stderr

    def test_damage_is_refused_with_its_reason(self):
        def small_var(img):
            put32(img, segments(img)["var"][0] + 0x24, 4)
        self.refused(small_var, "var size")

        def huge_var(img):
            put32(img, segments(img)["var"][0] + 0x24, 0xFFFFFFF0)
        self.refused(huge_var, "var size")

        def abort_record(img):
            at = record_name_place(img, SAVE_PICTURE)
            img[at:at + 6] = b"abort\0"
        self.assertIn('"abort"', self.refused(abort_record, "not a program routine"))

        def entry_is_the_binding(img):
            put32(img, 0x3C, BINDING * RECORD)
        self.refused(entry_is_the_binding, "wrong role")

        def click_runs_the_binding(img):
            head, form = segments(img)["form"]
            size = u32(img, head + 0x28)
            # 按钮1's one event entry: count 1, event 0, its routine.
            entry = struct.pack("<IiI", 1, 0, START_UPDATE_OFFSET)
            at = bytes(img[form:form + size]).find(entry)
            assert at >= 0 and bytes(img[form:form + size]).find(entry, at + 1) < 0
            put32(img, form + at + 8, BINDING * RECORD)
        self.refused(click_runs_the_binding, "wrong role")

        def operation_table_names_a_routine(img):
            put32(img, segments(img)["const"][1] + OPERATION_TABLE, SAVE_PICTURE * RECORD)
        self.refused(operation_table_names_a_routine, "wrong role")

        def missing_dll_function(img):
            at = img.find(b"GlobalSize\0")
            assert at >= 0 and img.find(b"GlobalSize\0", at + 1) < 0
            img[at:at + 10] = b"GlobalSizX"
        self.assertIn("GlobalSizX", self.refused(missing_dll_function, "DLL command table"))

        def huge_size(img):
            put32(img, 0x34, 0x7FFFFFF0)
        self.refused(huge_size, "image size")

        def size_past_the_image(img):
            put32(img, 0x34, u32(img, 0x34) + 0x100000)
        self.refused(size_past_the_image, "image size")


class EditedImage(unittest.TestCase):
    def test_texts_and_the_operation_table_come_from_the_image(self):
        def edit(img):
            for old, new in ((b"confi.ini\0", b"confX.ini\0"),
                             ("温馨提示\0".encode("gbk"), "使用提示\0".encode("gbk"))):
                at = img.find(old)
                assert at >= 0 and img.find(old, at + 1) < 0, old
                img[at:at + len(new)] = new
            # MatchCount's word names SubMatchCount's record instead.
            word = segments(img)["const"][1] + OPERATION_TABLE + 4 * MATCH_COUNT
            assert u32(img, word) == (FIRST_OPERATION + MATCH_COUNT) * RECORD
            put32(img, word, (FIRST_OPERATION + SUB_MATCH_COUNT) * RECORD)
        copy = PatchedCopy(edit)
        desktop = Desktop()
        # List page 1 links two items of two photos each; list page 2 never
        # answers, so the index is complete when the window closes. Batch
        # extraction now takes the pattern's group count (1) for the number
        # of matches: it reads the first item link only, and of its page the
        # first photo only (the image as built reads all four: close_test).
        site = StallingSite({"/nvshengzhenrenxiu/list_60_1.html":
                             list_page(["/i/1.html", "/i/2.html"]),
                             "/i/1.html": item_page(["/p/only.jpg", "/p/b.jpg"]),
                             "/i/2.html": item_page(["/p/c.jpg", "/p/d.jpg"])},
                            stall={"/nvshengzhenrenxiu/list_60_2.html"})
        proc = None
        try:
            proc = subprocess.Popen([copy.exe, "--site", site.base], env=desktop.env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            notice, main = None, None

            def windows_up():
                nonlocal notice, main
                for w in desktop.windows_of(proc.pid):
                    if desktop.window_name(w) == "使用提示":
                        notice = w
                    elif desktop.window_name(w) == "Vexora-QQPixaroo":
                        main = w
                return notice is not None and main is not None
            Desktop.wait_until(windows_up, 60, "the window and the edited notice did not appear")
            desktop.key(notice, "Return")
            Desktop.wait_until(lambda: len(desktop.windows_of(proc.pid)) == 1, 60,
                               "the usage notice did not close")
            desktop.click(main, *UPDATE_BUTTON)
            self.assertTrue(site.wait_for("/nvshengzhenrenxiu/list_60_2.html"),
                            "the update run never reached list page 2")
            desktop.request_close(main)
            proc.wait(120)  # only against a hang: closing takes a fraction of that
            err = proc.stderr.read().decode(errors="replace")
            self.assertEqual(proc.returncode, 0, err)
            self.assertFalse(os.path.exists(os.path.join(copy.folder, "confi.ini")), err)
            with open(os.path.join(copy.folder, "confX.ini"), "rb") as f:
                self.assertEqual(f.read(), b"/p/only.jpg\r\n")
            self.assertNotIn("/i/2.html", site.requests)
        finally:
            site.stop()
            if proc is not None and proc.poll() is None:
                proc.kill()
                proc.wait()
            if proc is not None:
                proc.stderr.close()
            desktop.close()
            copy.remove()


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
