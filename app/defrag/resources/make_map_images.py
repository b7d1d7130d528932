#!/usr/bin/env python3
"""Generates the cluster map's images: the cell strip (6002, six 10 x 10 looks side by side at
x = 0, 9, ..., 45, each with a white border shared with its neighbour) and the six legend
swatches (6003 to 6008). The point (5, 5) of every look and swatch is its exact colour, for the
pixel tests; above it the cell is lit a little, below it shaded a little.
Usage: make_map_images.py OUTPUT_DIR"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..",
                                "helper", "resources"))
from skin_raster import Canvas, mix  # noqa: E402

WHITE = "#FFFFFF"
# The looks in strip order: free, other used, contiguous, fragmented, MFT zone, unused.
LOOKS = ["#D1CFD0", "#024C95", "#2CBA30", "#D10101", "#FD9814", "#F2EA32"]
# Legend swatches by resource id: fragmented, contiguous, other used, MFT zone, free, unused.
SWATCHES = {6006: 3, 6004: 2, 6005: 1, 6007: 4, 6003: 0, 6008: 5}


def shade(colour, y):
    """Row y of a cell's inside: row 5 is the colour itself."""
    if y < 5:
        return mix(colour, WHITE, (5 - y) * 0.07)
    return mix(colour, "#000000", (y - 5) * 0.05)


def cell(canvas, x0, colour, border):
    canvas.rect(x0, 0, x0 + 10, 10, border)
    for y in range(1, 9):
        canvas.rect(x0 + 1, y, x0 + 9, y + 1, shade(colour, y))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    strip = Canvas(55, 10, WHITE)
    for look, colour in enumerate(LOOKS):
        cell(strip, look * 9, colour, WHITE)
    strip.write_bmp(os.path.join(out, "map_cells.bmp"))
    for resource, look in SWATCHES.items():
        swatch = Canvas(10, 10, WHITE)
        cell(swatch, 0, LOOKS[look], mix(LOOKS[look], "#000000", 0.3))
        swatch.write_bmp(os.path.join(out, f"legend_{resource}.bmp"))


if __name__ == "__main__":
    main()
