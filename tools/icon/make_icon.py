#!/usr/bin/env python3
"""Draws the setup program's icon (a blue-to-black tile with a white Z and a
down arrow, for "install") and writes it as resources/setup.ico with 16, 32
and 48 pixel images, 32 bits per pixel. Run it only to change the icon."""
import struct
import sys


def pixel(x, y, n):
    t = y / (n - 1)
    blue = int(255 * (1 - t))  # the background's blue-to-black fall
    border = x == 0 or y == 0 or x == n - 1 or y == n - 1
    if border:
        return (40, 40, 40, 255)
    # The Z: top bar, bottom bar, and the diagonal between them.
    m = max(1, n // 8)
    left, right = n // 5, n - 1 - n // 5
    top, bottom = n // 5, n - 1 - n // 3
    in_top = top <= y < top + m and left <= x <= right
    in_bottom = bottom - m < y <= bottom and left <= x <= right
    span = bottom - top
    if top <= y <= bottom and span > 0:
        d = right - (y - top) * (right - left) / span
        in_diag = abs(x - d) < m * 0.9
    else:
        in_diag = False
    # A small arrow under the Z.
    ay = bottom + m + 1
    in_arrow = ay <= y < n - 2 and abs(x - n / 2 + 0.5) <= (n - 2 - y) * 0.8
    if in_top or in_bottom or in_diag:
        return (255, 255, 255, 255)
    if in_arrow:
        return (60, 220, 255, 255)
    return (blue, int(blue * 0.25), 0, 255)  # stored as B, G, R


def image(n):
    rows = []
    for y in range(n - 1, -1, -1):  # bottom-up
        for x in range(n):
            b, g, r, a = pixel(x, y, n)
            rows.append(struct.pack("<BBBB", b, g, r, a))
    xor = b"".join(rows)
    mask_row = ((n + 31) // 32) * 4
    mask = bytes(mask_row * n)  # all opaque: the alpha channel decides
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def main(path):
    sizes = [16, 32, 48]
    images = [image(n) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources/setup.ico")
