# Driving the real program on a virtual display, for the memory scripts
# beside this file; sourced inside xvfb-run, where each function runs.
#   start_program BUILD_DIR SITE_BASE [TOOL]  starts openbox (when there is
#     one) and pixaroo --site SITE_BASE (TOOL put before it), answers the
#     usage notice and sets app (its pid), launcher and win (its window)
#   click_update    clicks 更新
#   peak            prints the program's peak resident set (VmHWM), in MB
#   stop_program    ends the program
# The waits are generous fixed pauses (PIXAROO_START_WAIT, in seconds):
# these scripts measure memory, not time.

start_program() {
  local build=$1 base=$2 tool=${3:-}
  command -v openbox >/dev/null && { openbox >/dev/null 2>&1 & sleep 1; }
  $tool "$build/pixaroo" --site "$base" >/dev/null 2>&1 & launcher=$!
  sleep "${PIXAROO_START_WAIT:-3}"
  app=$(pgrep -P $launcher -x pixaroo || echo $launcher)
  xdotool key Return; sleep 1                     # the usage notice
  win=$(xdotool search --onlyvisible --pid $app | tail -1)
  xdotool windowactivate --sync "$win" 2>/dev/null || true
}

click_update() { xdotool mousemove --window "$win" 64 552 click 1; }

peak() { awk '/VmHWM/ { printf "%.0f MB", $2 / 1024 }' /proc/$app/status; }

stop_program() {
  kill $app 2>/dev/null
  wait $launcher 2>/dev/null || true
}
