#!/usr/bin/env bash
# same_as_native.sh NATIVE_RUNNER WEB_RUNNER_JS SOURCE_DIR DATA_DIR OUT_DIR
# Runs every e2e script and the tour with the native wimmel-headless and with
# the WebAssembly one under Node, and fails unless both give byte-identical
# output, exit status, log and screenshots. Exit 77 (skipped) when the web
# build or Node is missing.
set -u
native=$1 web=$2 source=$3 data=$4 out=$5
. "$(dirname "$0")/need_web.sh"
need_web "$web"
export WIMMEL_DATA=$data

# run SCRIPT DIR RUNNER...: one run of SCRIPT into DIR, as the project's
# snapshots take it (output with exit status, log, screenshots).
run() {
  local script=$1 dir=$2
  shift 2
  mkdir -p "$dir"
  (cd "$source" && "$@" "$script" --out "$dir" > "$dir/output.txt" 2>&1
   echo "status $?" >> "$dir/output.txt")
  if [ -f "$dir/work/wimmelprt.txt" ]; then cp "$dir/work/wimmelprt.txt" "$dir/log.txt"; fi
  rm -rf "$dir/work"
}

rm -rf "$out"
failed=0
for script in "$source"/tests/e2e/*.script "$source"/scripts/tour.script; do
  name=$(basename "$script" .script)
  run "$script" "$out/native/$name" "$native" &
  run "$script" "$out/web/$name" node "$web"
  wait
  if ! diff -r "$out/native/$name" "$out/web/$name" > "$out/$name.diff"; then
    echo "FAIL $name: the web runner differs from the native one:"
    head -20 "$out/$name.diff"
    failed=1
  else
    echo "same $name ($(find "$out/web/$name" -type f | wc -l) files)"
    rm "$out/$name.diff"
  fi
done
exit $failed
