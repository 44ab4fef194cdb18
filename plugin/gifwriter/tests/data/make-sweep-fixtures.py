#!/usr/bin/python3
# Rebuilds the pictures of the allocation sweep (Pillow): run from this folder.
#   sweep-rgb.bmp      24-bit, 12 x 9: a red F on a blue-to-green ramp, more
#                      colours than the "Web" palette has exactly (dither works).
#   sweep-rgba.bmp     32-bit, the same picture with its top row transparent.
#   sweep-indexed.bmp  8-bit, the same picture reduced to an adaptive palette.
from PIL import Image

W, H = 12, 9
rgb = Image.new('RGB', (W, H))
for y in range(H):
    for x in range(W):
        rgb.putpixel((x, y), (20 * x % 256, 7 + 25 * y, 200 - 9 * x))
for x, y in [(2, 2), (3, 2), (4, 2), (2, 3), (2, 4), (3, 4), (2, 5), (2, 6)]:
    rgb.putpixel((x, y), (255, 0, 0))
rgb.save('sweep-rgb.bmp')
rgba = rgb.convert('RGBA')
for x in range(W):
    rgba.putpixel((x, 0), (0, 0, 0, 0))
rgba.save('sweep-rgba.bmp')
rgb.quantize(colors=40).save('sweep-indexed.bmp')
