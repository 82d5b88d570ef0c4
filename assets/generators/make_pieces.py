#!/usr/bin/env python3
"""Builds the two piece sets of Kestrovane as 24-bit BMP files:

  assets/data/Graphic/Piece/Bitmap/Kestrovane_Default/   40 x 40 pixels
  assets/data/Graphic/Piece/Bitmap/Tolvo1/               24 x 24 pixels

Each set has the light and dark square, the twelve pieces, the coin and the
four castling marks. A third, smaller folder serves the repair tool's board
drawing, which draws pieces without transparency:

  assets/data/Graphic/Piece/Bitmap/TolvoSimple/          24 x 24 pixels

with "Wsquare.bmp", "Bsquare2.bmp" and the twelve pieces, each piece on an
opaque background of the middle tone of the two squares.
 Pieces come from the chess glyphs of DejaVu Sans, the
letters K and Q of the castling marks from DejaVu Sans Bold (Debian package
fonts-dejavu-core). Standard library only:

  python3 assets/generators/make_pieces.py

The bottom-left pixel of every piece, coin and castling bitmap is the key
colour (magenta, 0xFF00FF) that the program leaves out when it draws them;
no other pixel has that colour. Edge pixels are blended with the middle tone
of the set's squares instead of the key, so they look smooth on both. The
bottom-left pixel colour of each square bitmap appears nowhere else in it.
"""
import math
import os
import random

import raster
from raster import Shape, SS, mix, hexrgb
import ttf_outline

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "data")
DEJAVU = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
DEJAVU_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

KEY = (255, 0, 255)

# file name, DejaVu code point, white?, relative size
PIECES = [
    ("WPawn", 0x2659, True, 0.80), ("BPawn", 0x265F, False, 0.80),
    ("WBishop", 0x2657, True, 0.92), ("BBishop", 0x265D, False, 0.92),
    ("WKnight", 0x2658, True, 0.92), ("BKnight", 0x265E, False, 0.92),
    ("WRook", 0x2656, True, 0.86), ("BRook", 0x265C, False, 0.86),
    ("WQueen", 0x2655, True, 0.98), ("BQueen", 0x265B, False, 0.98),
    ("WKing", 0x2654, True, 1.00), ("BKing", 0x265A, False, 1.00),
]

SETS = {
    "Kestrovane_Default": dict(
        size=40,
        light=hexrgb(0xECD3A7), dark=hexrgb(0xB27D52),
        texture="wood",
        king_height=0.86, base=0.06,
        white_bold=0.12, black_halo=1.25,
        white_top=hexrgb(0xFFFFFF), white_bottom=hexrgb(0xE2DDD3),
        outline=hexrgb(0x1C1814),
        black_top=hexrgb(0x3C3732), black_bottom=hexrgb(0x0E0C0B),
        black_light=hexrgb(0xEFEBE3),
        badge=0.215, castle_king=0.72,
        seed=1,
    ),
    "Tolvo1": dict(
        size=24,
        light=hexrgb(0xEAE8CD), dark=hexrgb(0x7E9C60),
        texture="stone",
        king_height=0.86, base=0.05,
        white_bold=0.18, black_halo=1.0,
        white_top=hexrgb(0xFFFFFF), white_bottom=hexrgb(0xE6E3DA),
        outline=hexrgb(0x161616),
        black_top=hexrgb(0x34322F), black_bottom=hexrgb(0x0C0C0C),
        black_light=hexrgb(0xF2F0E8),
        badge=0.25, castle_king=0.68,
        seed=2,
    ),
}


# ---------------------------------------------------------------- noise

