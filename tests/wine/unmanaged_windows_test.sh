#!/usr/bin/env bash
# The session leaves no window to a window manager: none runs on the virtual display, so
# a window left to one is never acknowledged, and Wine waits 2 s each time it is hidden
# or destroyed (its "wait_for_withdrawn_state" message). The client's captioned window,
# shown and destroyed, must end without that wait.
#   unmanaged_windows_test.sh <build bin folder> <wine-run.sh>
set -u
bin=$1
wine_run=$2
source "$(dirname "$0")/../../scripts/game_folder.sh"
fail() { echo "FAIL: $*"; cat "$game/out.txt"; exit 1; }
game=$(mktemp -d)
trap 'rm -rf "$game"' EXIT
lay_out_game "$bin" "$game"
mkdir -p "$game/work"
printf 'opencount=0\n' >"$game/work/devconfig.txt"
(cd "$game/work" && WINEDEBUG=-all,fixme+event exec "$wine_run" ../Bin/client.exe --script >"$game/out.txt" 2>&1)
grep -q "client: done" "$game/out.txt" || fail "the client did not finish"
! grep -q "wait_for_withdrawn_state" "$game/out.txt" || fail "a window waited for a window manager"
echo "PASS"
