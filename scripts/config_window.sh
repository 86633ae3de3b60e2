# Sourced: finds the client's windows on the X display and operates the skinned
# configuration window the way a player does, through the X server with xdotool.

# The id of the client's visible X window of the given size (WIDTHxHEIGHT), or of any
# real size with "any"; waits up to $2 tenths of a second (default 150). The program is
# $3 (default client.exe).
find_client_window() {
  local w size
  for _ in $(seq "${2:-150}"); do
    for w in $(xdotool search --onlyvisible --classname "${3:-client.exe}" 2>/dev/null); do
      size=$(xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/ {print $2}')
      if [ "$1" = any ] && [ -n "$size" ] && [ "$size" != 1x1 ]; then echo "$w"; return 0; fi
      [ "$size" = "$1" ] && { echo "$w"; return 0; }
    done
    sleep 0.1
  done
  return 1
}

# Clicks the point x y of window $1, relative to its top-left corner.
click_in_window() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + $2)) $((Y + $3)) click 1
  sleep 0.3
}

# The middle of each button of the skinned window, relative to its top-left corner.
skin_button_point() {
  case $1 in
    ok) echo "525 338" ;;
    fullscreen) echo "74 239" ;;
    dontshow) echo "74 272" ;;
    auto) echo "213 239" ;;
    direct3d) echo "356 270" ;;
    opengl) echo "213 272" ;;
    software) echo "356 239" ;;
    *) return 1 ;;
  esac
}

# Waits for the skinned window (580 x 370) and clicks its buttons in order, e.g.
#   operate_skinned_window opengl fullscreen ok
# Fails when the window does not appear within $SKIN_WAIT tenths of a second (150).
operate_skinned_window() {
  local window button
  window=$(find_client_window 580x370 "${SKIN_WAIT:-150}") || return 1
  # A window that has just been mapped may not take input yet, and its own synthetic
  # click is still on its way.
  sleep 1
  for button in "$@"; do
    # shellcheck disable=SC2046
    click_in_window "$window" $(skin_button_point "$button")
  done
}
