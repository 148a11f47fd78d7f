#!/usr/bin/env bash
# package_test.sh BUILD SOURCE: makes the Debian package with cpack, checks
# its name, its computed dependencies and lintian's verdict, unpacks it with
# dpkg -x into a temporary root and plays a short flow with the unpacked
# runner from an empty working folder. Skipped (77) without cpack or dpkg.
set -u
build="$1"; source="$2"
for tool in cpack dpkg dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
tmp=$(mktemp -d "${TMPDIR:-/tmp}/wimmel-package-XXXXXX")
trap 'rm -rf "$tmp"' EXIT
fail=0

(cd "$build" && cpack -G DEB -B "$tmp/out" > "$tmp/cpack.log" 2>&1) || {
  cat "$tmp/cpack.log"; echo "FAIL: cpack"; exit 1; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$tmp/out/wimmel_${version}_amd64.deb"
[ -f "$deb" ] || { ls "$tmp/out"; echo "FAIL: no $deb"; exit 1; }
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
dpkg-deb -I "$deb" > "$tmp/info"
cat "$tmp/info"
# The libraries the programs link, found by dpkg-shlibdeps, not listed by hand.
for lib in libsdl2 libmpg123 libpng; do
  grep -q "^ Depends:.*$lib" "$tmp/info" || { echo "FAIL: Depends lacks $lib"; fail=1; }
done

if command -v lintian > /dev/null; then
  lintian --fail-on error --allow-root "$deb" > "$tmp/lintian" 2>&1 || {
    cat "$tmp/lintian"; echo "FAIL: lintian reports errors"; fail=1; }
  grep "^[EW]:" "$tmp/lintian" || true
else
  echo "FAIL: lintian is not installed (scripts/setup installs it)"; fail=1
fi

dpkg -x "$deb" "$tmp/root"
mkdir -p "$tmp/empty"
out=$(cd "$tmp/empty" && env -u WIMMEL_DATA "$tmp/root/usr/bin/wimmel-headless" \
        "$source/tests/packaging/short.script" --out "$tmp/run" 2>&1)
status=$?
[ $status -eq 0 ] || { echo "$out"; echo "FAIL: the unpacked runner ended with $status"; fail=1; }
grep -q "ended: code 0" <<<"$out" || { echo "FAIL: the flow did not end the program"; fail=1; }
[ -f "$tmp/run/scene.png" ] || { echo "FAIL: no screenshot"; fail=1; }

[ $fail -eq 0 ] && echo "package: all checks passed"
exit $fail
