#!/usr/bin/env bash
# The runner's exit statuses for its own input: 0 every expectation held, 1 an
# expectation failed, 2 a bad script or command line, reported before the
# program starts; and a folder "work" it did not make is never touched.
set -u
runner="$1"; out="$2"
rm -rf "$out"; mkdir -p "$out"
fail=0

# check STATUS TEXT ARGS...: the runner, called with ARGS, ends with STATUS and
# its output holds TEXT. A runner that waits for ever on a bad line is stopped
# after a minute and fails the check.
check() {
  local want="$1" text="$2"; shift 2
  timeout 60 "$runner" "$@" > "$out/last.txt" 2>&1
  local status=$?
  if [ "$status" -ne "$want" ]; then
    echo "FAIL: wimmel-headless $* ended with $status, expected $want"; cat "$out/last.txt"; fail=1
  elif ! grep -qF -- "$text" "$out/last.txt"; then
    echo "FAIL: wimmel-headless $* did not say: $text"; cat "$out/last.txt"; fail=1
  fi
}

printf 'key E\nwait 0.2\nexpect-pixel 0 0 123456\n' > "$out/fails.script"
printf '# holds\nkey E\nwait 0.2\nkey Esc\nwait 0.3\nkey Esc\nwait 0.3\nexpect-ended\n' \
  > "$out/ends.script"
printf 'key E\nwait 0.2\nkey Esc\nwait 0.3\nkey Esc\nwait 0.3\nkey x\nexpect-ended\n' \
  > "$out/late.script"
printf 'key E\n\nwait inf\nkey Foo\n' > "$out/bad.script"

# The command line.
check 0 "usage: wimmel-headless" --help
check 2 "no script given"
check 2 "--out needs a folder" "$out/ends.script" --out
check 2 "unknown option --bogus" "$out/ends.script" --bogus
check 2 "more than one script" "$out/ends.script" "$out/ends.script"
# A folder is not a script; bad lines are all named, and nothing is made.
check 2 "$out: not a readable file" "$out"
check 2 "bad.script:3: expected \"wait S\"" "$out/bad.script" --out "$out/bad"
check 2 "bad.script:4: unknown key \"Foo\"" "$out/bad.script" --out "$out/bad"
[ ! -e "$out/bad" ] || { echo "FAIL: a bad script made its output folder"; fail=1; }
# Runs: one that holds (twice, the second removing the first one's scratch
# folder), one with a failed expectation, one with a key after the program ended.
check 0 "headless: all expectations held" "$out/ends.script" --out "$out/run"
check 0 "headless: all expectations held" "$out/ends.script" --out "$out/run"
check 1 "FAIL line 3: pixel (0, 0)" "$out/fails.script" --out "$out/run"
check 2 "late.script:7: \"key\" after the program ended" "$out/late.script" --out "$out/run"
# A script that starts with a UTF-8 byte-order mark runs as without it.
printf '\xEF\xBB\xBFkey E\nwait 0.2\nkey Esc\nwait 0.3\nkey Esc\nwait 0.3\nexpect-ended\n' \
  > "$out/mark.script"
check 0 "headless: all expectations held" "$out/mark.script" --out "$out/run"
# A screenshot that cannot be written fails its line and says why.
printf 'key E\nwait 0.2\nshot taken.png\n' > "$out/shot.script"
mkdir -p "$out/shot/taken.png"
check 1 "FAIL line 3: cannot write $out/shot/taken.png: not a regular file" \
  "$out/shot.script" --out "$out/shot"
# A folder "work" that is not the runner's own stays as it is.
mkdir -p "$out/foreign/work"; echo "keep me" > "$out/foreign/work/keep.txt"
check 2 "was not made by wimmel-headless" "$out/ends.script" --out "$out/foreign"
[ "$(cat "$out/foreign/work/keep.txt" 2>/dev/null)" = "keep me" ] \
  || { echo "FAIL: the runner touched a folder it did not make"; fail=1; }
[ "$(ls -A "$out/foreign/work")" = "keep.txt" ] \
  || { echo "FAIL: the runner wrote into a folder it did not make"; fail=1; }
exit $fail
