#!/usr/bin/env python3
"""Builds the program icon: a knight standing on two small boards.

  assets/data/Sys/Kestrovane.png        64 x 64
  assets/data/Sys/Kestrovane-256.png   256 x 256
  assets/data/Sys/Kestrovane.svg       the same drawing as vectors

The knight is DejaVu Sans's black chess knight (fonts-dejavu-core).
Standard library only:

  python3 assets/generators/make_icon.py
"""
import os

import raster
from raster import Shape, hexrgb
import ttf_outline

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data", "Sys")
DEJAVU = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

LIGHT = hexrgb(0xECD3A7)
DARK = hexrgb(0xB27D52)
FRAME = hexrgb(0x5A3A22)
KNIGHT = hexrgb(0x1A1714)
HALO = hexrgb(0xFFFFFF)

# drawing in a 256 x 256 space
BOARD_Y = 124          # top of the boards
SQ = 28                # square size
GAP = 6                # between the two boards
BORDER = 4             # frame around each board
KNIGHT_TOP = 16
KNIGHT_BOTTOM = 196


def boards():
    """(x, y, w, h, colour) rectangles of the two 4 x 4 boards."""
    rects = []
    width = 4 * SQ
    total = 2 * width + GAP + 4 * BORDER
    x0 = (256 - total) / 2.0
    for b in range(2):
        bx = x0 + b * (width + GAP + 2 * BORDER)
        rects.append((bx, BOARD_Y, width + 2 * BORDER, width + 2 * BORDER, FRAME))
        for i in range(4):
            for j in range(4):
                light = (i + j + b) % 2 == 0
                rects.append((bx + BORDER + j * SQ, BOARD_Y + BORDER + i * SQ, SQ, SQ,
                              LIGHT if light else DARK))
    return rects


def knight():
    """The knight's polygons and its outline, in the 256 space."""
    font = ttf_outline.Font(DEJAVU)
    contours = font.contours(0x265E)
    polys = ttf_outline.flatten(contours)
    x0, y0, x1, y1 = ttf_outline.poly_bbox(polys)
    s = (KNIGHT_BOTTOM - KNIGHT_TOP) / float(y1 - y0)
    cx = (x0 + x1) / 2.0

    def tr(x, y):
        return (128 + (x - cx) * s, KNIGHT_BOTTOM - (y - y0) * s)

    return [[tr(x, y) for (x, y) in p] for p in polys], contours, tr


def render(size):
    k = size / 256.0
    polys, _c, _tr = knight()
    polys = [[(x * k, y * k) for (x, y) in p] for p in polys]
    layers = []
    for (x, y, w, h, col) in boards():
        r = [[(x * k, y * k), ((x + w) * k, y * k), ((x + w) * k, (y + h) * k), (x * k, (y + h) * k)]]
        layers.append((Shape.polygons(r, size, size), col))
    sil = Shape.polygons(ttf_outline.outer(polys), size, size)
    layers.append((sil.grow(max(1.0, 5.0 * k)), HALO))
    layers.append((sil, HALO))
    layers.append((Shape.polygons(polys, size, size), KNIGHT))
    rgb, alpha = raster.compose(size, size, layers)
    out = []
    for y in range(size):
        row = []
        for x in range(size):
            a = min(1.0, alpha[y][x])
            if a <= 0.0:
                row.append((0, 0, 0, 0))
            else:
                c = rgb[y][x]
                row.append((raster.clamp(c[0] / a), raster.clamp(c[1] / a),
                            raster.clamp(c[2] / a), raster.clamp(a * 255)))
        out.append(row)
    return out


def svg():
    _p, contours, tr = knight()

    def hexc(c):
        return "#%02x%02x%02x" % c

    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">',
             '<title>Kestrovane</title>']
    for (x, y, w, h, col) in boards():
        parts.append('<rect x="%g" y="%g" width="%g" height="%g" fill="%s"/>' % (x, y, w, h, hexc(col)))
    # the knight's path from the glyph's quadratic contours
    d = []
    for c in contours:
        pts = c
        n = len(pts)
        start = next(i for i in range(n) if pts[i][2])
        pts = pts[start:] + pts[:start]
        x, y = tr(pts[0][0], pts[0][1])
        d.append("M%.2f %.2f" % (x, y))
        ctrl = None
        for px, py, on in pts[1:] + [pts[0]]:
            X, Y = tr(px, py)
            if on:
                if ctrl is None:
                    d.append("L%.2f %.2f" % (X, Y))
                else:
                    d.append("Q%.2f %.2f %.2f %.2f" % (ctrl[0], ctrl[1], X, Y))
                    ctrl = None
            else:
                if ctrl is not None:
                    mx, my = (ctrl[0] + X) / 2.0, (ctrl[1] + Y) / 2.0
                    d.append("Q%.2f %.2f %.2f %.2f" % (ctrl[0], ctrl[1], mx, my))
                ctrl = (X, Y)
        d.append("Z")
    path = " ".join(d)
    parts.append('<path d="%s" fill="%s" stroke="%s" stroke-width="10" stroke-linejoin="round"/>'
                 % (path, hexc(HALO), hexc(HALO)))
    parts.append('<path d="%s" fill="%s" fill-rule="nonzero"/>' % (path, hexc(KNIGHT)))
    parts.append("</svg>")
    return "\n".join(parts) + "\n"


def main():
    os.makedirs(OUT, exist_ok=True)
    raster.write_png(os.path.join(OUT, "Kestrovane.png"), render(64), with_alpha=True)
    raster.write_png(os.path.join(OUT, "Kestrovane-256.png"), render(256), with_alpha=True)
    with open(os.path.join(OUT, "Kestrovane.svg"), "w") as fh:
        fh.write(svg())
    print("wrote", os.path.normpath(OUT), "Kestrovane.png, Kestrovane-256.png, Kestrovane.svg")


if __name__ == "__main__":
    main()
