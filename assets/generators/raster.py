"""Anti-aliased drawing of polygons and simple image files, standard library
only: coverage by horizontal spans on sub-sample rows (exact along x), layers
drawn over each other without seams, and writers for 24-bit BMP and PNG.
"""
import math
import struct
import zlib

SS = 16  # sub-sample rows per pixel


class Shape:
    """A filled area as spans: rows[k] is a sorted list of (x0, x1) for the
    sub-sample row k of an image of height h (row centre y = (k + 0.5) / SS)."""

    def __init__(self, w, h, rows=None):
        self.w, self.h = w, h
        self.rows = rows if rows is not None else [[] for _ in range(h * SS)]

    @staticmethod
    def polygons(polys, w, h):
        """Fill polygons (pixel coordinates, y down) with the non-zero rule."""
        n = h * SS
        buckets = [[] for _ in range(n)]
        for p in polys:
            m = len(p)
            for i in range(m):
                x0, y0 = p[i]
                x1, y1 = p[(i + 1) % m]
                if y0 == y1:
                    continue
                d = 1 if y1 > y0 else -1
                ya, yb = (y0, y1) if y0 < y1 else (y1, y0)
                ka = max(0, int(math.ceil(ya * SS - 0.5)))
                kb = min(n - 1, int(math.ceil(yb * SS - 0.5)) - 1)
                if kb < ka:
                    continue
                slope = (x1 - x0) / (y1 - y0)
                for k in range(ka, kb + 1):
                    buckets[k].append((x0 + ((k + 0.5) / SS - y0) * slope, d))
        rows = []
        for k in range(n):
            xs = buckets[k]
            xs.sort()
            spans = []
            wind = 0
            start = None
            for x, d in xs:
                before = wind
                wind += d
                if before == 0 and wind != 0:
                    start = x
                elif before != 0 and wind == 0:
                    if x > start:
                        spans.append((start, x))
            rows.append(_merge(spans))
        return Shape(w, h, rows)

    @staticmethod
    def function(w, h, inside):
        """A shape from a predicate inside(x, y), sampled per sub-sample row
        at a resolution of 1/SS pixel along x."""
        rows = []
        for k in range(h * SS):
            y = (k + 0.5) / SS
            spans = []
            start = None
            steps = w * SS
            for i in range(steps + 1):
                x = (i + 0.5) / SS
                ins = i < steps and inside(x, y)
                if ins and start is None:
                    start = i / float(SS)
                elif not ins and start is not None:
                    spans.append((start, i / float(SS)))
                    start = None
            rows.append(spans)
        return Shape(w, h, rows)

    def union(self, other):
        return Shape(self.w, self.h, [_merge(a + b) for a, b in zip(self.rows, other.rows)])

    def minus(self, other):
        return Shape(self.w, self.h, [_subtract(a, b) for a, b in zip(self.rows, other.rows)])

    def grow(self, r):
        """Dilate by a disc of radius r pixels (r > 0)."""
        R = int(round(r * SS))
        n = len(self.rows)
        out = []
        for k in range(n):
            spans = []
            for dk in range(-R, R + 1):
                kk = k + dk
                if 0 <= kk < n and self.rows[kk]:
                    e = math.sqrt(max(0.0, R * R - dk * dk)) / SS
                    spans.extend((a - e, b + e) for a, b in self.rows[kk])
            out.append(_merge(spans))
        return Shape(self.w, self.h, out)


def _merge(spans):
    if not spans:
        return []
    spans.sort()
    out = [list(spans[0])]
    for a, b in spans[1:]:
        if a <= out[-1][1]:
            if b > out[-1][1]:
                out[-1][1] = b
        else:
            out.append([a, b])
    return [(a, b) for a, b in out]


def _subtract(a, b):
    out = []
    for x0, x1 in a:
        segs = [(x0, x1)]
        for y0, y1 in b:
            nxt = []
            for s0, s1 in segs:
                if y1 <= s0 or y0 >= s1:
                    nxt.append((s0, s1))
                    continue
                if y0 > s0:
                    nxt.append((s0, y0))
                if y1 < s1:
                    nxt.append((y1, s1))
            segs = nxt
        out.extend(segs)
    return out


