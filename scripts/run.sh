#!/usr/bin/env bash
# The main job: lays out a sample game folder (client, plug-in and component host in
# Bin, the menu and help libraries in its parent), runs the integrator's doctor on it,
# starts the stand-in client in it under Wine (on a private virtual display when there
# is none) and prints what the stand-in components were called with. Without arguments
# the client runs scripted: it calls every export and right-clicks its window once,
# choosing the menu's first item. Any arguments go to the client instead; `--by-hand`
# (or any flag it does not know) leaves the window open for real right clicks. The
# sample devconfig.txt asks for the skinned configuration window during start-up: on a
# display of your own you operate it; on the private one a player's clicks are scripted
# (OpenGL, full screen, OK) and the record the client prints shows them.
# It runs the 32-bit tree where this machine executes 32-bit code, else the 64-bit twin
# (ZRK_ARCH=win32 or win64 chooses), and says which in its first line.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wine-arch.sh"

"$root/scripts/setup.sh"
arch=$(runnable_arch)
echo "== $(describe_arch "$arch")"
echo "== building the plug-in and the stand-in client"
"$root/scripts/build.sh" >/dev/null

# A Chinese game folder, as on a player's machine; the call log stays on an ASCII path,
# since Wine cuts non-ASCII text out of environment values.
game="$root/build/游戏"
logs="$root/build/game-log"
rm -rf "$game" "$logs"
mkdir -p "$logs"
bin="$root/build/$arch/bin"
source "$root/scripts/game_folder.sh"
lay_out_game "$bin" "$game"
cp "$root/scripts/sample/devconfig.txt" "$game/Bin/"
echo "== sample game folder: $game"
echo "   devconfig.txt:"
sed 's/^/     /' "$game/Bin/devconfig.txt"

source "$root/scripts/display.sh"
source "$root/scripts/wine-session.sh"
source "$root/scripts/config_window.sh"
operator=
stop_operator() { [ -z "$operator" ] || { kill "$operator" 2>/dev/null; wait "$operator" 2>/dev/null; } || true; }
trap 'stop_operator; stop_wine; stop_display' EXIT
scripted_player=
[ -n "${DISPLAY:-}" ] || { start_display; scripted_player=yes; }
# ZRK_RUN_WINEPREFIX keeps a run apart from a test suite that uses the build's prefix.
start_wine "${ZRK_RUN_WINEPREFIX:-$(wine_default_prefix "$root" "$arch")}" "$arch"

if [ -n "$scripted_player" ]; then
  echo "== no display of your own: the configuration window, if start-up shows it, gets"
  echo "   a scripted player's clicks through the X server: OpenGL, full screen, OK"
  (operate_skinned_window opengl fullscreen ok && echo "== the scripted player pressed OK" ||
     echo "== no configuration window appeared") &
  operator=$!
fi

cd "$game/Bin"
# The integrator's doctor, beside the client as a team uses it, looks at the folder as
# start-up will; its problems and its summary line.
echo "== zrkdoctor on the sample game folder"
cp "$bin/zrkdoctor.exe" "$game/Bin/"
"$root/scripts/wine-run.sh" zrkdoctor.exe </dev/null | tr -d '\r' |
  iconv -f GBK -t UTF-8 -c | { grep -v '^OK' || true; } | sed 's/^/   /' || true

echo "== starting the client (the plug-in's start-up runs inside its load)"
export ZRK_CALL_LOG='Z:'"${logs//\//\\}"'\calls.log'
cp "$bin/queue_reader.exe" "$game/"
# The queue reader opens the queue first and prints the record the chosen item posts.
"$root/scripts/wine-run.sh" "$game/queue_reader.exe" --follow 1 --seconds 60 >"$game/queue.txt" 2>&1 &
reader=$!
wait_until 300 grep -q "^following the queue" "$game/queue.txt" ||
  echo "== the queue reader did not start within 30 s"
# The scripted run ends by itself: it is bounded (ZRK_CLIENT_SECONDS, default 120), so a
# stalled Wine shows as a message instead of a run that never ends.
limit=()
[ $# -gt 0 ] || { set -- --script --pick 1; limit=(timeout "${ZRK_CLIENT_SECONDS:-120}"); }
client_status=0
"${limit[@]}" "$root/scripts/wine-run.sh" client.exe "$@" || client_status=$?
[ "$client_status" -ne 124 ] || [ ${#limit[@]} -eq 0 ] ||
  echo "== the client did not finish within ${ZRK_CLIENT_SECONDS:-120} s (ZRK_CLIENT_SECONDS sets the limit)"
[ -z "$operator" ] || { wait "$operator" 2>/dev/null || true; operator=; }
echo "== calls the stand-in components received"
sed 's/^/   /' "$logs/calls.log" 2>/dev/null || true
wait_until 50 has_exited $reader || true
kill $reader 2>/dev/null || true
wait $reader 2>/dev/null || true
echo "== the queue reader"
sed 's/^/   /' "$game/queue.txt"
exit $client_status
