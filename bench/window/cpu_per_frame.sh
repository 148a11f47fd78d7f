#!/usr/bin/env bash
# CPU time per presented frame in a real window: SDL's testsprite2 (software
# renderer, 1024 sprites, 1280 x 1024) against wimmel's 1024-figure scene at
# 1280 x 1024 x 32, one after the other on the same Xvfb desktop with openbox,
# so both meet the same machine, server and load. The target is
# wimmel <= 0.5 x testsprite2 per frame.
#
#   bench/window/cpu_per_frame.sh [SECONDS] [--wimmel PATH] [--data DIR]
#                                 [--testsprite PATH]
#
# SECONDS (default 10) is how long each program is measured; testsprite2's
# span is a whole number of its 5-second report windows, after the first.
# testsprite2's CPU time is the utime + stime of /proc/PID/stat (the whole
# process, every thread), read when it reports a window's frame rate. wimmel
# measures itself with --benchmark and prints a last line
#   benchmark: steps/s=N presents/s=N step_mean_ms=N step_p99_ms=N cpu_percent=N
# whose presents/s and cpu_percent give its CPU per frame; /proc is sampled
# beside it as a cross-check. This is a benchmark, not a test: the machine's
# load changes the numbers, so compare within one run and note the load.
#
# Exit status: 0 when the target is met, 1 when it is missed, 2 when a
# program could not be run or measured.
set -uo pipefail

seconds=10
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
wimmel="$root/build/bin/wimmel"
data=""
testsprite=""
while [ $# -gt 0 ]; do
  case "$1" in
    --wimmel) wimmel=$2; shift 2 ;;
    --data) data=$2; shift 2 ;;
    --testsprite) testsprite=$2; shift 2 ;;
    -h | --help) sed -n '2,22p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *)
      if [[ "$1" =~ ^[0-9]+([.][0-9]+)?$ ]]; then seconds=$1; shift
      else echo "cpu_per_frame: unknown argument $1" >&2; exit 2; fi ;;
  esac
done
if [ -z "$data" ]; then
  if [ -n "${WIMMEL_DATA:-}" ]; then data=$WIMMEL_DATA; else data="$root/build/data"; fi
fi
if [ -z "$testsprite" ]; then
  testsprite=$(dpkg -L libsdl2-tests 2>/dev/null | grep '/testsprite2$' | head -n1)
fi

die() { echo "cpu_per_frame: $*" >&2; exit 2; }
# wimmel runs in a scratch folder: relative paths are taken from here.
absolute() { if [ -e "$1" ]; then echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; else echo "$1"; fi; }
wimmel=$(absolute "$wimmel")
data=$(absolute "$data")
for tool in Xvfb openbox wmctrl; do
  command -v "$tool" >/dev/null 2>&1 || die "$tool is missing (scripts/setup installs it)"
done
[ -n "$testsprite" ] && [ -x "$testsprite" ] ||
  die "testsprite2 not found (Debian package libsdl2-tests, in scripts/setup)"
[ -f "$(dirname "$testsprite")/icon.bmp" ] || die "icon.bmp is not beside $testsprite"
[ -x "$wimmel" ] || die "$wimmel is not built (cmake --build build --target wimmel)"
[ -d "$data/figure" ] || die "no data in $data (give --data or set WIMMEL_DATA)"

source "$root/tests/support/x11_session.sh"
out=$(mktemp -d "${TMPDIR:-/tmp}/cpu_per_frame.XXXXXX")
session_remove=("$out")

source "$here/../support/measure.sh"

x11_start "$out" || die "$x11_error"

load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# ---------------------------------------------------------------- testsprite2
# It loads icon.bmp from its working folder. Every 5 seconds it prints the
# frame rate of the 5 seconds past ("N frames per second"), and nothing when
# it quits. So its CPU time is read each time a new rate appears: the first
# window (with the start-up) is the warm-up, and the windows after it give
# frames = rate x window length against the CPU time spent in them.
(cd "$(dirname "$testsprite")" &&
  exec "$testsprite" --renderer software --geometry 1280x1024 1024) >"$out/testsprite.log" 2>&1 &
