#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test: the portable units
# natively under ASan/UBSan, their fuzzers for a bounded time, the benchmarks once each
# with a tiny count, and the Windows tests under Wine on a private virtual display.
# No test is run twice, except those that drive the X server with real input: one of
# those that fails gets one more run, and the last lines name every test that needed it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tree="$root/build/win32"
real_input='^(RealInput|MainJob)\.'

"$root/scripts/setup.sh"
"$root/scripts/build.sh"

source "$root/scripts/display.sh"
source "$root/scripts/wine-session.sh"
trap 'stop_wine; stop_display' EXIT
start_display
start_wine "$root/build/wineprefix"

status=0
ctest --test-dir "$tree" --output-on-failure --timeout 600 -j 2 "$@" </dev/null || status=$?

failed="$tree/Testing/Temporary/LastTestsFailed.log"
retried=()
if [ $status -ne 0 ] && [ -s "$failed" ]; then
  mapfile -t failures < <(cut -d: -f2- "$failed")
  others=$(printf '%s\n' "${failures[@]}" | grep -cvE "$real_input" || true)
  for name in "${failures[@]}"; do
    [[ $name =~ $real_input ]] || continue
    echo "== one more run of $name (real input through the X server)"
    ctest --test-dir "$tree" --output-on-failure --timeout 600 -R "^${name//./\\.}\$" </dev/null &&
      retried+=("$name passed on its second run") || retried+=("$name failed twice")
  done
  if [ "$others" -eq 0 ] && ! printf '%s\n' "${retried[@]}" | grep -q "failed twice"; then
    status=0
  fi
fi

echo "== tests that needed a second run: ${#retried[@]}"
for line in "${retried[@]}"; do echo "   $line"; done
exit $status
