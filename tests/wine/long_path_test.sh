#!/usr/bin/env bash
# A client whose executable's path needs more than 260 characters: the plug-in cannot
# know its folder, so it hands no bare name to the loader, though a component host sits
# in the client's folder (first on the search path) and a menu module and a help library
# sit in and beside the current directory, where ..\Tessaru.dll would find them. Start-up
# fails with "Load Core Error!" and no component runs. Wine's CreateProcess refuses such
# paths, so the client starts from here.
#   long_path_test.sh <build bin folder> <wine-run.sh>
set -u
bin=$1
wine_run=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
client_dir="$root/$(printf 'd%.0s' {1..120})/$(printf 'e%.0s' {1..120})/Bin"
mkdir -p "$client_dir" "$root/work"
source "$(dirname "$0")/../../scripts/game_folder.sh"
cp "$bin/client.exe" "$client_dir/"
for name in $(game_files "$bin" Bin); do cp "$bin/$name" "$client_dir/"; done
for name in $(game_files "$bin" parent); do cp "$bin/$name" "$root/"; cp "$bin/$name" "$root/work/"; done
echo "opencount=0" > "$root/work/devconfig.txt"
export ZRK_CALL_LOG="Z:${root//\//\\}\\calls.log"
windows_path="Z:${client_dir//\//\\}\\client.exe"

status=0
run_client() {
  status=0
  (cd "$root/work" && timeout 120 "$wine_run" "$client_dir/client.exe" --script) >"$root/out.txt" 2>&1 ||
    status=$?
}

fail() {
  echo "FAIL: $*"; echo "--- client (exit $status):"; cat "$root/out.txt"
  echo "--- calls:"; cat "$root/calls.log" 2>/dev/null; exit 1
}
[ ${#windows_path} -gt 260 ] || fail "the path is only ${#windows_path} characters"
run_client
# A start that printed nothing at all, not even Wine's own complaint, never reached the
# client's first line (Wine's loader died on the way): it gets one more, and says so.
if [ ! -s "$root/out.txt" ]; then
  echo "the client printed nothing (exit $status): starting it once more"
  run_client
fi
grep -q "client: loading ZRKTempDll.dll" "$root/out.txt" || fail "the client did not start"
grep -q "messagebox: Load Core Error!" "$root/out.txt" || fail "no Load Core Error!"
grep -q "the plug-in did not load" "$root/out.txt" || fail "the load did not fail"
[ ! -s "$root/calls.log" ] || fail "a component ran"
echo "PASS: a ${#windows_path}-character client path loaded no component"
