# The shell scripts' way to an X server of their own, sourced by those of the
# tests and benchmarks that need one:
#   start_xvfb FOLDER
# starts Xvfb on a display number it picks itself (-displayfd: no race with
# servers starting beside it), which it writes to FOLDER/display; sets xvfb to
# the server's process id and display to ":N". Fails when the server ends, or
# says nothing within 30 seconds. The caller ends the server (kill "$xvfb").
start_xvfb() {
  : >"$1/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$1/display" 2>/dev/null &
  xvfb=$!
  xvfb_tries=0
  # The number is whole once its line ends.
  until [ "$(wc -l <"$1/display")" -ge 1 ]; do
    kill -0 "$xvfb" 2>/dev/null || return 1
    xvfb_tries=$((xvfb_tries + 1))
    [ "$xvfb_tries" -le 300 ] || return 1
    sleep 0.1
  done
  display=":$(cat "$1/display")"
}
