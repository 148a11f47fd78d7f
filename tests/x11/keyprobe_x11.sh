#!/usr/bin/env bash
# Drives keyprobe in a real window on Xvfb with openbox: keys and clicks by
# xdotool, the close button by wmctrl, screenshots by ImageMagick's import,
# checked pixel by pixel by shotcheck. Every line keyprobe prints is checked.
# Exit 77 (skipped) when Xvfb is not installed.
#
#   keyprobe_x11.sh KEYPROBE SHOTCHECK
set -uo pipefail

keyprobe=$1
shotcheck=$2
command -v Xvfb >/dev/null 2>&1 || { echo "SKIP: Xvfb is not installed"; exit 77; }
for tool in openbox xdotool wmctrl xwininfo import; do
  command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is missing"; exit 1; }
done

source "$(dirname "${BASH_SOURCE[0]}")/../support/x11_session.sh"
work=$(mktemp -d)
session_remove=("$work")

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The desktop is 1280 x 1024, so the 640 x 480 screen is shown doubled at
# (0, 32) with black bands of 32 rows above and below.
x11_start "$work" || { echo "FAIL: $x11_error"; exit 1; }

out=""      # keyprobe's output file
seen=0      # lines of it already checked
probe_pid=0

start_probe() {
  out="$work/$1.out"
  seen=0
  shift
  "$keyprobe" "$@" >"$out" 2>"$out.err" &
  probe_pid=$!
  session_pids+=($probe_pid)
}

# Waits until keyprobe printed at least N lines in all (3 s at most).
wait_lines() {
  for _ in $(seq 150); do
    [ "$(wc -l <"$out")" -ge "$1" ] && return 0
    sleep 0.02
  done
  return 1
}

