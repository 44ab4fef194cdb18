#!/usr/bin/python3
"""Runs picreduce through its cases and checks what it writes with Pillow.

Usage: check_picreduce.py --run "EMULATOR ARGS" PICREDUCE DATA_DIR WORK_DIR
(--run "" natively). Exits non-zero with a list of the failed checks.
"""
import os
import shutil
import struct
import subprocess
import sys

from PIL import Image

STANDARD = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
            (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
            (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED: " + what)


def run(args):
    p = subprocess.run(RUN + [TOOL] + args, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    return p.returncode, p.stdout.decode("latin-1"), p.stderr.decode("latin-1")


def bmp_fields(path):
    """(bit count, compression, colours used, table) of a BMP file."""
    with open(path, "rb") as f:
        data = f.read()
    header = struct.unpack("<IiiHHIIiiII", data[14:54])
    bits, compression, used = header[4], header[5], header[9]
    table = [(data[54 + 4 * i + 2], data[54 + 4 * i + 1], data[54 + 4 * i])
             for i in range(used)]
    return bits, compression, used, table


def main():
    global RUN, TOOL
    args = sys.argv[1:]
    assert args[0] == "--run"
    RUN = args[1].split()
    TOOL, data, work = args[2], args[3], args[4]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    out = os.path.join(work, "out.bmp")

    # Help: exit 0, the whole text on stdout, no file touched.
    for flag in (["--help"], ["-h"], ["/?"], ["--colours", "9", "--help"]):
        rc, so, se = run(flag)
        check(rc == 0, "%s exits 0 (got %d)" % (flag, rc))
        check("Usage:" in so and "  picreduce [--colours N]" in so and "Example:" in so and "--colours N" in so
              and "--level L" in so and "Exit codes" in so, "%s prints the help" % flag)
    check(os.listdir(work) == [], "help leaves no file")

    # Bad usage: exit 2 with a reason, no file written.
    f24 = os.path.join(data, "f24.bmp")
    for bad, reason in ((["--colours", "0", f24, out], "--colours must be"),
                        (["--colours", "257", f24, out], "1 to 256"),
                        (["--colors=x", f24, out], "--colors must be"),
                        (["--level", "9", f24, out], "--level must be"),
                        (["--level"], "--level needs a number"),
                        (["--bogus", f24, out], "unknown option --bogus"),
                        ([f24], "needs IN.bmp and OUT.bmp"),
                        ([], "needs IN.bmp and OUT.bmp"),
                        ([f24, out, out], "too many files")):
        rc, so, se = run(bad)
        check(rc == 2, "%s exits 2 (got %d)" % (bad, rc))
        check(reason in se and "picreduce --help" in se, "%s says %r (said %r)" % (bad, reason, se))
    check(os.listdir(work) == [], "bad usage leaves no file")

    # Work that fails: exit 1, the file named, no output; an existing output
    # stays as it was.
    missing = os.path.join(work, "missing.bmp")
    rc, so, se = run([missing, out])
    check(rc == 1 and "missing.bmp: cannot open it" in se, "missing input: %d %r" % (rc, se))
    jpeg = os.path.join(data, "f.jpg")
    rc, so, se = run([jpeg, out])
    check(rc == 1 and "f.jpg: not a BMP picture" in se, "JPEG input: %d %r" % (rc, se))
    # BMPs the reader refuses are refused with the reason.
    os2 = os.path.join(work, "os2.bmp")
    with open(os2, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 26 + 6 + 4, 0, 0, 26 + 6)
                + struct.pack("<IHHHH", 12, 2, 2, 1, 8) + bytes(6) + bytes(64))
    rc, so, se = run([os2, out])
    check(rc == 1 and "os2.bmp: it has an OS/2 1.x header (12 bytes)" in se,
          "OS/2 input: %d %r" % (rc, se))
    os.remove(os2)
    check(os.listdir(work) == [], "failures leave no file")
    with open(out, "wb") as f:
        f.write(b"old")
    rc, so, se = run([jpeg, out])
    with open(out, "rb") as f:
        check(rc == 1 and f.read() == b"old", "a failure keeps an existing output")
    # An output that is the input, under another spelling, would replace
    # it: refused before anything is written.
    same = os.path.join(work, "same.bmp")
    shutil.copyfile(f24, same)
    other = os.path.join(work, ".", "same.bmp")
    rc, so, se = run([same, other])
    with open(same, "rb") as f, open(f24, "rb") as g:
        kept = f.read() == g.read()
    check(rc == 1 and kept and se.rstrip("\r\n") ==
          "picreduce: %s: is the same file as the input %s; nothing was written" % (other, same),
          "output that is the input: %d %r" % (rc, se))
    check(sorted(os.listdir(work)) == ["out.bmp", "same.bmp"], "same file: nothing written")
    os.remove(same)
    unwritable = os.path.join(work, "no-such-dir", "out.bmp")
    rc, so, se = run([f24, unwritable])
    check(rc == 1 and "out.bmp: cannot create" in se, "unwritable output: %d %r" % (rc, se))

    # A 24-bit picture of 8 colours, each in a box of its own: on 256
    # colours each becomes an exact entry and no error is ever passed on, so
    # the output shows the same colours; standard colours at both ends.
    rc, so, se = run([f24, out])
    check(rc == 0 and so == "" and se == "", "f24.bmp reduces: %d %r" % (rc, se))
    bits, compression, used, table = bmp_fields(out)
    check((bits, compression, used) == (8, 0, 256), "f24 out fields %r" % ((bits, compression, used),))
    check(table[:8] == STANDARD[:8] and table[248:] == STANDARD[8:], "standard colours kept")
    with Image.open(out) as im:
        check(im.mode == "P" and im.size == (13, 9), "Pillow opens it as 13 x 9 P")
        with Image.open(f24) as src:
            check(list(im.convert("RGB").getdata()) == list(src.convert("RGB").getdata()),
                  "f24 keeps its colours exactly")
    check(sorted(os.listdir(work)) == ["out.bmp"], "no temporary left")

    # Small displays: 16 colours are the standard colours at 4 bits; 2
    # colours give 1 bit (the last of the standard colours that fit).
    for colours, want_bits, want_table in ((16, 4, STANDARD),
                                           (2, 1, [(0, 255, 255), (255, 255, 255)])):
        rc, so, se = run(["--colours", str(colours), f24, out])
        check(rc == 0, "--colours %d: %d %r" % (colours, rc, se))
        bits, compression, used, table = bmp_fields(out)
        check(bits == want_bits and used == len(want_table) and table == want_table,
              "--colours %d fields %r %r" % (colours, bits, table))
        with Image.open(out) as im:
            colours_used = set(im.convert("RGB").getdata())
            check(colours_used <= set(want_table), "--colours %d pixels in the palette" % colours)

    # Palette pictures keep their own colours, indices and depth.
    # The -v5 ones are as ImageMagick writes them, with a 124-byte header.
    for name, want_bits in (("f8.bmp", 8), ("f8rle.bmp", 8), ("f4.bmp", 4), ("f4rle.bmp", 4),
                            ("f1.bmp", 1), ("f8rle-v5.bmp", 8), ("f4-v5.bmp", 4)):
        src_path = os.path.join(data, name)
        rc, so, se = run(["--colours=16", "--level=0", src_path, out])
        check(rc == 0, "%s: %d %r" % (name, rc, se))
        bits, compression, used, table = bmp_fields(out)
        check(bits == want_bits and compression == 0, "%s: %d bits, compression %d" % (name, bits, compression))
        with Image.open(out) as im, Image.open(src_path) as src:
            check(list(im.getdata()) == list(src.getdata()), "%s keeps its indices" % name)
            check(list(im.convert("RGB").getdata()) == list(src.convert("RGB").getdata()),
                  "%s keeps its colours" % name)

    # A palette picture whose pixels name entries past its two colours:
    # the table covers every 8-bit index, those past the colours black.
    pixels = bytes([0, 1, 5, 200])
    table = bytes([10, 20, 30, 0, 40, 50, 60, 0])
    header = struct.pack("<2sIHHI", b"BM", 54 + 8 + 4, 0, 0, 54 + 8)
    info = struct.pack("<IiiHHIIiiII", 40, 4, 1, 1, 8, 0, 4, 0, 0, 2, 0)
    short = os.path.join(work, "short-table.bmp")
    with open(short, "wb") as f:
        f.write(header + info + table + pixels)
    rc, so, se = run([short, out])
    check(rc == 0, "short table: %d %r" % (rc, se))
    bits, compression, used, table_out = bmp_fields(out)
    check(bits == 8 and used == 256 and table_out[:3] == [(30, 20, 10), (60, 50, 40), (0, 0, 0)]
          and table_out[200] == (0, 0, 0), "short table: %d bits, %d entries" % (bits, used))
    with Image.open(out) as im:
        check(list(im.getdata()) == [0, 1, 5, 200], "short table keeps the indices")
        check(list(im.convert("RGB").getdata()) == [(30, 20, 10), (60, 50, 40), (0, 0, 0), (0, 0, 0)],
              "short table: past its colours is black")
    os.remove(short)

    # A photo-like gradient: the reduced picture stays close to it.
    photo = os.path.join(work, "photo.bmp")
    img = Image.new("RGB", (96, 64))
    img.putdata([(40 + x * 2, 60 + y * 3, 220 - x - y) for y in range(64) for x in range(96)])
    img.save(photo)
    for level in ("0", "2"):
        rc, so, se = run(["--level", level, photo, out])
        check(rc == 0, "photo level %s: %d %r" % (level, rc, se))
        with Image.open(out) as im:
            got = list(im.convert("RGB").getdata())
        want = list(img.getdata())
        error = sum(abs(a - b) for p, q in zip(got, want) for a, b in zip(p, q)) / (3.0 * len(want))
        print("photo level %s: mean error %.2f per channel" % (level, error))
        check(error < 8, "photo level %s: mean error %.2f per channel" % (level, error))

    if failures:
        print("%d checks failed" % len(failures))
        sys.exit(1)
    print("picreduce: all checks passed")


main()
