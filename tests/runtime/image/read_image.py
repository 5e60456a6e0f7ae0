#!/usr/bin/env python3
"""Independent reader of the program image (pixaroo.img).

Parses the image with nothing but the standard library, following the layout
(header, DLL command table, runtime library list, segment chain, relocation
words, routine records, the four fix-up lists) and compares what it reads
with the tables written out below and with form.bin and the program's
constant texts. Exits 1 on any difference or malformed byte.

usage: read_image.py PIXAROO_IMG FORM_BIN PROGRAM_TEXTS_H [--print]
"""
import ast
import re
import struct
import sys

DLL_COMMANDS = [
    ("gdiplus.dll", "GdiplusStartup"), ("ole32.dll", "CLSIDFromString"),
    ("kernel32", "GlobalAlloc"), ("ole32.dll", "CreateStreamOnHGlobal"),
    ("kernel32", "GlobalLock"), ("kernel32.dll", "GlobalUnlock"), ("", "lstrcpyn"),
    ("gdiplus.dll", "GdipCreateBitmapFromStream"), ("gdiplus.dll", "GdipSaveImageToStream"),
    ("ole32.dll", "GetHGlobalFromStream"), ("", "GlobalSize"), ("", "RtlMoveMemory"),
    ("gdiplus.dll", "GdipDisposeImage"), ("", "GlobalFree"), ("gdiplus.dll", "GdiplusShutdown"),
    ("kernel32.dll", "MultiByteToWideChar"), ("wininet.dll", "InternetOpenA"),
    ("wininet.dll", "InternetCloseHandle"), ("wininet.dll", "InternetConnectA"),
    ("wininet.dll", "HttpOpenRequestA"), ("wininet.dll", "HttpSendRequestA"),
    ("wininet.dll", "HttpSendRequestA"), ("wininet.dll", "InternetReadFile"),
    ("wininet.dll", "HttpQueryInfoA"), ("ole32.dll", "CoInitialize"),
    ("ole32.dll", "CoUninitialize"),
]
LIBRARY_VERSIONS = [("5", "0"), ("2", "0"), ("2", "0"), ("2", "0")]
SEGMENTS = [("const", 1), ("form", 1), ("help", 1), ("code", 5), ("var", 0x13), ("@reloc1", 1)]
ROUTINES = ["DoNothing", "EntryRoutine", "ExitRoutine", "OnWindowCreated", "SaveIndexFile",
            "StartUpdate", "ShowPreviousPage", "ShowNextPage"] + \
    [f"PictureRightClick{i}" for i in range(1, 7)] + \
    ["OpenSupportChat", "SavePicture", "PageLoaderThread", "UpdateRunThread",
     "UpdateCompletionThread"]
# The regular-expression object's operations, in the order of its table.
OPERATIONS = ["Destroy", "Copy", "Search", "NoOp", "PatternText", "ReplaceMatches",
              "MatchCount", "MatchText", "SubMatchText", "SubMatchCount"]
WINDOW_ID = 0x52010001
UNIT_IDS = {0x06010000, 0x16017215, 0x16011AC1, 0x26011AB6, 0x26011AB7, 0x1601180A,
            0x16011809, 0x160117F4, 0x160117F3, 0x160117F2, 0x160117F1, 0x160117EF,
            0x160117EE, 0x16010021, 0x16010012, 0x16010011, 0x16010010, 0x1601000F, 0x16010008}
TYPES = {0x00010001, 0x00010003, 0x00010006, 0x00010009, 0x0001000B, 0x0001000F, 0x0001001F,
         0x00040002}
RECORD = 0x40


class Bad(Exception):
    pass


def check(cond, what):
    if not cond:
        raise Bad(what)


class Image:
    def __init__(self, data):
        self.d = data

    def u32(self, at):
        check(0 <= at and at + 4 <= len(self.d), f"u32 at {at:#x} past the end")
        return struct.unpack_from("<I", self.d, at)[0]

    def ctext(self, at, end=None):
        end = len(self.d) if end is None else end
        nul = self.d.find(b"\0", at, end)
        check(nul >= 0, f"text at {at:#x} has no NUL")
        return self.d[at:nul]


def ctext_in(seg, at):
    nul = seg.find(b"\0", at)
    check(0 <= at < len(seg) and nul >= 0, f"no text at const {at:#x}")
    return seg[at:nul]


def header(img):
    d = img.d
    check(d[:2] == b"WJ", "signature")
    check(d[2:0x24] == bytes(0x22), "reserved bytes")
    h = {k: img.u32(k) for k in range(0x24, 0x58, 4)}
    check(h[0x24] == h[0x54], "0x24 and 0x54 differ")
    check((h[0x28], h[0x2C], h[0x30]) == (1, 3, 0), "header words 0x28, 0x2C, 0x30")
    check(h[0x34] == len(d), "image size at 0x34")
    check(h[0x38] == 26, "N at 0x38")
    return h