class Noise:
    """Smooth value noise on a lattice, deterministic for a seed."""

    def __init__(self, seed):
        rnd = random.Random(seed)
        self.perm = list(range(256))
        rnd.shuffle(self.perm)
        self.vals = [rnd.random() for _ in range(256)]

    def lattice(self, i, j):
        return self.vals[self.perm[(self.perm[i & 255] + j) & 255]]

    def __call__(self, x, y):
        i, j = int(math.floor(x)), int(math.floor(y))
        fx, fy = x - i, y - j
        sx = fx * fx * (3 - 2 * fx)
        sy = fy * fy * (3 - 2 * fy)
        a = self.lattice(i, j)
        b = self.lattice(i + 1, j)
        c = self.lattice(i, j + 1)
        d = self.lattice(i + 1, j + 1)
        return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy

    def fbm(self, x, y, octaves=3):
        v, amp, tot = 0.0, 1.0, 0.0
        for o in range(octaves):
            v += amp * self(x * (2 ** o) + 17.3 * o, y * (2 ** o) + 5.1 * o)
            tot += amp
            amp *= 0.5
        return v / tot


# ---------------------------------------------------------------- squares

def wood_square(n, base, seed, dark):
    """Wood with a gentle grain running across the square."""
    noise = Noise(seed)
    fib = Noise(seed + 100)
    rows = []
    for y in range(n):
        row = []
        for x in range(n):
            u, v = (x + 0.5) / n, (y + 0.5) / n
            warp = 0.45 * noise.fbm(u * 0.9, v * 0.8) + 0.12 * math.sin(2 * math.pi * (u * 0.5 + 0.2))
            t = v * (3.4 if dark else 2.8) + warp
            ring = 0.5 + 0.5 * math.sin(2 * math.pi * t)
            ring = ring ** 5
            fibre = fib.fbm(u * 1.2, v * 26.0, 2) - 0.5
            shade = 1.0 - (0.07 if dark else 0.05) * ring + (0.06 if dark else 0.04) * fibre
            shade += 0.02 * (noise(u * 3 + 9, v * 3 + 4) - 0.5)
            row.append(tuple(raster.clamp(c * shade) for c in base))
        rows.append(row)
    return rows


def stone_square(n, base, seed, dark):
    """Quiet mottled stone."""
    noise = Noise(seed)
    rows = []
    for y in range(n):
        row = []
        for x in range(n):
            u, v = (x + 0.5) / n, (y + 0.5) / n
            m = noise.fbm(u * 2.5, v * 2.5, 3) - 0.5
            vein = abs(noise.fbm(u * 1.7 + 3.1, v * 1.7 + 7.7, 2) - 0.5)
            shade = 1.0 + (0.07 if dark else 0.045) * m - (0.03 if dark else 0.018) * max(0.0, 0.06 - vein) / 0.06
            row.append(tuple(raster.clamp(c * shade) for c in base))
        rows.append(row)
    return rows


def unique_corner(pixels):
    """Make the bottom-left pixel a colour that appears nowhere else, close
    to what it was."""
    n = len(pixels)
    others = set()
    for y, row in enumerate(pixels):
        for x, c in enumerate(row):
            if not (y == n - 1 and x == 0):
                others.add(c)
    c = pixels[n - 1][0]
    for d in range(1, 40):
        for cand in ((c[0], c[1] + d, c[2]), (c[0], c[1] - d, c[2]),
                     (c[0] + d, c[1], c[2] + d), (c[0] - d, c[1], c[2] - d)):
            cand = tuple(max(0, min(255, v)) for v in cand)
            if cand not in others:
                pixels[n - 1][0] = cand
                return pixels
    raise RuntimeError("no free corner colour")


# ---------------------------------------------------------------- pieces

def piece_polys(font, code, n, rel, king_height, base):
    polys = ttf_outline.flatten(font.contours(code))
    x0, y0, x1, y1 = ttf_outline.poly_bbox(polys)
    s = n * king_height * rel / (y1 - y0)
    cx = (x0 + x1) / 2.0
    bottom = n * (1.0 - base)

    def tr(p):
        return [(n / 2.0 + (x - cx) * s, bottom - (y - y0) * s) for (x, y) in p]

    return [tr(p) for p in polys]


def vertical_gradient(top, bottom, y0, y1):
    def col(x, y):
        t = min(1.0, max(0.0, (y - y0) / float(y1 - y0)))
        return mix(top, bottom, t)
    return col


