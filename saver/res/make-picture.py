#!/usr/bin/python3
# Draws picture.bmp, the saver's built-in picture (bitmap resource 1002):
# a crescent moon over hills under a night sky, 96 x 64 pixels, 8 bits per
# pixel. Run it again after changing it: ./make-picture.py
import math
import os

from PIL import Image, ImageDraw

W, H = 96, 64
img = Image.new("RGB", (W, H))
draw = ImageDraw.Draw(img)
# Sky: deep blue at the top fading to violet at the horizon.
for y in range(H):
    t = y / (H - 1)
    draw.line([(0, y), (W, y)], fill=(int(20 + 90 * t), int(24 + 20 * t), int(90 + 60 * t)))
# Stars, fixed places.
for x, y in [(8, 6), (20, 14), (33, 4), (47, 11), (61, 5), (88, 9), (12, 24), (40, 22), (83, 26)]:
    draw.point((x, y), fill=(255, 255, 220))
# Crescent moon, upper right: a disc with a sky-coloured disc over it.
def sky(y):
    t = y / (H - 1)
    return (int(20 + 90 * t), int(24 + 20 * t), int(90 + 60 * t))


draw.ellipse([64, 8, 84, 28], fill=(250, 230, 140))
shade = Image.new("L", (W, H))
ImageDraw.Draw(shade).ellipse([70, 5, 90, 25], fill=255)
for y in range(H):
    for x in range(W):
        if shade.getpixel((x, y)):
            img.putpixel((x, y), sky(y))
# Hills, dark green, higher on the left.
for x in range(W):
    top = int(44 + 6 * math.sin(x / 11.0) + x / 12.0)
    draw.line([(x, top), (x, H)], fill=(20, int(70 + (x % 7) * 3), 40))
# A red house on the left hill: catches swapped channels and flipped rows.
draw.rectangle([14, 36, 26, 46], fill=(200, 40, 30))
draw.polygon([(12, 36), (20, 29), (28, 36)], fill=(120, 20, 20))
draw.rectangle([18, 40, 21, 46], fill=(250, 210, 80))

out = img.quantize(colors=64, method=Image.Quantize.MEDIANCUT)
out.save(os.path.join(os.path.dirname(os.path.abspath(__file__)), "picture.bmp"))
