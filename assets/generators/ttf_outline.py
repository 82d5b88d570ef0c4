"""A small reader of TrueType fonts (glyf outlines), standard library only.

Gives the outlines of glyphs by character, the units per em, and the
vertical metrics (hhea, OS/2) and advance widths, enough to draw glyphs
with raster.py and to check the metrics of the generated chess font.
"""
import struct


class Font:
    def __init__(self, path):
        with open(path, "rb") as fh:
            self.data = fh.read()
        d = self.data
        num_tables = struct.unpack(">H", d[4:6])[0]
        self.tables = {}
        for i in range(num_tables):
            tag, _check, off, length = struct.unpack(">4sIII", d[12 + 16 * i:28 + 16 * i])
            self.tables[tag.decode("latin-1")] = (off, length)
        head = self.table("head")
        self.units_per_em = struct.unpack(">H", head[18:20])[0]
        self.bbox = struct.unpack(">hhhh", head[36:44])
        self.loca_long = struct.unpack(">h", head[50:52])[0] == 1
        self.num_glyphs = struct.unpack(">H", self.table("maxp")[4:6])[0]
        hhea = self.table("hhea")
        self.hhea_ascender, self.hhea_descender, self.hhea_line_gap = struct.unpack(">hhh", hhea[4:10])
        self.num_hmetrics = struct.unpack(">H", hhea[34:36])[0]
        if "OS/2" in self.tables:
            os2 = self.table("OS/2")
            (self.typo_ascender, self.typo_descender, self.typo_line_gap,
             self.win_ascent, self.win_descent) = struct.unpack(">hhhHH", os2[68:78])
            self.fs_type = struct.unpack(">H", os2[8:10])[0]
        self._read_cmap()
        self._read_loca()

    def table(self, tag):
        off, length = self.tables[tag]
        return self.data[off:off + length]

    def _read_cmap(self):
        cmap = self.table("cmap")
        n = struct.unpack(">H", cmap[2:4])[0]
        best = None
        for i in range(n):
            pid, eid, off = struct.unpack(">HHI", cmap[4 + 8 * i:12 + 8 * i])
            fmt = struct.unpack(">H", cmap[off:off + 2])[0]
            if fmt == 4 and (pid, eid) in ((3, 1), (0, 3), (0, 4), (0, 1), (3, 0)):
                if best is None or (pid, eid) == (3, 1):
                    best = off
        self.cmap = {}
        if best is None:
            return
        t = cmap[best:]
        segx2 = struct.unpack(">H", t[6:8])[0]
        seg = segx2 // 2
        ends = struct.unpack(">%dH" % seg, t[14:14 + segx2])
        starts = struct.unpack(">%dH" % seg, t[16 + segx2:16 + 2 * segx2])
        deltas = struct.unpack(">%dh" % seg, t[16 + 2 * segx2:16 + 3 * segx2])
        ro_pos = 16 + 3 * segx2
        ranges = struct.unpack(">%dH" % seg, t[ro_pos:ro_pos + segx2])
        for i in range(seg):
            for c in range(starts[i], ends[i] + 1):
                if c == 0xFFFF:
                    continue
                if ranges[i] == 0:
                    g = (c + deltas[i]) & 0xFFFF
                else:
                    p = ro_pos + 2 * i + ranges[i] + 2 * (c - starts[i])
                    g = struct.unpack(">H", t[p:p + 2])[0]
                    if g:
                        g = (g + deltas[i]) & 0xFFFF
                if g:
                    self.cmap[c] = g

    def _read_loca(self):
        loca = self.table("loca")
        n = self.num_glyphs + 1
        if self.loca_long:
            self.loca = struct.unpack(">%dI" % n, loca[:4 * n])
        else:
            self.loca = [2 * v for v in struct.unpack(">%dH" % n, loca[:2 * n])]

    def advance(self, ch):
        g = self.cmap[ord(ch)]
        hmtx = self.table("hmtx")
        i = min(g, self.num_hmetrics - 1)
        return struct.unpack(">H", hmtx[4 * i:4 * i + 2])[0]

    def glyph_id(self, ch):
        return self.cmap.get(ord(ch) if isinstance(ch, str) else ch)

    def contours(self, ch):
        """The outline of a character: a list of contours, each a list of
        (x, y, on_curve) in font units, y up."""
        gid = self.glyph_id(ch)
        if gid is None:
            raise KeyError("no glyph for %r" % (ch,))
        return self._glyph(gid)

    def _glyph(self, gid):
        glyf_off = self.tables["glyf"][0]
        start, end = self.loca[gid], self.loca[gid + 1]
        if start == end:
            return []
        d = self.data
        p = glyf_off + start
        ncont = struct.unpack(">h", d[p:p + 2])[0]
        p += 10
        if ncont >= 0:
            ends = struct.unpack(">%dH" % ncont, d[p:p + 2 * ncont])
            p += 2 * ncont
            ilen = struct.unpack(">H", d[p:p + 2])[0]
            p += 2 + ilen
            npts = ends[-1] + 1 if ncont else 0
            flags = []
            while len(flags) < npts:
                f = d[p]
                p += 1
                flags.append(f)
                if f & 8:
                    r = d[p]
                    p += 1
                    flags.extend([f] * r)
            xs, p = _coordinates(d, p, flags, 2, 16)
            ys, p = _coordinates(d, p, flags, 4, 32)
            out = []
            s = 0
            for e in ends:
                out.append([(xs[i], ys[i], bool(flags[i] & 1)) for i in range(s, e + 1)])
                s = e + 1
            return out
        # composite glyph: components with offsets and simple scales
        out = []
        while True:
            flags, comp = struct.unpack(">HH", d[p:p + 4])
            p += 4
            if flags & 1:
                a1, a2 = struct.unpack(">hh", d[p:p + 4])
                p += 4
            else:
                a1, a2 = struct.unpack(">bb", d[p:p + 2])
                p += 2
            xx, xy, yx, yy = 1.0, 0.0, 0.0, 1.0
            if flags & 8:
                xx = yy = struct.unpack(">h", d[p:p + 2])[0] / 16384.0
                p += 2
            elif flags & 0x40:
                xx, yy = [v / 16384.0 for v in struct.unpack(">hh", d[p:p + 4])]
                p += 4
            elif flags & 0x80:
                xx, xy, yx, yy = [v / 16384.0 for v in struct.unpack(">hhhh", d[p:p + 8])]
                p += 8
            dx, dy = (a1, a2) if flags & 2 else (0, 0)
            for c in self._glyph(comp):
                out.append([(xx * x + yx * y + dx, xy * x + yy * y + dy, on) for (x, y, on) in c])
            if not flags & 0x20:
                break
        return out



