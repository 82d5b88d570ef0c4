#!/usr/bin/env python3
"""Builds assets/data/Sys/sysEnergy.bmp, the palette of the energy board:
17 bands of 31 pixels, one per attack balance from -8 (top) to +8 (bottom).
The program reads band i's colour at x = 5, y = 31 * i + 4. Balance 0 is
white; black's surplus of attackers goes through light blue to violet,
White's through peach to red-orange, light enough that pieces stay readable.

  python3 assets/generators/make_energy.py
"""
import os

import raster
from raster import hexrgb, mix

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data", "Sys", "sysEnergy.bmp")

WIDTH = 12
BAND = 31

# (|balance|, colour) stops; between them the colour is interpolated
BLACK_STOPS = [(0, 0xFFFFFF), (1, 0xE3EBFF), (3, 0xB9CBFA), (5, 0x95A6F2), (8, 0x6C58D6)]
WHITE_STOPS = [(0, 0xFFFFFF), (1, 0xFFEBDA), (3, 0xFFCFA6), (5, 0xFFA872), (8, 0xE8553A)]


def ramp(stops, v):
    for (a, ca), (b, cb) in zip(stops, stops[1:]):
        if a <= v <= b:
            return mix(hexrgb(ca), hexrgb(cb), (v - a) / float(b - a))
    return hexrgb(stops[-1][1])


def colour(balance):
    if balance < 0:
        return tuple(raster.clamp(c) for c in ramp(BLACK_STOPS, -balance))
    return tuple(raster.clamp(c) for c in ramp(WHITE_STOPS, balance))


def main():
    rows = []
    for i in range(17):
        c = colour(i - 8)
        rows.extend([[c] * WIDTH for _ in range(BAND)])
    assert rows[8 * BAND + 4][5] == (255, 255, 255)
    raster.write_bmp(OUT, rows)
    for i in range(17):
        print("%+d #%02X%02X%02X" % ((i - 8,) + rows[BAND * i + 4][5]))
    print("wrote", OUT)


if __name__ == "__main__":
    main()