# expect WHAT LINE...: the next lines keyprobe prints are exactly these, and
# nothing follows them within a short while.
expect() {
  local what=$1
  shift
  local want=$((seen + $#))
  wait_lines "$want"
  sleep 0.25
  local got
  got=$(tail -n +"$((seen + 1))" "$out")
  local expected
  expected=$(printf '%s\n' "$@")
  [ $# -eq 0 ] && expected=""
  if [ "$got" != "$expected" ]; then
    fail "$what: expected [$(echo "$expected" | paste -sd'|')] got [$(echo "$got" | paste -sd'|')]"
  fi
  seen=$(wc -l <"$out")
}

# Waits for keyprobe's window to show the picture, focused, with the pointer
# on it: the first mouse line that succeeds.
wait_ready() {
  for _ in $(seq 250); do
    grep -q '^mouse 0 ' "$out" && return 0
    sleep 0.02
  done
  fail "keyprobe's window never became active: $(paste -sd'|' "$out") $(cat "$out.err")"
  return 1
}

# screenshot_check NAME: takes screenshots until one shows the test picture
# exactly (the window may still be on its way to full screen, or getting
# its picture again after a change), for 5 seconds at most.
screenshot_check() {
  local name=$1 result=""
  for _ in $(seq 50); do
    import -window root -depth 8 "$work/$name.ppm" || { fail "$name: import failed"; return; }
    result=$("$shotcheck" "$work/$name.ppm" 640 480 2 0 32 2>&1) && return 0
    sleep 0.1
  done
  echo "$result"
  fail "$name: the screenshot differs"
}

# wait_last LINE: waits (3 s at most) until the last line keyprobe printed
# is LINE.
wait_last() {
  for _ in $(seq 150); do
    [ "$(tail -n1 "$out")" = "$1" ] && return 0
    sleep 0.02
  done
  return 1
}

# wait_geometry WxH: waits (5 s at most) until keyprobe's window has this
# size and has stayed where it is for a few looks (the window manager and
# the program move a window that changed size into its place).
wait_geometry() {
  local now last="" same=0
  for _ in $(seq 100); do
    now=$(xwininfo -id "$(xdotool search --name '^Wimmel$' | head -n1)" 2>/dev/null | awk '
      /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
      /^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF} END {print w "x" h, x, y}')
    if [ "${now%% *}" = "$1" ] && [ "$now" = "$last" ]; then
      same=$((same + 1))
      [ "$same" -ge 3 ] && return 0
    else
      same=0
    fi
    last=$now
    sleep 0.05
  done
  return 1
}

# The size of keyprobe's window.
window_geometry() {
  local id
  id=$(xdotool search --name '^Wimmel$' | head -n1)
  xdotool getwindowgeometry "$id" 2>/dev/null | awk '/Geometry/ {print $2}'
}

# ---------------------------------------------------------------- 16 bits
xdotool mousemove 640 512
start_probe probe16
wait_lines 1
head -n1 "$out" | grep -qx 'screen 640 480 16 x11' || fail "16-bit screen line: $(head -n1 "$out")"
wait_ready || exit 1
wait_last 'mouse 0 320 240 0 0 0' || fail "pointer at the centre: $(paste -sd'|' "$out")"
seen=$(wc -l <"$out")

screenshot_check shot16

# Characters come from text input, each once.
xdotool type --delay 60 'aZ5+-.,#!'
expect "typed characters" "key 97" "key 90" "key 53" "key 43" "key 45" "key 46" "key 44" \
  "key 35" "key 33"
xdotool type --delay 100 'ä'
expect "a-umlaut typed" "key 132"
xdotool key --delay 60 adiaeresis
expect "a-umlaut key" "key 132"

# Keys without a character: the PC extended codes.
xdotool key --delay 60 F1 shift+F1 ctrl+F1 F11 ctrl+F12 Up Down Left Right Home End Prior Next \
  Insert Delete
expect "extended keys" "key 255 59" "key 255 84" "key 255 94" "key 255 133" "key 255 138" \
  "key 255 72" "key 255 80" "key 255 75" "key 255 77" "key 255 71" "key 255 79" "key 255 73" \
  "key 255 81" "key 255 82" "key 255 83"
# Control keys and Ctrl+letter from key-downs.
xdotool key --delay 60 Escape Tab BackSpace Return KP_Enter ctrl+c ctrl+z
expect "control keys" "key 27" "key 9" "key 8" "key 13" "key 13" "key 3" "key 26"
# The keypad: without Num Lock its keys are the cursor keys; the keypad's
# digit keysyms type digits.
xdotool key --delay 60 KP_Prior KP_Up KP_9
expect "keypad" "key 255 73" "key 255 72" "key 57"
# Alt combinations, F10 and the Alt key itself queue nothing.
xdotool key --delay 60 alt+a alt+F1 F10 Alt_L alt+x
expect "Alt and F10 give nothing"

# A held key repeats: one code per repetition, for characters and extended
# keys alike.
xdotool keydown x
sleep 1.2
xdotool keyup x
sleep 0.2
lines=$(tail -n +"$((seen + 1))" "$out")
count=$(echo "$lines" | grep -cx 'key 120')
if [ "$count" -lt 3 ] || [ "$(echo "$lines" | grep -cvx 'key 120')" -ne 0 ]; then
  fail "held x: expected at least 3 lines 'key 120', got [$(echo "$lines" | paste -sd'|')]"
fi
seen=$(wc -l <"$out")
xdotool keydown Down
sleep 1.2
xdotool keyup Down
sleep 0.2
lines=$(tail -n +"$((seen + 1))" "$out")
count=$(echo "$lines" | grep -cx 'key 255 80')
if [ "$count" -lt 3 ] || [ "$(echo "$lines" | grep -cvx 'key 255 80')" -ne 0 ]; then
  fail "held Down: expected at least 3 lines 'key 255 80', got [$(echo "$lines" | paste -sd'|')]"
fi
seen=$(wc -l <"$out")

# The close button: a key, and the window stays.
wmctrl -c Wimmel
expect "close request" "key 255 107"
[ -n "$(xdotool search --name '^Wimmel$')" ] || fail "the window closed on a close request"
kill -0 "$probe_pid" 2>/dev/null || fail "keyprobe ended on a close request"

# Mouse: buttons, wheel, position through the scaling, the black border.
xdotool mousedown 1
expect "left button down" "mouse 0 320 240 0 1 0"
xdotool mouseup 1
expect "left button up" "mouse 0 320 240 0 0 0"
xdotool mousedown 3
expect "right button down" "mouse 0 320 240 0 2 0"
xdotool mouseup 3
expect "right button up" "mouse 0 320 240 0 0 0"
xdotool mousedown 2
expect "middle button down" "mouse 0 320 240 0 4 0"
xdotool mouseup 2
expect "middle button up" "mouse 0 320 240 0 0 0"
xdotool click 4
expect "wheel away" "mouse 0 320 240 1 0 0"
# One click at a time: the state is polled, so clicks close together could
# show only their sum.
xdotool click 5
expect "wheel toward" "mouse 0 320 240 0 0 0"
xdotool click 5
expect "wheel toward again" "mouse 0 320 240 -1 0 0"
xdotool click 5
expect "wheel toward a third time" "mouse 0 320 240 -2 0 0"
xdotool mousemove 0 32
expect "top-left pixel" "mouse 0 0 0 -2 0 0"
xdotool mousemove 1 33
expect "the same pixel doubled"
xdotool mousemove 1279 991
expect "bottom-right pixel" "mouse 0 639 479 -2 0 0"
xdotool mousemove 640 10
expect "over the black border" "mouse 1 -1 -1 -1 -1 -1"
xdotool mousemove 641 1000
expect "over the lower border"
xdotool mousemove 3 35
expect "back on the picture" "mouse 0 1 1 -2 0 0"

# Alt+Enter: a window of the screen's size (doubling would not leave room
# for the frame on this desktop); no key.
xdotool key alt+Return
wait_geometry 640x480 || fail "Alt+Enter: window geometry $(window_geometry)"
# The pointer on the window's picture, one to one now.
read -r left top < <(xwininfo -id "$(xdotool search --name '^Wimmel$' | head -n1)" |
  awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}')
xdotool mousemove $((left + 10)) $((top + 8))
wait_last 'mouse 0 10 8 -2 0 0' || fail "pointer in the window: $(tail -n1 "$out")"
# The pointer leaves the window (onto the desktop).
xdotool mousemove 1279 1023
wait_last 'mouse 1 -1 -1 -1 -1 -1' || fail "pointer outside the window: $(tail -n1 "$out")"
xdotool key alt+Return
wait_geometry 1280x1024 || fail "Alt+Enter again: geometry $(window_geometry)"
xdotool mousemove 640 512
wait_last 'mouse 0 320 240 -2 0 0' || fail "pointer back at the centre: $(tail -n1 "$out")"
tail -n +"$((seen + 1))" "$out" | grep -q '^key' &&
  fail "Alt+Enter queued a key: $(tail -n +"$((seen + 1))" "$out" | grep '^key' | paste -sd'|')"
seen=$(wc -l <"$out")
screenshot_check shot16-again

xdotool key --delay 60 Escape a Escape Escape
expect "double Escape ends" "key 27" "key 97" "key 27" "key 27"
for _ in $(seq 100); do
  kill -0 "$probe_pid" 2>/dev/null || break
  sleep 0.03
done
if kill -0 "$probe_pid" 2>/dev/null; then
  fail "keyprobe still runs after two Escapes"
else
  wait "$probe_pid"
  code=$?
  [ "$code" -eq 0 ] || fail "keyprobe ended with $code"
fi
[ -s "$out.err" ] && fail "keyprobe wrote to stderr: $(cat "$out.err")"

# ---------------------------------------------------------------- 32 bits
# SDL's software renderer this time (the 16-bit run used its default, OpenGL
# where the server has GLX), so both paths to the window are checked.
xdotool mousemove 640 512
SDL_RENDER_DRIVER=software start_probe probe32 --32
wait_lines 1
head -n1 "$out" | grep -qx 'screen 640 480 32 x11' || fail "32-bit screen line: $(head -n1 "$out")"
wait_ready || exit 1
wait_last 'mouse 0 320 240 0 0 0' || fail "32-bit pointer at the centre: $(tail -n1 "$out")"
seen=$(wc -l <"$out")
screenshot_check shot32
xdotool key --delay 60 F1 adiaeresis ctrl+a
expect "32-bit keys" "key 255 59" "key 132" "key 1"
xdotool mousedown 1
expect "32-bit left button" "mouse 0 320 240 0 1 0"
xdotool mouseup 1
expect "32-bit left button up" "mouse 0 320 240 0 0 0"
xdotool key --delay 60 Escape Escape
expect "32-bit double Escape" "key 27" "key 27"
wait "$probe_pid"
code=$?
[ "$code" -eq 0 ] || fail "keyprobe --32 ended with $code"

if [ "$failures" -gt 0 ]; then
  echo "x11: $failures check(s) failed"
  exit 1
fi
echo "x11: all checks passed"
