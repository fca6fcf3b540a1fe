#!/usr/bin/env python3
"""Builds res/vireon.ico from res/icon/vireon-icon.svg: 16, 24, 32 and 48 px at
8, 24 and 32 bits per pixel, 16 and 32 px at 4 bits, and 256 px at 32 bits (PNG).
Needs rsvg-convert (Debian: librsvg2-bin) and ImageMagick's convert."""

import os
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "res", "icon", "vireon-icon.svg")
TARGET = os.path.join(ROOT, "res", "vireon.ico")

IMAGES = [(16, 4), (32, 4)] + [(s, b) for b in (8, 24, 32) for s in (16, 24, 32, 48)] + [(256, 32)]

# The 16 colours of the standard VGA palette.
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
         (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
         (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# A 6 x 6 x 6 colour cube and a ramp of greys.
CUBE = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
PALETTE256 = CUBE + [(int(i * 255 / 39),) * 3 for i in range(40)]


def render(size, folder):
    png = os.path.join(folder, f"{size}.png")
    subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), SOURCE, "-o", png], check=True)
    rgba = subprocess.run(["convert", png, "-depth", "8", "rgba:-"], check=True, capture_output=True).stdout
    return png, [tuple(rgba[i:i + 4]) for i in range(0, len(rgba), 4)]


def nearest(palette, rgb):
    return min(range(len(palette)), key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], rgb)))


def row_bytes(bits_per_row):
    return ((bits_per_row + 31) // 32) * 4


def pack_bits(values, bpp, width):
    """One row of palette indices (or mask bits) packed MSB first and padded to 4 bytes."""
    out = bytearray()
    acc, count = 0, 0
    for v in values:
        acc = (acc << bpp) | v
        count += bpp
        if count == 8:
            out.append(acc)
            acc, count = 0, 0
    if count:
        out.append(acc << (8 - count))
    out.extend(b"\0" * (row_bytes(width * bpp) - len(out)))
    return bytes(out)


def bitmap_image(size, bpp, pixels):
    """An icon image in the DIB form: header, palette, colour rows and the AND mask, bottom-up."""
    opaque = [p[3] >= 128 for p in pixels]
    rows = [pixels[y * size:(y + 1) * size] for y in range(size)][::-1]
    masks = [opaque[y * size:(y + 1) * size] for y in range(size)][::-1]
    palette = {4: VGA16, 8: PALETTE256}.get(bpp, [])
    colour = bytearray()
    for row in rows:
        if bpp == 32:
            colour += b"".join(struct.pack("BBBB", p[2], p[1], p[0], p[3]) for p in row)
        elif bpp == 24:
            line = b"".join(struct.pack("BBB", p[2], p[1], p[0]) if p[3] >= 128 else b"\0\0\0" for p in row)
            colour += line + b"\0" * (row_bytes(size * 24) - len(line))
        else:
            colour += pack_bits([nearest(palette, p[:3]) if p[3] >= 128 else 0 for p in row], bpp, size)
    mask = b"".join(pack_bits([0 if o else 1 for o in row], 1, size) for row in masks)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, len(colour) + len(mask), 0, 0,
                         len(palette), 0)
    table = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    return header + table + bytes(colour) + mask


def main():
    with tempfile.TemporaryDirectory() as folder:
        rendered = {}
        images = []
        for size, bpp in IMAGES:
            if size not in rendered:
                rendered[size] = render(size, folder)
            png, pixels = rendered[size]
            if size == 256:
                with open(png, "rb") as f:
                    data = f.read()
            else:
                data = bitmap_image(size, bpp, pixels)
            images.append((size, bpp, data))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, bpp, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 16 if bpp == 4 else 0, 0, 1, bpp, len(data),
                               offset)
        offset += len(data)
        blobs += data
    with open(TARGET, "wb") as f:
        f.write(directory + entries + blobs)
    print(f"wrote {TARGET}: {len(images)} images")


if __name__ == "__main__":
    sys.exit(main())
