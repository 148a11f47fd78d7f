#!/usr/bin/env bash
# The web page against the native program, in one run: native wimmel's
# benchmark in a real window (Xvfb 1280 x 1024 x 24 with openbox, as
# bench/window does), then the page's benchmark in Debian's headless
# chromium, both at 1280 x 1024 x 32 with 1024 figures, one after the other
# on the same machine.
#
#   bench/web/compare.sh [SECONDS] [--rounds N] [--long] [--web DIR]
#                        [--wimmel PATH] [--data DIR]
#
# SECONDS (default 10) is each benchmark's length. The pair runs N times
# (default 3), native and page in turns, and the verdicts on steps and CPU
# take the median of the rounds' ratios: this machine's load moves a single
# run's figures by a third. --long also watches the page's wasm heap over a
# 5-minute benchmark. Targets:
#   steps/s of the page             >= 0.9 x native's
#   CPU time per step, the whole browser (all its processes, /proc)
#                                   <= 2 x native wimmel's
#   first frame after navigation    <= 2 s (a fresh profile, nothing cached)
#   wimmel.wasm                     <= 1 MB
#   data transferred (gzip)         <= 11 MB (everything the page loads)
#   wasm heap, 1024 figures at 1280 x 1024 x 32
#                                   <= 128 MB, and flat: no growth after
#                                   the first 2 s of the run (with --long:
#                                   after the first tenth of 5 minutes)
# MB here is 10^6 bytes. This is a benchmark, not a test: the machine's load
# changes the numbers, so compare within one run and note the load.
#
# Exit status: 0 when every target is met, 1 when one is missed, 2 when a
# program could not be run or measured.
set -uo pipefail

seconds=10
rounds=3
long=0
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
web="$root/build/web"
wimmel="$root/build/bin/wimmel"
data=""
while [ $# -gt 0 ]; do
  case "$1" in
    --long) long=1; shift ;;
    --web) web=$2; shift 2 ;;
    --wimmel) wimmel=$2; shift 2 ;;
    --data) data=$2; shift 2 ;;
    --rounds)
      [[ "${2:-}" =~ ^[1-9][0-9]*$ ]] || { echo "compare: --rounds needs a number" >&2; exit 2; }
      rounds=$2; shift 2 ;;
    -h | --help) sed -n '2,30p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *)
      if [[ "$1" =~ ^[0-9]+$ ]] && [ "$1" -gt 0 ]; then seconds=$1; shift
      else echo "compare: unknown argument $1" >&2; exit 2; fi ;;
  esac
done
if [ -z "$data" ]; then
  if [ -n "${WIMMEL_DATA:-}" ]; then data=$WIMMEL_DATA; else data="$root/build/data"; fi
fi

die() { echo "compare: $*" >&2; exit 2; }
absolute() { if [ -e "$1" ]; then echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; else echo "$1"; fi; }
wimmel=$(absolute "$wimmel")
data=$(absolute "$data")
web=$(absolute "$web")
for tool in Xvfb openbox wmctrl node; do
  command -v "$tool" >/dev/null 2>&1 || die "$tool is missing (scripts/setup installs it)"
done
[ -x /usr/bin/chromium ] || die "/usr/bin/chromium is missing (scripts/setup installs it)"
[ -d "$root/tests/web/page/node_modules/puppeteer-core" ] ||
  die "puppeteer-core is missing (scripts/setup installs it)"
[ -x "$wimmel" ] || die "$wimmel is not built (scripts/build)"
[ -d "$data/figure" ] || die "no data in $data (give --data or set WIMMEL_DATA)"
[ -f "$web/index.html" ] && [ -f "$web/wimmel.wasm" ] || die "the page is not built in $web (scripts/build-web)"