def dll_table(img, const):
    n = 26
    got = []
    for i in range(n):
        f = ctext_in(const, img.u32(0x58 + 4 * i)).decode("ascii")
        fn = ctext_in(const, img.u32(0x58 + 4 * (n + i))).decode("ascii")
        got.append((f, fn))
    check(got == DLL_COMMANDS, f"DLL command table {got}")
    check(sum(1 for f, _ in got if f == "") == 4, "four empty file names")
    return got


def libraries(img, end):
    at = 0x58 + 8 * 26
    libs = []
    while True:
        rec = img.ctext(at, end)
        at += len(rec) + 1
        if not rec:
            break
        fields = rec.split(b"\r")
        check(len(fields) == 5, f"library record {rec!r}")
        name, ident, major, minor, desc = fields
        check(re.fullmatch(rb"[0-9A-F]{32}", ident) is not None, f"identifier {ident!r}")
        desc.decode("gbk")
        libs.append((name.decode(), ident.decode(), major.decode(), minor.decode(),
                     desc.decode("gbk")))
    check(at == end, "library list does not end at the first segment header")
    check([(l[2], l[3]) for l in libs] == LIBRARY_VERSIONS, "library versions")
    check(libs[0][0] == "korvex", "first library")
    return libs


def chain(img, first):
    segs = []
    at = first
    seen = set()
    while at != 0xFFFFFFFF:
        check(at not in seen, "chain loops")
        seen.add(at)
        size, nxt, flags = img.u32(at), img.u32(at + 4), img.u32(at + 8)
        name = img.d[at + 0xC:at + 0x20]
        zero20, mem, stored, off, r, zero34 = (img.u32(at + k) for k in range(0x20, 0x38, 4))
        check(size == 0x38 + 4 * r and zero20 == 0 and zero34 == 0, f"segment header {at:#x}")
        relocs = [img.u32(at + 0x38 + 4 * i) for i in range(r)]
        segs.append(dict(at=at, name=name.rstrip(b"\0").decode(), rawname=name, flags=flags,
                         mem=mem, stored=stored, off=off, relocs=relocs))
        at = nxt
    check([(s["name"], s["flags"]) for s in segs] == SEGMENTS, "segment names and flags")
    for s in segs:
        check(s["rawname"] == s["name"].encode().ljust(20, b"\0"), "name padding")
        if s["stored"]:
            s["bytes"] = img.d[s["off"]:s["off"] + s["stored"]]
            check(len(s["bytes"]) == s["stored"], f"{s['name']} bytes past the end")
    return {s["name"]: s for s in segs}


def fixup_lists(img, reloc, code_size):
    at, lists = reloc["off"], []
    for _ in range(4):
        count = img.u32(at)
        entries = [img.u32(at + 4 + 4 * i) for i in range(count)]
        check(all(e + 4 <= code_size for e in entries), "fix-up entry outside code")
        lists.append(entries)
        at += 4 + 4 * count
    check(at - reloc["off"] == reloc["stored"] + 4, "@reloc1 is not four bytes short")
    check(at == len(img.d), "list 4's last entry is not the image's last four bytes")
    return lists


def program_texts(path):
    src = open(path, encoding="utf-8").read()
    out = []
    for m in re.finditer(r'std::string_view k\w+\s*=\s*((?:"(?:[^"\\]|\\.)*"\s*)+)sv;', src):
        lit = b"".join(ast.literal_eval("b" + p)
                       for p in re.findall(r'"(?:[^"\\]|\\.)*"', m.group(1)))
        out.append(lit)
    check(len(out) >= 20, "program texts not found")
    return out


def operand_list(code, at, words):
    """One operand list at `at`: its entries as tuples of field offsets."""
    count = struct.unpack_from("<I", code, at)[0]
    at += 4
    check(at + 4 * words * count <= len(code), "operand list runs past code")
    entries = [tuple(at + 4 * (words * i + w) for w in range(words)) for i in range(count)]
    return entries, at + 4 * words * count


