#!/usr/bin/env bash
# Wimmel in a window on a 1920 x 1080 desktop (Xvfb with openbox), through
# mode changes in both directions: from the start screen into scenes larger
# than it and of other depths, and back by Escape each time. After every
# change the window must have the size that shows the new screen and lie
# centred, frame and all, within the desktop's usable area. Then a full
# screen run goes from an 800 x 600 scene back to the start screen. The
# program must end with code 0 and print no sanitizer report; run with the
# sanitizer build, this is what catches the display copying a new screen
# with the tables it built for the old one.
# Exit 77 (skipped) when Xvfb is not installed or WIMMEL is not built.
#
#   wimmel_modes.sh WIMMEL DATA_DIR OUT_DIR
set -uo pipefail
wimmel=$1; data=$2; out=$3
[ -x "$wimmel" ] || { echo "SKIP: $wimmel is not built"; exit 77; }
command -v Xvfb >/dev/null 2>&1 || { echo "SKIP: Xvfb is not installed"; exit 77; }
for tool in openbox xdotool xprop xwininfo import; do
  command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is missing"; exit 1; }
done
rm -rf "$out"; mkdir -p "$out"
source "$(dirname "${BASH_SOURCE[0]}")/../support/x11_session.sh"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# The sanitizers stop the program at their first report.
export ASAN_OPTIONS=abort_on_error=0:detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1

x11_start "$out" 1920x1080x24 || { echo "FAIL: $x11_error"; exit 1; }
# The usable area, once openbox has published it.
area_h=""
for _ in $(seq 100); do
  read -r area_x area_y area_w area_h < <(xprop -root -notype _NET_WORKAREA 2>/dev/null |
    sed -n 's/.*= *//p' | tr ',' ' ' | awk '{print $1, $2, $3, $4}')
  [ -n "$area_h" ] && break
  sleep 0.05
done
[ -n "$area_h" ] || { echo "FAIL: openbox sets no _NET_WORKAREA"; exit 1; }

# Ends the test at once when the program is gone, with what it printed.
gone() {
  kill -0 "$wpid" 2>/dev/null && return 1
  wait "$wpid"
  fail "wimmel ended early with code $? $1; it printed:"
  cat "$out/$log"
  exit 1
}

# start_wimmel LOG ARGS...: starts wimmel in the output folder and waits for
# its window.
start_wimmel() {
  log=$1
  shift
  (cd "$out" && exec "$wimmel" "$@") >"$out/$log" 2>&1 &
  wpid=$!
  session_pids+=($wpid)
  win=""
  for _ in $(seq 600); do
    win=$(xdotool search --name '^Wimmel$' 2>/dev/null | head -n1)
    [ -n "$win" ] && break
    gone "before its window showed"
    sleep 0.05
  done
  [ -n "$win" ] || { echo "FAIL: no Wimmel window"; cat "$out/$log"; exit 1; }
}

# The window's client area (x, y, width, height) and its frame's extents
# (left, right, top, bottom), into the globals gx gy gw gh el er et eb.
# (xdotool's position of a framed window counts the frame twice.) SDL makes
# the window anew when it tries a renderer, so a window that is gone is
# looked for again.
# (xwininfo without a window id would wait for a click: never call it so.)
geometry() {
  gx="" gy="" gw="" gh=""
  if [ -z "$win" ] || ! xwininfo -id "$win" >/dev/null 2>&1; then
    win=$(xdotool search --name '^Wimmel$' 2>/dev/null | head -n1)
  fi
  [ -n "$win" ] || return
  read -r gx gy gw gh < <(xwininfo -id "$win" 2>/dev/null | awk '
    /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    /^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF} END {print x, y, w, h}')
  read -r el er et eb < <(xprop -id "$win" -notype _NET_FRAME_EXTENTS 2>/dev/null |
    sed -n 's/.*= *//p' | tr -d ',')
  el=${el:-0}; er=${er:-0}; et=${et:-0}; eb=${eb:-0}
}

# Whether the window's frame lies within the usable area, centred to the
# pixel (an odd leftover may go either way).
centred() {
  local left=$((gx - el - area_x)) right=$((area_x + area_w - gx - gw - er))
  local top=$((gy - et - area_y)) bottom=$((area_y + area_h - gy - gh - eb))
  [ "$left" -ge 0 ] && [ "$right" -ge 0 ] && [ "$top" -ge 0 ] && [ "$bottom" -ge 0 ] &&
    [ $((left - right)) -ge -1 ] && [ $((left - right)) -le 1 ] &&
    [ $((top - bottom)) -ge -1 ] && [ $((top - bottom)) -le 1 ]
}

# placed WHAT W H: waits (10 s at most) until the window has the client size
# W x H and lies centred; fails with where it is otherwise.
placed() {
  local what=$1 w=$2 h=$3 until=$((${EPOCHREALTIME/./} + 10000000))
  while [ "${EPOCHREALTIME/./}" -lt "$until" ]; do
    gone "$what"
    geometry
    [ "$gw" = "$w" ] && [ "$gh" = "$h" ] && centred && return 0
    sleep 0.05
  done
  fail "$what: the window is ${gw}x${gh} at ($gx, $gy) with frame extents" \
    "$el $er $et $eb; expected ${w}x${h} centred in the area $area_w x $area_h at ($area_x, $area_y)"
}

# wait_end WHAT: the program must end with code 0 within 10 seconds, and
# must not have printed a sanitizer report.
wait_end() {
  x11_wait_end 10 "$1"
  if grep -q 'Sanitizer\|runtime error' "$out/$log"; then
    fail "$1: a sanitizer report:"
    cat "$out/$log"
  fi
}

# ------------------------------------------------------------ in a window
# The start screen doubled, then scenes of 800 x 600 x 32, 1024 x 768 x 16
# and 1280 x 1024 x 24 (letters N, G, L), each left by Escape.
start_wimmel window.out --data "$data" --window
placed "the start screen" 1280 960
timeout 5 xdotool windowactivate --sync "$win" >/dev/null 2>&1
for step in "N 800 600" "G 1024 768" "L 1280 1024"; do
  read -r letter w h <<<"$step"
  xdotool key "$letter"
  placed "the scene of letter $letter" "$w" "$h"
  xdotool key Escape
  placed "back from the scene of letter $letter" 1280 960
done
xdotool key Escape
wait_end "in a window"

# ------------------------------------------------------------ full screen
# An 800 x 600 scene shown one to one in the middle of the desktop, then
# Escape to the start screen, doubled to 1280 x 960 at (320, 60). The wait
# is for the start screen's grey metal at its pixel (100, 100), where the
# scene showed black.
start_wimmel full.out --data "$data" --mode 800x600x32
placed "full screen" 1920 1080
timeout 5 xdotool windowactivate --sync "$win" >/dev/null 2>&1
xdotool key Escape
shown=""
until=$((${EPOCHREALTIME/./} + 10000000))
while [ "${EPOCHREALTIME/./}" -lt "$until" ]; do
  gone "after Escape from the full-screen scene"
  pixel=$(import -window root -crop 1x1+520+260 -depth 8 txt:- 2>/dev/null | tail -n1)
  case "$pixel" in *"#000000"*|"") ;; *) shown=yes; break ;; esac
  sleep 0.1
done
[ -n "$shown" ] || fail "full screen: the start screen never showed at (520, 260): $pixel"
xdotool key Escape
wait_end "full screen"

[ $failures -eq 0 ] && echo "x11 wimmel modes: all checks passed"
exit $((failures > 0))
