# Sourced: starts a private Xvfb at 1024x768x24 and exports DISPLAY. stop_display ends it.
source "$(dirname "${BASH_SOURCE[0]}")/wait.sh"

# The server of display $1 listens, or has ended.
display_settled() { [ -e "/tmp/.X11-unix/X$1" ] || has_exited "$XVFB_PID"; }

start_display() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    wait_until 50 display_settled "$n"
    [ -e "/tmp/.X11-unix/X${n}" ] && { export DISPLAY=":$n"; return 0; }
  done
  echo "could not start Xvfb" >&2
  return 1
}

stop_display() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=
}
