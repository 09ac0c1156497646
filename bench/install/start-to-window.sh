#!/bin/sh
# One start of a player: from its start to its window shown on $DISPLAY, then
# it is ended. With "fresh", the start is a user's first: a new, empty home.
# Prints the milliseconds from the start to the window shown.
#   start-to-window.sh PROGRAM SONG fresh|as-is
set -eu
program=$1
song=$2
work=$(mktemp -d)
player=""
# The player is ended and waited for before its home goes.
trap '[ -z "$player" ] || { kill "$player" 2>/dev/null; wait "$player" 2>/dev/null || true; }; rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
[ "$3" = fresh ] && export HOME="$work" && unset XDG_CONFIG_HOME
started=$(date +%s%N)
# No session bus: one started on demand would outlive the player, writing in
# its home as the home is removed.
DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" XDG_RUNTIME_DIR="$work/runtime" SDL_AUDIODRIVER=dummy "$program" "$song" 2>"$work/messages" &
player=$!
until [ -n "$(xdotool search --onlyvisible --pid "$player" 2>/dev/null)" ]; do
  kill -0 "$player" 2>/dev/null || { echo "start-to-window: $program ended:" >&2; cat "$work/messages" >&2; exit 1; }
  sleep 0.01
done
echo $((($(date +%s%N) - started) / 1000000))
