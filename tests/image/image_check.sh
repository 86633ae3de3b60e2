#!/usr/bin/env bash
# Checks of the shipped 32-bit DLL that need no execution, read with binutils from the
# image itself, so they hold on machines where no 32-bit code runs.
#   image_check.sh CHECK SHIPPED_DLL SYMBOLS_DLL [ARGUMENT]
# SYMBOLS_DLL is the same link before stripping: its symbols name the code the checks
# disassemble. CHECK is one of exports, calling, imports, header, version, size.
set -euo pipefail
check=$1 dll=$2 symbols=$3 argument=${4:-}
objdump=i686-w64-mingw32-objdump nm=i686-w64-mingw32-nm windres=i686-w64-mingw32-windres
# The names of the .def, sorted as the export table holds them.
mapfile -t exports < <(awk '/^EXPORTS/ {on = 1; next} on && NF {print $1}' \
  "$(dirname "$0")/../../res/ZRKTempDll.def" | LC_ALL=C sort)
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# What the checks read, taken once: the headers and tables, and the symbols (C names
# carry the i686 underscore; C++ names are read demangled).
LC_ALL=C $objdump -p "$dll" >"$work/headers"
LC_ALL=C $nm --defined-only "$symbols" >"$work/symbols"
LC_ALL=C $nm -C --defined-only "$symbols" >"$work/demangled"
awk '$2 ~ /^[Tt]$/ {print $1}' "$work/symbols" | sort -u >"$work/functions"

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The names in the export table, one a line, in table order.
export_names() {
  awk '/^\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && NF == 0 {on = 0} on {print $NF}' \
    "$work/headers"
}

check_exports() {
  local names
  names=$(export_names | paste -sd' ')
  [ "$names" = "${exports[*]}" ] || fail "exports are '$names', not '${exports[*]}'"
}

symbol_address() { awk -v n="_$1" '$3 == n {print $1}' "$work/symbols" | head -n 1; }

# Where the code that starts at an address ends: the next function symbol above it.
function_end() {
  awk -v a="$1" '$1 > a {print $1}' "$work/functions" | head -n 1  # eight hex digits each
}

# How many bytes each return of the code at an address pops (0 for a plain ret), one a
# line; a function that ends in a jump to another one is followed there, once.
pops_of() {
  local address=$1 depth=${2:-0} end lines target
  end=$(function_end "$address")
  lines=$(LC_ALL=C $objdump -d --no-show-raw-insn --start-address=0x"$address" \
            --stop-address=0x"$end" "$symbols" | awk -F'\t' 'NF >= 2 {print $2}')
  while read -r _ operand; do
    echo $((${operand:-0} + 0))
  done < <(grep -E '^ret' <<<"$lines" | tr -d '$')
  grep -q '^ret' <<<"$lines" && return
  [ "$depth" -eq 0 ] || return 0
  target=$(awk '$1 == "jmp" && $3 !~ /\.cold|\+0x/ {print $2}' <<<"$lines" | head -n 1)
  [ -z "$target" ] || pops_of "$target" 1
}

# expect_pops WHAT ADDRESS BYTES: every return of the code pops BYTES.
expect_pops() {
  local what=$1 address=$2 bytes=$3 seen
  seen=$(pops_of "$address" | sort -u | paste -sd' ')
  [ "$seen" = "$bytes" ] || fail "$what returns popping '${seen:-no return found}' bytes, not $bytes"
}

