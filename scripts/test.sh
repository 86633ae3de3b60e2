#!/usr/bin/env bash
# Installs what is missing, builds every tree and runs every test: the portable units
# natively under ASan/UBSan with their fuzzers for a bounded time, then the Windows suite
# under Wine on a private virtual display for each word size this machine executes (the
# 32-bit product's, and its 64-bit twin's). Where 32-bit code cannot run, the 32-bit
# tree's checks that need no execution still run, and the last lines say why the rest
# did not. No test is run twice, except those that drive the X server with real input
# and those whose program printed nothing at all (Wine now and then fails a start before
# the program runs): one of those that fails gets one more run, and the last lines name it.
# Arguments go to each Windows suite's CTest (-R NAME, say).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
real_input='^(RealInput|MainJob)\.'

"$root/scripts/setup.sh"
setup_seconds=$SECONDS
"$root/scripts/build.sh"
build_seconds=$((SECONDS - setup_seconds))

source "$root/scripts/display.sh"
source "$root/scripts/wine-session.sh"
source "$root/scripts/wine-arch.sh"
test_times=$(mktemp)
trap 'stop_wine; stop_display; rm -f "$test_times"' EXIT

summary=() retried=() status=0 passed=0 failed=0

# ctest_suite TITLE TREE [ctest arguments]: one CTest run, its count in the summary.
ctest_suite() {
  local title=$1 tree=$2 log suite_status=0 suite_start=$SECONDS
  shift 2
  log=$(mktemp)
  rm -f "$tree/bin/fault_sweep.txt"
  echo "== $title"
  ctest --test-dir "$tree" --output-on-failure --timeout 600 -j 2 "$@" </dev/null 2>&1 | tee "$log" ||
    suite_status=$?
  if [ $suite_status -ne 0 ] && retry_allowed "$tree" "$log"; then suite_status=0; fi
  count_suite "$title" "$log" $suite_status $((SECONDS - suite_start))
  record_test_times "$tree" "$log"
  if [ -f "$tree/bin/fault_sweep.txt" ]; then summary+=("  $(cat "$tree/bin/fault_sweep.txt")"); fi
  rm -f "$log"
  [ $suite_status -eq 0 ] || status=1
}

# Whether CTest's LOG shows test NAME's result line with no output after it.
printed_nothing() {
  awk -v name="$2" '
    found && (/^ +Start +[0-9]+: / || /^ *[0-9]+\/[0-9]+ Test +#/ || /^[0-9]+% tests passed/) { exit }
    found && /[^[:space:]]/ { lines++ }
    /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / { split($0, parts, ": "); sub(/ \.+.*$/, "", parts[2]); found = parts[2] == name; seen += found }
    END { exit !(seen && !lines) }
  ' "$1"
}

# Gives one more run to each failed test that drove real input or whose program printed
# nothing; fails when any other test failed or one failed twice.
retry_allowed() {
  local tree=$1 log=$2 name others=0 failures=() list="$1/Testing/Temporary/LastTestsFailed.log" ok=0 why
  [ -s "$list" ] || return 1
  mapfile -t failures < <(cut -d: -f2- "$list")
  for name in "${failures[@]}"; do
    if [[ $name =~ $real_input ]]; then
      why="real input through the X server"
    elif printed_nothing "$log" "$name"; then
      why="its program printed nothing"
    else
      others=$((others + 1)); continue
    fi
    echo "== one more run of $name ($why)"
    if ctest --test-dir "$tree" --output-on-failure --timeout 600 -R "^${name//./\\.}\$" </dev/null; then
      retried+=("$name ($tree) passed on its second run ($why)")
    else
      retried+=("$name ($tree) failed twice"); ok=1
    fi
  done
  [ "$others" -eq 0 ] && return $ok
  return 1
}

# Each test's time from CTest's result lines in LOG, as "seconds name (tree)" lines.
record_test_times() {
  sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) \.+.* ([0-9]+\.[0-9]+) sec$/\2 \1/p' "$2" |
    while read -r seconds name; do echo "$seconds $name (${1#"$root"/})"; done >>"$test_times"
}

# The suite's line for the summary, from CTest's own closing line, with its time.
count_suite() {
  local title=$1 log=$2 suite_status=$3 seconds=$4 total=0 failures=0 line
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -n "$line" ]; then
    failures=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  fi
  # A real-input test that passed on its second run counts as passed.
  [ $suite_status -ne 0 ] || failures=0
  passed=$((passed + total - failures)) failed=$((failed + failures))
  summary+=("$title: $((total - failures)) passed, $failures failed, in ${seconds} s")
}

ctest_suite "native tests, fuzzers (build/native)" "$root/build/native"

start_display
ran_wine=
for arch in win32 win64; do
  bits=${arch#win}
  why=$(wine_unavailable_reason "$arch")
  if [ -n "$why" ]; then
    summary+=("$bits-bit Wine suite: not run: $why")
    # Their own folder of the tree: CTest reads no test list there that needs Wine.
    [ "$arch" = win64 ] || ctest_suite "checks of the 32-bit image that need no execution" \
                                      "$root/build/win32/tests/image"
    continue
  fi
  if start_wine "$(wine_default_prefix "$root" "$arch")" "$arch"; then
    ctest_suite "$bits-bit Wine suite (build/$arch)" "$root/build/$arch" "$@"
    ran_wine=yes
  else
    summary+=("$bits-bit Wine suite: not run: its Wine did not start (see above)")
    status=1
  fi
  stop_wine
done
[ -n "$ran_wine" ] || { summary+=("no Wine suite ran"); status=1; }

echo "== tests that needed a second run: ${#retried[@]}"
for line in "${retried[@]}"; do echo "   $line"; done
echo "== the five slowest tests"
sort -rn "$test_times" | sed -n 1,5p | while read -r seconds rest; do echo "   $seconds s  $rest"; done
echo "== suites (the whole command took $SECONDS s: set-up $setup_seconds s, the three builds $build_seconds s)"
for line in "${summary[@]}"; do echo "   $line"; done
echo "all: $passed passed, $failed failed"
exit $status
