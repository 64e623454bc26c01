#!/usr/bin/env python3
"""Draws the application icon, resources/pelorin.ico: a white P on a blue disc with a red
dot, as 16 x 16 and 32 x 32 images in the 16-colour palette. Run it after changing the design;
the build uses the .ico it writes."""
import struct
import sys

# The standard 16-colour palette, each entry as (blue, green, red).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
    (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
    (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
NAVY, BLUE, RED, WHITE, TRANSPARENT = 4, 12, 9, 15, None


def draw(size):
    """Rows of palette indices, top row first; None is transparent."""
    s = size / 32.0
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            cx, cy = (x + 0.5) / s, (y + 0.5) / s
            d2 = (cx - 16) ** 2 + (cy - 16) ** 2
            if d2 > 15.5 ** 2:
                row.append(TRANSPARENT)
                continue
            pixel = BLUE if d2 < 14 ** 2 else NAVY
            # The letter P: a stem and a bowl.
            stem = 10 <= cx < 14 and 7 <= cy < 26
            bowl_outer = (cx - 15) ** 2 + (cy - 12.5) ** 2 < 6.5 ** 2 and cx >= 12
            bowl_inner = (cx - 15) ** 2 + (cy - 12.5) ** 2 < 3 ** 2
            if stem or (bowl_outer and not bowl_inner):
                pixel = WHITE
            if (cx - 22) ** 2 + (cy - 22) ** 2 < 2.6 ** 2:
                pixel = RED
            row.append(pixel)
        rows.append(row)
    return rows


def image_bytes(size):
    rows = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (b, g, r) in PALETTE)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor, mask = b"", b""
    for row in reversed(rows):  # bitmaps are stored bottom row first
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, pixel in enumerate(row):
            index = 0 if pixel is None else pixel
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if pixel is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += bytes(line)
        mask += bytes(bits)
    return header + palette + xor + mask


def main(path):
    images = [image_bytes(16), image_bytes(32)]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, data in zip((16, 32), images):
        directory += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(path, "wb") as out:
        out.write(directory + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources/pelorin.ico")