# Table words of a method table, by its symbol's demangled name: a class's "vtable for"
# holds the method addresses behind two header words; a table defined as data has none.
vtable_slots() {
  local base count=$2 start header=0
  base=$(awk -v n="$1" '{name = $0; sub(/^[0-9a-f]+ [A-Za-z] /, "", name)}
                        name == n {print $1}' "$work/demangled" | head -n 1)
  [ -n "$base" ] || return 1
  [[ $1 != "vtable for "* ]] || header=8
  start=$(printf '%x' $((0x$base + header)))
  LC_ALL=C $objdump -s --start-address=0x"$start" --stop-address=$((0x$start + 4 * count)) "$symbols" |
    awk '/^ [0-9a-f]+ / {for (i = 2; i <= 5 && i <= NF; ++i) if ($i ~ /^[0-9a-f]+$/ && length($i) == 8) print $i}' |
    head -n "$count" | sed -E 's/(..)(..)(..)(..)/\4\3\2\1/'
}

# expect_table TABLE ARGS...: slot k of the table pops 4 * (ARGS[k] + 1) bytes, the
# object pointer and its arguments, as a __stdcall method of a COM interface must; an
# argument count written tN is a __thiscall method's, whose object comes in ECX: 4 * N.
expect_table() {
  local table=$1 slot=0 address slots bytes
  shift
  mapfile -t slots < <(vtable_slots "$table" $#) || true
  [ ${#slots[@]} -eq $# ] || { fail "no method table of $# slots for $table"; return; }
  for args in "$@"; do
    address=${slots[$slot]}
    case $args in
      t*) bytes=$((4 * ${args#t})) ;;
      *) bytes=$((4 * (args + 1))) ;;
    esac
    expect_pops "$table slot $slot" "$address" $bytes
    slot=$((slot + 1))
  done
}

check_calling() {
  local name address
  for name in "${exports[@]}"; do
    address=$(symbol_address "$name")
    [ -n "$address" ] || { fail "no symbol $name"; continue; }
    expect_pops "export $name (cdecl: the caller pops)" "$address" 0
  done
  # IGameSite: QueryInterface, AddRef, Release, PostType6, PostType7, PostType8, then the
  # deleting destructor a Microsoft-compiled caller calls, which pops its flags.
  expect_table "(anonymous namespace)::kGameSiteVtbl" 2 0 0 2 2 3 t1
  expect_table "vtable for CCFunction::XCCFunction" 2 0 0 0
  expect_table "vtable for CCFunction::XCCFunctionBind" 2 0 0 1
  # IClassFactory2: the factory's five, then GetLicInfo, RequestLicKey, CreateInstanceLic.
  expect_table "vtable for COleObjectFactory::XClassFactory" 2 0 0 3 1 1 2 5
}

check_imports() {
  local system=" kernel32.dll user32.dll gdi32.dll ole32.dll oleaut32.dll advapi32.dll ws2_32.dll
                 wsock32.dll version.dll msvcrt.dll comctl32.dll shell32.dll " name count=0
  while read -r name; do
    count=$((count + 1))
    [[ $system == *" ${name,,} "* ]] || fail "imports $name, which a game folder does not have"
  done < <(awk '/DLL Name:/ {print $3}' "$work/headers")
  [ $count -gt 0 ] || fail "no imports found"
}

# header_field NAME: a value objdump prints for the optional header.
header_field() { awk -v f="$1" '$1 == f {print $2}' "$work/headers" | head -n 1; }

check_header() {
  local os subsystem characteristics dll_flags
  os=$(header_field MajorOSystemVersion).$(header_field MinorOSystemVersion)
  subsystem=$(header_field MajorSubsystemVersion).$(header_field MinorSubsystemVersion)
  for version in "OS $os" "subsystem $subsystem"; do
    case ${version#* } in 4.0|5.0|5.1) ;; *) fail "$version: Windows XP and older refuse the image" ;; esac
  done
  characteristics=$(header_field Characteristics)
  (( (characteristics & 0x1) == 0 )) || fail "relocations stripped"
  LC_ALL=C $objdump -h "$dll" | grep -q ' \.reloc ' || fail "no .reloc section"
  dll_flags=$(header_field DllCharacteristics)
  (( (0x$dll_flags & 0x40) != 0 )) || fail "no DYNAMIC_BASE flag"
  (( (0x$dll_flags & 0x100) != 0 )) || fail "no NX_COMPAT flag"
}

check_version() {
  local rc
  rc=$($windres -i "$dll" -O rc 2>/dev/null | tr -d '\r')
  for line in 'FILEVERSION 0, 10, 1, 1' 'PRODUCTVERSION 0, 10, 1, 1' 'FILEOS 0x4' 'FILETYPE 0x2' \
              'VALUE "Comments", "2004.09.09"' 'VALUE "Translation", 0x804, 1200'; do
    grep -qF -- "$line" <<<"$rc" || fail "the version record lacks: $line"
  done
}

check_size() {
  local size
  size=$(stat -c %s "$dll")
  [ "$size" -le "$argument" ] || fail "$size bytes, over the budget of $argument"
}

"check_$check"
[ $failures -eq 0 ] || exit 1
echo "PASS: $check"
