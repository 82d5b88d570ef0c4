# Builds assets/data/Sys/CHESSBUG.TTF, the "Chess Bughouse" chess font, from the
# chess glyphs of DejaVu Sans (Debian package fonts-dejavu-core).
#
# Run with fontforge's own Python:
#   fontforge -lang=py -script assets/generators/make_font.py
#
# Every glyph is one square cell: advance width = units per em = 2048, and the
# font's ascent + descent (hhea, OS/2 typo and OS/2 win alike) = 2048 with no
# line gap, so a glyph written at the top-left corner of a cell of the font's
# pixel height fills that cell, and lines of glyphs stack into a board.
import os
import math
import fontforge
import psMat

HERE = os.path.dirname(os.path.abspath(__file__))
OUT_DIR = os.path.join(HERE, "..", "data", "Sys")
OUT = os.path.join(OUT_DIR, "CHESSBUG.TTF")
LICENSE_OUT = os.path.join(OUT_DIR, "CHESSBUG-LICENSE.txt")
SRC = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
SRC_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

EM = 2048
ASCENT = 1638
DESCENT = EM - ASCENT          # 410
BOTTOM = -DESCENT              # cell: x 0..EM, y BOTTOM..ASCENT
TOP = ASCENT
MID_Y = (BOTTOM + TOP) / 2.0

# letter -> (DejaVu code point, relative size); white then black of each kind.
PIECES = [
    ("p", 0x2659, 0.80), ("o", 0x265F, 0.80),
    ("b", 0x2657, 0.92), ("v", 0x265D, 0.92),
    ("n", 0x2658, 0.92), ("m", 0x265E, 0.92),
    ("r", 0x2656, 0.86), ("t", 0x265C, 0.86),
    ("q", 0x2655, 0.98), ("w", 0x265B, 0.98),
    ("k", 0x2654, 1.00), ("l", 0x265A, 1.00),
]
PIECE_HEIGHT = 1700            # height of the king in font units
PIECE_BASE = BOTTOM + 170      # where the pieces stand

HATCH_STEP = 270               # distance of the dark-square hatch lines
HATCH_WIDTH = 92               # their thickness (both measured across the lines)
HALO = 96                      # free margin between hatch and piece

WHITE = "pbnrqk"
WHITE_BOLD = 28                # extra outline weight of the white pieces
EDGE_BOLD = 70                 # extra weight of every piece's outer edge

FRAME = 120                    # thickness of the board's frame line


def rect(x0, y0, x1, y1):
    c = fontforge.contour()
    c.moveTo(x0, y0)
    c.lineTo(x0, y1)
    c.lineTo(x1, y1)
    c.lineTo(x1, y0)
    c.closed = True
    return c


def poly(points):
    c = fontforge.contour()
    c.moveTo(*points[0])
    for p in points[1:]:
        c.lineTo(*p)
    c.closed = True
    return c


def circle(cx, cy, r, clockwise=True):
    # four cubic arcs
    k = 0.5522847498 * r
    c = fontforge.contour()
    c.is_quadratic = False
    c.moveTo(cx, cy + r)
    c.cubicTo((cx + k, cy + r), (cx + r, cy + k), (cx + r, cy))
    c.cubicTo((cx + r, cy - k), (cx + k, cy - r), (cx, cy - r))
    c.cubicTo((cx - k, cy - r), (cx - r, cy - k), (cx - r, cy))
    c.cubicTo((cx - r, cy + k), (cx - k, cy + r), (cx, cy + r))
    c.closed = True
    if c.isClockwise() != clockwise:
        c.reverseDirection()
    return c


def clip_polygon(points, x0, y0, x1, y1):
    """Sutherland-Hodgman clip of a convex polygon to a rectangle."""
    def clip(pts, inside, cross):
        out = []
        for i in range(len(pts)):
            a, b = pts[i - 1], pts[i]
            ia, ib = inside(a), inside(b)
            if ib:
                if not ia:
                    out.append(cross(a, b))
                out.append(b)
            elif ia:
                out.append(cross(a, b))
        return out

    def at_x(x):
        return lambda a, b: (x, a[1] + (b[1] - a[1]) * (x - a[0]) / (b[0] - a[0]))

    def at_y(y):
        return lambda a, b: (a[0] + (b[0] - a[0]) * (y - a[1]) / (b[1] - a[1]), y)

    pts = points
    for inside, cross in (
        (lambda p: p[0] >= x0, at_x(x0)),
        (lambda p: p[0] <= x1, at_x(x1)),
        (lambda p: p[1] >= y0, at_y(y0)),
        (lambda p: p[1] <= y1, at_y(y1)),
    ):
        if not pts:
            break
        pts = clip(pts, inside, cross)
    return pts


