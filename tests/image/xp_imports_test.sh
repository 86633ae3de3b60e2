#!/usr/bin/env bash
# Every function a shipped binary imports from KERNEL32, USER32, GDI32 or ole32 must be
# declared by the mingw-w64 headers for Windows XP (_WIN32_WINNT=0x0501): XP's loader
# refuses a whole image that names one function it lacks. A C file that takes the
# address of each import has to compile with those headers.
# Usage: xp_imports_test.sh OBJDUMP CC IMAGE...
set -u
objdump=$1 cc=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
for image in "$@"; do
  name=$(basename "$image")
  # objdump lists each DLL's imports under its name as "<address> <hint> <function>".
  LC_ALL=C "$objdump" -p "$image" | awk '
    /DLL Name:/ { dll = toupper($3); next }
    /^\t[0-9a-f]+\t +[0-9]+  [A-Za-z_]/ && dll ~ /^(KERNEL32|USER32|GDI32|OLE32)\.DLL$/ { print $3 }
  ' | sort -u >"$work/$name.imports"
  count=$(wc -l <"$work/$name.imports")
  if [ "$count" -lt 10 ]; then
    echo "FAIL: $name: only $count system imports found; objdump's listing not understood"
    status=1
    continue
  fi
  {
    echo '#include <windows.h>'
    echo '#include <objbase.h>'
    echo 'const void* const imports[] = {'
    sed 's/.*/    (const void*)\&&,/' "$work/$name.imports"
    echo '};'
  } >"$work/$name.c"
  if LC_ALL=C "$cc" -fsyntax-only -std=c99 -Werror=implicit-function-declaration \
       -D_WIN32_WINNT=0x0501 -DWINVER=0x0501 "$work/$name.c" 2>"$work/$name.log"; then
    echo "OK: $name: all $count imports of KERNEL32, USER32, GDI32 and ole32 exist on Windows XP"
  else
    echo "FAIL: $name imports functions that Windows XP lacks:"
    grep -o "'[A-Za-z0-9_]*' undeclared" "$work/$name.log" | sort -u | sed 's/^/   /'
    grep -q "undeclared" "$work/$name.log" || cat "$work/$name.log"
    status=1
  fi
done
exit $status
