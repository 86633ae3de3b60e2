#!/usr/bin/env bash
# The whole fault sweep: every failable import of the plug-in made to fail once per run,
# at its first 20 calls in each scenario and then at every 10th, one process per run, and
# the sweep's summary line. Runs the 32-bit product where this machine executes 32-bit
# code, else its 64-bit twin; arguments name word sizes instead (win32, win64). About a
# quarter of an hour per word size on two cores; the test command runs a seeded sample of it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$root/scripts/setup.sh"
"$root/scripts/build.sh"

source "$root/scripts/display.sh"
source "$root/scripts/wine-session.sh"
source "$root/scripts/wine-arch.sh"
trap 'stop_wine; stop_display' EXIT

archs=("$@")
if [ ${#archs[@]} -eq 0 ]; then
  archs=(win64)
  [ -n "$(wine_unavailable_reason win32)" ] || archs=(win32)
fi

start_display
status=0 summary=()
for arch in "${archs[@]}"; do
  bin="$root/build/$arch/bin" bits=${arch#win}
  why=$(wine_unavailable_reason "$arch")
  if [ -n "$why" ]; then
    summary+=("$bits-bit: not run: $why") status=1
    continue
  fi
  start_wine "$(wine_default_prefix "$root" "$arch")" "$arch" || { summary+=("$bits-bit: its Wine did not start"); status=1; continue; }
  rm -f "$bin/fault_sweep.txt"
  (cd "$bin" && ZRK_FAULT_SWEEP=full "$root/scripts/wine-run.sh" fault_sweep_tests.exe \
     --gtest_filter='FaultSweep.*' </dev/null) || status=1
  summary+=("$bits-bit: $(cat "$bin/fault_sweep.txt" 2>/dev/null || echo 'the sweep ended without a summary')")
  stop_wine
done
echo "== fault sweep"
for line in "${summary[@]}"; do echo "   $line"; done
exit $status
