# Helpers the shell benchmarks share; source this file.
# ticks: the clock ticks per second of /proc's CPU times.
ticks=$(getconf CLK_TCK)
# cpu_ticks PID: user + system time of the whole process so far, in ticks.
# Fields are counted after the command name's closing parenthesis, which
# may itself hold blanks.
cpu_ticks() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  # shellcheck disable=SC2086
  set -- $stat
  echo $(( ${12} + ${13} ))
}
# now: wall-clock seconds with nanoseconds.
now() { date +%s.%N; }
# calc EXPR [DIGITS]: EXPR evaluated by awk, printed with DIGITS decimals (2).
calc() { awk "BEGIN { printf \"%.${2:-2}f\", $1 }"; }
