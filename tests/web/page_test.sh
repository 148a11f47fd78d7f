#!/usr/bin/env bash
# page_test.sh WEB_DIR NATIVE_RUNNER NATIVE_WIMMEL DATA_DIR OUT_DIR: the page
# in WEB_DIR (build/web) in Debian's headless chromium, against the native
# programs (tests/web/page/page_test.js has the cases). Exit 77 (skipped)
# while the page is not built, or chromium, Node or the tests' Node packages
# (scripts/setup installs them) are missing.
set -u
web=$1 runner=$2 wimmel=$3 data=$4 out=$5
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -f "$web/index.html" ]; then
  echo "skipped: $web/index.html is not built (scripts/build-web builds it)"
  exit 77
fi
if [ ! -x /usr/bin/chromium ]; then
  echo "skipped: /usr/bin/chromium is not installed (scripts/setup installs it)"
  exit 77
fi
if ! command -v node >/dev/null 2>&1; then
  echo "skipped: node is not installed"
  exit 77
fi
if [ ! -d "$here/page/node_modules/puppeteer-core" ]; then
  echo "skipped: puppeteer-core is not installed (scripts/setup runs npm ci in tests/web/page)"
  exit 77
fi
exec node "$here/page/page_test.js" --web "$web" --headless "$runner" --wimmel "$wimmel" \
  --data "$data" --out "$out"