def hatch_layer():
    """Diagonal stripes (lower left to upper right) covering the cell."""
    layer = fontforge.layer()
    half = HATCH_WIDTH * math.sqrt(2) / 2.0   # half width measured along x
    step = HATCH_STEP * math.sqrt(2)          # distance measured along x
    # stripes are the lines y - BOTTOM = x - d, for d a multiple of the step
    d = EM / 2.0 - step * math.ceil(1.5 * EM / step)
    while d <= EM:
        quad = [(d - half, BOTTOM), (d + half, BOTTOM),
                (d + half + EM, TOP), (d - half + EM, TOP)]
        pts = clip_polygon(quad, 0, BOTTOM, EM, TOP)
        if len(pts) >= 3:
            c = poly(pts)
            if not c.isClockwise():
                c.reverseDirection()
            layer += c
        d += step
    return layer


def cubic(layer):
    out = layer.dup()
    out.is_quadratic = False
    return out


def outer_contour(layer):
    bb = layer.boundingBox()
    best = None
    for c in layer:
        cb = c.boundingBox()
        area = (cb[2] - cb[0]) * (cb[3] - cb[1])
        if best is None or area > best[0]:
            best = (area, c)
    return best[1]


def piece_layer(src, code, rel):
    g = src[code]
    layer = cubic(g.foreground)
    x0, y0, x1, y1 = layer.boundingBox()
    s = PIECE_HEIGHT * rel / (y1 - y0)
    m = psMat.translate(-(x0 + x1) / 2.0, -y0)
    m = psMat.compose(m, psMat.scale(s))
    m = psMat.compose(m, psMat.translate(EM / 2.0, PIECE_BASE))
    layer.transform(m)
    return layer


def with_band(layer, band, weight):
    """The piece united with `band` stroked `weight` wide (half on each side)."""
    band.stroke("circular", weight, "round", "round")
    out = layer.dup()
    for c in band:
        out += c
    out.removeOverlap()
    return out


def embolden(layer, weight):
    """Thickens the lines of an outline piece by `weight` (half on each
    side of every line), so the thin lines of the white pieces stay visible
    at small sizes: the piece united with a band along all its contours."""
    return with_band(layer, layer.dup(), weight)


def strong_edge(layer, weight):
    """Thickens the outer edge of a piece by `weight` (half inwards, half
    outwards), so that the edge stays closed when the glyph is drawn small
    without anti-aliasing, and a flood fill from the cell's corner cannot
    run into a white piece."""
    band = fontforge.layer()
    band += outer_contour(layer).dup()
    return with_band(layer, band, weight)


def silhouette(layer, grow):
    sil = fontforge.layer()
    c = outer_contour(layer).dup()
    if not c.isClockwise():
        c.reverseDirection()
    sil += c
    if grow > 0:
        ring = sil.dup()
        ring.stroke("circular", 2 * grow, "round", "round")
        sil += ring
        sil.removeOverlap()
    return sil


def hatch_outside(hatch, sil):
    """The parts of the hatch outside `sil`: the hatch intersected with the
    cell minus `sil` (a frame contour with `sil` as its hole)."""
    both = hatch.dup()
    r = rect(-64, BOTTOM - 64, EM + 64, TOP + 64)
    if not r.isClockwise():
        r.reverseDirection()
    both += r
    for c in sil:
        c = c.dup()
        if c.isClockwise():
            c.reverseDirection()
        both += c
    both.intersect()
    # the result must stay inside the cell and must not cover the piece's middle
    x0, y0, x1, y1 = both.boundingBox()
    assert x0 >= -1 and y0 >= BOTTOM - 1 and x1 <= EM + 1 and y1 <= TOP + 1, "hatch clip"
    return both


def add_glyph(font, ch, layer, merge=True):
    g = font.createChar(ord(ch), glyph_name(ch))
    g.clear()
    g.foreground = layer
    g.width = EM
    if merge:
        g.removeOverlap()
    g.correctDirection()
    g.round()
    return g


