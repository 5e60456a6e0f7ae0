#!/usr/bin/env python3
"""Independent reader of the window description (form.bin).

Parses the bytes with nothing but the standard library and compares every
unit, field for field, with the table written out below. Prints the unit
table it read; exits 1 on any difference or malformed byte.

usage: read_form.py FORM_BIN [--print]
"""
import struct
import sys

FORM_SIZE = 0xC29
HEADER = (8, 0x52010001, 0x0137E840, 11, 0x19010013)
WINDOW, MENU, PICTURE, GROUP, BUTTON, LIST, DIALOG, STATUS = (
    0x00010001, 0x00010003, 0x00010006, 0x00010009,
    0x0001000B, 0x0001000F, 0x0001001F, 0x00040002)


def R(n):  # code offset of routine record n
    return n * 0x40


G1, G2, G3 = 0x16010008, 0x1601000F, 0x16011809
# id, type, name, parent, (left, top, width, height), flags, children, events
CONTROLS = [
    (0x06010000, WINDOW, "", 0, (50, 50, 517, 637), 1, [], [(0, R(3)), (1, R(4))]),
    (0x16017215, PICTURE, "qq客服1", 0, (424, 536, 74, 22), 1, [], [(-1, R(14))]),
    (0x16011AC1, DIALOG, "通用对话框1", G1, (472, -24, 24, 16), 0, [], []),
    (0x26011AB6, MENU, 0, 1, "play", -1),  # menu: id, type, level, flag word, caption, routine
    (0x26011AB7, MENU, 1, 0, "保存图片", R(15)),
    (0x1601180A, LIST, "列表框1", G3, (8, 8, 280, 560), 5, [], []),
    (G3, GROUP, "分组框3", 0, (512, 8, 312, 576), 1, [0x1601180A], []),
    (0x160117F4, PICTURE, "图片框6", G1, (344, 264, 150, 230), 1, [], [(-4, R(13)), (-1, 0)]),
    (0x160117F3, PICTURE, "图片框5", G1, (176, 264, 150, 230), 1, [], [(-4, R(12)), (-1, 0)]),
    (0x160117F2, PICTURE, "图片框4", G1, (8, 264, 150, 230), 1, [], [(-4, R(11))]),
    (0x160117F1, PICTURE, "图片框3", G1, (344, 24, 150, 230), 1, [], [(-4, R(10))]),
    (0x160117EF, PICTURE, "图片框2", G1, (176, 24, 150, 230), 1, [], [(-4, R(9)), (-1, 0)]),
    (0x160117EE, PICTURE, "图片框1", G1, (8, 24, 150, 230), 1, [], [(-4, R(8)), (-1, 0)]),
    (0x16010021, STATUS, "状态条1", 0, (0, 565, 637, 20), 1, [], []),
    (0x16010012, BUTTON, "按钮3", G2, (304, 16, 80, 32), 5, [], [(0, R(7))]),
    (0x16010011, BUTTON, "按钮2", G2, (136, 16, 80, 32), 5, [], [(0, R(6))]),
    (0x16010010, BUTTON, "按钮1", G2, (16, 16, 80, 32), 5, [], [(0, R(5))]),
    (G2, GROUP, "分组框2", 0, (8, 520, 496, 64), 1, [0x16010012, 0x16010011, 0x16010010], []),
    (G1, GROUP, "分组框1", 0, (8, 8, 504, 504), 1,
     [0x16011AC1, 0x160117F4, 0x160117F3, 0x160117F2, 0x160117F1, 0x160117EF, 0x160117EE], []),
]

PICTURE_WORDS = [2, 5, 0xFF000000, 0, 1, 0, 0, 0]
# Type-specific settings, as read by settings() below, keyed by unit id.
SETTINGS = {
    0x06010000: ([6, 2, 1, 0xFF000000, 0, 1, 1, 1, 1, 0, 0, 1, 0, 0, 1] + [0] * 8,
                 "Vexora-QQPixaroo", 0),
    0x16011AC1: ([1, 1, 0, 0, 1, 1, 1] + [0] * 11, ["位图（*.bmp)|*.bmp", "", "*.bmp", "", ""]),
    0x1601180A: ([3, 1, 0, 0, 1, 0x00FF0000, 0x00C0C0C0, 0, 0xFFFFFFFF], 22),
    0x16010021: ([1, 0xFF000000, 0, 0], (-12, 0, 0, 0, 400, 0, 0, 0, 134, 3, 2, 1, 2, "宋体"),
                 [0, 18, 1, 636, 0, 0xFFFFFFFF], 1),
    0x16010012: ([1, 0, 1, 1, 0, 0], "下一页"),
    0x16010011: ([1, 0, 1, 1, 0, 0], "上一页"),
    0x16010010: ([1, 0, 1, 1, 0, 0], "更新"),
}
for _id in range(0x160117EE, 0x160117F5):
    if _id != 0x160117F0:
        SETTINGS[_id] = (PICTURE_WORDS,)


class Bad(Exception):
    pass


class Cursor:
    def __init__(self, data, pos, end):
        self.data, self.pos, self.end = data, pos, end

    def take(self, n):
        if n < 0 or self.pos + n > self.end:
            raise Bad("read of %d bytes at 0x%X overruns 0x%X" % (n, self.pos, self.end))
        b = self.data[self.pos:self.pos + n]
        self.pos += n
        return b

    def u32(self):
        return struct.unpack("<I", self.take(4))[0]

    def i32(self):
        return struct.unpack("<i", self.take(4))[0]

    def zeros(self, n):
        if any(self.take(n)):
            raise Bad("reserved bytes not zero before 0x%X" % self.pos)

    def ctext(self):
        nul = self.data.find(b"\0", self.pos, self.end)
        if nul < 0:
            raise Bad("unterminated text at 0x%X" % self.pos)
        return self.take(nul - self.pos + 1)[:-1].decode("gbk")

    def ptext(self):
        return self.take(self.u32()).decode("gbk")

    def words(self, n):
        return [self.u32() for _ in range(n)]


