#!/usr/bin/env bash
# Configures and builds the native tree of the portable units (build/native), the Windows
# tree (build/win32: the product) and its 64-bit twin (build/win64: the same sources for
# x86_64, whose tests run where the machine cannot execute 32-bit code).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >/dev/null
cmake --build "$root/build/native" -j "$jobs"

for arch in i686:win32 x86_64:win64; do
  tree="$root/build/${arch#*:}" toolchain="$root/cmake/toolchain-mingw-${arch%%:*}.cmake"
  # CMake keeps the compilers a tree was first configured with: a changed toolchain
  # starts the tree's configuration afresh.
  want=$(cat "$toolchain" "$root/cmake/MingwToolchain.cmake" | md5sum)
  [ "$(cat "$tree/.toolchain" 2>/dev/null)" = "$want" ] || rm -rf "$tree/CMakeCache.txt" "$tree/CMakeFiles"
  cmake -S "$root" -B "$tree" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
  echo "$want" >"$tree/.toolchain"
  cmake --build "$tree" -j "$jobs"
done
