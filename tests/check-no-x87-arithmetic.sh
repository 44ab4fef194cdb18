#!/bin/sh
# check-no-x87-arithmetic.sh OBJDUMP BUILD_DIR
# Our floating point must round every operation to its type, so that the
# 32-bit product computes what the 64-bit build computes. The x87 unit keeps
# intermediates in extended precision; SSE2 rounds each one. Disassembles the
# object files of our own sources (not GoogleTest's) and fails on any x87
# arithmetic instruction. Loads and stores (fld, fst, fild, fistp...) stay:
# the 32-bit calling convention returns float and double in st(0), and those
# moves and exact integer loads do not round differently.
set -eu
objdump=$1 build=$2
list=$(mktemp)
trap 'rm -f "$list" "$list.hits"' EXIT
find "$build" -name '*.obj' -path '*/CMakeFiles/*' ! -path '*/googletest/*' | sort >"$list"
count=$(wc -l <"$list")
# The check must have looked at the product: at least the movie matrix.
if [ "$count" -lt 50 ] || ! grep -q 'HVObject\.cpp\.obj$' "$list"; then
  echo "FAIL: only $count object files under $build (is it built?)"
  exit 1
fi
x87='^(f(add|sub|subr|mul|div|divr)[pslt]?|fi(add|sub|subr|mul|div|divr)[sl]?|fsqrt|fsin|fcos|fsincos|fptan|fpatan|f2xm1|fyl2x|fyl2xp1|fscale|fprem1?|frndint|fxtract)$'
: >"$list.hits"
while read -r obj; do
  "$objdump" -d --no-show-raw-insn "$obj" | awk -v obj="$obj" -v re="$x87" '
    /^[0-9a-f]+ <.*>:$/ { fn = $2; gsub(/[<>:]/, "", fn) }
    /^ *[0-9a-f]+:\t/ {
      split($0, part, "\t"); split(part[2], word, " ")
      if (word[1] ~ re) print obj ": " fn ": " part[2]
    }' >>"$list.hits"
done <"$list"
if [ -s "$list.hits" ]; then
  echo "FAIL: x87 arithmetic in our object code:"
  head -40 "$list.hits"
  exit 1
fi
echo "no x87 arithmetic in $count object files"
