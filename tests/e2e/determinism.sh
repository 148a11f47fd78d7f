#!/usr/bin/env bash
# Plays one script twice and compares every screenshot and the output byte for byte.
set -u
runner="$1"; script="$2"; out="$3"
rm -rf "$out"; mkdir -p "$out/a" "$out/b"
"$runner" "$script" --out "$out/a" > "$out/a/output.txt" 2>&1
"$runner" "$script" --out "$out/b" > "$out/b/output.txt" 2>&1
fail=0
for f in "$out"/a/*.png "$out/a/output.txt"; do
  g="$out/b/$(basename "$f")"
  cmp -s "$f" "$g" || { echo "differs: $(basename "$f")"; fail=1; }
done
ls "$out"/a/*.png >/dev/null 2>&1 || { echo "no screenshots were written"; fail=1; }
exit $fail
