#!/usr/bin/env python3
"""Draws a preview of the piece sets as the program shows them (square
bitmaps, pieces with their key colour left out, coin, castling marks on the
holdings colour) and of the energy palette, into a PNG for looking at.
Optionally appends a picture of the chess font made with ImageMagick.

  python3 assets/generators/preview.py [/tmp/kvx_preview.png] [--zoom 2]
"""
import os
import subprocess
import sys

import raster

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "data")
SETS = ["Kestrovane_Default", "Tolvo1"]
START = ["tmvwlvmt", "oooooooo", "        ", "        ",
         "        ", "        ", "pppppppp", "rnbqkbnr"]
CODE = {"p": "WPawn", "o": "BPawn", "b": "WBishop", "v": "BBishop",
        "n": "WKnight", "m": "BKnight", "r": "WRook", "t": "BRook",
        "q": "WQueen", "w": "BQueen", "k": "WKing", "l": "BKing"}
STUFF = (0xC0, 0xC0, 0xC0)
TABLE = (0xE4, 0xE4, 0xE4)


def load(set_name, name):
    return raster.read_bmp(os.path.join(DATA, "Graphic", "Piece", "Bitmap", set_name, name + ".bmp"))


def blit(canvas, bmp, x0, y0, size):
    """Stretch `bmp` into size x size at (x0, y0), leaving out the colour of
    its bottom-left pixel (nearest neighbour, as a plain stretch draw)."""
    n = len(bmp)
    key = bmp[n - 1][0]
    for y in range(size):
        for x in range(size):
            c = bmp[y * n // size][x * n // size]
            if c != key:
                canvas[y0 + y][x0 + x] = c


def board(set_name, cells):
    """An 8 x 8 board with its two holdings columns; `cells` are rows of
    piece letters (blank = empty)."""
    sq = load(set_name, "WSquare")
    c = len(sq)
    w, h = 10 * c + 2, 8 * c + 2
    canvas = [[(0x30, 0x30, 0x30)] * w for _ in range(h)]
    light, dark = load(set_name, "WSquare"), load(set_name, "BSquare")
    for i in range(8):
        for j in range(8):
            x0, y0 = 1 + j * c, 1 + i * c
            is_light = (j + (7 - i)) % 2 == 1
            tile = light if is_light else dark
            n = len(tile)
            for y in range(c):
                for x in range(c):
                    canvas[y0 + y][x0 + x] = tile[y][x]
            # the painter gives the left-out corner pixel the top-right colour
            canvas[y0 + c - 1][x0] = tile[0][n - 1]
            ch = cells[i][j]
            if ch != " ":
                blit(canvas, load(set_name, CODE[ch] if ch != "x" else "Coin"), x0, y0, c)
    for i in range(8):
        for j in (8, 9):
            for y in range(c):
                for x in range(c):
                    canvas[1 + i * c + y][1 + j * c + x] = STUFF
    hold = {(0, 8): "BPawn", (0, 9): "BRook", (1, 8): "BKnight", (1, 9): "BQueen",
            (2, 8): "BBishop", (3, 8): "CastlingBQ", (3, 9): "CastlingBK",
            (4, 8): "CastlingWQ", (4, 9): "CastlingWK", (5, 8): "WPawn",
            (5, 9): "WRook", (6, 8): "WKnight", (6, 9): "WQueen", (7, 8): "WBishop"}
    for (i, j), name in hold.items():
        blit(canvas, load(set_name, name), 1 + j * c, 1 + i * c, c)
    return canvas


def strip(set_name):
    """All pieces on light and on dark squares, the coin on both."""
    light, dark = load(set_name, "WSquare"), load(set_name, "BSquare")
    c = len(light)
    names = [CODE[k] for k in "pobvnmrtqwkl"] + ["Coin"]
    w, h = len(names) * c, 2 * c
    canvas = [[(0, 0, 0)] * w for _ in range(h)]
    for r, tile in enumerate((light, dark)):
        for k, name in enumerate(names):
            for y in range(c):
                for x in range(c):
                    canvas[r * c + y][k * c + x] = tile[y][x]
            canvas[r * c + c - 1][k * c] = tile[0][c - 1]
            blit(canvas, load(set_name, name), k * c, r * c, c)
    return canvas


def energy():
    e = raster.read_bmp(os.path.join(DATA, "Sys", "sysEnergy.bmp"))
    cols = [e[31 * i + 4][5] for i in range(17)]
    w, h = 17 * 40, 40
    canvas = [[TABLE] * w for _ in range(h)]
    for i, col in enumerate(cols):
        for y in range(h):
            for x in range(40):
                canvas[y][i * 40 + x] = col
    # a black and a white piece on each colour
    bp = load("Kestrovane_Default", "BKnight")
    wp = load("Kestrovane_Default", "WKnight")
    for i in range(17):
        blit(canvas, bp if i % 2 else wp, i * 40, 0, 40)
    return canvas


def paste(canvas, img, x0, y0):
    for y, row in enumerate(img):
        for x, c in enumerate(row):
            canvas[y0 + y][x0 + x] = c


def diagram():
    """A two-board diagram text as the game viewer's report writes it."""
    # ranks 8..1, files a..h; upper case white, lower case black
    a = ["rn qkb r", "pppp pp ", "     n  ", "    p  p", "   Pp   ",
         "  N     ", "PPP  PPP", "R BQKBNR"]
    b = ["  kr   r", "ppb  ppp", "  n p   ", "   P    ", "   P    ",
         "  N  N  ", "PP   PPP", "R  Q RK "]
    coin = (4, 4)   # rank 4, file e, on board A

    def sq(board, rank, file):
        ch = board[8 - rank][file].lower()
        light = (file + rank - 1) % 2 == 1
        if (rank, file) == coin and board is a:
            return "x"
        if ch == " ":
            return " " if light else "+"
        white = board[8 - rank][file].isupper()
        g = ch if white else {"p": "o", "n": "m", "b": "v", "r": "t", "q": "w", "k": "l"}[ch]
        return g if light else g.upper()

    lines = ["  w,2t, , ,o , , , ,b,p", ">" + '!""""""""#!""""""""#' + " "]
    for r in range(1, 9):
        row = " $" + "".join(sq(a, 9 - r, f) for f in range(8)) + "%$"
        row += "".join(sq(b, r, 7 - f) for f in range(8)) + "%"
        lines.append(row)
    lines.append(" /(((((((()/(((((((()<")
    lines.append("  q, ,n, ,3p ,  , ,m,v,o")
    return "\n".join(lines)


def main():
    args = [a for a in sys.argv[1:]]
    zoom = 2
    if "--zoom" in args:
        i = args.index("--zoom")
        zoom = int(args[i + 1])
        del args[i:i + 2]
    out = args[0] if args else "/tmp/kvx_preview.png"
    parts = []
    for s in SETS:
        cells = [list(r) for r in START]
        cells[4][4] = "x"   # coin on e4
        parts.append(board(s, ["".join(r) for r in cells]))
        parts.append(strip(s))
    if os.path.exists(os.path.join(DATA, "Sys", "sysEnergy.bmp")):
        parts.append(energy())
    w = max(len(p[0]) for p in parts) + 20
    h = sum(len(p) + 10 for p in parts) + 10
    canvas = [[TABLE] * w for _ in range(h)]
    y = 10
    for p in parts:
        paste(canvas, p, 10, y)
        y += len(p) + 10
    if zoom > 1:
        canvas = [[c for c in row for _ in range(zoom)] for row in canvas for _ in range(zoom)]
    raster.write_png(out, canvas)
    print("wrote", out)
    font = os.path.join(DATA, "Sys", "CHESSBUG.TTF")
    text = "pobvnmrtqwkl\\nPOBVNMRTQWKL\\n + x,0123456789<>\\n\\n" + diagram().replace("\n", "\\n")
    text = text.replace("%", "%%")
    for pt in (18, 40):
        target = out.replace(".png", "_font%d.png" % pt)
        try:
            subprocess.run(["convert", "-background", "white", "-fill", "black", "-font", font,
                            "-pointsize", str(pt), "-interline-spacing", "0", "label:" + text,
                            target], check=True)
            print("wrote", target)
        except (OSError, subprocess.CalledProcessError) as e:
            print("font picture skipped:", e)


if __name__ == "__main__":
    main()
