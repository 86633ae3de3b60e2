#!/usr/bin/env bash
# Runs one benchmark once under Wine and checks the form of what it prints: it must end
# with status 0 and print a line matching each pattern (extended regular expressions,
# one a line). Timing is never checked.
#   smoke_test.sh <wine-run.sh> <patterns> <benchmark.exe> [arguments...]
set -u
wine_run=$1
patterns=$2
shift 2
out=$("$wine_run" "$@" </dev/null 2>&1)
status=$?
out=${out//$'\r'/}
echo "$out"
[ "$status" -eq 0 ] || { echo "FAIL: $(basename "$1") exited with $status"; exit 1; }
missing=0
while IFS= read -r pattern; do
  grep -qE -- "$pattern" <<<"$out" || { echo "FAIL: no line matches: $pattern"; missing=1; }
done <<<"$patterns"
exit $missing
