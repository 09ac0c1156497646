#!/bin/sh
# The player's start with a settings file of 100 MB against the same start
# with a settings file of a few lines: each from its start to its window shown
# on an Xvfb server of the script's own, in turn under farm-bench (A/B
# ratios). Each run starts from a fresh copy of its settings file, so the
# large one is large at every start. Then the time of one save of each (the
# first save of the large file keeps it aside), from settings_bench.
#   bench/shell/large-settings.sh [BUILD] [RUNS]
set -eu
build=$(cd "${1:-build}" && pwd)
runs=${2:-9}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
cmake --build "$build" --target sonorbox settings_bench >/dev/null
skin="$root/skins/Default/Skin.ini"

# Two copies of the player, each with its settings file beside it.
for kind in small large; do
  mkdir -p "$work/$kind"
  cp "$build/bin/sonorbox" "$work/$kind/sonorbox"
  printf '[Sonorbox]\nskin=%s\nVolume=70\n[Position]\nx=10\ny=10\n' "$skin" >"$work/$kind/Sonorbox.ini.start"
done
# The large one: the same keys, then 100 MB of lines.
python3 - "$work/large/Sonorbox.ini.start" <<'PY'
import sys
with open(sys.argv[1], 'a') as out:
    line = '; %s\n' % ('x' * 97)
    out.write(line * (100 * 1000 * 1000 // len(line)))
PY
ls -l "$work"/*/Sonorbox.ini.start | awk '{ print $5, $9 }'

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
until [ -s "$work/display" ]; do sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

start() {
  echo "cp $work/$1/Sonorbox.ini.start $work/$1/Sonorbox.ini && rm -f $work/$1/Sonorbox.ini.large* &&" \
    "exec $root/bench/install/start-to-window.sh $work/$1/sonorbox $root/media/demo.mp3 as-is >>$work/$1.ms"
}
farm-bench -n "$runs" --timeout 600 --vs "sh -c '$(start small)'" -- sh -c "$(start large)"
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
large_ms=$(median "$work/large.ms")
small_ms=$(median "$work/small.ms")
echo "start to window shown, median ms (file copy excluded, warm-up included): 100 MB settings file $large_ms," \
  "small settings file $small_ms, ratio $(awk "BEGIN { printf \"%.2f\", $large_ms / $small_ms }")"
"$build/bench/settings_bench" "$work/small/Sonorbox.ini.start" "$work/large/Sonorbox.ini.start" "$work"
