#!/bin/sh
# The package on a real machine, as CI runs it (as root): installs the .deb
# with dpkg, checks the installed tree, starts the installed player on a
# virtual X server for a user with a fresh home, playing the demo song named
# on its command line into SDL's disk "device", ends it with Escape, starts
# Glint Gatherer, and removes the package again.
#   installed-package.sh PACKAGE.deb
# The player must make ~/.config/sonorbox/Sonorbox.ini naming the installed
# skin and the song, and neither program may write under /usr, though root
# could; each window is of the class its desktop entry names; after dpkg -r
# nothing of the package is left.
set -eu
package=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
here=$(cd "$(dirname "$0")" && pwd)
[ "$(id -u)" -eq 0 ] || { echo "installed-package: must run as root (it installs the package)" >&2; exit 2; }
dpkg-query -W -f='${db:Status-Status}' sonorbox 2>/dev/null | grep -q '^installed$' &&
  { echo "installed-package: a sonorbox package is installed already; this check would remove it" >&2; exit 2; }

work=$(mktemp -d)
xvfb=""
player=""
cleanup() {
  [ -z "$player" ] || kill "$player" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  dpkg -r sonorbox >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "installed-package: $*" >&2
  [ ! -s "$work/player.log" ] || { echo "the player's messages:" >&2; cat "$work/player.log" >&2; }
  exit 1
}
# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  limit=$1
  shift
  tries=0
  until "$@"; do
    tries=$((tries + 1))
    [ "$tries" -le "$limit" ] || return 1
    sleep 0.1
  done
}
# What lies under the folders a package may write to, caches of the desktop
# (rebuilt by triggers) left out.
listing() {
  find /usr /etc /var/lib/dpkg/info -xdev 2>/dev/null |
    grep -v -e '/mimeinfo\.cache$' -e '/icon-theme\.cache$' -e '/man/index\.db$' | sort
}

listing >"$work/before"
dpkg -i "$package" >/dev/null
"$here/check-installed-tree.sh" /usr

. "$here/../support/xserver/xvfb.sh"
start_xvfb "$work" || fail "Xvfb did not start"

home="$work/home"
mkdir -p "$home" "$work/runtime"
# No session bus: one started on demand would outlive the programs, writing
# in the home as it is removed.
bus="unix:path=$work/no-bus"
chmod 700 "$work/runtime"
touch "$work/started"
env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$display" XDG_RUNTIME_DIR="$work/runtime" \
  DBUS_SESSION_BUS_ADDRESS="$bus" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/heard.raw" \
  sonorbox /usr/share/sonorbox/demo.mp3 2>"$work/player.log" &
player=$!
window_shown() { [ -n "$(DISPLAY=$display xdotool search --onlyvisible --name '^Sonorbox 0\.82a$' 2>/dev/null)" ]; }
wait_for 200 window_shown || fail "the installed player showed no window"
# A second of the song reached the device.
heard_a_second() { [ "$(stat -c %s "$work/heard.raw" 2>/dev/null || echo 0)" -gt 176400 ]; }
wait_for 200 heard_a_second || fail "the installed player did not play the demo song"
od -An -tx1 -N176400 "$work/heard.raw" | grep -q '[1-9a-f]' || fail "the player played only silence"

window=$(DISPLAY=$display xdotool search --onlyvisible --name '^Sonorbox 0\.82a$' | head -1)
# The desktop entry names the window's class, so the desktop matches the two.
class=$(sed -n 's/^StartupWMClass=//p' /usr/share/applications/org.sonorbox.Sonorbox.desktop)
DISPLAY=$display xdotool search --onlyvisible --class "^$class\$" | grep -qx "$window" ||
  fail "the player's window is not of the class its desktop entry names ($class)"
DISPLAY=$display xdotool windowfocus --sync "$window" key Escape
ended() { ! kill -0 "$player" 2>/dev/null; }
wait_for 100 ended || fail "the installed player did not end on Escape"
wait "$player" || fail "the installed player ended with status $?"
player=""

settings="$home/.config/sonorbox/Sonorbox.ini"
[ -f "$settings" ] || fail "the player made no $settings"
grep -qx 'skin=/usr/share/sonorbox/skins/Default/Skin.ini' "$settings" || fail "the settings name another skin: $(cat "$settings")"
grep -qx 'song=/usr/share/sonorbox/demo.mp3' "$settings" || fail "the settings do not remember the song"
grep -qx '\[Position\]' "$settings" || fail "Escape saved no position"
# Glint Gatherer, installed, for the same user: its window is of the class
# its desktop entry names.
env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$display" XDG_RUNTIME_DIR="$work/runtime" \
  DBUS_SESSION_BUS_ADDRESS="$bus" GlintGatherer 2>"$work/player.log" &
player=$!
class=$(sed -n 's/^StartupWMClass=//p' /usr/share/applications/org.sonorbox.GlintGatherer.desktop)
browser_shown() { [ -n "$(DISPLAY=$display xdotool search --onlyvisible --class "^$class\$" 2>/dev/null)" ]; }
wait_for 200 browser_shown || fail "the installed Glint Gatherer showed no window of the class $class"
kill "$player"
{ wait "$player"; } 2>/dev/null || true
player=""

written=$(find /usr -xdev -newer "$work/started" 2>/dev/null | head -5)
[ -z "$written" ] || fail "the player wrote under /usr: $written"

dpkg -r sonorbox >/dev/null
status=$(dpkg-query -W -f='${db:Status-Status}' sonorbox 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = "not-installed" ] || fail "after dpkg -r the package is still $status"
listing >"$work/after"
left=$(comm -13 "$work/before" "$work/after")
[ -z "$left" ] || fail "dpkg -r left behind: $left"
echo "installed-package: installed, played for a fresh user, removed without a trace"
