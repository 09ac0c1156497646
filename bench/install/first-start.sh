#!/bin/sh
# The installed player's first start (a fresh home: its settings file is made)
# against the build folder's start, each to its window shown on an Xvfb server
# of its own; the installed tree is staged from BUILD with its programs stripped.
#   bench/install/first-start.sh [BUILD] [RUNS]
set -eu
build=$(cd "${1:-build}" && pwd)
runs=${2:-15}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
DESTDIR="$work/stage" cmake --install "$build" --prefix /usr --strip >/dev/null
. "$here/../../tests/support/xserver/xvfb.sh"
start_xvfb "$work" || { echo "first-start: Xvfb did not start" >&2; exit 1; }
export DISPLAY="$display"
installed="$work/stage/usr"
# The whole runs (start, window, end) under farm-bench; each run's own start
# to window shown kept apart and summed up below.
farm-bench -n "$runs" --timeout 300 \
  --vs "sh -c 'exec $here/start-to-window.sh $build/bin/sonorbox $build/bin/demo.mp3 as-is >>$work/build.ms'" \
  -- sh -c "exec $here/start-to-window.sh $installed/bin/sonorbox $installed/share/sonorbox/demo.mp3 fresh >>$work/installed.ms"
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
installed_ms=$(median "$work/installed.ms")
build_ms=$(median "$work/build.ms")
echo "start to window shown, median ms (warm-up included): installed first start $installed_ms," \
  "build folder $build_ms, ratio $(awk "BEGIN { printf \"%.2f\", $installed_ms / $build_ms }")"
