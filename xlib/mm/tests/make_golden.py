#!/usr/bin/python3
"""Rebuilds the picture fixtures and the expected pixels of the BMP tests.

Run with Debian's Python (it has Pillow):  /usr/bin/python3 make_golden.py
Writes data/*.bmp and data/*.jpg (small asymmetric "F" pictures) and
golden.txt: one line per BMP that our reader supports, with an independent
reading of it (see golden_line) as width, height, the CRC-32 of its RGB
bytes (top row first, three bytes per pixel, no padding) and the oracle.
"""
import os
import struct
import subprocess
import sys
import zlib

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "data")
SUITE = os.path.normpath(os.path.join(HERE, "..", "..", "..", "..", "shared", "testdata", "bmpsuite"))

W, H = 13, 9  # odd width: 8-bit rows carry padding


def f_index(x, y):
    """Index picture, top row y = 0: a stem in 2, arms in 3 on 1, and a
    bottom row of distinct values so that run-length data needs literals."""
    if y == H - 1:
        return 4 + (x % 5)
    if 2 <= x <= 3 and 1 <= y <= 6:
        return 2
    if y == 1 and 4 <= x <= 9:
        return 3
    if y == 4 and 4 <= x <= 7:
        return 3
    return 1


PALETTE = [(0, 0, 0), (200, 30, 10), (10, 40, 220), (20, 210, 60), (255, 255, 0),
           (0, 255, 255), (255, 0, 255), (128, 64, 32), (250, 250, 250)]


def palette_bytes(colours):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colours)


def bmp(width, height, bits, compression, colours, data):
    table = palette_bytes(colours)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(data),
                       2835, 2835, len(colours), 0)
    off = 14 + 40 + len(table)
    head = struct.pack("<2sIHHI", b"BM", off + len(data), 0, 0, off)
    return head + info + table + data