def _coordinates(d, p, flags, short_bit, same_bit):
    """One axis of a simple glyph's points from offset `p`: a byte with its
    sign in `same_bit` when `short_bit` is set, else a 16-bit delta unless
    `same_bit` repeats the last value. Returns the values and the new offset."""
    values, v = [], 0
    for f in flags:
        if f & short_bit:
            delta = d[p]
            p += 1
            v += delta if f & same_bit else -delta
        elif not f & same_bit:
            v += struct.unpack(">h", d[p:p + 2])[0]
            p += 2
        values.append(v)
    return values, p

def flatten(contours, steps=8):
    """Quadratic TrueType contours -> polygons (lists of (x, y)), font units."""
    polys = []
    for c in contours:
        if not c:
            continue
        n = len(c)
        # start at an on-curve point (or the midpoint of two off points)
        start = None
        for i in range(n):
            if c[i][2]:
                start = i
                break
        if start is None:
            a, b = c[0], c[1]
            pts = [((a[0] + b[0]) / 2.0, (a[1] + b[1]) / 2.0, True)] + c[1:] + c[:1]
        else:
            pts = c[start:] + c[:start]
        pts = pts + [pts[0]]
        out = [(pts[0][0], pts[0][1])]
        cur = (pts[0][0], pts[0][1])
        ctrl = None
        for x, y, on in pts[1:]:
            if on:
                if ctrl is None:
                    out.append((x, y))
                else:
                    out.extend(_quad(cur, ctrl, (x, y), steps))
                    ctrl = None
                cur = (x, y)
            else:
                if ctrl is not None:
                    mid = ((ctrl[0] + x) / 2.0, (ctrl[1] + y) / 2.0)
                    out.extend(_quad(cur, ctrl, mid, steps))
                    cur = mid
                ctrl = (x, y)
        if ctrl is not None:
            out.extend(_quad(cur, ctrl, out[0], steps))
        polys.append(out)
    return polys


def _quad(p0, p1, p2, steps):
    res = []
    for i in range(1, steps + 1):
        t = i / float(steps)
        u = 1 - t
        res.append((u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
                    u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]))
    return res


def poly_bbox(polys):
    xs = [x for p in polys for (x, _y) in p]
    ys = [y for p in polys for (_x, y) in p]
    return min(xs), min(ys), max(xs), max(ys)


def outer(polys):
    """The contour with the largest bounding box: the outline of a piece."""
    best = None
    for p in polys:
        x0, y0, x1, y1 = poly_bbox([p])
        a = (x1 - x0) * (y1 - y0)
        if best is None or a > best[0]:
            best = (a, p)
    return [best[1]]
