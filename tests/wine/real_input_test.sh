#!/usr/bin/env bash
# A player's right click through the X server: the client runs by hand in a sample game
# folder, xdotool right-clicks its window, left-clicks the menu's first item and closes
# the window with Alt+F4; the item's record must come out of the queue reader.
#   real_input_test.sh <build bin folder> <wine-run.sh>
set -u
bin=$1
wine_run=$2
game=$(mktemp -d)
trap 'rm -rf "$game"' EXIT
source "$(dirname "$0")/../../scripts/game_folder.sh"
source "$(dirname "$0")/../../scripts/config_window.sh"
lay_out_game "$bin" "$game"
mkdir -p "$game/work"
echo "opencount=0" > "$game/work/devconfig.txt"
export ZRK_CALL_LOG="Z:${game//\//\\}\\calls.log"

fail() { echo "FAIL: $*"; xdpyinfo >/dev/null 2>&1 || echo "(the X server at $DISPLAY does not answer)"; echo "--- client:"; cat "$game/out.txt"; echo "--- calls:"; cat "$game/calls.log"; exit 1; }

(cd "$game/work" && exec "$wine_run" ../Bin/client.exe --by-hand >"$game/out.txt" 2>&1) &
client=$!

# The client's top-level window: the one of its X windows with a real size.
window=$(find_client_window any 100) || { kill $client; fail "no client window"; }
eval "$(xdotool getwindowgeometry --shell "$window")"
cx=$((X + WIDTH / 2)); cy=$((Y + HEIGHT / 2))

# A window that has just been mapped may not take input yet: click again until the menu
# module is asked for its menu.
logged() { grep -q "$1" "$game/calls.log" 2>/dev/null; }
for _ in $(seq 5); do
  xdotool mousemove $cx $cy click 3
  wait_until 20 logged "Tessaru: CreateRMenu menu" && break
done
# The menu is an X window of its own: its first item once it shows.
other_window() { xdotool search --onlyvisible --classname client.exe 2>/dev/null | grep -vx "$window" | head -1 | grep .; }
wait_until 50 other_window >/dev/null || { kill $client; fail "the menu did not show"; }
menu=$(other_window)
eval "$(xdotool getwindowgeometry --shell --prefix MENU_ "$menu")"
xdotool mousemove $((MENU_X + 20)) $((MENU_Y + 10)) click 1
wait_until 50 logged "Tessaru: menu closed"
# The client still holds the queue while its window is open.
(cd "$game" && "$wine_run" "$bin/queue_reader.exe" --follow 1 --seconds 10 >"$game/queue.txt" 2>&1)
xdotool mousemove $cx $cy key alt+F4
wait_until 100 has_exited $client || { kill $client; fail "the client did not close"; }
wait $client

grep -q "client: right click at" "$game/out.txt" || fail "the window got no right click"
grep -q "Tessaru: SetLpIGameSite menu 1" "$game/calls.log" || fail "no game site handed over"
grep -q "Tessaru: menu closed, item 101" "$game/calls.log" || fail "the first item was not chosen"
grep -q "client: done" "$game/out.txt" || fail "the client did not finish"
grep -q "type=6 value=0 length=8" "$game/queue.txt" || fail "no record in the queue: $(cat "$game/queue.txt")"
echo "PASS"
