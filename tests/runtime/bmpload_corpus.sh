#!/usr/bin/env bash
# Runs bmpload on every corpus file in both depths and checks its line
# against expected.tsv. "CreateImage=null" is accepted only for files that
# must be refused anyway (a code other than 0): their header size is what
# the modules would refuse before loading.
set -u
bmpload="$1"
corpus="$2"
fail=0
count=0
while IFS=$'\t' read -r file codes _; do
  [ "$file" = "file" ] && continue
  [ -z "$file" ] && continue
  for flag in "" "--16"; do
    line=$("$bmpload" "$corpus/$file" $flag)
    status=$?
    count=$((count + 1))
    if [ $status -ne 0 ]; then
      echo "FAIL $file $flag: exit status $status"
      fail=1
      continue
    fi
    case "$line" in
      LoadBmp=*)
        code=${line#LoadBmp=}
        code=${code%% *}
        if ! [[ "|$codes|" == *"|$code|"* ]]; then
          echo "FAIL $file $flag: $line, expected $codes"
          fail=1
        fi
        ;;
      CreateImage=null*)
        if [[ "|$codes|" == *"|0|"* ]]; then
          echo "FAIL $file $flag: $line, but the file must load"
          fail=1
        fi
        ;;
      *)
        echo "FAIL $file $flag: unexpected line '$line'"
        fail=1
        ;;
    esac
  done
done < "$corpus/expected.tsv"
# A missing file and an empty one print the missing-file line.
line=$("$bmpload" "$corpus/does-not-exist.bmp")
[ "$line" = "LoadBmp=2 0x0" ] || { echo "FAIL missing file: $line"; fail=1; }
echo "bmpload: $count runs checked"
exit $fail