tpid=$!
session_pids+=($tpid)
rates() { grep -c 'frames per second' "$out/testsprite.log"; }
seen=0; t0=""; c0=""; t_prev=""; ts_frames=0; tc=""; tt=""
limit=$(calc "($seconds + 20) * 50" 0)
for _ in $(seq "$limit"); do
  kill -0 "$tpid" 2>/dev/null || die "testsprite2 ended early: $(tail -n3 "$out/testsprite.log")"
  n=$(rates)
  if [ "$n" -gt "$seen" ]; then
    c=$(cpu_ticks "$tpid") || die "cannot read /proc/$tpid/stat"
    t=$(now)
    fps=$(grep -o '[0-9.]* frames per second' "$out/testsprite.log" | sed -n "${n}p" | cut -d' ' -f1)
    if [ -z "$t0" ]; then
      t0=$t; c0=$c
    else
      ts_frames=$(calc "$ts_frames + $fps * ($t - $t_prev)" 3)
      tt=$t; tc=$c
    fi
    t_prev=$t; seen=$n
    if [ -n "$tt" ] && awk "BEGIN { exit !($tt - $t0 >= $seconds - 0.5) }"; then break; fi
  fi
  sleep 0.02
done
kill -TERM "$tpid" 2>/dev/null
wait "$tpid" 2>/dev/null
[ -n "$tt" ] || die "testsprite2 printed no frame rate after its first: $(tail -n3 "$out/testsprite.log")"
ts_span=$(calc "$tt - $t0" 3)
ts_fps=$(calc "$ts_frames / $ts_span" 2)
ts_cpu=$(calc "($tc - $c0) / $ticks / $ts_span * 100" 1)
ts_ms=$(calc "($tc - $c0) / $ticks * 1000 / $ts_frames" 3)

# ---------------------------------------------------------------- wimmel
(cd "$out" && exec "$wimmel" --data "$data" --mode 1280x1024x32 --figures 1024 \
  --benchmark "$seconds") >"$out/wimmel.log" 2>&1 &
wpid=$!
session_pids+=($wpid)
# Sampled while it runs, for the cross-check: the last sample before it ends.
w_first=""; w_first_t=""; w_last=""; w_last_t=""
limit=$(calc "($seconds + 30) * 10" 0)
for _ in $(seq "$limit"); do
  c=$(cpu_ticks "$wpid") || break
  t=$(now)
  if [ -z "$w_first" ]; then w_first=$c; w_first_t=$t; fi
  w_last=$c; w_last_t=$t
  sleep 0.1
done
if kill -0 "$wpid" 2>/dev/null; then
  kill -TERM "$wpid"
  die "wimmel did not end by itself after --benchmark $seconds (does it know --benchmark?)"
fi
wait "$wpid"
w_status=$?
line=$(grep '^benchmark: ' "$out/wimmel.log" | tail -n1)
[ -n "$line" ] || die "wimmel (exit $w_status) printed no benchmark line: $(tail -n3 "$out/wimmel.log")"
field() { sed -n "s|.*[[:space:]]$1=\([-0-9.eE+]*\).*|\1|p" <<<"$line"; }
w_presents=$(field 'presents/s')
w_steps=$(field 'steps/s')
w_cpu=$(field cpu_percent)
w_mean=$(field step_mean_ms)
w_p99=$(field step_p99_ms)
for v in w_presents w_steps w_cpu w_mean w_p99; do
  [ -n "${!v}" ] || die "cannot read ${v#w_} from: $line"
done
awk "BEGIN { exit !($w_presents > 0) }" || die "wimmel presented no frame: $line"
w_ms=$(calc "$w_cpu / 100 * 1000 / $w_presents" 3)
w_proc=$(calc "($w_last - $w_first) / $ticks / ($w_last_t - $w_first_t) * 100" 1)

load_after=$(cut -d' ' -f1-3 /proc/loadavg)
ratio=$(calc "$w_ms / $ts_ms" 3)

printf '\nCPU per presented frame, real window (Xvfb 1280x1024x24, openbox), %s s each\n' "$seconds"
printf 'load average before %s, after %s; %s cores\n\n' "$load_before" "$load_after" "$(nproc)"
printf '%-13s %10s %10s %14s\n' program frames/s 'cpu %' 'cpu ms/frame'
printf '%-13s %10s %10s %14s\n' testsprite2 "$ts_fps" "$ts_cpu" "$ts_ms"
printf '%-13s %10s %10s %14s\n' wimmel "$w_presents" "$w_cpu" "$w_ms"
printf '\ntestsprite2: software renderer, 1024 sprites, %s frames in %s s\n' "$ts_frames" "$ts_span"
printf 'wimmel: 1280x1024x32, 1024 figures, steps/s %s, step mean %s ms, p99 %s ms;\n' \
  "$w_steps" "$w_mean" "$w_p99"
printf '        cpu %% from /proc while it ran: %s (its own figure: %s)\n' "$w_proc" "$w_cpu"
if awk "BEGIN { exit !($ratio <= 0.5) }"; then
  printf '\nwimmel / testsprite2 per frame = %s <= 0.5: target met\n' "$ratio"
  exit 0
fi
printf '\nwimmel / testsprite2 per frame = %s > 0.5: target missed\n' "$ratio"
exit 1
