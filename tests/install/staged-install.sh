#!/bin/sh
# Installs the build into a staging folder (DESTDIR) for the prefix /usr,
# checks the installed tree, and runs the programs from where they landed:
# as the tree lies elsewhere than the prefix it was installed for, each
# program finds its files from its own folder or not at all.
#   staged-install.sh BUILD ICON_FILE
set -eu
build=$1
icon_file=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
player=""
cleanup() {
  [ -z "$player" ] || kill "$player" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "staged-install: $*" >&2
  exit 1
}

DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null
usr="$work/stage/usr"
"$here/check-installed-tree.sh" "$usr"

"$usr/bin/sonorbox-decode" --info "$usr/share/sonorbox/demo.mp3" >/dev/null || fail "sonorbox-decode cannot read the demo song"
# The image writer is found in libexec from glint-extract's own folder, also
# when glint-extract is started by name through the search path.
PATH="$usr/bin:$PATH" glint-extract "$icon_file" 0 "$work/icon.png" || fail "glint-extract did not write the icon"
[ -s "$work/icon.png" ] || fail "glint-extract wrote no icon"

# The player's first start for a user with a fresh home: it makes its
# settings file there, naming the installed default skin, and plays the song.
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
settings="$work/home/.config/sonorbox/Sonorbox.ini"
# No session bus: one started on demand would outlive the player.
env -u XDG_CONFIG_HOME HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen \
  DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" \
  SDL_AUDIODRIVER=dummy "$usr/bin/sonorbox" "$usr/share/sonorbox/demo.mp3" &
player=$!
tries=0
until grep -q '^song=' "$settings" 2>/dev/null; do
  tries=$((tries + 1))
  [ "$tries" -le 200 ] || fail "the player did not write $settings within 20 seconds"
  kill -0 "$player" 2>/dev/null || fail "the player ended at its first start"
  sleep 0.1
done
grep -qx "skin=$usr/share/sonorbox/skins/Default/Skin.ini" "$settings" ||
  fail "the first settings do not name the installed skin: $(cat "$settings")"
grep -qx "song=$usr/share/sonorbox/demo.mp3" "$settings" || fail "the song played is not remembered"
[ -z "$(find "$usr" -iname Sonorbox.ini)" ] || fail "the player wrote settings into the installed tree"
echo "staged-install: the programs run from the staged tree"
