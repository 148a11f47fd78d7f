#!/usr/bin/env bash
# benchmark_run.sh WIMMEL DATA: wimmel --benchmark 1 on SDL's dummy video
# driver, which needs no window system. The program must end by itself with
# status 0 and print as its last line the summary in its exact shape, with a
# plausible step rate: at the shortest wait of 0.01 s about 100 steps a
# second. How fast the machine is decides nothing here beyond that range.
set -u
wimmel="$1"; data="$2"
out=$(SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 30 "$wimmel" --data "$data" \
        --mode 640x480x16 --figures 10 --benchmark 1 2>/dev/null)
status=$?
fail=0
[ $status -eq 0 ] || { echo "FAIL: wimmel --benchmark ended with $status"; fail=1; }
last=$(tail -n 1 <<<"$out")
n='([0-9]+\.[0-9]+)'
shape="^benchmark: steps/s=$n presents/s=$n step_mean_ms=$n step_p99_ms=$n cpu_percent=$n\$"
if [[ $last =~ $shape ]]; then
  steps=${BASH_REMATCH[1]}; presents=${BASH_REMATCH[2]}
  awk -v s="$steps" 'BEGIN { exit !(s >= 20 && s <= 200) }' ||
    { echo "FAIL: steps/s=$steps is not between 20 and 200"; fail=1; }
  # Every step changes the picture once and nothing else draws in the run,
  # so every step reaches the window once: none lost, none shown twice.
  awk -v s="$steps" -v p="$presents" 'BEGIN { exit !(p >= s - 5 && p <= s + 5) }' ||
    { echo "FAIL: presents/s=$presents does not go with steps/s=$steps"; fail=1; }
else
  echo "FAIL: the last line is not the benchmark's summary:"; echo "$out"; fail=1
fi
[ $fail -eq 0 ] && echo "$last"
exit $fail
