#!/usr/bin/env bash
# check-packaging.sh DIR: checks the desktop entry, the AppStream metainfo and
# the manual pages in DIR.
# Desktop environments ignore an entry that desktop-file-validate rejects, so
# it must pass without an error, a warning or even a hint. The manual pages
# must format without any groff warning, spell options with minus signs
# rather than hyphens (a hyphen breaks copying an option from the page into a
# shell), and carry the sections a reader looks for.
set -u
dir="$1"
status=0
skipped=0

fail() {
  echo "FAIL: $*"
  status=1
}

if command -v desktop-file-validate > /dev/null; then
  out=$(desktop-file-validate "$dir/wimmel.desktop" 2>&1) || fail "desktop-file-validate rejects wimmel.desktop"
  [ -z "$out" ] || fail "desktop-file-validate on wimmel.desktop says:"$'\n'"$out"
else
  echo "skipped: desktop-file-validate is not installed (Debian package desktop-file-utils)"
  skipped=1
fi

# Software centres list Wimmel from its AppStream metainfo. --no-net: the
# screenshots' addresses are not fetched. The entry it launches must be the
# desktop entry above.
metainfo="$dir/invalid.wimmel.wimmel.metainfo.xml"
if command -v appstreamcli > /dev/null; then
  out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate rejects the metainfo:"$'\n'"$out"
else
  echo "skipped: appstreamcli is not installed (Debian package appstream)"
  skipped=1
fi
launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
[ "$launchable" = wimmel.desktop ] || fail "the metainfo launches '$launchable', not wimmel.desktop"
for tag in summary description screenshot content_rating; do
  grep -q "<$tag[ >/]" "$metainfo" || fail "the metainfo has no <$tag>"
done

for page in wimmel.6 wimmel-headless.6; do
  file="$dir/$page"
  if command -v groff > /dev/null; then
    out=$(groff -man -Tutf8 -ww -z "$file" 2>&1) || fail "groff cannot format $page"
    [ -z "$out" ] || fail "groff warns about $page:"$'\n'"$out"
  else
    echo "skipped: groff is not installed (Debian package groff-base)"
    skipped=1
  fi
  # A plain "-" that starts a word, follows a font change, or doubles up is an
  # option or a minus sign and must be written "\-". Hyphens inside words
  # stay as they are.
  out=$(perl -ne 'next if /^\.\\"/; s/\\\\//g;
                  print "$ARGV:$.: $_" if /(?:^|[\s(\[{"|\/=]|\\f[BIRP])-|(?<!\\)--/' "$file")
  [ -z "$out" ] || fail "hyphen used as minus sign in $page:"$'\n'"$out"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES ENVIRONMENT "EXIT STATUS" "SEE ALSO"; do
    grep -Eqx "\.SH \"?$section\"?" "$file" || fail "$page has no section $section"
  done
done

[ "$status" -eq 0 ] && [ "$skipped" -eq 1 ] && exit 77
[ "$status" -eq 0 ] && echo "packaging: desktop entry, metainfo and manual pages are clean"
exit "$status"
