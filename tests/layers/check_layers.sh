#!/usr/bin/env bash
# check_layers.sh SRC: every folder of src/ may include only itself and the
# layers below it, only src/runtime may include SDL, and only the browser's
# backend (src/runtime/web/) and the web page's main (src/control/web_main.cpp)
# may include emscripten's headers. The include roots of
# the build already keep a layer from reaching a layer it does not link; this
# check also catches a lower layer that links one above it.
# One grep reads every include line of src/ and one awk judges them all.
set -u
src="${1%/}"
[ -d "$src" ] || { echo "no folder $src"; exit 2; }
# Each folder and the folders it may include.
allowed='
runtime runtime
text runtime text
shared runtime text shared
images runtime text shared images
windows runtime text shared windows
scene runtime text shared scene
sound runtime text shared sound
panels runtime text shared windows panels
control runtime text shared images windows scene sound panels control
'
folders=()
for dir in "$src"/*/; do
  dir=${dir%/}
  folders+=("${dir##*/}")
done
grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "$src" \
  --include='*.h' --include='*.cpp' |
  awk -v src="$src/" -v allowed="$allowed" -v folders="${folders[*]}" '
    BEGIN {
      n = split(allowed, rows, "\n")
      for (i = 1; i <= n; ++i) {
        m = split(rows[i], w, " ")
        if (m == 0) continue
        known[w[1]] = 1
        for (j = 2; j <= m; ++j) may[w[1], w[j]] = 1
      }
      fail = 0
      n = split(folders, f, " ")
      for (i = 1; i <= n; ++i) {
        if (!(f[i] in known)) {
          print "src/" f[i] " is not a known layer; add it to tests/layers/check_layers.sh"
          fail = 1
        }
      }
    }
    {
      # FILE:LINE:TEXT, FILE relative to src/ and starting with its folder.
      rest = substr($0, length(src) + 1)
      c1 = index(rest, ":")
      file = substr(rest, 1, c1 - 1)
      rest = substr(rest, c1 + 1)
      c2 = index(rest, ":")
      line = substr(rest, 1, c2 - 1)
      text = substr(rest, c2 + 1)
      slash = index(file, "/")
      if (slash == 0) next  # a file directly in src/ belongs to no layer
      folder = substr(file, 1, slash - 1)
      if (!(folder in known)) next  # reported once above
      # SDL stays behind the runtime display and audio device.
      if (folder != "runtime" &&
          text ~ /^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](SDL2?\/)?SDL[^>"]*[>"]/) {
        print file ":" line ": only src/runtime may include SDL"
        fail = 1
      }
      # emscripten stays behind the web display and the web main.
      if (file !~ /^runtime\/web\// && file != "control/web_main.cpp" &&
          text ~ /^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]emscripten[\/.]/) {
        print file ":" line ": only src/runtime/web and the web main may include emscripten"
        fail = 1
      }
      # "layer/file.h" names the layer it reaches.
      if (match(text, /^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^\/"]+\//)) {
        target = substr(text, 1, RLENGTH - 1)
        sub(/^.*"/, "", target)
        if (!((folder, target) in may)) {
          print file ":" line ": " folder " includes " target ", a layer above it or beside it"
          fail = 1
        }
      }
    }
    END { exit fail }'
