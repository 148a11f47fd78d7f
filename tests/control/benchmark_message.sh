#!/usr/bin/env bash
# benchmark_message.sh WIMMEL DATA: wimmel --benchmark on SDL's dummy video
# driver with data that lacks one figure picture. Every figure of that kind
# would show a message and wait for a key nobody presses; a benchmark must
# instead end at the first message with status 1 and the message on
# standard error, and print no summary.
set -u
wimmel="$1"; data=$(cd "$2" && pwd) || exit 1
copy=$(mktemp -d "${TMPDIR:-/tmp}/wimmel-benchmark-XXXXXX")
trap 'rm -rf "$copy"' EXIT
# A copy made of links, but for the folder that loses its picture.
for entry in "$data"/*; do ln -s "$entry" "$copy/"; done
rm "$copy/figure"; mkdir "$copy/figure"
for kind in "$data"/figure/*; do ln -s "$kind" "$copy/figure/"; done
rm "$copy/figure/tarzan01"; mkdir "$copy/figure/tarzan01"
for picture in "$data"/figure/tarzan01/*; do ln -s "$picture" "$copy/figure/tarzan01/"; done
rm "$copy/figure/tarzan01/2.bmp"

SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 20 "$wimmel" --data "$copy" \
  --mode 640x480x32 --figures 50 --benchmark 2 >"$copy/out" 2>"$copy/err" </dev/null
status=$?
fail=0
[ $status -eq 1 ] || { echo "FAIL: ended with status $status, not 1"; fail=1; }
if grep -q '^benchmark:' "$copy/out"; then echo "FAIL: a summary was printed"; fail=1; fi
message='figure\tarzan01\2.bmp zuordnen, Datei existiert jedoch nicht. Taste = weiter'
count=$(grep -cF "$message" "$copy/err")
[ "$count" -eq 1 ] || { echo "FAIL: the message is on standard error $count times, not once"; fail=1; }
head -n 1 "$copy/err" | grep -q '^wimmel: ' ||
  { echo "FAIL: standard error does not begin with \"wimmel: \""; fail=1; }
if [ $fail -ne 0 ]; then
  echo "standard error:"; cat "$copy/err"
fi
exit $fail
