#!/usr/bin/env bash
# Runs bmpload on every corpus file in both depths and checks its line
# against expected.tsv, and its exit status against its line: 0 only for
# "LoadBmp=0", 1 for every file not loaded, 2 for a wrong command line.
# "CreateImage=null" is accepted only for files that must be refused anyway
# (a code other than 0): their header size is what the modules would refuse
# before loading.
set -u
bmpload="$1"
corpus="$2"
fail=0
count=0

# The status bmpload must end with after printing this line.
status_for() {
  case "$1" in
    "LoadBmp=0 "*) echo 0 ;;
    *) echo 1 ;;
  esac
}

while IFS=$'\t' read -r file codes _; do
  [ "$file" = "file" ] && continue
  [ -z "$file" ] && continue
  for flag in "" "--16"; do
    line=$("$bmpload" "$corpus/$file" $flag)
    status=$?
    count=$((count + 1))
    want=$(status_for "$line")
    if [ $status -ne "$want" ]; then
      echo "FAIL $file $flag: exit status $status after '$line', expected $want"
      fail=1
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
# A missing file prints the missing-file line and fails.
line=$("$bmpload" "$corpus/does-not-exist.bmp")
status=$?
[ "$line" = "LoadBmp=2 0x0" ] && [ $status -eq 1 ] ||
  { echo "FAIL missing file: '$line', exit status $status"; fail=1; }
# A wrong command line: status 2 and no line.
for args in "" "a b c d"; do
  line=$("$bmpload" $args 2>/dev/null)
  status=$?
  [ -z "$line" ] && [ $status -eq 2 ] ||
    { echo "FAIL usage '$args': '$line', exit status $status"; fail=1; }
done
echo "bmpload: $count runs checked"
exit $fail
