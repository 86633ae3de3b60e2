#!/usr/bin/env bash
# What the scripts conclude about a machine, with planted loaders: one this machine
# cannot execute (an ELF of a class and machine that match no kernel), one missing.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-arch.sh"
source "$root/scripts/wine-session.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# An ELF header alone: 32-bit class, x86-64 machine. The kernel refuses it as it refuses
# 32-bit code on a machine that runs 64-bit code only.
{ printf '\177ELF\001\001\001'; head -c 9 /dev/zero; printf '\002\000\076\000\001\000\000\000'
  head -c 40 /dev/zero; } >"$work/loader"
chmod +x "$work/loader"
failures=0
expect() {  # expect WHAT ACTUAL PATTERN
  [[ $2 == $3 ]] || { echo "FAIL: $1: '$2' does not match '$3'"; failures=$((failures + 1)); }
}

expect "an unexecutable loader" "$(ZRK_WINE32_LOADER=$work/loader wine_unavailable_reason win32)" \
       "this machine executes 64-bit code only ($work/loader: Exec format error)"
expect "a missing loader" "$(ZRK_WINE32_LOADER=$work/none wine_unavailable_reason win32)" "*is not installed"
expect "the tree without 32-bit Wine" "$(ZRK_WINE32_LOADER=$work/loader runnable_arch 2>&1)" "win64"
expect "the tree chosen" "$(ZRK_ARCH=win32 ZRK_WINE32_LOADER=$work/loader runnable_arch)" "win32"
expect "no Wine at all" "$(ZRK_WINE32_LOADER=$work/none ZRK_WINE64_LOADER=$work/loader runnable_arch 2>&1)" \
       "no Wine runs here: 32-bit: *64-bit: this machine executes 64-bit code only*"
expect "the main job's first line" "$(ZRK_WINE32_LOADER=$work/loader describe_arch win64)" \
       "the 64-bit twin (build/win64) under 64-bit Wine on *: 32-bit code cannot run here: this machine*"
# A start that cannot happen says why at once, instead of waiting for a time-out.
started=$SECONDS
message=$(ZRK_WINE32_LOADER=$work/loader start_wine "$work/prefix" win32 2>&1)
expect "a start that cannot happen" "$message" "win32 Wine cannot run here: this machine executes 64-bit code only*"
[ $((SECONDS - started)) -lt 30 ] || { echo "FAIL: the failed start took $((SECONDS - started)) s"; failures=$((failures + 1)); }
[ $failures -eq 0 ] && echo PASS