def piece_layers(font, code, white, rel, cfg, n=None, dx=0.0, dy=0.0, scale=1.0):
    n = n or cfg["size"]
    polys = piece_polys(font, code, n, rel, cfg["king_height"] * scale, cfg["base"])
    polys = [[(x * 1.0 + dx, y + dy) for (x, y) in p] for p in polys]
    ink = Shape.polygons(polys, n, n)
    sil = Shape.polygons(ttf_outline.outer(polys), n, n)
    ys = [y for p in polys for (_x, y) in p]
    top, bot = min(ys), max(ys)
    if white:
        fill = vertical_gradient(cfg["white_top"], cfg["white_bottom"], top, bot)
        return [(sil, fill), (ink.grow(cfg["white_bold"] * scale), cfg["outline"])]
    body = vertical_gradient(cfg["black_top"], cfg["black_bottom"], top, bot)
    halo = sil.grow(cfg["black_halo"] * max(0.8, scale))
    return [(halo, cfg["black_light"]), (sil, cfg["black_light"]), (ink, body)]


def finish(n, layers, cfg):
    rgb, alpha = raster.compose(n, n, layers)
    mid = mix(cfg["light"], cfg["dark"], 0.5)
    px = raster.flatten_onto(rgb, alpha, mid, key=KEY, threshold=0.5)
    px[n - 1][0] = KEY
    for y in range(n):
        for x in range(n):
            if px[y][x] == KEY and alpha[y][x] >= 0.5:
                px[y][x] = (254, 0, 254)
    return px


def circle_poly(cx, cy, r, steps=96):
    return [(cx + r * math.cos(2 * math.pi * i / steps), cy + r * math.sin(2 * math.pi * i / steps))
            for i in range(steps)]


def star_poly(cx, cy, r_out, r_in, points=5):
    pts = []
    for i in range(points * 2):
        r = r_out if i % 2 == 0 else r_in
        a = -math.pi / 2 + math.pi * i / points
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def coin(cfg):
    n = cfg["size"]
    c = n / 2.0
    r = n * 0.37
    edge = Shape.polygons([circle_poly(c, c, r)], n, n)
    face = Shape.polygons([circle_poly(c, c, r - max(1.0, n * 0.035))], n, n)
    ring_o = Shape.polygons([circle_poly(c, c, r * 0.74)], n, n)
    ring_i = Shape.polygons([circle_poly(c, c, r * 0.74 - max(0.8, n * 0.028))], n, n)
    star = Shape.polygons([star_poly(c, c + n * 0.01, r * 0.48, r * 0.2)], n, n)

    def face_col(x, y):
        # light from the upper left
        d = math.hypot(x - (c - r * 0.35), y - (c - r * 0.35)) / (r * 1.6)
        d = min(1.0, d)
        return mix(hexrgb(0xFFF0A0), hexrgb(0xD9A21C), d)

    def rim_col(x, y):
        t = ((x - c) + (y - c)) / (2 * r) * 0.5 + 0.5
        return mix(hexrgb(0xB98A14), hexrgb(0x7A5608), t)

    layers = [
        (edge, rim_col),
        (face, face_col),
        (ring_o, hexrgb(0xB8860E)),
        (ring_i, face_col),
        (star, hexrgb(0xC08A12)),
    ]
    return finish(n, layers, cfg)