def main():
    img = Image(open(sys.argv[1], "rb").read())
    form = open(sys.argv[2], "rb").read()
    h = header(img)
    segs = chain(img, h[0x24])
    check([h[0x40 + 4 * i] for i in range(5)] == [segs[n]["at"] for n, _ in SEGMENTS[:5]],
          "segment table at 0x40")
    libs = libraries(img, h[0x24])
    const, code = segs["const"]["bytes"], segs["code"]["bytes"]
    check(segs["const"]["stored"] == segs["const"]["mem"], "const stored whole")
    dll = dll_table(img, const)
    check(segs["form"]["bytes"] == form and len(form) == 0xC29, "form is form.bin")
    check(segs["help"]["bytes"] == bytes(52) and segs["help"]["mem"] == 52, "help")
    var = segs["var"]
    check((var["mem"], var["stored"], var["off"], var["relocs"]) == (0x28, 0, 0xFFFFFFFF, []),
          "var is 0x28 bytes, not stored")
    check(struct.unpack_from("<ddII", const, 0) == (1.0, 2.0, 1, 0), "doubles and template")
    for t in program_texts(sys.argv[3]):
        check(t + b"\0" in const, f"constant text {t!r} not in const")

    def reloc_map(seg):
        return {w >> 3: w & 7 for w in seg["relocs"]}
    code_relocs = reloc_map(segs["code"])
    const_relocs = reloc_map(segs["const"])
    names = []
    at = 0
    while struct.unpack_from("<I", code, at)[0] != 0xFFFFFFFF:
        check(code_relocs.get(at) == 1, f"record {at:#x} name not a const relocation")
        names.append(ctext_in(const, struct.unpack_from("<I", code, at)[0]).decode())
        at += RECORD
    expected = ["pixaroo_routine_" + n for n in ROUTINES] + ["pixaroo_binding_BindProgram"] + \
        ["pixaroo_operation_Regex" + o for o in OPERATIONS]
    check(names == expected, f"routine records {names}")
    roles = [struct.unpack_from("<I", code, RECORD * i + 4)[0] for i in range(len(names))]
    check(roles == [0] * len(ROUTINES) + [1] + [2] * len(OPERATIONS), f"record roles {roles}")
    check(h[0x3C] == RECORD * names.index("pixaroo_routine_EntryRoutine"), "entry offset")
    # `const` holds exactly ten relocation words, each kind 3, one per word
    # of the operation table, which names the operations in their order.
    check(len(segs["const"]["relocs"]) == 10, "const's relocation count")
    check(sorted(const_relocs.items()) == [(0x18 + 4 * i, 3) for i in range(10)],
          "const's ten kind-3 words")
    ops = [struct.unpack_from("<I", const, 0x18 + 4 * i)[0] for i in range(10)]
    check(all(o % RECORD == 0 for o in ops) and
          [names[o // RECORD] for o in ops] == ["pixaroo_operation_Regex" + o for o in OPERATIONS],
          "operation table")
    kinds = sorted(set(code_relocs.values()))
    check(kinds == [0, 1, 2, 3], f"code relocation kinds {kinds}")
    lists = fixup_lists(img, segs["@reloc1"], len(code))

    def val(off):
        return struct.unpack_from("<I", code, off)[0]
    check(all(val(e) in UNIT_IDS | {WINDOW_ID} for e in lists[0]), "list 1")
    check(sorted(val(e) for e in lists[1]) == list(range(26)), "list 2")
    check(lists[2] == [], "list 3 is empty: no routine calls a library by number")
    check(all(val(e) in TYPES for e in lists[3]), "list 4")
    # The operand block after the end record: units (window, unit, type),
    # DLL command numbers, routine values, text places; each field named by
    # its fix-up list or relocation.
    at += RECORD
    units, at = operand_list(code, at, 3)
    check([u[0:2] for u in units] == [(lists[0][2 * i], lists[0][2 * i + 1])
                                       for i in range(len(units))], "unit operands are list 1")
    check([u[2] for u in units] == lists[3], "unit type operands are list 4")
    dlls, at = operand_list(code, at, 1)
    check([d[0] for d in dlls] == lists[1], "DLL command operands are list 2")
    check([val(d[0]) for d in dlls] == list(range(26)), "DLL command operands 0 to 25")
    routines, at = operand_list(code, at, 1)
    check(all(code_relocs.get(r[0]) == 3 for r in routines), "routine operands are kind 3")
    check([names[val(r[0]) // RECORD] for r in routines] ==
          ["pixaroo_routine_" + n for n in ["ExitRoutine", "PageLoaderThread", "UpdateRunThread",
                                           "UpdateCompletionThread"]], "routine operands")
    texts, at = operand_list(code, at, 1)
    check(all(code_relocs.get(t[0]) == 1 for t in texts), "text operands are kind 1")
    check([ctext_in(const, val(t[0])) for t in texts] == program_texts(sys.argv[3]),
          "text operands name the program's texts in order")
    check(at == len(code), "the operand block ends the code segment")
    if "--print" in sys.argv:
        print("libraries:", libs)
        print("DLL commands:", dll)
        for n, s in segs.items():
            print(f"{n:8} at {s['at']:#x} flags {s['flags']:#x} size {s['mem']:#x} "
                  f"stored {s['stored']:#x} relocations {len(s['relocs'])}")
        print("records:", names)
        print("fix-up lists:", [len(l) for l in lists])
    print("pixaroo.img reads as laid out")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Bad as e:
        print(f"pixaroo.img: {e}")
        sys.exit(1)
