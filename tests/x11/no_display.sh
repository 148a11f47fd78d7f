#!/usr/bin/env bash
# Without any display keyprobe must say so on stderr and end with code 1
# instead of running blind on an in-memory video driver.
set -uo pipefail
keyprobe=$1
err=$(mktemp)
trap 'rm -f "$err"' EXIT
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER -u XDG_RUNTIME_DIR \
  timeout 20 "$keyprobe" >/dev/null 2>"$err"
code=$?
if [ "$code" -ne 1 ]; then
  echo "FAIL: exit code $code, expected 1; stderr: $(cat "$err")"
  exit 1
fi
if ! head -n1 "$err" | grep -q '^Keine Grafikanzeige verfuegbar: .'; then
  echo "FAIL: stderr does not start with the message: $(cat "$err")"
  exit 1
fi
echo "no display: $(head -n1 "$err")"
