#!/usr/bin/env bash
# Soak test: 100 scene builds and teardowns at changing modes and figure
# counts, each with bursts of keys and clicks, on the headless runner built
# with AddressSanitizer and LeakSanitizer. Passes when the runner holds every
# expectation, ends by itself, LeakSanitizer reports nothing, and the peak
# memory of 100 rounds is not clearly above that of 20 rounds (no growth).
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
    # Figure counts wander up and down between rounds, rising to about 450.
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

make_script 20 > "$out/soak20.script"
make_script 100 > "$out/soak100.script"
mkdir -p "$out/r20" "$out/r100"
p20=$(peak_kib "$out/soak20.script" "$out/r20") || { echo "$p20"; exit 1; }
p100=$(peak_kib "$out/soak100.script" "$out/r100") || { echo "$p100"; exit 1; }
echo "peak memory: 20 rounds ${p20} KiB, 100 rounds ${p100} KiB"
# Five times the rounds may not cost more than a quarter more memory.
if (( p100 > p20 + p20 / 4 )); then
  echo "memory grows with the number of rounds"; exit 1
fi
echo "soak passed"
