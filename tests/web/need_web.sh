# Sourced by the web tests: need_web JS ends the test as skipped (77) unless
# the web program JS is built and Node is there to run it, and sets up Node
# for emscripten's loader (Node's own fetch stands in its way on this Node).
need_web() {
  if [ ! -f "$1" ]; then
    echo "skipped: $1 is not built (scripts/build-web builds it)"
    exit 77
  fi
  if ! command -v node >/dev/null 2>&1; then
    echo "skipped: node is not installed"
    exit 77
  fi
  export NODE_OPTIONS=--no-experimental-fetch
}
