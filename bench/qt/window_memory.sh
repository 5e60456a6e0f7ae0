#!/usr/bin/env bash
# Peak memory of the real program on a virtual display, against the demo
# gallery: the peak resident set (VmHWM) after the usage notice, one update
# and two Page Downs, and again after 240 quick page flips on top (20 ms
# apart, ten pages on and ten back, twelve times).
#   bench/qt/window_memory.sh BUILD_DIR
# BUILD_DIR is a Release (or RelWithDebInfo) build holding pixaroo,
# korvex.fnr and demo/pixaroo_demo_site. PIXAROO_MEMORY_TOOL, when set, is
# put before the program (e.g. "heaptrack -o /tmp/pixaroo"; give it more
# time with PIXAROO_START_WAIT=10 PIXAROO_UPDATE_WAIT=25, in seconds). The
# waits are generous fixed pauses: this measures memory, not time.
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
for f in pixaroo korvex.fnr demo/pixaroo_demo_site; do
  [ -e "$build/$f" ] || { echo "$build/$f is missing" >&2; exit 2; }
done
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null ||
  { echo "needs xvfb-run and xdotool" >&2; exit 2; }

work=$(mktemp -d)
trap 'kill $site 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
"$build/demo/pixaroo_demo_site" 0 >"$work/site" &
site=$!
for _ in $(seq 100); do [ -s "$work/site" ] && break; sleep 0.1; done
base=$(head -1 "$work/site")

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  . "$1"
  build=$2
  start_program "$build" "$3" "${4:-}"
  click_update
  sleep "${PIXAROO_UPDATE_WAIT:-10}"
  xdotool key Next; sleep 2; xdotool key Next; sleep 3
  echo "peak after an update and two pages: $(peak)"
  # Twelve rounds of ten pages on and ten back: every flip shows photos.
  flips=$(for _ in $(seq 12); do printf "Next %.0s" $(seq 10); printf "Prior %.0s" $(seq 10); done)
  xdotool key --delay 20 $flips; sleep 5
  echo "peak over 240 quick flips as well: $(peak)"
  stop_program
' _ "$(cd "$(dirname "$0")" && pwd)/window_session.sh" "$build" "$base" "${PIXAROO_MEMORY_TOOL:-}"
