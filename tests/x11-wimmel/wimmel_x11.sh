#!/usr/bin/env bash
# Wimmel in a real window on Xvfb with openbox: choose a mode by key, see the
# scene, page the help with H and a click, and leave with Escape twice. The
# header and bottom bar must look exactly as on the headless display (the
# same program drawing the same picture), the scene must move, and the
# process must end with code 0 within 5 seconds of the last Escape. Then the
# command line: --mode opens the scene at once and Escape leads to the start
# screen, and --window gives a window rather than the whole desktop. Each run
# starts in a folder without data and finds it through --data.
# Exit 77 (skipped) when Xvfb is not installed.
#
#   wimmel_x11.sh WIMMEL WIMMEL_HEADLESS DATA_DIR OUT_DIR
set -uo pipefail
wimmel=$1; headless=$2; data=$3; out=$4
command -v Xvfb >/dev/null 2>&1 || { echo "SKIP: Xvfb is not installed"; exit 77; }
for tool in openbox xdotool import convert compare; do
  command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is missing"; exit 1; }
done
rm -rf "$out"; mkdir -p "$out"
source "$(dirname "${BASH_SOURCE[0]}")/../support/x11_session.sh"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Reference pictures of the same screens from the headless runner.
cat > "$out/ref.script" <<'SCRIPT'
wait 0.3
shot start.png
key E
wait 0.5
shot scene.png
key h
wait 0.2
shot help1.png
key F1
wait 0.2
shot help2.png
SCRIPT
WIMMEL_DATA="$data" "$headless" "$out/ref.script" --out "$out/ref" >/dev/null 2>&1 || fail "headless reference run"

x11_start "$out" || { echo "FAIL: $x11_error"; exit 1; }

# start_wimmel LOG ARGS...: starts wimmel in the output folder (which holds
# no data: the program finds it beside itself or through --data) and waits
# for its window; what the window shows is waited for by the caller.
start_wimmel() {
  local log=$1
  shift
  (cd "$out" && exec "$wimmel" "$@") >"$out/$log" 2>&1 &
  wpid=$!
  session_pids+=($wpid)
  win=""
  for _ in $(seq 200); do
    win=$(xdotool search --name '^Wimmel$' 2>/dev/null | head -n1)
    [ -n "$win" ] && break
    sleep 0.05
  done
  [ -n "$win" ] || { echo "FAIL: no Wimmel window"; cat "$out/$log"; exit 1; }
  timeout 5 xdotool windowactivate --sync "$win" >/dev/null 2>&1
}
# wait_end: the program must end with code 0 within 5 seconds.
wait_end() { x11_wait_end 5; }

start_wimmel wimmel.out --data "$data"

# The 640 x 480 screen on the 1280 x 1024 desktop: doubled, at (0, 32).
shot() {
  import -window root "$out/$1.ppm"
  convert "$out/$1.ppm" -crop 1280x960+0+32 +repage -sample 640x480 "$out/$1.png"
}
# changed REGION A B: prints how many pixels of the region (WxH+X+Y) differ.
changed() {
  convert "$2" -crop "$1" +repage "$out/crop-a.png"
  convert "$3" -crop "$1" +repage "$out/crop-b.png"
  compare -metric AE "$out/crop-a.png" "$out/crop-b.png" null: 2>&1
}
# same REGION A B: the two pictures agree in the region.
same() {
  local n
  n=$(changed "$@")
  [ "${n%% *}" = "0" ] || fail "$2 and $3 differ in $1 ($n pixels)"
}
# now_us: the real clock in microseconds.
now_us() { echo "${EPOCHREALTIME/./}"; }
# wait_same NAME REF REGION...: takes the screenshot NAME until it agrees
# with REF in every REGION, for 10 seconds at most.
wait_same() {
  local name=$1 ref=$2 region n until=$(($(now_us) + 10000000))
  shift 2
  while :; do
    shot "$name"
    n=""
    for region in "$@"; do
      n=$(changed "$region" "$out/$name.png" "$ref")
      [ "${n%% *}" = "0" ] || break
    done
    [ "${n%% *}" = "0" ] && return 0
    [ "$(now_us)" -ge "$until" ] && break
    sleep 0.1
  done
  fail "$out/$name.png and $ref differ in $region ($n pixels)"
}

# The start screen's header, then the scene's header (rows 0-43) and
# bottom bar (rows 380-465, above the status line) exactly as on the
# headless display.
wait_same start "$out/ref/start.png" 640x44+0+0
xdotool key E
wait_same scene1 "$out/ref/scene.png" 640x44+0+0 640x86+0+380
# The figures walk: within 5 seconds more than 200 pixels of the scene
# area differ from the first picture.
n=0
until=$(($(now_us) + 5000000))
while [ "$(now_us)" -lt "$until" ]; do
  shot scene2
  n=$(changed 640x336+0+44 "$out/scene1.png" "$out/scene2.png")
  [ "${n%% *}" -gt 200 ] 2>/dev/null && break
  sleep 0.1
done
[ "${n%% *}" -gt 200 ] 2>/dev/null || fail "the scene did not move in 5 seconds ($n pixels changed)"

xdotool key h
wait_same help1 "$out/ref/help1.png" 640x86+0+380
# A click on page 1's F1 button (screen (20, 400)) shows page 2; xdotool presses
# and releases at once, quicker than the display looks, and it still counts.
xdotool mousemove 40 $((32 + 800)) click 1
wait_same help2 "$out/ref/help2.png" 640x86+0+380

xdotool mousemove 1279 1023
xdotool key Escape
wait_same start-again "$out/ref/start.png" 640x44+0+0
xdotool key Escape
wait_end

# The command line opens the scene at once: the same header and bottom bar
# as after choosing E by key, and Escape leads to the start screen.
start_wimmel preset.out --data "$data" --mode 640x480x16 --figures 3
wait_same preset "$out/ref/scene.png" 640x44+0+0 640x86+0+380
xdotool key Escape
wait_same preset-start "$out/ref/start.png" 640x44+0+0
xdotool key Escape
wait_end

# --window: a window of the screen's size rather than the whole desktop.
start_wimmel window.out --data "$data" --window
until=$(($(now_us) + 10000000))
WIDTH=0 HEIGHT=0
while [ "$(now_us)" -lt "$until" ]; do
  # SDL makes the window anew when it tries a renderer: look for it each time.
  win=$(xdotool search --name '^Wimmel$' 2>/dev/null | head -n1)
  [ -n "$win" ] && eval "$(xdotool getwindowgeometry --shell "$win" 2>/dev/null)"
  [ "$WIDTH" -gt 0 ] && [ "$WIDTH" -lt 1280 ] && [ "$HEIGHT" -lt 1024 ] && break
  sleep 0.05
done
[ "$WIDTH" -gt 0 ] && [ "$WIDTH" -lt 1280 ] && [ "$HEIGHT" -lt 1024 ] ||
  fail "--window gave a window of ${WIDTH}x${HEIGHT}, not one smaller than the desktop"
xdotool key Escape
wait_end
[ $failures -eq 0 ] && echo "x11 wimmel: all checks passed"
exit $((failures > 0))