def castling(font, bold, white, side, cfg):
    n = cfg["size"]
    code = 0x2654 if white else 0x265A
    # the king, smaller, towards the upper left
    layers = piece_layers(font, code, white, 1.0, cfg, n=n,
                          dx=-n * 0.13, dy=-n * 0.02, scale=cfg["castle_king"])
    # a round badge with the side letter at the lower right
    br = n * cfg["badge"]
    bx, by = n - br - n * 0.07, n - br - n * 0.07
    badge_rim = Shape.polygons([circle_poly(bx, by, br + max(1.0, n * 0.03))], n, n)
    badge = Shape.polygons([circle_poly(bx, by, br)], n, n)
    letter = ttf_outline.flatten(bold.contours(side))
    _k0, _k1, _k2, cap = ttf_outline.poly_bbox(ttf_outline.flatten(bold.contours("K")))
    x0, _y0, x1, _y1 = ttf_outline.poly_bbox(letter)
    s = br * 1.15 / cap                 # capital height in pixels / units
    lx = bx - (x1 + x0) * s / 2.0
    base_y = by + cap * s / 2.0         # the letters' base line
    poly = [[(lx + x * s, base_y - y * s) for (x, y) in p] for p in letter]
    glyph = Shape.polygons(poly, n, n)
    if white:
        rim, fill, text = cfg["outline"], hexrgb(0xFFFFFF), cfg["outline"]
    else:
        rim, fill, text = cfg["black_light"], hexrgb(0x1E1C1A), hexrgb(0xFFFFFF)
    layers += [(badge_rim, rim), (badge, fill), (glyph, text)]
    return finish(n, layers, cfg)


def make_set(name, cfg, font, bold):
    out = os.path.join(DATA, "Graphic", "Piece", "Bitmap", name)
    os.makedirs(out, exist_ok=True)
    n = cfg["size"]
    sq = wood_square if cfg["texture"] == "wood" else stone_square
    files = {}
    files["WSquare"] = unique_corner(sq(n, cfg["light"], cfg["seed"] * 10 + 1, False))
    files["BSquare"] = unique_corner(sq(n, cfg["dark"], cfg["seed"] * 10 + 2, True))
    for fname, code, white, rel in PIECES:
        files[fname] = finish(n, piece_layers(font, code, white, rel, cfg), cfg)
    files["Coin"] = coin(cfg)
    files["CastlingWK"] = castling(font, bold, True, "K", cfg)
    files["CastlingWQ"] = castling(font, bold, True, "Q", cfg)
    files["CastlingBK"] = castling(font, bold, False, "K", cfg)
    files["CastlingBQ"] = castling(font, bold, False, "Q", cfg)
    for fname, px in files.items():
        check(fname, px)
        raster.write_bmp(os.path.join(out, fname + ".bmp"), px)
    print("wrote", out, len(files), "files")


def check(fname, px):
    n = len(px)
    assert all(len(r) == n for r in px), fname
    corner = px[n - 1][0]
    count = sum(1 for row in px for c in row if c == corner)
    if fname.endswith("Square"):
        assert count == 1, fname
    else:
        assert corner == KEY, fname
        inside = [c for row in px for c in row if c != KEY]
        assert inside, fname


def make_simple_set(name, cfg, font):
    """Squares and pieces for a plain (not transparent) drawing: each piece
    on the middle tone of the two squares."""
    out = os.path.join(DATA, "Graphic", "Piece", "Bitmap", name)
    os.makedirs(out, exist_ok=True)
    n = cfg["size"]
    sq = wood_square if cfg["texture"] == "wood" else stone_square
    mid = mix(cfg["light"], cfg["dark"], 0.5)
    files = {
        "Wsquare": unique_corner(sq(n, cfg["light"], cfg["seed"] * 10 + 1, False)),
        "Bsquare2": unique_corner(sq(n, cfg["dark"], cfg["seed"] * 10 + 2, True)),
    }
    for fname, code, white, rel in PIECES:
        rgb, alpha = raster.compose(n, n, piece_layers(font, code, white, rel, cfg))
        files[fname] = raster.flatten_onto(rgb, alpha, mid)
    for fname, px in files.items():
        raster.write_bmp(os.path.join(out, fname + ".bmp"), px)
    print("wrote", out, len(files), "files")


def main():
    font = ttf_outline.Font(DEJAVU)
    bold = ttf_outline.Font(DEJAVU_BOLD)
    for name, cfg in SETS.items():
        make_set(name, cfg, font, bold)
    make_simple_set("TolvoSimple", SETS["Tolvo1"], font)


if __name__ == "__main__":
    main()
