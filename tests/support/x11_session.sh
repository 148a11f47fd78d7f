# Sourced by the scripts that run a program in a real window: an Xvfb desktop
# (1280 x 1024 x 24 unless the script asks for another size) with openbox on
# it, and the clean-up at exit.
#
#   source .../x11_session.sh
#   session_pids+=(PID)     # a process to end at exit (Xvfb and openbox are
#                           # on the list already once x11_start has run)
#   session_remove=(DIR)    # folders to remove at exit, after the processes
#   x11_start DIR [WxHxD] || ...  # starts Xvfb and openbox, their logs and the
#                           # display number in DIR, and exports DISPLAY; on
#                           # failure returns 1 with the reason in x11_error
#   x11_wait_end SECONDS [WHAT]   # the program $wpid must end with code 0
#                           # within SECONDS, else the script's fail is called
#
# Sourcing sets the EXIT trap; a script with more to clean up calls
# session_cleanup from a trap of its own.

session_pids=()
session_remove=()
x11_error=""

session_cleanup() {
  local pid
  for pid in "${session_pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${session_pids[@]}"; do wait "$pid" 2>/dev/null; done
  if [ ${#session_remove[@]} -gt 0 ]; then rm -rf "${session_remove[@]}"; fi
}
trap session_cleanup EXIT

# x11_start DIR [WxHxD]: Xvfb (which names its display through fd 3) and
# openbox, each given ten seconds to come up.
x11_start() {
  local dir=$1 size=${2:-1280x1024x24}
  Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
  session_pids+=($!)
  for _ in $(seq 200); do
    [ -s "$dir/display" ] && break
    sleep 0.05
  done
  if ! [ -s "$dir/display" ]; then
    x11_error="Xvfb did not start: $(cat "$dir/xvfb.log")"
    return 1
  fi
  export DISPLAY=":$(head -n1 "$dir/display")"
  unset WAYLAND_DISPLAY
  openbox >"$dir/openbox.log" 2>&1 &
  session_pids+=($!)
  for _ in $(seq 200); do
    wmctrl -m >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  x11_error="openbox did not start: $(cat "$dir/openbox.log")"
  return 1
}

# x11_wait_end SECONDS [WHAT]: waits for the program $wpid to end and calls
# the script's fail, its message led by WHAT, when it is still running after
# SECONDS (then it is killed) or ends with a code other than 0.
x11_wait_end() {
  local seconds=$1 what=${2:+$2: } code
  local until=$((${EPOCHREALTIME/./} + seconds * 1000000))
  while kill -0 "$wpid" 2>/dev/null; do
    if [ "${EPOCHREALTIME/./}" -ge "$until" ]; then
      fail "${what}wimmel did not end within $seconds s of the last Escape"
      kill "$wpid" 2>/dev/null
      return
    fi
    sleep 0.05
  done
  wait "$wpid"
  code=$?
  [ "$code" -eq 0 ] || fail "${what}wimmel ended with code $code"
}
