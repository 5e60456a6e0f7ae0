#!/usr/bin/env bash
# The real program against each hostile site of the demo gallery
# (pixaroo_demo_site --hostile MODE): for every mode, on a virtual display,
# one update, then the window closed as a user closes it. Prints one line a
# mode: the program's peak resident set (VmHWM), the requests that reached
# the server off the site (another port of the same address), and the size
# of the confi.ini the close wrote.
#   bench/qt/hostile_memory.sh BUILD_DIR DEMO_SITE [MODE...]
# BUILD_DIR is a Release (or RelWithDebInfo) build holding pixaroo and
# korvex.fnr (its confi.ini is removed first and after); DEMO_SITE the
# pixaroo_demo_site executable that serves the modes (so a build from before
# a fix can be measured against the same sites). Without MODE, every mode.
# The program counts as
# done once it has used no processor time for PIXAROO_IDLE seconds (8), at
# most PIXAROO_UPDATE_WAIT (240): this measures memory, not time. With
# PIXAROO_SHOTS set to a folder, a screenshot of each mode's window goes
# there (MODE.png) before the close.
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR DEMO_SITE [MODE...]}" && pwd)
demo=$(realpath "${2:?usage: $0 BUILD_DIR DEMO_SITE [MODE...]}")
shift 2
modes=("$@")
[ ${#modes[@]} -gt 0 ] || modes=(redirect-off-site huge-list-page huge-item-pages long-items
                                 index-flood big-photos)
for f in pixaroo korvex.fnr; do
  [ -e "$build/$f" ] || { echo "$build/$f is missing" >&2; exit 2; }
done
for t in xvfb-run xdotool wmctrl; do
  command -v $t >/dev/null || { echo "needs $t" >&2; exit 2; }
done
here=$(cd "$(dirname "$0")" && pwd)

for mode in "${modes[@]}"; do
  port=0
  out=$(mktemp); err=$(mktemp)
  "$demo" --hostile "$mode" "$port" >"$out" 2>"$err" & site=$!
  for _ in $(seq 3000); do [ -s "$out" ] && break; sleep 0.1; done  # it builds its pages first
  base=$(head -1 "$out")
  rm -f "$build/confi.ini"
  peak=$(xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -u
    . "$1"
    start_program "$2" "$3" >/dev/null
    click_update
    busy() { awk "{ print \$14 + \$15 }" /proc/$app/stat 2>/dev/null || echo gone; }
    last=$(busy); idle=0
    for _ in $(seq "${PIXAROO_UPDATE_WAIT:-240}"); do
      sleep 1
      now=$(busy)
      [ "$now" = gone ] && break
      if [ "$now" = "$last" ]; then idle=$((idle + 1)); else idle=0; fi
      last=$now
      [ $idle -ge "${PIXAROO_IDLE:-8}" ] && break
    done
    peak
    [ -n "${PIXAROO_SHOTS:-}" ] && import -window "$win" "$PIXAROO_SHOTS/$4.png" 2>/dev/null
    wmctrl -i -c "$win" 2>/dev/null || true      # closed as a user closes it
    for _ in $(seq 100); do kill -0 $app 2>/dev/null || break; sleep 0.1; done
    stop_program
  ' _ "$here/window_session.sh" "$build" "$base" "$mode")
  kill $site; wait $site 2>/dev/null || true
  off=$(grep -o 'elsewhere [0-9]*' "$err" | awk '{ print $2 }')
  size=$(stat -c %s "$build/confi.ini" 2>/dev/null || echo none)
  rm -f "$build/confi.ini" "$out" "$err"
  printf '%-18s peak %s, requests off the site %s, confi.ini %s bytes\n' "$mode" "$peak" \
    "${off:-?}" "$size"
done
