#!/usr/bin/env bash
# mp3_same_as_native.sh NATIVE_SCAN WEB_SCAN_JS MUSIC_DIR: the native and the
# WebAssembly build of the MP3 decoder must find the same length for every
# track and deliver that many frames. Exit 77 (skipped) when the web build
# or Node is missing.
set -u
native=$1 web=$2 music=$3
. "$(dirname "$0")/need_web.sh"
need_web "$web"
tracks=("$music"/*.mp3)
if [ ! -f "${tracks[0]}" ]; then
  echo "no tracks in $music"
  exit 1
fi
expected=$("$native" "${tracks[@]}") || { echo "$expected"; exit 1; }
got=$(node "$web" "${tracks[@]}") || { echo "$got"; exit 1; }
echo "$got"
if [ "$got" != "$expected" ]; then
  echo "FAIL: the native decoder gave"
  echo "$expected"
  exit 1
fi
