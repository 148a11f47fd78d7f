#!/usr/bin/env bash
# no_display.sh KEYPROBE WIMMEL DATA: without any display keyprobe and wimmel
# must say so on stderr and end with code 1 instead of running blind on an
# in-memory video driver. wimmel's message carries its name, as every other
# message of its command line does.
set -uo pipefail
keyprobe=$1; wimmel=$2; data=$3
err=$(mktemp)
trap 'rm -f "$err"' EXIT
fail=0
# check PREFIX PROGRAM ARGS...: the program ends with 1 and its first line on
# stderr is PREFIX followed by the message and a reason.
check() {
  local prefix=$1; shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER -u XDG_RUNTIME_DIR \
    timeout 20 "$@" >/dev/null 2>"$err" </dev/null
  local code=$?
  if [ "$code" -ne 1 ]; then
    echo "FAIL: $1 ended with code $code, expected 1; stderr: $(cat "$err")"
    fail=1
  elif ! head -n1 "$err" | grep -q "^${prefix}Keine Grafikanzeige verfuegbar: ."; then
    echo "FAIL: stderr of $1 does not start with \"${prefix}Keine Grafikanzeige\": $(cat "$err")"
    fail=1
  else
    echo "no display: $(head -n1 "$err")"
  fi
}
check "" "$keyprobe"
check "wimmel: " "$wimmel" --data "$data"
exit $fail
