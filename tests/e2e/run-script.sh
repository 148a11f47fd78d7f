#!/usr/bin/env bash
# Runs one script on the headless runner. A script may carry checks on the
# runner's output in lines "#> grep TEXT" (must appear in the output),
# "#> nogrep TEXT" (must not), "#> log-lines FILE" (the log file
# wimmelprt.txt in the scratch folder must equal FILE, CR LF endings) and
# "#> nolog" (no log file was written), "#> loggrep TEXT" (a log line holds
# TEXT), "#> same A.png B.png" and "#> differ A.png B.png" (two screenshots of
# the script, both of which must exist, are or are not byte-identical). A
# check word it does not know, or a check without what it needs, fails the
# script, so that a misspelt check cannot pass unseen.
set -u
runner="$1"; script="$2"; out="$3"
rm -rf "$out"; mkdir -p "$out"
"$runner" "$script" --out "$out" > "$out/output.txt" 2>&1
status=$?
cat "$out/output.txt"
fail=0
[ $status -eq 0 ] || { echo "runner exit status $status"; fail=1; }
dir=$(dirname "$script")
bad() { echo "$1: $line"; fail=1; }
# Two screenshots named in ARG, both written by the script.
two_shots() {
  read -r a b extra <<< "$arg"
  if [ -z "${b:-}" ] || [ -n "${extra:-}" ]; then bad "needs two screenshots"; return 1; fi
  [ -f "$out/$a" ] || { bad "no screenshot $a"; return 1; }
  [ -f "$out/$b" ] || { bad "no screenshot $b"; return 1; }
}
while IFS= read -r line; do
  check=${line#\#>}; check=${check#"${check%%[! ]*}"}
  word=${check%% *}; arg=""
  [ "$word" = "$check" ] || arg=${check#* }
  case "$word" in
    grep|nogrep|loggrep) [ -n "$arg" ] || { bad "needs a text"; continue; } ;;
    nolog) [ -z "$arg" ] || { bad "takes nothing after it"; continue; } ;;
    log-lines) [ -f "$dir/$arg" ] || { bad "no file $dir/$arg"; continue; } ;;
    same|differ) two_shots || continue ;;
    *) bad "unknown check"; continue ;;
  esac
  case "$word" in
    grep) grep -qF -- "$arg" "$out/output.txt" || { echo "missing in output: $arg"; fail=1; } ;;
    nogrep) ! grep -qF -- "$arg" "$out/output.txt" || { echo "unexpected in output: $arg"; fail=1; } ;;
    loggrep) grep -qF -- "$arg" "$out/work/wimmelprt.txt" 2>/dev/null || { echo "missing in log: $arg"; fail=1; } ;;
    same) cmp -s "$out/$a" "$out/$b" || { echo "$a and $b differ"; fail=1; } ;;
    differ) ! cmp -s "$out/$a" "$out/$b" || { echo "$a and $b are the same"; fail=1; } ;;
    nolog) [ ! -e "$out/work/wimmelprt.txt" ] || { echo "a log file was written"; fail=1; } ;;
    log-lines)
      if ! cmp -s <(sed 's/$/\r/' "$dir/$arg") "$out/work/wimmelprt.txt"; then
        echo "log differs from $arg:"; diff <(sed 's/$/\r/' "$dir/$arg" | cat -A) <(cat -A "$out/work/wimmelprt.txt"); fail=1
      fi ;;
  esac
done < <(grep '^#>' "$script")
exit $fail
