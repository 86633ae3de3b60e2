#!/usr/bin/env bash
# Every performance figure the project tracks, each measured side by side in one run:
# the benchmarks under bench/, then the DLL's size and the DLLs it imports.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin="$root/build/win32/bin"

"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null

source "$root/scripts/display.sh"
source "$root/scripts/wine-session.sh"
trap 'stop_wine; stop_display' EXIT
start_display
start_wine "$root/build/wineprefix"

for bench in config_bench queue_bench region_bench startup_bench; do
  echo "== $bench"
  "$root/scripts/wine-run.sh" "$bin/$bench.exe" </dev/null
done

dll="$bin/ZRKTempDll.dll"
echo "== ZRKTempDll.dll"
echo "size: $(stat -c %s "$dll") bytes"
echo "imports: $(LC_ALL=C i686-w64-mingw32-objdump -p "$dll" | awk '/DLL Name:/ {print $3}' | sort -f | paste -sd' ')"
