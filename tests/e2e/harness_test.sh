#!/usr/bin/env bash
# The "#>" checks of run-script.sh, each once where it holds and once where it
# must fail, against a stand-in runner with known output, screenshots and log.
set -u
here=$(cd "$(dirname "$0")" && pwd)
out="$1"
rm -rf "$out"; mkdir -p "$out"
fail=0

# The stand-in: says "hello world", writes a.png and a2.png (equal) and b.png,
# and a log of two lines unless STUB_NOLOG is set; ends with STUB_STATUS.
cat > "$out/stub-runner" <<'EOF'
#!/usr/bin/env bash
dir="$3"
echo "hello world"
printf A > "$dir/a.png"; printf A > "$dir/a2.png"; printf B > "$dir/b.png"
mkdir -p "$dir/work"
[ -n "${STUB_NOLOG:-}" ] || printf 'Zeile 1\r\nZeile 2\r\n' > "$dir/work/wimmelprt.txt"
exit "${STUB_STATUS:-0}"
EOF
chmod +x "$out/stub-runner"
printf 'Zeile 1\nZeile 2\n' > "$out/right.expected"
printf 'Zeile 1\nZeile 3\n' > "$out/wrong.expected"

# expect STATUS CHECK: a script holding only the line CHECK gives STATUS.
expect() {
  local want="$1" check="$2"
  printf '%s\n' "$check" > "$out/case.script"
  "$here/run-script.sh" "$out/stub-runner" "$out/case.script" "$out/run" > "$out/last.txt" 2>&1
  local status=$?
  if [ "$status" -ne "$want" ]; then
    echo "FAIL: \"$check\" gave $status, expected $want"; cat "$out/last.txt"; fail=1
  fi
}

expect 0 "#> grep hello"
expect 1 "#> grep absent"
expect 1 "#> grep"
expect 0 "#> nogrep absent"
expect 1 "#> nogrep hello"
expect 0 "#> loggrep Zeile 2"
expect 1 "#> loggrep Zeile 3"
expect 0 "#> same a.png a2.png"
expect 1 "#> same a.png b.png"
expect 1 "#> same a.png"
expect 1 "#> same a.png missing.png"
expect 0 "#> differ a.png b.png"
expect 1 "#> differ a.png a2.png"
expect 1 "#> differ a.png missing.png"
expect 1 "#> differ missing.png missing2.png"
expect 1 "#> differ a.png b.png a2.png"
expect 1 "#> nolog"
STUB_NOLOG=1 expect 0 "#> nolog"
expect 0 "#> log-lines right.expected"
expect 1 "#> log-lines wrong.expected"
expect 1 "#> log-lines missing.expected"
STUB_NOLOG=1 expect 1 "#> log-lines right.expected"
expect 1 "#> frobnicate hello"
expect 1 "#> Grep hello"
expect 1 "#> differs a.png b.png"
expect 0 "#>grep hello"
STUB_STATUS=1 expect 1 "#> grep hello"
STUB_STATUS=2 expect 1 "# no checks"
expect 0 "# no checks"
exit $fail
