#!/usr/bin/python3
# Draws the example project's pictures. Run it again after changing it:
#   examples/make-pictures.py
#   settings-box.bmp  the settings dialog's picture, 8-bit, 200 x 170: a little
#                     larger than the dialog's frame, so the dialog grows to it
#   preview.bmp       the preview picture, 8-bit, 152 x 112: the size of the
#                     system's preview area, drawn unscaled at its top left
#   photo.jpg         a photo a customer might name in the settings file, 320 x 240
# Each shows a red "F" on blue (upside-down rows or swapped red and blue show
# at once) beside a moon over hills.
import os

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))


def draw(width, height):
    img = Image.new("RGB", (width, height))
    d = ImageDraw.Draw(img)
    horizon = height * 2 // 3
    for y in range(horizon):
        t = y / max(horizon - 1, 1)
        d.line([(0, y), (width, y)], fill=(int(10 + 40 * t), int(20 + 30 * t), int(120 + 80 * t)))
    d.rectangle([0, horizon, width, height], fill=(30, 70, 40))
    d.polygon([(0, horizon), (width // 3, horizon - height // 6), (width * 2 // 3, horizon)],
              fill=(40, 90, 50))
    r = max(height // 10, 3)
    d.ellipse([width * 3 // 4 - r, height // 6 - r, width * 3 // 4 + r, height // 6 + r],
              fill=(250, 230, 140))
    # The "F": a stem, a top bar and a shorter middle bar.
    s = max(width // 40, 2)
    x0, y0 = width // 8, height // 8
    fh, fw = height // 2, width // 5
    red = (230, 20, 20)
    d.rectangle([x0, y0, x0 + s, y0 + fh], fill=red)
    d.rectangle([x0, y0, x0 + fw, y0 + s], fill=red)
    d.rectangle([x0, y0 + fh // 2, x0 + fw * 2 // 3, y0 + fh // 2 + s], fill=red)
    return img


def save_bmp8(img, name):
    img.quantize(colors=64, dither=Image.Dither.NONE).save(os.path.join(HERE, name))


save_bmp8(draw(200, 170), "settings-box.bmp")
save_bmp8(draw(152, 112), "preview.bmp")
draw(320, 240).save(os.path.join(HERE, "photo.jpg"), quality=85)
