#!/usr/bin/env bash
# Every performance figure the project tracks, each measured side by side in one run:
# the benchmarks under bench/, then the DLL's size and the DLLs it imports.
# It measures the 32-bit tree where this machine executes 32-bit code, else the 64-bit
# twin (ZRK_ARCH=win32 or win64 chooses), and says which in its first line: a figure is a
# ratio within one word size.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wine-arch.sh"

"$root/scripts/setup.sh"
arch=$(runnable_arch)
echo "== $(describe_arch "$arch")"
bin="$root/build/$arch/bin"
"$root/scripts/build.sh" >/dev/null

source "$root/scripts/display.sh"
source "$root/scripts/wine-session.sh"
trap 'stop_wine; stop_display' EXIT
start_display
start_wine "$(wine_default_prefix "$root" "$arch")" "$arch"

for bench in config_bench queue_bench region_bench startup_bench; do
  echo "== $bench"
  "$root/scripts/wine-run.sh" "$bin/$bench.exe" </dev/null
done

dll="$bin/ZRKTempDll.dll"
echo "== ZRKTempDll.dll"
echo "size: $(stat -c %s "$dll") bytes"
echo "imports: $(LC_ALL=C objdump_for "$arch" -p "$dll" | awk '/DLL Name:/ {print $3}' | sort -f | paste -sd' ')"
