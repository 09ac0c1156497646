#!/bin/sh
# Thumbnails of Windows programs as a file manager makes them, one process
# run per file: `glint-extract --thumbnail SIZE FILE OUT.png` against what
# file managers run today, `wrestool -x --type=14 FILE > T.ico` then
# `icotool -x -i 1 -o OUT.png T.ico`, both started from the same shell loop
# over the same files, timed in turn by farm-bench (ratio A/B, peak memory).
#
#   bench/icons/thumbnails.sh BUILD_DIR [FOLDER] [SIZE]
#
# FOLDER holds the PE files (every *.exe and *.dll in it); without one, 40
# libraries written by pe_library.py (six images a group, a 256 x 256 PNG
# among them) are used. Needs icoutils and farm-bench.
set -eu
build=$(cd "${1:?usage: thumbnails.sh BUILD_DIR [FOLDER] [SIZE]}" && pwd)
size=${3:-128}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -n "${2:-}" ]; then
  folder=$(cd "$2" && pwd)
else
  folder=$work/files
  mkdir "$folder"
  for n in $(seq 1 40); do python3 "$here/pe_library.py" $((n % 8 + 1)) "$folder/library$n.dll"; done
fi
count=$(find "$folder" -maxdepth 1 \( -iname '*.exe' -o -iname '*.dll' \) | wc -l)
echo "$count files in $folder, thumbnails of $size pixels"
loop='for f in "$0"/*.[eEdD][xXlL][eElL]; do '
farm-bench -n 5 --timeout 600 \
  --vs "sh -c '$loop wrestool -x --type=14 \"\$f\" > $work/t.ico 2>/dev/null; icotool -x -i 1 -o $work/b.png $work/t.ico 2>/dev/null; done' $folder" \
  -- sh -c "$loop $build/bin/glint-extract --thumbnail $size \"\$f\" $work/a.png 2>/dev/null; done" "$folder"
# Peak memory of one thumbnail, the largest file's.
largest=$(ls -S "$folder"/*.[eEdD][xXlL][eElL] | head -n 1)
/usr/bin/time -f "peak memory of one thumbnail ($largest): %M KB" \
  "$build/bin/glint-extract" --thumbnail "$size" "$largest" "$work/one.png"
