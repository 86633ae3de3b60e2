#!/usr/bin/env bash
# The same sources give the same ZRKTempDll.dll and ZRKTempDll.debug in any folder:
# two copies of the sources, each configured and built (the DLL only) in a folder of
# its own with a name of another length, must give byte-identical files.
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
    cmake --build "$dir/out" --target ZRKTempDll -j "$(nproc)" >>"$dir/log" 2>&1 ||
    { echo "FAIL: the build in $dir failed:"; tail -20 "$dir/log"; exit 1; }
}

build "$work/a"
build "$work/second-build-folder"
status=0
for file in ZRKTempDll.dll ZRKTempDll.debug; do
  if cmp "$work/a/out/bin/$file" "$work/second-build-folder/out/bin/$file"; then
    echo "OK: $file is byte-identical in both folders ($(stat -c %s "$work/a/out/bin/$file") bytes)"
  else
    echo "FAIL: $file differs between the two folders"
    status=1
  fi
done
exit $status
