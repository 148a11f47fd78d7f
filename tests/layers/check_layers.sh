#!/usr/bin/env bash
# check_layers.sh SRC: every folder of src/ may include only itself and the
# layers below it, and only src/runtime may include SDL. The include roots of
# the build already keep a layer from reaching a layer it does not link; this
# check also catches a lower layer that links one above it.
set -u
src="$1"
# Each folder and the folders it may include.
declare -A allowed=(
  [runtime]="runtime"
  [text]="runtime text"
  [shared]="runtime text shared"
  [images]="runtime text shared images"
  [windows]="runtime text shared windows"
  [scene]="runtime text shared scene"
  [sound]="runtime text shared sound"
  [panels]="runtime text shared windows panels"
  [control]="runtime text shared images windows scene sound panels control"
)
fail=0
for dir in "$src"/*/; do
  folder=$(basename "$dir")
  if [ -z "${allowed[$folder]+x}" ]; then
    echo "src/$folder is not a known layer; add it to tests/layers/check_layers.sh"
    fail=1
    continue
  fi
  while IFS=: read -r file line text; do
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$text")
    case " ${allowed[$folder]} " in
      *" $target "*) ;;
      *) echo "${file#$src/}:$line: $folder includes $target, a layer above it or beside it"
         fail=1 ;;
    esac
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/' "$dir" --include='*.h' --include='*.cpp')
  # SDL stays behind the runtime's display and audio device.
  if [ "$folder" != runtime ]; then
    while IFS= read -r hit; do
      echo "${hit#$src/}: only src/runtime may include SDL"
      fail=1
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](SDL2?/)?SDL[^>"]*[>"]' "$dir" --include='*.h' --include='*.cpp')
  fi
done
exit $fail