NAMES = {
    " ": "space", "!": "exclam", '"': "quotedbl", "#": "numbersign",
    "$": "dollar", "%": "percent", "(": "parenleft", ")": "parenright",
    "+": "plus", ",": "comma", "/": "slash", "<": "less", ">": "greater",
}
DIGITS = ["zero", "one", "two", "three", "four", "five", "six", "seven",
          "eight", "nine"]


def glyph_name(ch):
    if ch in NAMES:
        return NAMES[ch]
    if ch.isdigit():
        return DIGITS[int(ch)]
    return ch


def frame_glyphs(font):
    """Board frame: a thick line along the side of the cell that touches
    the board, and a thin line further out."""
    t = FRAME
    thin = 40
    gap = 110
    lo, hi = BOTTOM, TOP
    # outer thin line position (distance from the board side)
    o0 = t + gap
    o1 = o0 + thin
    shapes = {
        # top edge: board below
        '"': [rect(0, lo, EM, lo + t), rect(0, lo + o0, EM, lo + o1)],
        # bottom edge: board above
        "(": [rect(0, hi - t, EM, hi), rect(0, hi - o1, EM, hi - o0)],
        # left edge: board to the right
        "$": [rect(EM - t, lo, EM, hi), rect(EM - o1, lo, EM - o0, hi)],
        # right edge: board to the left
        "%": [rect(0, lo, t, hi), rect(o0, lo, o1, hi)],
        # top-left corner: board towards lower right
        "!": [rect(EM - t, lo, EM, lo + t),
              rect(EM - o1, lo + o0, EM, lo + o1),
              rect(EM - o1, lo, EM - o0, lo + o1)],
        # top-right corner: board towards lower left
        "#": [rect(0, lo, t, lo + t),
              rect(0, lo + o0, o1, lo + o1),
              rect(o0, lo, o1, lo + o1)],
        # bottom-left corner: board towards upper right
        "/": [rect(EM - t, hi - t, EM, hi),
              rect(EM - o1, hi - o1, EM, hi - o0),
              rect(EM - o1, hi - o1, EM - o0, hi)],
        # bottom-right corner: board towards upper left
        ")": [rect(0, hi - t, t, hi),
              rect(0, hi - o1, o1, hi - o0),
              rect(o0, hi - o1, o1, hi)],
    }
    for ch, contours in shapes.items():
        layer = fontforge.layer()
        for c in contours:
            layer += c
        add_glyph(font, ch, layer)


