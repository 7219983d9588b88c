#!/usr/bin/env python3
"""Draws HALCYRA's program icon and writes it as a Windows .ico file.

Three phase-shifted waves, the voices of a chorus, on a rounded night-blue tile. Every size is
drawn on its own (supersampled), so the waves stay legible at 16 pixels.
    draw_icon.py OUTPUT.ico
"""
import math
import struct
import sys

SIZES = (16, 24, 32, 48, 64, 256)
TOP = (0x14, 0x1B, 0x3A)  # tile gradient, top to bottom
BOTTOM = (0x0E, 0x4A, 0x5A)
WAVES = (  # colour, phase, amplitude as a fraction of the tile, alpha
    ((0xA9, 0x8B, 0xFF), 0.0, 0.15, 0.85),
    ((0x5C, 0xE1, 0xE6), 2.1, 0.13, 0.90),
    ((0xF2, 0xF4, 0xFF), 4.2, 0.11, 1.00),
)
CORNER = 0.19  # corner radius over the tile size
MARGIN = 0.03


def tile_coverage(x, y, size):
    """1 inside the rounded tile, 0 outside (for one sample)."""
    lo, hi = MARGIN * size, (1 - MARGIN) * size
    r = CORNER * size
    cx = min(max(x, lo + r), hi - r)
    cy = min(max(y, lo + r), hi - r)
    return 1.0 if (x - cx) ** 2 + (y - cy) ** 2 <= r * r and lo <= x <= hi and lo <= y <= hi else 0.0


def wave_distance(x, y, size, phase, amplitude):
    """Approximate distance from (x, y) to the wave, in pixels."""
    k = 2 * math.pi * 1.25 / size
    centre = size / 2
    f = centre + amplitude * size * math.sin(k * x + phase)
    slope = amplitude * size * k * math.cos(k * x + phase)
    return abs(y - f) / math.sqrt(1 + slope * slope)


def blend(under, colour, alpha):
    return tuple(u + (c - u) * alpha for u, c in zip(under, colour))


def draw(size):
    """Rows of (r, g, b, a) floats, top to bottom."""
    samples = 2 if size > 64 else 4
    half_width = max(0.055 * size / 2, 0.8)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    x = px + (sx + 0.5) / samples
                    y = py + (sy + 0.5) / samples
                    inside = tile_coverage(x, y, size)
                    if not inside:
                        continue
                    t = y / size
                    colour = tuple(a + (b - a) * t for a, b in zip(TOP, BOTTOM))
                    for wave_colour, phase, amplitude, alpha in WAVES:
                        d = wave_distance(x, y, size, phase, amplitude)
                        cover = min(max(half_width + 0.5 - d, 0.0), 1.0)
                        if cover > 0:
                            colour = blend(colour, wave_colour, alpha * cover)
                    for i in range(3):
                        acc[i] += colour[i]  # premultiplied: outside samples add nothing
                    acc[3] += 1.0
            n = samples * samples
            alpha = acc[3] / n
            rgb = [c / acc[3] if acc[3] else 0.0 for c in acc[:3]]
            row.append((rgb[0], rgb[1], rgb[2], alpha * 255))
        rows.append(row)
    return rows


def dib(size, rows):
    """One icon image: a 32-bit bottom-up DIB with an all-opaque AND mask (alpha decides)."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((round(b), round(g), round(r), round(a)))
    mask_row = ((size + 31) // 32) * 4
    return header + bytes(pixels) + bytes(mask_row * size)


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: draw_icon.py OUTPUT.ico')
    images = [dib(size, draw(size)) for size in SIZES]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        edge = 0 if size == 256 else size
        out += struct.pack('<BBBBHHII', edge, edge, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
