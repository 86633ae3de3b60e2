#!/usr/bin/env bash
# The main job: lays out a sample game folder, starts the stand-in client in it under
# Wine (on a private virtual display when there is no display) and lets it load the
# plug-in.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$root/scripts/setup.sh"
echo "== building the plug-in and the stand-in client"
"$root/scripts/build.sh" >/dev/null

game="$root/build/game"
rm -rf "$game"
mkdir -p "$game/Bin"
cp "$root/build/win32/bin/client.exe" "$root/build/win32/bin/ZRKTempDll.dll" "$game/Bin/"
cp "$root/scripts/sample/devconfig.txt" "$game/Bin/"
echo "== sample game folder: $game"
echo "   devconfig.txt:"
sed 's/^/     /' "$game/Bin/devconfig.txt"

source "$root/scripts/display.sh"
source "$root/scripts/wine-session.sh"
[ -n "${DISPLAY:-}" ] || start_display
start_wine "$root/build/wineprefix"
trap 'stop_wine; stop_display' EXIT

echo "== starting the client (the plug-in's start-up runs inside its load)"
cd "$game/Bin"
"$root/scripts/wine-run.sh" client.exe "$@"
