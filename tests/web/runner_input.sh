#!/usr/bin/env bash
# runner_input.sh WEB_RUNNER_JS E2E_DIR DATA_DIR OUT_DIR: the e2e checks of
# the runner's exit statuses, messages and care for a folder it did not make,
# run on the WebAssembly runner under Node (through a small wrapper that
# starts it as a program). Exit 77 (skipped) when the web build or Node is
# missing.
set -u
web=$1 e2e=$2 data=$3 out=$4
. "$(dirname "$0")/need_web.sh"
need_web "$web"
rm -rf "$out"
mkdir -p "$out"
cat > "$out/wimmel-headless" <<EOF
#!/bin/sh
NODE_OPTIONS=--no-experimental-fetch WIMMEL_DATA='$data' exec node '$web' "\$@"
EOF
chmod +x "$out/wimmel-headless"
exec "$e2e/runner_input.sh" "$out/wimmel-headless" "$out/checks"