source "$root/tests/support/x11_session.sh"
out=$(mktemp -d "${TMPDIR:-/tmp}/web-compare.XXXXXX")
session_remove=("$out")
source "$here/../support/measure.sh"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
field() { sed -n "s|.*[[:space:]]$1=\([-0-9.eE+]*\).*|\1|p" <<<"$2"; }
# median: the middle of the numbers on standard input (for an even count
# the mean of the two middle ones).
median() {
  sort -g | awk '{ v[NR] = $1 } END { printf "%.3f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# native_run: native wimmel's benchmark in a real window; sets native_line,
# n_proc and x_proc (CPU % from /proc of wimmel and of Xvfb beside it).
native_run() {
  x11_start "$out" || die "$x11_error"
  (cd "$out" && exec "$wimmel" --data "$data" --mode 1280x1024x32 --figures 1024 \
    --benchmark "$seconds") >"$out/wimmel.log" 2>&1 &
  local wpid=$! xpid=${session_pids[0]}
  session_pids+=($wpid)
  # The X server draws what wimmel presents; its share is shown beside
  # wimmel's own for comparison with the whole browser's.
  local w_first="" w_first_t="" w_last="" w_last_t="" x_first="" x_last="" c x t
  for _ in $(seq $(( (seconds + 30) * 10 ))); do
    c=$(cpu_ticks "$wpid") || break
    x=$(cpu_ticks "$xpid") || x=0
    t=$(now)
    if [ -z "$w_first" ]; then w_first=$c; w_first_t=$t; x_first=$x; fi
    w_last=$c; w_last_t=$t; x_last=$x
    sleep 0.1
  done
  if kill -0 "$wpid" 2>/dev/null; then
    kill -TERM "$wpid"
    die "wimmel did not end by itself after --benchmark $seconds"
  fi
  wait "$wpid"
  local w_status=$?
  native_line=$(grep '^benchmark: ' "$out/wimmel.log" | tail -n1)
  [ -n "$native_line" ] || die "wimmel (exit $w_status) printed no benchmark line: $(tail -n3 "$out/wimmel.log")"
  n_proc=$(calc "($w_last - $w_first) / $ticks / ($w_last_t - $w_first_t) * 100" 1)
  x_proc=$(calc "($x_last - $x_first) / $ticks / ($w_last_t - $w_first_t) * 100" 1)
  # The desktop is not needed any more: the browser runs headless.
  session_remove=()
  session_cleanup
  session_pids=()
  session_remove=("$out")
}

# page_run HEAP_SECONDS: the page's benchmark in headless chromium; its
# name=value lines go to $out/page.txt.
page_run() {
  node "$here/page_bench.js" --web "$web" --seconds "$seconds" --heap-seconds "$1" \
    >"$out/page.txt" 2>"$out/page.err" || die "the page's benchmark failed: $(cat "$out/page.err")"
}
value() { sed -n "s|^$1=||p" "$out/page.txt" | tail -n1; }

printf '\nThe page against native wimmel, 1280x1024x32, 1024 figures, %s s each, %s rounds\n' \
  "$seconds" "$rounds"
printf 'load average before %s; %s cores\n' "$load_before" "$(nproc)"
steps_ratios=(); cpu_ratios=(); first_frames=(); bench_first_frames=()
for round in $(seq "$rounds"); do
  native_run
  heap_seconds=0
  [ "$long" -eq 1 ] && [ "$round" -eq "$rounds" ] && heap_seconds=300
  page_run "$heap_seconds"
  page_line=$(value benchmark_line)
  n_steps=$(field 'steps/s' "$native_line")
  n_cpu=$(field cpu_percent "$native_line")
  p_steps=$(field 'steps/s' "$page_line")
  for v in n_steps n_cpu p_steps; do
    [ -n "${!v}" ] || die "cannot read ${v}: native '$native_line', page '$page_line'"
  done
  awk "BEGIN { exit !($n_steps > 0 && $p_steps > 0) }" || die "no steps: native '$native_line', page '$page_line'"
  b_cpu_s=$(value browser_cpu_seconds)
  b_wall=$(value browser_wall_seconds)
  b_cpu=$(calc "$b_cpu_s / $b_wall * 100" 1)
  # CPU milliseconds per step: the CPU share of the run over its step rate.
  n_ms=$(calc "$n_cpu / 100 * 1000 / $n_steps" 3)
  p_ms=$(calc "$b_cpu / 100 * 1000 / $p_steps" 3)
  steps_ratios+=("$(calc "$p_steps / $n_steps" 3)")
  cpu_ratios+=("$(calc "$p_ms / $n_ms" 3)")
  first_frames+=("$(value first_frame_ms)")
  bench_first_frames+=("$(value benchmark_first_frame_ms)")
  printf '\nround %s of %s (load %s)\n' "$round" "$rounds" "$(cut -d' ' -f1-3 /proc/loadavg)"
  printf 'native (Xvfb + openbox): %s\n' "$native_line"
  printf '        cpu %% from /proc while it ran: %s (Xvfb beside it: %s)\n' "$n_proc" "$x_proc"
  printf 'page (headless chromium): %s\n' "$page_line"
  printf '        console.log holds it: %s; the whole browser (%s processes) used %s s CPU in %s s: %s %%\n' \
    "$(value benchmark_line_logged)" "$(value browser_processes)" "$b_cpu_s" "$b_wall" "$b_cpu"
  printf '        by process: %s\n' "$(value browser_cpu_by_kind)"
  printf '        steps/s page / native %s / %s = %s; CPU ms per step browser / native %s / %s = %s\n' \
    "$p_steps" "$n_steps" "${steps_ratios[-1]}" "$p_ms" "$n_ms" "${cpu_ratios[-1]}"
  printf '        presents/s page %s; the page'\''s own cpu_percent %s (the share of the page'\''s thread the program held)\n' \
    "$(field 'presents/s' "$page_line")" "$(field cpu_percent "$page_line")"
  grep '^note: ' "$out/page.txt" | sed 's/^note: /page problem: /'
done
steps_ratio=$(printf '%s\n' "${steps_ratios[@]}" | median)
cpu_ratio=$(printf '%s\n' "${cpu_ratios[@]}" | median)
first_ms=$(printf '%s\n' "${first_frames[@]}" | sort -g | tail -n1)
bench_first_ms=$(printf '%s\n' "${bench_first_frames[@]}" | sort -g | tail -n1)
wasm_bytes=$(stat -c %s "$web/wimmel.wasm")
wasm_gzip=$(gzip -9 -c "$web/wimmel.wasm" | wc -c)
transferred=$(value transferred_bytes)
heap=$(value heap_bytes)
heap_early=$(value heap_early_bytes)
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
mb() { calc "$1 / 1000000" 2; }

missed=0
verdict() { # NAME VALUE TARGET CONDITION
  local result=met
  awk "BEGIN { exit !($4) }" || { result=MISSED; missed=1; }
  printf '%-42s %18s   target %-12s %s\n' "$1" "$2" "$3" "$result"
}

printf '\nload average after %s; medians of %s rounds, first frames the slowest\n' "$load_after" "$rounds"
verdict 'steps/s page / native' "$steps_ratio (${steps_ratios[*]})" '>= 0.9' "$steps_ratio >= 0.9"
verdict 'CPU ms per step browser / native' "$cpu_ratio (${cpu_ratios[*]})" '<= 2' "$cpu_ratio <= 2"
verdict 'first frame after navigation (ms)' "$first_ms" '<= 2000' "$first_ms <= 2000"
verdict 'first frame of the benchmark page (ms)' "$bench_first_ms" '<= 2000' "$bench_first_ms <= 2000"
verdict 'wimmel.wasm (MB)' "$(mb "$wasm_bytes") (gzip $(mb "$wasm_gzip"))" '<= 1' "$wasm_bytes <= 1000000"
verdict 'transferred on first load, gzip (MB)' "$(mb "$transferred")" '<= 11' "$transferred <= 11000000"
verdict 'wasm heap at the end (MB)' "$(mb "$heap")" '<= 128' "$heap <= 128000000"
verdict "heap flat over ${seconds} s (MB, early -> end)" "$(mb "$heap_early") -> $(mb "$heap")" 'no growth' \
  "$heap <= $heap_early"
if [ "$long" -eq 1 ]; then
  settled=$(value long_heap_settled_bytes)
  max=$(value long_heap_max_bytes)
  verdict 'heap flat over 300 s (MB, settled -> max)' "$(mb "$settled") -> $(mb "$max")" 'no growth' \
    "$max <= $settled && $max <= 128000000"
fi
if [ "$missed" -eq 0 ]; then
  printf 'every target met\n'
  exit 0
fi
printf 'a target was missed\n'
exit 1
