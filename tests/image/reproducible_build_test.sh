#!/usr/bin/env bash
# The same sources give the same integration kit in any folder: two copies of the
# sources, each configured and built (the kit only) in a folder of its own with a name
# of another length, must give the same files in dist/, each byte-identical.
# Usage: reproducible_build_test.sh SOURCE_DIR
set -u
root=$1
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

build "$work/a"
build "$work/second-build-folder"
status=0
one=$work/a/out/dist two=$work/second-build-folder/out/dist
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