def window_settings(c):
    return (c.words(23), c.ptext(), c.u32())


def picture_settings(c):
    return (c.words(8),)


def dialog_settings(c):
    return (c.words(18), [c.ptext() for _ in range(5)])


def list_settings(c):
    words = c.words(9)
    n = c.end - c.pos
    c.zeros(n)
    return (words, n)


def status_settings(c):
    lead = c.words(4)
    if c.u32() != 60:
        raise Bad("font size is not 60")
    font = struct.unpack("<5i8B", c.take(28))
    face = c.take(32)
    font = font + (face[:face.index(b"\0")].decode("gbk"),)
    trail = c.words(6)
    n = c.end - c.pos
    c.zeros(n)
    return (lead, font, trail, n)


def button_settings(c):
    return (c.words(6), c.ptext())


def read_settings(unit_type, c):
    if c.pos == c.end:
        return None
    readers = {WINDOW: window_settings, PICTURE: picture_settings, DIALOG: dialog_settings,
               LIST: list_settings, STATUS: status_settings, BUTTON: button_settings}
    if unit_type not in readers:
        raise Bad("no settings reader for type 0x%X" % unit_type)
    value = readers[unit_type](c)
    if c.pos != c.end:
        raise Bad("%d bytes left after settings" % (c.end - c.pos))
    return value


def read_record(data, unit_id, start, end):
    c = Cursor(data, start, end)
    unit_type = c.u32()
    c.zeros(20)
    name, second = c.ctext(), c.ctext()
    if second:
        raise Bad("second text not empty")
    c.zeros(4)
    if unit_type == MENU:
        level, flag, caption, routine = c.u32(), c.u32(), c.ctext(), c.i32()
        c.zeros(16)
        if c.pos != end or name:
            raise Bad("menu entry 0x%X malformed" % unit_id)
        return (unit_id, unit_type, level, flag, caption, routine), None
    rect = (c.i32(), c.i32(), c.i32(), c.i32())
    c.zeros(4)
    parent = c.u32()
    children = c.words(c.u32())
    if c.u32() != 4:
        raise Bad("block length is not 4")
    c.zeros(4)
    if c.ctext():
        raise Bad("third text not empty")
    c.zeros(4)
    flags = c.u32()
    if c.u32() != 0:
        raise Bad("disabled flag set")
    events = [(c.i32(), c.u32()) for _ in range(c.u32())]
    c.zeros(20)
    return ((unit_id, unit_type, name, parent, rect, flags, children, events),
            read_settings(unit_type, c))


def read_form(data):
    c = Cursor(data, 0, len(data))
    header = tuple(c.words(5))
    c.zeros(8)
    count, following = c.u32(), c.u32()
    if following != len(data) - 0x24:
        raise Bad("following-bytes count %d, file has %d" % (following, len(data) - 0x24))
    ids, offsets = c.words(count), c.words(count)
    area = c.pos
    units, settings_by_id = [], {}
    for i, (unit_id, offset) in enumerate(zip(ids, offsets)):
        if area + offset != c.pos:
            raise Bad("record %d not where its offset says" % i)
        length = c.u32()
        unit, s = read_record(data, unit_id, c.pos, c.pos + length)
        c.take(length)
        units.append(unit)
        if s is not None:
            settings_by_id[unit_id] = s
    if c.pos != len(data):
        raise Bad("bytes after the last record")
    return header, area, units, settings_by_id


def main():
    data = open(sys.argv[1], "rb").read()
    header, area, units, settings_read = read_form(data)
    for u in units:
        if u[1] == MENU:
            print("0x%08X menu level %d flags %d %r routine %d" % (u[0], u[2], u[3], u[4], u[5]))
        else:
            print("0x%08X type 0x%08X %-12s parent 0x%08X %s flags %d children %s events %s"
                  % (u[0], u[1], u[2], u[3], u[4], u[5], [hex(x) for x in u[6]], u[7]))
    if "--print" in sys.argv:
        return 0
    problems = []
    if len(data) != FORM_SIZE:
        problems.append("size 0x%X, expected 0x%X" % (len(data), FORM_SIZE))
    if header != HEADER or area != 0xBC:
        problems.append("header %s, record area at 0x%X" % ([hex(w) for w in header], area))
    if len(units) != len(CONTROLS):
        problems.append("%d units, expected %d" % (len(units), len(CONTROLS)))
    for got, want in zip(units, CONTROLS):
        if got != want:
            problems.append("unit 0x%08X:\n  read     %s\n  expected %s" % (want[0], got, want))
    if settings_read != SETTINGS:
        for key in sorted(set(settings_read) | set(SETTINGS)):
            if settings_read.get(key) != SETTINGS.get(key):
                problems.append("settings of 0x%08X:\n  read     %s\n  expected %s"
                                % (key, settings_read.get(key), SETTINGS.get(key)))
    for p in problems:
        print("MISMATCH " + p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (Bad, UnicodeDecodeError, ValueError) as e:
        print("malformed description: %s" % e, file=sys.stderr)
        sys.exit(1)
