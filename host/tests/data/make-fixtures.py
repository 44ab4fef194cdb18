#!/usr/bin/python3
# Rebuilds the GIF fixtures of the asset tests (Pillow): run from this folder.
#   three-frames.gif  8 x 6, delays 100, 200 and 300 ms, looping:
#     frame 0: a red F on blue; frame 1: all green;
#     frame 2: frame 1 with a white 3 x 2 block at (4, 3), which Pillow
#              stores as a sub-frame at that offset.
#   still.gif         5 x 4, one grey frame.
from PIL import Image

RED, BLUE, GREEN, WHITE = (255, 0, 0), (0, 0, 255), (0, 255, 0), (255, 255, 255)

f0 = Image.new('RGB', (8, 6), BLUE)
for x, y in [(1, 1), (2, 1), (3, 1), (1, 2), (1, 3), (2, 3), (1, 4)]:
    f0.putpixel((x, y), RED)
f1 = Image.new('RGB', (8, 6), GREEN)
f2 = f1.copy()
for y in range(3, 5):
    for x in range(4, 7):
        f2.putpixel((x, y), WHITE)
f0.save('three-frames.gif', save_all=True, append_images=[f1, f2], duration=[100, 200, 300],
        loop=0)
Image.new('RGB', (5, 4), (128, 128, 128)).save('still.gif')