def main():
    src = fontforge.open(SRC)
    bold = fontforge.open(SRC_BOLD)
    license_text = dict(((n[1], n[2]) for n in src.sfnt_names))["License"]
    src_copyright = src.copyright.strip()

    font = fontforge.font()
    font.encoding = "UnicodeBmp"
    font.is_quadratic = False
    font.em = EM
    font.ascent = ASCENT
    font.descent = DESCENT
    font.fontname = "ChessBughouse"
    font.familyname = "Chess Bughouse"
    font.fullname = "Chess Bughouse"
    font.weight = "Regular"
    font.version = "1.00"
    copyright_text = (
        src_copyright.replace("\n", " ")
        + " Chess piece shapes from DejaVu Sans 2.37 (glyphs of the Arev fonts);"
        " board cells, frame, marks and layout added for Kestrovane."
    )
    font.copyright = copyright_text
    font.os2_vendor = "KVXN"
    font.os2_fstype = 0
    font.os2_winascent = ASCENT
    font.os2_winascent_add = False
    font.os2_windescent = DESCENT
    font.os2_windescent_add = False
    font.os2_typoascent = ASCENT
    font.os2_typoascent_add = False
    font.os2_typodescent = -DESCENT
    font.os2_typodescent_add = False
    font.os2_typolinegap = 0
    font.hhea_ascent = ASCENT
    font.hhea_ascent_add = False
    font.hhea_descent = -DESCENT
    font.hhea_descent_add = False
    font.hhea_linegap = 0
    try:
        font.os2_use_typo_metrics = True
    except AttributeError:
        pass
    lang = "English (US)"
    font.appendSFNTName(lang, "Copyright", copyright_text)
    font.appendSFNTName(lang, "Family", "Chess Bughouse")
    font.appendSFNTName(lang, "SubFamily", "Regular")
    font.appendSFNTName(lang, "UniqueID", "Chess Bughouse 1.00")
    font.appendSFNTName(lang, "Fullname", "Chess Bughouse")
    font.appendSFNTName(lang, "Version", "Version 1.00")
    font.appendSFNTName(lang, "PostScriptName", "ChessBughouse")
    font.appendSFNTName(lang, "Descriptor",
                        "Chess diagram font for Kestrovane: pieces on light"
                        " squares (lower case), on dark squares (upper case),"
                        " empty squares, board frame and marks.")
    font.appendSFNTName(lang, "License", license_text)

    # .notdef: an empty cell
    nd = font.createChar(-1, ".notdef")
    nd.width = EM

    hatch = hatch_layer()

    # empty squares
    add_glyph(font, " ", fontforge.layer())
    add_glyph(font, "+", hatch.dup())

    for letter, code, rel in PIECES:
        piece = piece_layer(src, code, rel)
        if letter in WHITE:
            piece = embolden(piece, WHITE_BOLD)
        piece = strong_edge(piece, EDGE_BOLD)
        # light square: the piece alone. White pieces keep DejaVu's outline
        # with an empty inside, black pieces are solid.
        add_glyph(font, letter, piece.dup(), merge=False)
        # dark square: hatch around the piece, kept clear of it by a margin.
        dark = hatch_outside(hatch, silhouette(piece, HALO))
        for c in piece:
            dark += c
        add_glyph(font, letter.upper(), dark, merge=False)

    frame_glyphs(font)

    # side-to-move marks: solid triangles pointing at the board
    size = 760
    cx = EM / 2.0
    tri_r = [(cx - size * 0.45, MID_Y - size / 2), (cx - size * 0.45, MID_Y + size / 2),
             (cx + size * 0.45, MID_Y)]
    tri_l = [(EM - x, y) for (x, y) in tri_r]
    for ch, pts in ((">", tri_r), ("<", tri_l)):
        layer = fontforge.layer()
        c = poly(pts)
        if not c.isClockwise():
            c.reverseDirection()
        layer += c
        add_glyph(font, ch, layer)

    # separator of the hand lines: an empty cell
    add_glyph(font, ",", fontforge.layer())

    # coin: a ring with a smaller ring and a dot inside
    layer = fontforge.layer()
    r_out = 760
    layer += circle(cx, MID_Y, r_out, True)
    layer += circle(cx, MID_Y, r_out - 120, False)
    layer += circle(cx, MID_Y, 520, True)
    layer += circle(cx, MID_Y, 470, False)
    layer += circle(cx, MID_Y, 150, True)
    add_glyph(font, "x", layer)

    # digits (counts of held pieces), from DejaVu Sans Bold, centred in the cell
    dh = 1000.0
    for d in range(10):
        ch = str(d)
        layer = cubic(bold[ord(ch)].foreground)
        x0, y0, x1, y1 = bold["eight"].foreground.boundingBox()
        gx0, gy0, gx1, gy1 = layer.boundingBox()
        s = dh / (y1 - y0)
        m = psMat.translate(-(gx0 + gx1) / 2.0, -y0)
        m = psMat.compose(m, psMat.scale(s))
        m = psMat.compose(m, psMat.translate(EM / 2.0, MID_Y - dh / 2.0))
        layer.transform(m)
        add_glyph(font, ch, layer)

    for g in font.glyphs():
        g.width = EM
    font.selection.all()
    font.canonicalContours()
    font.canonicalStart()

    os.makedirs(OUT_DIR, exist_ok=True)
    font.generate(OUT, flags=("opentype", "omit-instructions", "short-post"))

    with open(LICENSE_OUT, "w", encoding="utf-8") as fh:
        fh.write(
            "CHESSBUG.TTF (font family \"Chess Bughouse\")\n"
            "============================================\n\n"
            "The chess piece shapes of this font are the chess symbols of\n"
            "DejaVu Sans 2.37 (Debian package fonts-dejavu-core), which DejaVu\n"
            "took from the Arev fonts. Kestrovane scaled them into square cells\n"
            "and added the dark-square hatching, the board frame, the\n"
            "side-to-move marks, the coin mark and the digits (the digits are\n"
            "DejaVu Sans Bold). The font is renamed as the licence below\n"
            "requires. The licence of the source font follows.\n\n"
            + src_copyright + "\n\n" + license_text.strip() + "\n")
    print("wrote", OUT)


main()
