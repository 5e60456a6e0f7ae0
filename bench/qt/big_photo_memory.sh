#!/usr/bin/env bash
# Peak memory of the real program on a virtual display showing one big
# photo: a loopback site whose one list page links one item page holding a
# 64-megapixel PNG (8192 x 8192, one colour, about 200 KB) and a small one.
# After the usage notice and one update it prints the peak resident set
# (VmHWM), whether 图片框1 shows the big photo's colour, and saves a
# screenshot of the screen; it fails when the photo does not show.
#   bench/qt/big_photo_memory.sh BUILD_DIR [SCREENSHOT]
# BUILD_DIR is a Release (or RelWithDebInfo) build holding pixaroo and
# korvex.fnr. PIXAROO_MEMORY_TOOL, when set, is put before the program
# (e.g. "heaptrack -o /tmp/pixaroo"; give it more time with
# PIXAROO_START_WAIT=10 PIXAROO_UPDATE_WAIT=25, in seconds). The waits are
# generous fixed pauses: this measures memory, not time.
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR [SCREENSHOT]}" && pwd)
shot=${2:-big_photo.png}
for f in pixaroo korvex.fnr; do
  [ -e "$build/$f" ] || { echo "$build/$f is missing" >&2; exit 2; }
done
for t in xvfb-run xdotool import python3; do
  command -v $t >/dev/null || { echo "needs $t" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'kill $site 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
# The site's files: pages in GBK with the list-area and picture-area
# markers the program reads, the PNGs written a row at a time.
python3 - "$work" <<'EOF'
import os, struct, sys, zlib
root = sys.argv[1]
os.makedirs(f"{root}/nvshengzhenrenxiu"); os.makedirs(f"{root}/uploads")
def png(name, w, h, rgb):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + \
            struct.pack(">I", zlib.crc32(kind + data))
    z, row, idat = zlib.compressobj(9), b"\0" + bytes(rgb) * w, bytearray()
    for _ in range(h): idat += z.compress(row)
    idat += z.flush()
    with open(f"{root}/uploads/{name}", "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", bytes(idat)) + chunk(b"IEND", b""))
png("big.png", 8192, 8192, (0x20, 0x90, 0xE0))
png("small.png", 300, 400, (0xE0, 0x40, 0x20))
head = '<html><head><meta http-equiv="Content-Type" content="text/html; charset=gbk" /></head><body>\r\n'
pages = {
    "list_60_1.html": head + '<ul>\r\n\t\t<li><a class="img" href="/nvshengzhenrenxiu/1.html" target="_blank">'
        '<img src="/uploads/small.png" /></a></li>\r\n</ul>\r\n'
        '<div class="pagination"><a>\u9996\u9875</a><span class="current">1</span></div>\r\n</body></html>\r\n',
    "1.html": head + '<div style="text-align: center">\r\n'
        '\t\t\t\t\t\t\t<p><img alt="big" src="/uploads/big.png" /></p>\r\n'
        '\t\t\t\t\t\t\t<p><img alt="small" src="/uploads/small.png" /></p>\r\n'
        '\t\t\t\t\t\t</div>\r\n</body></html>\r\n',
}
for name, text in pages.items():
    with open(f"{root}/nvshengzhenrenxiu/{name}", "wb") as f: f.write(text.encode("gbk"))
EOF
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$work" "$port" >/dev/null 2>&1 &
site=$!
for _ in $(seq 100); do
  python3 -c "import urllib.request as u; u.urlopen('http://127.0.0.1:$port/')" 2>/dev/null && break
  sleep 0.1
done

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  . "$1"
  shot=$4
  start_program "$2" "$3" "${5:-}"
  click_update
  sleep "${PIXAROO_UPDATE_WAIT:-15}"
  echo "peak after an update showing the 64-megapixel photo: $(peak)"
  import -window root "$shot"
  # The middle of 图片框1, in the window, is the big photo'\''s colour.
  colour=$(import -window "$win" -crop 1x1+91+148 -depth 8 txt:- | grep -o "#[0-9A-F]\{6\}" | head -1)
  shown=0
  [ "$colour" = "#2090E0" ] && echo "图片框1 shows it" ||
    { echo "图片框1 does not show it ($colour)"; shown=1; }
  stop_program
  exit $shown
' _ "$(cd "$(dirname "$0")" && pwd)/window_session.sh" "$build" "http://127.0.0.1:$port" "$(realpath -m "$shot")" \
  "${PIXAROO_MEMORY_TOOL:-}"
