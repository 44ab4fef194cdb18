#!/bin/sh
# check-module-tables.sh OBJDUMP PALVEX KINETRA TESK32
# The plug-ins export exactly the five undecorated names; the Tesk32
# stand-in exports ordinal 1262 and no name; Kinetra imports Tesk32 by that
# ordinal. Reads the PE tables, so it runs without Wine for either target.
set -eu
objdump=$1 palvex=$2 kinetra=$3 tesk32=$4
expected="DllCanUnloadNow DllGetClassForm DllGetClassInfo DllGetClassObject DllGetInterface"
fail=0

names() {
  "$objdump" -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[ *[0-9]*\] \([^ ]*\)$/\1/p' | sort | tr '\n' ' ' | sed 's/ $//'
}

for dll in "$palvex" "$kinetra"; do
  got=$(names "$dll")
  if [ "$got" != "$expected" ]; then
    echo "FAIL: $dll exports '$got', expected '$expected'"; fail=1
  fi
done

got=$(names "$tesk32")
if [ -n "$got" ]; then echo "FAIL: $tesk32 exports names: $got"; fail=1; fi
if ! "$objdump" -p "$tesk32" | grep -q 'Ordinal Base 1262'; then
  echo "FAIL: $tesk32 does not export ordinal 1262"; fail=1
fi
exports=$("$objdump" -p "$tesk32" | sed -n 's/^.*Export Address Table[[:space:]]*\([0-9a-f]*\)$/\1/p' | head -1)
if [ "$exports" != "00000001" ]; then
  echo "FAIL: $tesk32 has $exports exports, expected 1"; fail=1
fi

imports=$("$objdump" -p "$kinetra" | sed -n '/DLL Name: Tesk32.dll/,/^$/p')
if ! printf '%s\n' "$imports" | grep -Eq '(^|[[:space:]])(1262|0*4ee)[[:space:]]+<none>'; then
  echo "FAIL: $kinetra does not import Tesk32 ordinal 1262:"; printf '%s\n' "$imports"; fail=1
fi

[ $fail = 0 ] && echo "module tables as expected"
exit $fail
