#!/usr/bin/python3
"""Rebuilds the pictures of kmvconvert's refusal tests in data/: files
whose names say one kind of picture and whose bytes are another, or are of
that kind but cannot become a movie a player can show.

Run with Debian's Python (it has Pillow):  /usr/bin/python3 make_pictures.py
The good pictures they start from are xlib/mm/tests/data/f.jpg and f8.bmp.
"""
import os
import struct

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "data")
PICTURES = os.path.join(HERE, "..", "..", "..", "xlib", "mm", "tests", "data")


def read(name):
    with open(os.path.join(PICTURES, name), "rb") as f:
        return f.read()


def frame_header_at(jpeg):
    """Offset of the SOF0 marker's 0xFF."""
    i = 2
    while jpeg[i + 1] != 0xC0:
        i += 2 + struct.unpack(">H", jpeg[i + 2:i + 4])[0]
    return i


def main():
    os.makedirs(DATA, exist_ok=True)
    jpeg = read("f.jpg")
    bmp = read("f8.bmp")
    sof = frame_header_at(jpeg)
    # The header says 12 bits a sample: 8-bit JPEG libraries stop there.
    prec12 = bytearray(jpeg)
    prec12[sof + 4] = 12
    # The frame marker says arithmetic coding (SOF9); the header reads.
    arith = bytearray(jpeg)
    arith[sof + 1] = 0xC9
    # An 8 x 8 picture of 8 bits whose file ends with its colour table.
    info = struct.pack("<IiiHHIIiiII", 40, 8, 8, 1, 8, 0, 64, 2835, 2835, 0, 0)
    table = bytes(4 * 256)
    nopixels = struct.pack("<2sIHHI", b"BM", 14 + 40 + 1024 + 64, 0, 0, 14 + 40 + 1024)
    nopixels += info + table
    # A good picture whose file header puts its pixels at 0xFFFFFFFF.
    offset = bytearray(bmp)
    offset[10:14] = struct.pack("<I", 0xFFFFFFFF)
    files = {
        "bmp-named.jpg": bmp,
        "text-named.jpg": b"These are my holiday notes, not a picture.\n",
        "empty.jpg": b"",
        "empty.bmp": b"",
        "cut-after-2.jpg": jpeg[:2],
        "cut-in-header.jpg": jpeg[:sof + 6],
        "prec12.jpg": bytes(prec12),
        "arith.jpg": bytes(arith),
        "nopixels.bmp": nopixels,
        "offset.bmp": bytes(offset),
    }
    for name, data in files.items():
        with open(os.path.join(DATA, name), "wb") as f:
            f.write(data)
    # CMYK, as Pillow writes it (with Adobe's marker, as Photoshop does).
    with Image.open(os.path.join(PICTURES, "f.jpg")) as im:
        im.convert("CMYK").save(os.path.join(DATA, "cmyk.jpg"), quality=90)


if __name__ == "__main__":
    main()
