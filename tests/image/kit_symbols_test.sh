#!/usr/bin/env bash
# The kit's ZRKTempDll.debug belongs to its stripped ZRKTempDll.dll (the image names it
# and both carry the same build identifier) and turns an offset in the image into a
# function and a source line: the offset of each export, from the image's export
# table, is read back as that export's function in app/Exports.cpp, as a fault offset
# from a player's crash report would be.
# Usage: kit_symbols_test.sh OBJDUMP ADDR2LINE KIT_DIR
set -u
objdump=$1 addr2line=$2 kit=$3
dll=$kit/bin/ZRKTempDll.dll
debug=$kit/symbols/ZRKTempDll.debug
export LC_ALL=C
status=0
fail() { echo "FAIL: $*"; status=1; }

build_id() { "$objdump" -p "$1" | sed -n 's/.*format RSDS signature \([0-9a-f]*\) age.*/\1/p'; }
id=$(build_id "$dll")
[ -n "$id" ] || fail "the image carries no build identifier"
[ "$id" = "$(build_id "$debug")" ] || fail "build identifiers differ: image $id, debug file $(build_id "$debug")"
link=$("$objdump" -Wk "$dll" 2>/dev/null)
grep -q "Separate debug info file: ZRKTempDll.debug" <<<"$link" || fail "the image does not name ZRKTempDll.debug"
# The debug link's checksum is the CRC-32 that gzip's trailer carries too.
crc=$(gzip -c "$debug" | tail -c8 | head -c4 | od -An -tx4 | tr -d ' ')
grep -q "CRC value: 0x$crc" <<<"$link" || fail "the debug link's checksum is not ZRKTempDll.debug's ($crc)"
"$objdump" -h "$dll" | grep -q " \.debug_info " && fail "the shipped image carries debug information"

base=$("$objdump" -p "$debug" | awk '$1 == "ImageBase" { print $2 }')
# "[ i] +base[ n] RVA Export RVA" lines, then "[ i] name" lines, joined on i.
mapfile -t exports < <("$objdump" -p "$dll" | awk '
  /Export Address Table -- Ordinal Base/ { table = "rva"; next }
  /\[Ordinal\/Name Pointer\] Table/ { table = "name"; next }
  /^$/ { table = "" }
  table == "rva" && /Export RVA/ { gsub(/[][]/, " "); rva[$1] = $4 }
  table == "name" && /^\t\[/ { gsub(/[][]/, " "); print $2, rva[$1] }')
[ ${#exports[@]} -eq 5 ] || fail "${#exports[@]} exports found, 5 expected"
for entry in "${exports[@]}"; do
  read -r name offset <<<"$entry"
  address=$(printf '0x%x' $((0x$base + 0x$offset)))
  mapfile -t found < <("$addr2line" -f -e "$debug" "$address")
  echo "$name: offset 0x$offset, address $address -> ${found[0]:-?} at ${found[1]:-?}"
  [ "${found[0]:-}" = "$name" ] || fail "$name: addr2line names ${found[0]:-nothing}"
  [[ ${found[1]:-} == /ZRKTempDll/app/Exports.cpp:[0-9]* ]] || fail "$name: source ${found[1]:-none}"
done
[ $status -eq 0 ] && echo "OK: build identifier $id; each export maps to its function and line"
exit $status
