#!/bin/sh
# A disk that fills up while somnel-pack and vrixhost gif-export write: each
# must say that the disk is full, in the system's words, and leave nothing
# on it. The disk is a tmpfs of 256 KiB mounted for the test (no loop
# device); where mounting is not allowed the test is skipped (exit 77).
#
# full-disk.sh WINE_RUN PREFIX SOMNEL_PACK SOMNEL_SCR PLAYER VRIXHOST PALVEX WORK
set -u
wine_run=$1 prefix=$2 pack=$3 saver=$4 player=$5 vrixhost=$6 palvex=$7 work=$8
disk=$work/disk

umount "$disk" 2>/dev/null
rm -rf "$work"
mkdir -p "$disk"
if ! mount -t tmpfs -o size=256k somnel-full-disk "$disk" 2>/dev/null; then
  echo "full-disk: a small disk cannot be mounted here; skipped"
  exit 77
fi
trap 'umount "$disk"' EXIT

failures=0
# expect WHAT EXPECTED_EXIT EXPECTED_TEXT EXIT TEXT
expect() {
  if [ "$4" != "$2" ] || [ "$5" != "$3" ]; then
    printf 'FAILED: %s\n  expected exit %s: %s\n  got exit %s: %s\n' "$1" "$2" "$3" "$4" "$5"
    failures=$((failures + 1))
  else
    printf 'ok: %s: %s\n' "$1" "$5"
  fi
  if [ -n "$(ls -A "$disk")" ]; then
    printf 'FAILED: %s left files on the disk: %s\n' "$1" "$(ls -A "$disk")"
    failures=$((failures + 1))
  fi
}

# The saver (over 1 MB) and the player do not fit.
printf '[Settings]\r\nRunPreview=1\r\n' >"$work/project.ini"
"$wine_run" --prefix "$prefix" "$pack" "$saver" "$work/project.ini" "$player" "$disk/Out.scr" \
  >"$work/said.txt" 2>&1
rc=$?
text=$(tr -d '\r' <"$work/said.txt")
# The system's text for ERROR_DISK_FULL: Wine's "Disk full." (Windows says
# "There is not enough space on the disk.").
expect "somnel-pack" 1 "somnel-pack: $disk/Out.scr: cannot be written: Disk full" \
  "$rc" "$text"

# A GIF of noise, 640 x 640 pixels: far more than the disk holds.
/usr/bin/python3 - "$work/noise.bmp" <<'PY'
import random, struct, sys
w = h = 640
pixels = random.Random(1).randbytes(w * h * 3)
header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 0, 0, 0, 0)
open(sys.argv[1], "wb").write(header + info + pixels)
PY
gif=$disk/noise.gif
"$wine_run" --prefix "$prefix" "$vrixhost" gif-export --plugin="$palvex" --palette=web \
  "$work/noise.bmp" "$gif" >"$work/said.txt" 2>&1
rc=$?
text=$(tr -d '\r' <"$work/said.txt")
# vrixhost names its files as it made them full: Wine's drive Z: is the root.
wingif="Z:$(printf '%s' "$gif" | tr / '\\')"
expect "vrixhost gif-export" 1 \
  "vrixhost gif-export: \"$wingif.partial\" cannot be written: No space left on device; \"$wingif\" is unchanged" \
  "$rc" "$text"

[ "$failures" -eq 0 ] || exit 1
echo "full-disk: all checks passed"
