#!/usr/bin/env bash
# The configuration windows operated through the X server, as a player's mouse and
# keyboard reach them.
# 1. Start-up with opencount=2 and shownext=1: the skinned window appears inside the
#    client's load of the plug-in; Enter, Escape and Alt+F4 leave it open; the player
#    picks OpenGL, ticks full screen and presses OK; the record the client prints holds
#    the choices and opencount 3, and devconfig.txt is unchanged on disk.
# 2. The plain dialog opened by plain_dialog.exe: a click on the full-screen box and
#    Enter end it with OK and the box ticked (the keys do reach the windows).
#   config_window_real_input_test.sh <build bin folder> <wine-run.sh>
set -u
bin=$1
wine_run=$2
source "$(dirname "$0")/../../scripts/config_window.sh"
game=$(mktemp -d)
trap 'rm -rf "$game"' EXIT
source "$(dirname "$0")/../../scripts/game_folder.sh"
lay_out_game "$bin" "$game"
mkdir -p "$game/work"

fail() { echo "FAIL: $*"; xdpyinfo >/dev/null 2>&1 || echo "(the X server at $DISPLAY does not answer)"; echo "--- program:"; cat "$game/out.txt"; exit 1; }

# Starts a program of the game folder in the background with the given devconfig.txt
# and arguments.
start_program() {
  printf '%b' "$1" > "$game/work/devconfig.txt"
  cp "$game/work/devconfig.txt" "$game/devconfig.orig"
  local program=$2
  shift 2
  (cd "$game/work" && exec "$wine_run" "../Bin/$program" "$@" >"$game/out.txt" 2>&1) &
  client=$!
}

wait_client() {
  wait_until 150 has_exited $client || { kill $client; fail "$1"; }
  wait $client
}

# 1. The skinned window during start-up.
start_program 'fullscreen=0\nrender=0\nwidth=1024\nopencount=2\nshownext=1\n' client.exe --script
window=$(find_client_window 580x370) || { kill $client; fail "no skinned window during start-up"; }
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "skinned window at $X,$Y"
grep -q "DeviceConfig:" "$game/out.txt" && fail "the record was printed before the window closed"

# The keys reach the window before the clicks that follow them: the clicks' effects show
# that none of the keys closed it.
xdotool mousemove $((X + 290)) $((Y + 100))  # keyboard focus follows the pointer
xdotool key Return key Escape key alt+F4

operate_skinned_window opengl fullscreen ok || fail "a click on the skinned window changed nothing (did a key close it?)"
wait_client "the skinned window did not close on OK"

for line in "render     = 2" "fullscreen = 1" "opencount  = 3" "shownext   = 1" "client: done"; do
  grep -q "$line" "$game/out.txt" || fail "the record lacks '$line'"
done
cmp -s "$game/work/devconfig.txt" "$game/devconfig.orig" || fail "devconfig.txt changed on disk"
echo "skinned window: choices in the record, devconfig.txt unchanged"

# 2. The plain dialog, which start-up never opens.
cp "$bin/plain_dialog.exe" "$game/Bin/"
start_program 'fullscreen=0\nopencount=2\nshownext=0\n' plain_dialog.exe
window=$(find_client_window any 150 plain_dialog.exe) || { kill $client; fail "no plain dialog"; }
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "plain dialog at $X,$Y size ${WIDTH}x$HEIGHT"
# The full-screen box: dialog units 10,9 to 104,19 with a 9-point font, in the client
# area, whose place on the screen the program prints.
wait_until 150 grep -q "client area at " "$game/out.txt" || { kill $client; fail "no client area reported"; }
IFS=, read -r client_x client_y < <(sed -n 's/^client area at \([0-9]*,[0-9]*\).*/\1/p' "$game/out.txt")
click_at $((client_x + 20)) $((client_y + 22)) || fail "the click on the full-screen box changed nothing"
xdotool key Return
wait_client "the plain dialog did not close on Enter"
grep -q "config dialog ended with 1: fullscreen=1" "$game/out.txt" || fail "the plain dialog's OK"
echo "PASS"
