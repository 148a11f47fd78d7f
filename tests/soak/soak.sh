#!/usr/bin/env bash
# Soak test: 40 scene builds and teardowns at changing modes and figure
# counts, each with bursts of keys and clicks, on the headless runner built
# with AddressSanitizer and LeakSanitizer. Passes when the runner holds every
# expectation, ends by itself, LeakSanitizer reports nothing, and the peak
# memory of 40 rounds is not clearly above that of 8 rounds (no growth).
# 40 rounds meet each of the letters A to P, each screen height ten times
# and the window's close button four times.
set -u
runner="$1"; data="$2"; out="$3"
if [ ! -x "$runner" ]; then echo "skipped: $runner is not built"; exit 77; fi
# A fresh output folder: the runner keeps its hands off scratch folders it
# did not make, such as those of an older runner.
rm -rf "$out"
mkdir -p "$out"

make_script() {
  local rounds=$1 letters=ABCDEFGHIJKLMNOP
  echo "desktop 1280 1024 32"
  echo "wait 0.1"
  for ((i = 0; i < rounds; i++)); do
    local letter=${letters:$(( (i * 7) % 16 )):1}
    local heights=(480 600 768 1024)
    local h=${heights[$(( (i * 7) % 4 ))]}
    # Figure counts wander up and down between rounds, rising by about 18
    # every four rounds.
    if (( i % 4 == 0 )); then
      for _ in 1 2 3; do echo "type +++++++++++++++"; echo "wait 0.05"; done
    else
      echo "type ---------"; echo "wait 0.05"
    fi
    echo "key $letter"
    echo "wait 0.3"
    echo "type 9317gtrbzpkldsfnc"
    echo "key Tab"
    echo "key Backspace"
    echo "wait 0.1"
    echo "key h"
    echo "mouse 25 $((h - 80))"
    echo "press left"
    echo "wait 0.05"
    echo "release left"
    echo "wait 0.35"
    echo "mouse 300 200"
    echo "press right"
    echo "wait 0.05"
    echo "release right"
    echo "press left"
    echo "wait 0.05"
    echo "release left"
    echo "mouse out"
    echo "type x3"
    echo "key Enter"
    echo "key a"
    echo "wait 0.05"
    echo "type 1234"
    echo "wait 0.05"
    echo "key Esc"
    echo "wait 0.1"
    if (( i % 10 == 9 )); then echo "key Close"; else echo "key Esc"; fi
    echo "wait 0.2"
  done
  echo "key Esc"
  echo "wait 0.3"
  echo "expect-ended"
}

peak_kib() {  # runs the runner on a script and prints its peak memory in KiB
  local script=$1 dir=$2
  WIMMEL_DATA="$data" ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=16:malloc_context_size=10 \
    /usr/bin/time -f "%M" -o "$dir/peak.txt" "$runner" "$script" --out "$dir" > "$dir/output.txt" 2>&1
  local status=$?
  if [ $status -ne 0 ]; then
    echo "runner failed with status $status on $script:"; grep -v '^console:' "$dir/output.txt" | tail -40
    return 1
  fi
  grep -q "ended: code 0" "$dir/output.txt" || { echo "the program did not end by itself"; return 1; }
  cat "$dir/peak.txt"
}

make_script 8 > "$out/soak8.script"
make_script 40 > "$out/soak40.script"
mkdir -p "$out/r8" "$out/r40"
p8=$(peak_kib "$out/soak8.script" "$out/r8") || { echo "$p8"; exit 1; }
p40=$(peak_kib "$out/soak40.script" "$out/r40") || { echo "$p40"; exit 1; }
echo "peak memory: 8 rounds ${p8} KiB, 40 rounds ${p40} KiB"
# Five times the rounds may not cost more than a quarter more memory.
if (( p40 > p8 + p8 / 4 )); then
  echo "memory grows with the number of rounds"; exit 1
fi
echo "soak passed"
