#!/usr/bin/env bash
# Runs the README's main-job command as a new user would (no display of their own), on the
# tree of the word size given (win32 or win64), and checks its story: the window's choices
# in the record, every export called, the menu item's record decoded by the queue reader
# in a second process.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mktemp)
trap 'rm -f "$out"' EXIT

arch=${1:-win32}
env -u DISPLAY ZRK_ARCH="$arch" ZRK_RUN_WINEPREFIX="$root/build/wineprefix-mainjob-$arch" \
    bash "$root/scripts/run.sh" >"$out" 2>&1
status=$?

expect() {
  grep -qF -- "$1" "$out" || { echo "FAIL: the story lacks: $1"; cat "$out"; exit 1; }
}
[ $status -eq 0 ] || { echo "FAIL: run.sh exited with $status"; cat "$out"; exit 1; }
expect "build/$arch) under"
expect "== sample game folder: $root/build/游戏"
expect "0 WARN, 0 FAIL: start-up would succeed with every component bound"
expect "== the scripted player pressed OK"
expect "render     = 2"
expect "fullscreen = 1"
expect "opencount  = 2"
expect "client: TransferPointer gave the component host"
# Texts the framework-model help library assigned: a pool block, a kept bulletin's shared
# block, its next pool.
expect "speak[0]: hr=0x00000000 text=/laba[3]说: 今晚八点王城集合"
expect "speak[2]: hr=0x00000000 text=系统公告：服务器将于明日维护"
expect "speak[4]: hr=0x00000000 text=/laba[5]说: 【公告】本周六晚八点"
expect "Tessaru: CreateRMenu menu 2 40 30 0 0 0 0"
expect "Tessaru: item 101 posted -> 0"
expect "#1 type=6 value=0 length=8"
expect "hex:  D7 E9 B6 D3 D1 FB C7 EB"
expect "1 record(s) taken"
echo "PASS"
