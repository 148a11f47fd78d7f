#!/usr/bin/env bash
# package_test.sh BUILD SOURCE: makes the Debian packages with cpack and
# checks them as a Debian game: wimmel (the program), wimmel-data (the
# pictures and music, Architecture all) and wimmel-headless (the runner, the
# only one that needs libpng), all in section games; their computed
# dependencies, the files each holds and lintian's verdict (no error and no
# warning). The packages are unpacked with dpkg -x into one temporary root,
# where hardening-check checks every program and the unpacked runner plays a
# short flow from an empty working folder. Skipped (77) without cpack or dpkg.
set -u
build="$1"; source="$2"
for tool in cpack dpkg dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
tmp=$(mktemp -d "${TMPDIR:-/tmp}/wimmel-package-XXXXXX")
trap 'rm -rf "$tmp"' EXIT
fail=0
failed() { echo "FAIL: $*"; fail=1; }

(cd "$build" && cpack -G DEB -B "$tmp/out" > "$tmp/cpack.log" 2>&1) || {
  cat "$tmp/cpack.log"; echo "FAIL: cpack"; exit 1; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
arch=$(dpkg --print-architecture)
game="$tmp/out/wimmel_${version}_${arch}.deb"
data="$tmp/out/wimmel-data_${version}_all.deb"
headless="$tmp/out/wimmel-headless_${version}_${arch}.deb"
debs=("$game" "$data" "$headless")
for deb in "${debs[@]}"; do
  [ -f "$deb" ] || { ls "$tmp/out"; echo "FAIL: no $deb"; exit 1; }
done
extra=$(ls "$tmp/out"/*.deb | grep -vxF -e "$game" -e "$data" -e "$headless")
[ -z "$extra" ] || failed "cpack made more packages than the three: $extra"

# The control fields of each package.
field() { dpkg-deb -f "$1" "$2"; }
for deb in "${debs[@]}"; do
  echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
  dpkg-deb -I "$deb" | grep -v '^ new Debian package\|^ size \|^  *[0-9]* bytes,'
  [ "$(field "$deb" Section)" = games ] || failed "$(basename "$deb") is not in section games"
done
[ "$(field "$data" Architecture)" = all ] || failed "wimmel-data is not Architecture: all"
[ "$(field "$game" Architecture)" = "$arch" ] || failed "wimmel is not Architecture: $arch"
[ -z "$(field "$data" Depends)" ] || failed "wimmel-data depends on something: $(field "$data" Depends)"
# The libraries the programs link, found by dpkg-shlibdeps, not listed by
# hand, and the data of exactly the same version.
depends=$(field "$game" Depends)
for lib in libsdl2 libmpg123; do
  grep -q "$lib" <<<"$depends" || failed "wimmel's Depends lacks $lib: $depends"
done
grep -q "libpng" <<<"$depends" && failed "wimmel depends on libpng, which only the runner needs"
grep -qF "wimmel-data (= $version)" <<<"$depends" || failed "wimmel does not depend on wimmel-data (= $version): $depends"
depends=$(field "$headless" Depends)
grep -q "libpng" <<<"$depends" || failed "wimmel-headless's Depends lacks libpng: $depends"
grep -qF "wimmel-data (= $version)" <<<"$depends" || failed "wimmel-headless does not depend on wimmel-data (= $version)"

# What each package holds; no file in two of them, which would stop their
# installation side by side.
for deb in "${debs[@]}"; do
  dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' > "$tmp/$(basename "$deb").files"
done
holds() { grep -qx "$2" "$tmp/$(basename "$1").files" || failed "$(basename "$1") lacks $2"; }
holds "$game" usr/games/wimmel
holds "$game" usr/share/applications/wimmel.desktop
holds "$game" usr/share/metainfo/invalid.wimmel.wimmel.metainfo.xml
holds "$game" usr/share/doc/wimmel/user-guide.txt
holds "$game" usr/share/man/man6/wimmel.6.gz
holds "$data" usr/share/games/wimmel/HG_bild/Karogrun.bmp
holds "$headless" usr/games/wimmel-headless
holds "$headless" usr/share/man/man6/wimmel-headless.6.gz
for deb in "${debs[@]}"; do
  name=$(field "$deb" Package)
  holds "$deb" "usr/share/doc/$name/copyright"
  holds "$deb" "usr/share/doc/$name/changelog.gz"
done
grep -q '^usr/share/games/' "$tmp/$(basename "$game").files" && failed "wimmel holds data files"
grep -q '^usr/games/' "$tmp/$(basename "$data").files" && failed "wimmel-data holds a program"
twice=$(cat "$tmp"/*.deb.files | sort | uniq -d)
[ -z "$twice" ] || failed "files in more than one package:"$'\n'"$twice"

if command -v lintian > /dev/null; then
  lintian --fail-on error,warning --allow-root "${debs[@]}" > "$tmp/lintian" 2>&1 || {
    cat "$tmp/lintian"; failed "lintian reports errors or warnings"; }
else
  failed "lintian is not installed (scripts/setup installs it)"
fi

for deb in "${debs[@]}"; do dpkg -x "$deb" "$tmp/root"; done

if grep -q '^WIMMEL_HARDEN:BOOL=OFF' "$build/CMakeCache.txt"; then
  echo "note: a build without hardening; hardening-check left out"
elif command -v hardening-check > /dev/null; then
  # Everything dpkg-buildflags gives; not control-flow protection, which
  # no program linked on Debian 12 can carry (its C start-up files lack it).
  for program in "$tmp"/root/usr/games/*; do
    hardening-check --nocfprotection "$program" > "$tmp/hardening" 2>&1 || {
      cat "$tmp/hardening"; failed "hardening-check $(basename "$program")"; }
  done
else
  failed "hardening-check is not installed (scripts/setup installs devscripts)"
fi

# The unpacked runner from an empty working folder finds the unpacked data
# beside its own folder. A $WIMMEL_DATA that names a folder without data is
# passed over, with a word on stderr naming it.
mkdir -p "$tmp/empty" "$tmp/nodata"
real=$(cd "$tmp" && pwd -P)
(cd "$tmp/empty" && WIMMEL_DATA="$real/nodata" "$tmp/root/usr/games/wimmel-headless" \
  "$source/tests/packaging/short.script" --out "$tmp/run") > "$tmp/run.out" 2> "$tmp/run.err" &&
  status=0 || status=$?
[ $status -eq 0 ] || { cat "$tmp/run.out" "$tmp/run.err"; failed "the unpacked runner ended with $status"; }
grep -q "ended: code 0" "$tmp/run.out" || failed "the flow did not end the program"
[ -f "$tmp/run/scene.png" ] || failed "no screenshot"
grep -qxF "wimmel-headless: \$WIMMEL_DATA names $real/nodata, which holds no data folders; using $real/root/usr/share/games/wimmel" \
  "$tmp/run.err" || { cat "$tmp/run.err"; failed "the runner did not say it passed over \$WIMMEL_DATA"; }

[ $fail -eq 0 ] && echo "package: all checks passed"
exit $fail
