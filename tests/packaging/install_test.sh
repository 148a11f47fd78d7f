#!/usr/bin/env bash
# install_test.sh BUILD SOURCE: installs the build into a temporary prefix and
# checks that everything lands where a desktop looks for it, laid out as
# Debian lays out a game (programs in games/, data in share/games/wimmel), that no source
# or build path is compiled into the programs, and that the installed runner
# plays a short flow from an empty working folder, finding its data beside
# its own files. A copy of wimmel with no data anywhere says where it looked
# and ends with 1 before it opens a window, without sending an installed
# program's user to the build's ./run.
set -u
build="$1"; source="$2"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/wimmel-install-XXXXXX")
trap 'rm -rf "$tmp"' EXIT
fail=0
check() { "$@" || { echo "FAIL: $*"; fail=1; }; }

prefix="$tmp/prefix"
cmake --install "$build" --prefix "$prefix" > "$tmp/install.log" 2>&1 || {
  cat "$tmp/install.log"; echo "FAIL: cmake --install"; exit 1; }

for f in games/wimmel games/wimmel-headless; do check test -x "$prefix/$f"; done
check test ! -e "$prefix/bin"
for d in HG_bild figure objekte pattern musik; do check test -d "$prefix/share/games/wimmel/$d"; done
check test -f "$prefix/share/games/wimmel/HG_bild/Karogrun.bmp"
check test ! -e "$prefix/share/games/wimmel/contact-sheet.png"
check test ! -e "$prefix/share/wimmel"
check test -f "$prefix/share/applications/wimmel.desktop"
check test -f "$prefix/share/metainfo/invalid.wimmel.wimmel.metainfo.xml"
for s in 48 256; do check test -f "$prefix/share/icons/hicolor/${s}x${s}/apps/wimmel.png"; done
for m in wimmel.6.gz wimmel-headless.6.gz; do check test -f "$prefix/share/man/man6/$m"; done
# Each package's documentation folder has the copyright and the changelog;
# Wimmel's own holds the user's guide, not the build instructions.
for p in wimmel wimmel-data wimmel-headless; do
  for f in copyright changelog.gz; do check test -f "$prefix/share/doc/$p/$f"; done
done
check test -f "$prefix/share/doc/wimmel/user-guide.txt"
check test ! -e "$prefix/share/doc/wimmel/README.md"
gzip -t "$prefix/share/man/man6/wimmel.6.gz" || { echo "FAIL: wimmel.6.gz is no gzip file"; fail=1; }

# The programs find everything at run time; nothing of this tree is in their
# code or data. cmake --install does not strip, and the debug information of
# a RelWithDebInfo or Debug build names the source files, so a copy without
# it is searched.
for f in "$prefix"/games/*; do
  stripped="$tmp/stripped-$(basename "$f")"
  objcopy --strip-debug "$f" "$stripped" || { echo "FAIL: objcopy --strip-debug $f"; fail=1; continue; }
  for path in "$(cd "$source" && pwd -P)" "$(cd "$build" && pwd -P)"; do
    if grep -qaF "$path" "$stripped"; then echo "FAIL: $f holds the path $path"; fail=1; fi
  done
done

# The installed runner from an empty working folder, with no hint where the
# data is.
mkdir -p "$tmp/empty"
out=$(cd "$tmp/empty" && env -u WIMMEL_DATA "$prefix/games/wimmel-headless" \
        "$source/tests/packaging/short.script" --out "$tmp/run" 2>&1)
status=$?
[ $status -eq 0 ] || { echo "$out"; echo "FAIL: the installed runner ended with $status"; fail=1; }
grep -q "ended: code 0" <<<"$out" || { echo "FAIL: the flow did not end the program"; fail=1; }
check test -f "$tmp/run/scene.png"
check test -z "$(ls -A "$tmp/empty")"

# wimmel alone, without data anywhere: it names each place it looked, ends
# with 1, and does so before looking for a display.
mkdir -p "$tmp/lonely/games"
cp "$prefix/games/wimmel" "$tmp/lonely/games/"
err=$(cd "$tmp/empty" && env -u WIMMEL_DATA DISPLAY=:9999 "$tmp/lonely/games/wimmel" 2>&1 >/dev/null)
status=$?
[ $status -eq 1 ] || { echo "FAIL: wimmel without data ended with $status, not 1"; fail=1; }
for place in "the working folder $tmp/empty" '$WIMMEL_DATA (not set)' "$tmp/lonely/data" \
             "$tmp/lonely/share/games/wimmel" "$tmp/lonely/share/wimmel"; do
  grep -qF -- "$place" <<<"$err" || { echo "FAIL: the message does not name $place:"; echo "$err"; fail=1; }
done
grep -q "Grafikanzeige" <<<"$err" && { echo "FAIL: wimmel looked for a display before its data"; fail=1; }
# An installed program has no source folder: no ./run for its user.
grep -q "\./run" <<<"$err" && { echo "FAIL: an installed wimmel tells its user to run ./run:"; echo "$err"; fail=1; }

# A $WIMMEL_DATA without data is passed over for the installed data, with a
# word on stderr; then wimmel finds no display (none is at :9999).
mkdir -p "$tmp/nodata"
real=$(cd "$tmp" && pwd -P)
err=$(cd "$tmp/empty" && WIMMEL_DATA="$real/nodata" DISPLAY=:9999 SDL_VIDEODRIVER=x11 \
        "$prefix/games/wimmel" 2>&1 >/dev/null)
grep -qxF "wimmel: \$WIMMEL_DATA names $real/nodata, which holds no data folders; using $real/prefix/share/games/wimmel" \
  <<<"$err" || { echo "FAIL: wimmel did not say it passed over \$WIMMEL_DATA:"; echo "$err"; fail=1; }

# The command line answers without a display.
check "$prefix/games/wimmel" --version
"$prefix/games/wimmel" --help | grep -q -- "--mode WxHxD" || { echo "FAIL: --help"; fail=1; }
"$prefix/games/wimmel" --mode 640x480 > /dev/null 2> "$tmp/bad"; status=$?
[ $status -eq 2 ] || { echo "FAIL: a bad --mode ended with $status, not 2"; fail=1; }
grep -q "wimmel --help" "$tmp/bad" || { echo "FAIL: no pointer to --help"; fail=1; }
"$prefix/games/wimmel-headless" --help | grep -q -- "--out DIR" || { echo "FAIL: wimmel-headless --help"; fail=1; }
# A mode the display does not offer is refused with the offered ones: SDL's
# dummy video driver has a 1024 x 768 desktop, which 1280 x 1024 exceeds.
SDL_VIDEODRIVER=dummy "$prefix/games/wimmel" --mode 1280x1024x32 > /dev/null 2> "$tmp/refused"
status=$?
[ $status -eq 2 ] || { echo "FAIL: an unoffered mode ended with $status, not 2"; fail=1; }
grep -q "does not offer 1280x1024x32; it offers 640x480x15 .*1024x768x32" "$tmp/refused" || {
  echo "FAIL: the refusal does not list the offered modes:"; cat "$tmp/refused"; fail=1; }

[ $fail -eq 0 ] && echo "install: all checks passed"
exit $fail
