#!/usr/bin/env bash
# The kit's ZRKTempDll.lib as a Visual Studio team's linker takes it: an object compiled
# in MSVC mode from the kit's header, calling every export, links with lld-link's
# default options (/SAFESEH on x86 included), and the program's import table names
# ZRKTempDll.dll with exactly the undecorated names of its .def.
# Usage: import_library_test.sh KIT_DIR i686-pc-windows-msvc|x86_64-pc-windows-msvc SOURCE
set -u
kit=$1 triple=$2 source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

defines=()
[[ $triple == i686-* ]] && defines=(-D_X86_=1)
clang --target="$triple" -ffreestanding -fno-stack-protector -fno-builtin \
      -fgnuc-version=4.2.1 -isystem /usr/share/mingw-w64/include "${defines[@]}" \
      -I "$kit/include" -c "$source" -o "$work/client.obj" ||
  { echo "FAIL: the header does not compile in MSVC mode"; exit 1; }
lld-link /subsystem:console /out:"$work/client.exe" "$work/client.obj" \
         "$kit/lib/ZRKTempDll.lib" ||
  { echo "FAIL: lld-link refuses the import library"; exit 1; }

imports=$(llvm-readobj --coff-imports "$work/client.exe")
mapfile -t dlls < <(awk '/^ *Name: / { print $2 }' <<<"$imports")
[ "${dlls[*]}" = ZRKTempDll.dll ] || fail "imported DLLs: ${dlls[*]:-none}, only ZRKTempDll.dll expected"
names=$(awk '/^ *Symbol: / { print $2 }' <<<"$imports" | sort | tr '\n' ' ')
expected="CreateRPopupMenu GetSpeakInfo LoadConfig OnRButton TransferPointer "
[ "$names" = "$expected" ] || fail "imported names: $names; expected: $expected"
[ $status -eq 0 ] && echo "OK: linked with lld-link's defaults ($triple); imports $names"
exit $status
