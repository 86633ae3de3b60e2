#!/usr/bin/env bash
# The same sources give the same integration kit in any folder: a copy of the sources,
# configured and built (the kit only) in a folder whose path has another length, must
# give the same files as this tree's kit, each byte-identical.
# Usage: reproducible_build_test.sh SOURCE_DIR KIT_DIR
set -u
root=$1
kit=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build() {
  local dir=$1
  mkdir -p "$dir/src"
  tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$dir/src" -xf -
  cmake -S "$dir/src" -B "$dir/out" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$dir/src/cmake/toolchain-mingw-i686.cmake" >"$dir/log" 2>&1 &&
    cmake --build "$dir/out" --target kit -j "$(nproc)" >>"$dir/log" 2>&1 ||
    { echo "FAIL: the build in $dir failed:"; tail -20 "$dir/log"; exit 1; }
}

build "$work/another-build-folder"
status=0
one=$kit two=$work/another-build-folder/out/dist
list() { (cd "$1" && find . -type f | sort); }
[ -n "$(list "$one")" ] || { echo "FAIL: the kit is empty"; exit 1; }
if [ "$(list "$one")" != "$(list "$two")" ]; then
  echo "FAIL: the two kits hold different files:"
  diff <(list "$one") <(list "$two")
  status=1
fi
for file in $(list "$one"); do
  if cmp "$one/$file" "$two/$file"; then
    echo "OK: ${file#./} is byte-identical in both folders ($(stat -c %s "$one/$file") bytes)"
  else
    echo "FAIL: ${file#./} differs between the two folders"
    status=1
  fi
done
exit $status
