#!/usr/bin/env python3
"""Draws the icons of the windowed programs: a white pi on a coloured tile with a dark frame, in a
32 x 32 and a 16 x 16 image of 16 colours each (the standard palette), written as .ico files.
mevrow (direct variant) is blue, sudelw (squared variant) is green and carries a small square mark.
Usage: make_icons.py <output directory>"""
import struct
import sys

# The 16 colours of the standard palette, as (red, green, blue).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
           (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DARK_BLUE, DARK_GREEN, GRAY, YELLOW, BLUE, GREEN, WHITE = 0, 4, 2, 8, 11, 12, 10, 15


def draw(size, tile, frame, mark):
    """Rows of palette indexes, top row first."""
    s = size // 16  # 1 for 16 x 16, 2 for 32 x 32
    image = [[tile] * size for _ in range(size)]
    for i in range(size):
        image[0][i] = image[size - 1][i] = image[i][0] = image[i][size - 1] = frame

    def box(x0, y0, x1, y1, colour):  # in units of the 16 x 16 image, scaled
        for y in range(y0 * s, y1 * s):
            for x in range(x0 * s, x1 * s):
                image[y][x] = colour

    box(3, 4, 13, 6, WHITE)      # the bar of pi
    box(5, 6, 7, 13, WHITE)      # left leg
    box(4, 12, 5, 13, WHITE)     # its foot, turned left
    box(10, 6, 12, 12, WHITE)    # right leg
    box(11, 12, 13, 13, WHITE)   # its foot, turned right
    if mark:
        box(12, 1, 15, 4, YELLOW)  # the square of the squared variant
    return image


def bitmap(image):
    size = len(image)
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    colours = b''
    for row in reversed(image):  # bottom-up
        packed = bytes((row[x] << 4) | row[x + 1] for x in range(0, size, 2))
        colours += packed + b'\0' * (-len(packed) % 4)
    mask_row = (size + 31) // 32 * 4  # 1 bit per pixel, rows of whole 32-bit words; all opaque
    return header + palette + colours + b'\0' * (mask_row * size)


def icon(images):
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    bodies = [bitmap(image) for image in images]
    for image, body in zip(images, bodies):
        size = len(image)
        data += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(body), offset)
        offset += len(body)
    return data + b''.join(bodies)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else '.'
    for name, tile, frame, mark in (('mevrow', BLUE, DARK_BLUE, False),
                                    ('sudelw', GREEN, DARK_GREEN, True)):
        with open(f'{out}/{name}.ico', 'wb') as f:
            f.write(icon([draw(32, tile, frame, mark), draw(16, tile, frame, mark)]))


if __name__ == '__main__':
    main()
