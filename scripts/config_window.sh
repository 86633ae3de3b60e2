# Sourced: finds the client's windows on the X display and operates the skinned
# configuration window the way a player does, through the X server with xdotool. Each
# click is followed by a wait for what it changes on the screen, never by a fixed pause.
source "$(dirname "${BASH_SOURCE[0]}")/wait.sh"

# The id of the client's visible X window of the given size (WIDTHxHEIGHT), or of any
# real size with "any"; none when there is none yet. The program is $2 (default
# client.exe).
client_window() {
  local w size
  for w in $(xdotool search --onlyvisible --classname "${2:-client.exe}" 2>/dev/null); do
    size=$(xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/ {print $2}')
    if [ "$1" = any ] && [ -n "$size" ] && [ "$size" != 1x1 ]; then echo "$w"; return 0; fi
    [ "$size" = "$1" ] && { echo "$w"; return 0; }
  done
  return 1
}

# client_window, waiting up to $2 tenths of a second (default 150) for it; the program
# is $3.
find_client_window() {
  wait_until "${2:-150}" client_window "$1" "${3:-client.exe}" >/dev/null && client_window "$1" "${3:-client.exe}"
}

# A digest of the screen's 9 x 9 pixels around x y.
screen_digest() {
  import -silent -window root -crop "9x9+$(($1 - 4))+$(($2 - 4))" rgb:- 2>/dev/null | md5sum
}

# Succeeds once the pixels around x y no longer digest to $3.
screen_changed() { [ "$(screen_digest "$1" "$2")" != "$3" ]; }

# Succeeds once X window $1 is gone or unmapped.
window_gone() { ! xdotool search --onlyvisible --classname "$2" 2>/dev/null | grep -qx "$1"; }

# click_at X Y [MARK_X MARK_Y]: clicks the screen point x y and waits up to 3 s for the
# pixels around the mark (default: the point itself) to change; a window that has just
# been mapped may not take input yet, so a click that changed nothing is repeated, three
# times at most.
click_at() {
  local mark_x=${3:-$1} mark_y=${4:-$2} before
  before=$(screen_digest "$mark_x" "$mark_y")
  for _ in 1 2 3; do
    xdotool mousemove "$1" "$2" click 1
    wait_until 30 screen_changed "$mark_x" "$mark_y" "$before" && return 0
  done
  return 1
}

# click_in_window WINDOW X Y [MARK_X MARK_Y]: click_at with points relative to the X
# window's top-left corner.
click_in_window() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  click_at $((X + $2)) $((Y + $3)) $((X + ${4:-$2})) $((Y + ${5:-$3}))
}

# The client rectangle "x y width height" of the skinned window's button $1 (ok,
# fullscreen, ...), from the table the plug-in is built with.
skin_button_rect() {
  local name
  name=$(echo "$1" | tr '[:lower:]' '[:upper:]')
  sed -n "s/^SKIN_BUTTON($name, *\([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\),.*/\1 \2 \3 \4/p" \
    "$(dirname "${BASH_SOURCE[0]}")/../config/SkinButtons.inc" | grep .
}

# Clicks the OK button of skinned window $1 (a push button that looks different under
# the pointer) until the window goes.
press_skinned_ok() {
  local X Y WIDTH HEIGHT SCREEN WINDOW bx by bw bh
  eval "$(xdotool getwindowgeometry --shell "$1")"
  read -r bx by bw bh < <(skin_button_rect ok) || return 1
  for _ in 1 2 3; do
    xdotool mousemove $((X + bx + bw / 2)) $((Y + by + bh / 2)) click 1
    wait_until 30 window_gone "$1" client.exe && return 0
  done
  return 1
}

# The middle of a check or radio button of the skinned window, and of its box or circle
# (12 pixels in from its left edge), which the click changes, relative to the window's
# top-left corner.
skin_button_point() {
  local bx by bw bh
  [ "$1" != ok ] && read -r bx by bw bh < <(skin_button_rect "$1") || return 1
  echo "$((bx + bw / 2)) $((by + bh / 2)) $((bx + 12)) $((by + bh / 2))"
}

# Waits for the skinned window (580 x 370) and clicks its buttons in order, e.g.
#   operate_skinned_window opengl fullscreen ok
# Fails when the window does not appear within $SKIN_WAIT tenths of a second (150), or
# when a click changes nothing.
operate_skinned_window() {
  local window button
  window=$(find_client_window 580x370 "${SKIN_WAIT:-150}") || return 1
  for button in "$@"; do
    if [ "$button" = ok ]; then
      press_skinned_ok "$window" || return 1
    else
      # shellcheck disable=SC2046
      click_in_window "$window" $(skin_button_point "$button") || return 1
    fi
  done
}