def row_bytes(width, bits):
    return ((width * bits + 31) // 32) * 4


def pack_rows(rows, bits, width):
    out = b""
    for row in rows:  # bottom-up order expected by caller
        if bits == 24:
            raw = b"".join(bytes(p) for p in row)
        elif bits == 8:
            raw = bytes(row)
        else:
            per = 8 // bits
            raw = bytearray()
            for i in range(0, width, per):
                v = 0
                for k in range(per):
                    px = row[i + k] if i + k < width else 0
                    v |= px << (8 - bits * (k + 1))
                raw.append(v)
            raw = bytes(raw)
        out += raw + b"\0" * (row_bytes(width, bits) - len(raw))
    return out


def rle8_row(row):
    out = bytearray()
    i = 0
    while i < len(row):
        j = i
        while j < len(row) and row[j] == row[i] and j - i < 255:
            j += 1
        if j - i >= 2:
            out += bytes([j - i, row[i]])
            i = j
            continue
        # literal stretch until a repeat of 2 starts
        k = i
        while k < len(row) and (k + 1 >= len(row) or row[k] != row[k + 1]) and k - i < 255:
            k += 1
        n = k - i
        if n >= 3:
            out += bytes([0, n]) + bytes(row[i:k]) + (b"\0" if n % 2 else b"")
        else:
            for p in row[i:k]:
                out += bytes([1, p])
        i = k
    return bytes(out)


def rle4_row(row):
    out = bytearray()
    i = 0
    while i < len(row):
        j = i
        while j < len(row) and row[j] == row[i] and j - i < 255:
            j += 1
        if j - i >= 2:
            out += bytes([j - i, (row[i] << 4) | row[i]])
            i = j
            continue
        k = i
        while k < len(row) and (k + 1 >= len(row) or row[k] != row[k + 1]) and k - i < 255:
            k += 1
        n = k - i
        if n % 2:  # Pillow drops the last nibble of an odd literal; keep them even
            k -= 1
            n -= 1
        if n >= 4:
            packed = bytearray()
            for t in range(i, k, 2):
                hi = row[t]
                lo = row[t + 1] if t + 1 < k else 0
                packed.append((hi << 4) | lo)
            out += bytes([0, n]) + packed + (b"\0" if len(packed) % 2 else b"")
        else:
            k = max(k, i + 1)
            for p in row[i:k]:
                out += bytes([1, (p << 4) | p])
        i = k
    return bytes(out)


def rle(rows, row_coder):
    out = b""
    for n, row in enumerate(rows):
        out += row_coder(row)
        out += b"\0\1" if n == len(rows) - 1 else b"\0\0"
    return out


def make_fixtures():
    os.makedirs(DATA, exist_ok=True)
    top_down = [[f_index(x, y) for x in range(W)] for y in range(H)]
    bottom_up = list(reversed(top_down))
    pics = {
        "f8.bmp": bmp(W, H, 8, 0, PALETTE, pack_rows(bottom_up, 8, W)),
        "f8rle.bmp": bmp(W, H, 8, 1, PALETTE, rle(bottom_up, rle8_row)),
        "f4.bmp": bmp(W, H, 4, 0, PALETTE, pack_rows(bottom_up, 4, W)),
        "f4rle.bmp": bmp(W, H, 4, 2, PALETTE, rle(bottom_up, rle4_row)),
        "f24.bmp": bmp(W, H, 24, 0, [],
                       pack_rows([[tuple(reversed(PALETTE[i])) for i in r] for r in bottom_up],
                                 24, W)),
    }
    # 1 bit: the F alone, two colours that are neither black nor white.
    ones = [[0 if f_index(x, y) == 1 else 1 for x in range(W)] for y in range(H)]
    pics["f1.bmp"] = bmp(W, H, 1, 0, [(10, 20, 200), (250, 240, 0)],
                         pack_rows(list(reversed(ones)), 1, W))
    for name, data in pics.items():
        with open(os.path.join(DATA, name), "wb") as f:
            f.write(data)

    # JPEGs: a red F on blue, 32 x 24.
    img = Image.new("RGB", (32, 24), (20, 40, 200))
    for y in range(4, 20):
        for x in range(6, 10):
            img.putpixel((x, y), (220, 30, 20))
    for x in range(10, 24):
        for y in range(4, 8):
            img.putpixel((x, y), (220, 30, 20))
    for x in range(10, 20):
        for y in range(11, 14):
            img.putpixel((x, y), (220, 30, 20))
    img.save(os.path.join(DATA, "f.jpg"), quality=95)
    img.convert("L").save(os.path.join(DATA, "fgray.jpg"), quality=95)
    img.save(os.path.join(DATA, "fprog.jpg"), quality=90, progressive=True)


# The information-header sizes our reader takes: BITMAPINFOHEADER, the two
# bit-mask headers, V4 and V5 (what a larger header adds is skipped).
HEADER_SIZES = {40, 52, 56, 108, 124}


def supported(path):
    """The BMPs our reader takes as Pillow does: a header size of
    HEADER_SIZES, 1/4/8/24 bits, a matching compression, at most 256 colours,
    bottom-up rows and pixels right after the colour table."""
    b = open(path, "rb").read()
    if len(b) < 54 or b[:2] != b"BM":
        return False
    off = struct.unpack("<I", b[10:14])[0]
    hs, w, h, _, bc, comp, _, _, _, used, _ = struct.unpack("<IiiHHIIiiII", b[14:54])
    pairs = {(1, 0), (4, 0), (4, 2), (8, 0), (8, 1), (24, 0)}
    if hs not in HEADER_SIZES or (bc, comp) not in pairs or used > 256 or w <= 0 or h <= 0:
        return False
    n = used if used else (1 << bc if bc <= 8 else 0)
    return off == 14 + hs + 4 * n


def make_magick_fixtures():
    """Palette BMPs as ImageMagick writes them, with its 124-byte (V5)
    header: an 8-bit one, run-length encoded as is ImageMagick's default for
    palette pictures, and a 4-bit one, uncompressed. Made once and kept:
    another ImageMagick version may write other bytes, and these are the
    ones the tests were checked against."""
    wanted = {
        "f8rle-v5.bmp": (None, []),
        "f4-v5.bmp": (12, ["-compress", "none"]),
    }
    for name, (colours, options) in wanted.items():
        out = os.path.join(DATA, name)
        if os.path.exists(out):
            continue
        # 21 x 11, odd width: a red F on blue, a green bar, and a bottom
        # row of distinct colours.
        w, h = 21, 11
        img = Image.new("RGB", (w, h), (20, 40, 200))
        for y in range(1, 9):
            for x in range(3, 6):
                img.putpixel((x, y), (220, 30, 20))
        for x in range(6, 16):
            for y in range(1, 3):
                img.putpixel((x, y), (220, 30, 20))
        for x in range(6, 12):
            img.putpixel((x, 5), (30, 200, 40))
        for x in range(w):
            img.putpixel((x, h - 1), ((x * 37) % 256, (x * 91) % 256, (x * 53) % 256))
        if colours:
            img = img.quantize(colours).convert("RGB")
        source = out + ".png"
        img.save(source)
        subprocess.run(["convert", source, "-type", "palette"] + options + ["BMP:" + out],
                       check=True)
        os.remove(source)


def pillow_rgb(path):
    with Image.open(path) as im:
        im.load()
        rgb = im.convert("RGB")
        return rgb.width, rgb.height, rgb.tobytes()


def magick_rgb(path):
    """ImageMagick's reading, or None when it reports a problem."""
    w, h = struct.unpack("<ii", open(path, "rb").read()[18:26])
    run = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True)
    if run.returncode != 0 or run.stderr or len(run.stdout) != w * h * 3:
        return None
    return w, h, run.stdout


def golden_line(rel, path):
    """Pillow is the oracle, except for run-length files where it reads odd
    RLE4 literal runs one nibble short and fills skipped pixels its own way;
    there ImageMagick, which decodes g/pal4rle.bmp to the same pixels as
    g/pal4.bmp, is taken when it reads the file without complaint."""
    comp = struct.unpack("<I", open(path, "rb").read()[30:34])[0]
    oracle = "pillow"
    if comp in (1, 2):
        got = magick_rgb(path)
        if got is not None:
            oracle = "magick"
        else:
            got = pillow_rgb(path)
    else:
        got = pillow_rgb(path)
    w, h, data = got
    return "%s %d %d %08x %s" % (rel, w, h, zlib.crc32(data) & 0xFFFFFFFF, oracle)


def main():
    make_fixtures()
    make_magick_fixtures()
    lines = []
    for name in sorted(os.listdir(DATA)):
        if name.endswith(".bmp"):
            lines.append(golden_line("data/" + name, os.path.join(DATA, name)))
    for sub in ("g", "q", "b"):
        for name in sorted(os.listdir(os.path.join(SUITE, sub))):
            path = os.path.join(SUITE, sub, name)
            if not supported(path):
                continue
            if name == "pal8badindex.bmp":
                # Indices past the colour count: ours are black by design
                # (entries past the count are 0); tested on its own.
                continue
            try:
                lines.append(golden_line("bmpsuite/%s/%s" % (sub, name), path))
            except Exception as e:  # Pillow refuses it: nothing to compare
                print("Pillow refuses %s/%s: %s" % (sub, name, e), file=sys.stderr)
    with open(os.path.join(HERE, "golden.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
