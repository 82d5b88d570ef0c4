#!/usr/bin/env python3
"""Checks assets/data/Sys/CHESSBUG.TTF (standard library only):
- family name, every needed character mapped;
- one advance width for all glyphs, equal to the em; ascent + descent of
  hhea, OS/2 typo and OS/2 win equal to the em, no line gap;
- every glyph inside its cell;
- for each piece on a light square, drawn at a few pixel sizes: a flood
  fill from the cell's top-left pixel stays outside the piece (the white
  pieces keep an inside that the fill does not reach) and the top-left
  pixel is not ink.

  python3 assets/generators/check_font.py
"""
import os
import struct
import sys

import raster
from raster import Shape
import ttf_outline

HERE = os.path.dirname(os.path.abspath(__file__))
FONT = os.path.join(HERE, "..", "data", "Sys", "CHESSBUG.TTF")

PIECES_LIGHT = "pobvnmrtqwkl"
NEEDED = PIECES_LIGHT + PIECES_LIGHT.upper() + " +" + "!\"#$%/()" + "x<>," + "0123456789"


def family(font):
    name = font.table("name")
    count, off = struct.unpack(">HH", name[2:6])
    out = set()
    for i in range(count):
        pid, eid, lid, nid, length, o = struct.unpack(">HHHHHH", name[6 + 12 * i:18 + 12 * i])
        if nid == 1:
            raw = name[off + o:off + o + length]
            out.add(raw.decode("utf-16-be") if pid in (0, 3) else raw.decode("latin-1"))
    return out


def flood(grid, n):
    seen = [[False] * n for _ in range(n)]
    stack = [(0, 0)]
    while stack:
        x, y = stack.pop()
        if x < 0 or y < 0 or x >= n or y >= n or seen[y][x] or grid[y][x]:
            continue
        seen[y][x] = True
        stack.extend(((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)))
    return seen


def main():
    f = ttf_outline.Font(FONT)
    em = f.units_per_em
    problems = []
    if "Chess Bughouse" not in family(f):
        problems.append("family name is %r" % family(f))
    for ch in NEEDED:
        if f.glyph_id(ch) is None:
            problems.append("no glyph for %r" % ch)
        elif f.advance(ch) != em:
            problems.append("advance of %r is %d" % (ch, f.advance(ch)))
    asc, desc = f.hhea_ascender, -f.hhea_descender
    for label, a, d, gap in (("hhea", f.hhea_ascender, -f.hhea_descender, f.hhea_line_gap),
                             ("typo", f.typo_ascender, -f.typo_descender, f.typo_line_gap),
                             ("win", f.win_ascent, f.win_descent, 0)):
        if a + d != em or gap != 0 or a != asc:
            problems.append("%s metrics %d/%d/%d" % (label, a, d, gap))
    for ch in NEEDED:
        polys = ttf_outline.flatten(f.contours(ch))
        if not polys:
            continue
        x0, y0, x1, y1 = ttf_outline.poly_bbox(polys)
        if x0 < 0 or x1 > em or y0 < -desc or y1 > asc:
            problems.append("%r leaves its cell: %s" % (ch, (x0, y0, x1, y1)))
    for n in (18, 21, 24, 32, 40):
        s = n / float(em)
        for ch in PIECES_LIGHT:
            polys = [[(x * s, (asc - y) * s) for (x, y) in p]
                     for p in ttf_outline.flatten(f.contours(ch))]
            shape = Shape.polygons(polys, n, n)
            rgb, alpha = raster.compose(n, n, [(shape, (0, 0, 0))])
            grid = [[alpha[y][x] >= 0.5 for x in range(n)] for y in range(n)]
            if grid[0][0]:
                problems.append("%r at %d px covers the top-left pixel" % (ch, n))
                continue
            seen = flood(grid, n)
            outside = Shape.polygons(ttf_outline.outer(polys), n, n)
            rgb, a2 = raster.compose(n, n, [(outside, (0, 0, 0))])
            leaked = sum(1 for y in range(n) for x in range(n)
                         if seen[y][x] and a2[y][x] > 0.95)
            inside_left = sum(1 for y in range(n) for x in range(n)
                              if not grid[y][x] and not seen[y][x])
            if leaked:
                problems.append("%r at %d px: the fill runs into the piece (%d px)" % (ch, n, leaked))
            if ch in "pbnrqk" and inside_left == 0:
                problems.append("%r at %d px: no white inside left" % (ch, n))
    # the dark-square glyphs show the same piece as the light-square ones
    n = 48
    s = n / float(em)
    for ch in PIECES_LIGHT:
        def cover(g):
            polys = [[(x * s, (asc - y) * s) for (x, y) in p]
                     for p in ttf_outline.flatten(f.contours(g))]
            return polys, raster.compose(n, n, [(Shape.polygons(polys, n, n), (0, 0, 0))])[1]
        polys, light = cover(ch)
        _p, dark = cover(ch.upper())
        sil = raster.compose(n, n, [(Shape.polygons(ttf_outline.outer(polys), n, n), (0, 0, 0))])[1]
        bad = sum(1 for y in range(n) for x in range(n)
                  if sil[y][x] > 0.99 and abs(light[y][x] - dark[y][x]) > 0.1)
        if bad:
            problems.append("%r and %r differ inside the piece (%d px)" % (ch, ch.upper(), bad))
    print("font:", os.path.normpath(FONT))
    print("units per em %d, ascent %d, descent %d, line gap %d" % (em, asc, desc, f.hhea_line_gap))
    if problems:
        print("\n".join(problems))
        sys.exit(1)
    print("all checks passed")


if __name__ == "__main__":
    main()