def compose(w, h, layers):
    """Draw layers (shape, colour) bottom to top; colour is an (r, g, b)
    tuple of 0..255 floats or a function (x, y) -> (r, g, b) evaluated at
    pixel centres. Each sub-sample row area takes the colour of the topmost
    layer covering it. Returns (rgb, alpha): per pixel summed colour * area
    and the covered area (0..1), rows top to bottom."""
    rgb = [[[0.0, 0.0, 0.0] for _ in range(w)] for _ in range(h)]
    alpha = [[0.0] * w for _ in range(h)]
    wt = 1.0 / SS
    for k in range(h * SS):
        py = k // SS
        cuts = set()
        row_layers = []
        for shape, col in layers:
            spans = [(max(0.0, a), min(float(w), b)) for a, b in shape.rows[k]]
            spans = [s for s in spans if s[1] > s[0]]
            row_layers.append((spans, col))
            for a, b in spans:
                cuts.add(a)
                cuts.add(b)
        if not cuts:
            continue
        cuts = sorted(cuts)
        for i in range(len(cuts) - 1):
            a, b = cuts[i], cuts[i + 1]
            if b <= a:
                continue
            m = (a + b) / 2.0
            top = None
            for spans, col in reversed(row_layers):
                for s0, s1 in spans:
                    if s0 <= m < s1:
                        top = col
                        break
                if top is not None:
                    break
            if top is None:
                continue
            px = int(a)
            while px < b and px < w:
                ov = min(b, px + 1) - max(a, px)
                if ov > 0:
                    c = top(px + 0.5, py + 0.5) if callable(top) else top
                    cell = rgb[py][px]
                    f = ov * wt
                    cell[0] += c[0] * f
                    cell[1] += c[1] * f
                    cell[2] += c[2] * f
                    alpha[py][px] += f
                px += 1
    return rgb, alpha


def flatten_onto(rgb, alpha, background, key=None, threshold=0.5):
    """Finish a composed picture: pixels with coverage below threshold become
    `key` (or are blended onto background when key is None); the others are
    opaque, their uncovered part blended with `background` (a colour or a
    function (x, y) -> colour). Returns rows of (r, g, b) ints."""
    h = len(rgb)
    w = len(rgb[0])
    out = []
    for y in range(h):
        row = []
        for x in range(w):
            a = min(1.0, alpha[y][x])
            bg = background(x + 0.5, y + 0.5) if callable(background) else background
            if key is not None and a < threshold:
                row.append(tuple(key))
                continue
            c = rgb[y][x]
            row.append(tuple(clamp(c[i] + (1.0 - a) * bg[i]) for i in range(3)))
        out.append(row)
    return out


def clamp(v):
    return max(0, min(255, int(round(v))))


def mix(c1, c2, t):
    return tuple(c1[i] + (c2[i] - c1[i]) * t for i in range(3))


def hexrgb(v):
    return ((v >> 16) & 255, (v >> 8) & 255, v & 255)


def write_bmp(path, pixels):
    """24-bit uncompressed Windows BMP (BITMAPINFOHEADER), rows top first in
    `pixels` (stored bottom-up as the format wants)."""
    h = len(pixels)
    w = len(pixels[0])
    stride = (w * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        body += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(path, "wb") as fh:
        fh.write(header + info + bytes(body))


def read_bmp(path):
    """Reads a 24-bit BMP written by write_bmp; rows top first."""
    with open(path, "rb") as fh:
        d = fh.read()
    off = struct.unpack("<I", d[10:14])[0]
    w, h = struct.unpack("<ii", d[18:26])
    bpp = struct.unpack("<H", d[28:30])[0]
    assert bpp == 24
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(abs(h)):
        p = off + y * stride
        rows.append([(d[p + 3 * x + 2], d[p + 3 * x + 1], d[p + 3 * x]) for x in range(w)])
    if h > 0:
        rows.reverse()
    return rows


def write_png(path, pixels, with_alpha=False):
    """PNG, 8 bits per channel, RGB or RGBA (pixels of 3 or 4 values)."""
    h = len(pixels)
    w = len(pixels[0])
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for px in row:
            raw += bytes(px[:4] if with_alpha else px[:3])

    def chunk(tag, data):
        c = struct.pack(">I", len(data)) + tag + data
        return c + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", w, h, 8, 6 if with_alpha else 2, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + \
        chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as fh:
        fh.write(png)
