#!/usr/bin/env bash
# The Wine session's desktop process: one, started by the session rather than by a test,
# so it holds none of a test's standard handles (CTest waits for a test's pipe to close,
# and the desktop lives as long as any program uses it), and the same one before and
# after a program that opens windows.
#   desktop_session_test.sh <build bin folder> <wine-run.sh>
set -u
bin=$1
wine_run=$2
source "$(dirname "$0")/../../scripts/wine-session.sh"
fail() { echo "FAIL: $*"; exit 1; }
[ -n "${WINEPREFIX:-}" ] || fail "no Wine session (scripts/test.sh starts one)"

pids=$(desktop_pids)
[ "$(wc -w <<<"$pids")" -eq 1 ] || fail "one desktop process expected in $WINEPREFIX, found: '$pids'"
for fd in 0 1 2; do
  target=$(readlink "/proc/$pids/fd/$fd")
  case $target in
    pipe:* | socket:*) fail "the desktop process's handle $fd is $target: a test's output, not the session's" ;;
  esac
done
"$wine_run" "$bin/plugin_tests.exe" --gtest_filter=CWnd.DestructorDestroysTheWindowItOwns | grep -q "PASSED" ||
  fail "the windowed program did not pass"
[ "$(desktop_pids)" = "$pids" ] || fail "the desktop process changed from $pids to '$(desktop_pids)'"
echo "PASS: desktop process $pids, standard handles $(readlink /proc/$pids/fd/1)"
