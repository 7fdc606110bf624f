#!/usr/bin/env python3
"""Draws Quillmoor's pictures: the banner, the page side pictures, the tree images and the icon,
each at 100 %, 150 % and 200 % for screens of 96, 144 and 192 DPI.

Only the standard library is used, and no font: every shape, letters included, is drawn from
distance functions, so the same script gives the same bytes on every machine. The build uses the
committed files; run this script (python3 make_art.py [output folder]) after changing a picture.
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------------------------------------
# Colours

NAVY = (10, 38, 102)
BLUE = (18, 74, 160)
TEAL = (0, 138, 150)
AQUA = (70, 205, 205)
WHITE = (255, 255, 255)
MIST = (214, 240, 244)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


# ---------------------------------------------------------------------------------------------
# Canvas: floating-point RGB with an optional alpha channel, drawn into with anti-aliased
# signed-distance shapes (negative inside, positive outside, in pixels).


class Canvas:
    def __init__(self, width, height, colour=(0, 0, 0), alpha=1.0):
        self.w = width
        self.h = height
        self.px = [list(colour) for _ in range(width * height)]
        self.a = [alpha] * (width * height)

    def fill(self, sdf, colour, box=None, opacity=1.0, soft=1.0):
        """Blends colour (an RGB triple or a function of x and y) where sdf is negative.

        soft is the width in pixels of the edge ramp: 1 gives a crisp anti-aliased edge, larger
        values a blurred one (used for shadows and glows)."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        x0 = max(0, int(math.floor(x0)))
        y0 = max(0, int(math.floor(y0)))
        x1 = min(self.w, int(math.ceil(x1)))
        y1 = min(self.h, int(math.ceil(y1)))
        gradient = callable(colour)
        for y in range(y0, y1):
            cy = y + 0.5
            row = y * self.w
            for x in range(x0, x1):
                d = sdf(x + 0.5, cy)
                cover = clamp01(0.5 - d / soft) * opacity
                if cover <= 0.0:
                    continue
                c = colour(x + 0.5, cy) if gradient else colour
                p = self.px[row + x]
                a = self.a[row + x]
                # Porter-Duff "over" on straight (not premultiplied) colour.
                out = cover + a * (1.0 - cover)
                if out <= 0.0:
                    continue
                k = cover / out
                p[0] += (c[0] - p[0]) * k
                p[1] += (c[1] - p[1]) * k
                p[2] += (c[2] - p[2]) * k
                self.a[row + x] = out

    def rgb_rows(self):
        """Rows of 8-bit RGB triples, top row first."""
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                p = self.px[y * self.w + x]
                row.append(tuple(int(round(max(0.0, min(255.0, v)))) for v in p))
            rows.append(row)
        return rows

    def rgba_rows(self):
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                i = y * self.w + x
                p = self.px[i]
                rgb = tuple(int(round(max(0.0, min(255.0, v)))) for v in p)
                row.append(rgb + (int(round(clamp01(self.a[i]) * 255.0)),))
            rows.append(row)
        return rows


class Scaled:
    """A canvas seen in the coordinates of its 100 % size: a picture drawn through it at 150 % or
    200 % is the same drawing with every shape, and every blur, that much larger, while an edge
    stays one pixel wide and crisp."""

    def __init__(self, canvas, scale):
        self.canvas = canvas
        self.scale = scale
        self.w = canvas.w / scale
        self.h = canvas.h / scale

    def fill(self, sdf, colour, box=None, opacity=1.0, soft=1.0):
        s = self.scale
        shape = lambda x, y: sdf(x / s, y / s) * s
        paint = (lambda x, y: colour(x / s, y / s)) if callable(colour) else colour
        area = tuple(v * s for v in box) if box else None
        self.canvas.fill(shape, paint, area, opacity, soft * s if soft > 1.0 else soft)


# ---------------------------------------------------------------------------------------------
# Distance functions, in the coordinates they are given in


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2.0


def segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else clamp01(((x - ax) * dx + (y - ay) * dy) / length2)
    return math.hypot(x - ax - dx * t, y - ay - dy * t)


def capsule(ax, ay, bx, by, width):
    return lambda x, y: segment_distance(x, y, ax, ay, bx, by) - width / 2.0


def polyline(points, width):
    def sdf(x, y):
        return min(segment_distance(x, y, *points[i], *points[i + 1])
                   for i in range(len(points) - 1)) - width / 2.0
    return sdf


def round_box(cx, cy, hw, hh, r=0.0):
    def sdf(x, y):
        qx = abs(x - cx) - hw + r
        qy = abs(y - cy) - hh + r
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return sdf


def polygon(points):
    n = len(points)

    def sdf(x, y):
        d = float("inf")
        inside = False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            d = min(d, segment_distance(x, y, xi, yi, xj, yj))
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return -d if inside else d
    return sdf


def arc_distance(x, y, cx, cy, r, a0, a1):
    """Distance to the arc of centre (cx, cy) running counter-clockwise (y up) from a0 to a1 degrees."""
    dx, dy = x - cx, y - cy
    span = (a1 - a0) % 360.0 or 360.0
    t = (math.degrees(math.atan2(dy, dx)) - a0) % 360.0
    if t <= span:
        return abs(math.hypot(dx, dy) - r)
    e0 = (cx + r * math.cos(math.radians(a0)), cy + r * math.sin(math.radians(a0)))
    e1 = (cx + r * math.cos(math.radians(a1)), cy + r * math.sin(math.radians(a1)))
    return min(math.hypot(x - e0[0], y - e0[1]), math.hypot(x - e1[0], y - e1[1]))


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def intersect(*shapes):
    return lambda x, y: max(s(x, y) for s in shapes)


def subtract(shape, *holes):
    return lambda x, y: max(shape(x, y), -min(h(x, y) for h in holes))


def placed(shape, ox, oy, scale, angle=0.0):
    """Shape drawn in a local frame of unit size, centred at (ox, oy), scaled and turned by angle
    degrees (clockwise on screen)."""
    c = math.cos(math.radians(angle))
    s = math.sin(math.radians(angle))

    def sdf(x, y):
        dx, dy = x - ox, y - oy
        return shape((dx * c + dy * s) / scale, (-dx * s + dy * c) / scale) * scale
    return sdf


def star(cx, cy, outer, inner, points=5, turn=-90.0):
    corners = []
    for i in range(points * 2):
        r = outer if i % 2 == 0 else inner
        a = math.radians(turn + i * 180.0 / points)
        corners.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return polygon(corners)


def sparkle(cx, cy, r):
    """A four-pointed glint."""
    k = r * 0.22
    return polygon([(cx, cy - r), (cx + k, cy - k), (cx + r, cy), (cx + k, cy + k),
                    (cx, cy + r), (cx - k, cy + k), (cx - r, cy), (cx - k, cy - k)])


# ---------------------------------------------------------------------------------------------
# Letters: a rounded monoline alphabet drawn from strokes. Coordinates have the baseline at 0,
# the cap height at 1 and y pointing up; each letter is (advance, strokes).

XH = 0.70  # x-height
BOWL = XH / 2.0

GLYPHS = {
    " ": (0.34, []),
    "Q": (1.0, [("circle", 0.5, 0.5, 0.5), ("line", 0.66, 0.22, 1.0, -0.08)]),
    "K": (0.58, [("line", 0, 0, 0, 1), ("line", 0.58, 1, 0.05, 0.45), ("line", 0.2, 0.6, 0.6, 0)]),
    "u": (0.6, [("line", 0, XH, 0, 0.3), ("arc", 0.3, 0.3, 0.3, 180, 360), ("line", 0.6, XH, 0.6, 0)]),
    "i": (0.0, [("line", 0, 0, 0, XH), ("dot", 0, 0.97)]),
    "l": (0.0, [("line", 0, 0, 0, 1.02)]),
    "m": (0.96, [("line", 0, 0, 0, XH), ("arc", 0.24, 0.46, 0.24, 0, 180), ("line", 0.48, 0.46, 0.48, 0),
                 ("arc", 0.72, 0.46, 0.24, 0, 180), ("line", 0.96, 0.46, 0.96, 0)]),
    "o": (XH, [("circle", BOWL, BOWL, BOWL)]),
    "r": (0.36, [("line", 0, 0, 0, XH), ("arc", 0.34, 0.36, 0.34, 70, 180)]),
    "e": (XH, [("line", 0.0, BOWL, XH, BOWL), ("arc", BOWL, BOWL, BOWL, 0, 318)]),
    "p": (XH, [("line", 0, XH, 0, -0.3), ("circle", BOWL, BOWL, BOWL)]),
    "d": (XH, [("circle", BOWL, BOWL, BOWL), ("line", XH, 0, XH, 1.02)]),
    "a": (XH, [("circle", BOWL, BOWL, BOWL), ("line", XH, XH, XH, 0)]),
    "c": (0.62, [("arc", BOWL, BOWL, BOWL, 42, 318)]),
    "s": (0.5, [("arc", 0.25, 0.525, 0.175, 28, 270), ("arc", 0.25, 0.175, 0.175, -150, 90)]),
    "y": (0.62, [("line", 0, XH, 0.31, 0.02), ("line", 0.62, XH, 0.14, -0.3)]),
    "k": (0.5, [("line", 0, 0, 0, 1.02), ("line", 0.48, XH, 0.02, 0.27), ("line", 0.16, 0.4, 0.52, 0)]),
    "n": (0.6, [("line", 0, 0, 0, XH), ("arc", 0.3, 0.4, 0.3, 0, 180), ("line", 0.6, 0.4, 0.6, 0)]),
}


def glyph_distance(strokes, x, y, weight):
    d = float("inf")
    for s in strokes:
        kind = s[0]
        if kind == "line":
            d = min(d, segment_distance(x, y, s[1], s[2], s[3], s[4]))
        elif kind == "circle":
            d = min(d, abs(math.hypot(x - s[1], y - s[2]) - s[3]))
        elif kind == "arc":
            d = min(d, arc_distance(x, y, s[1], s[2], s[3], s[4], s[5]))
        elif kind == "dot":
            d = min(d, max(0.0, math.hypot(x - s[1], y - s[2]) - weight * 0.2))
    return d - weight / 2.0


def text_width(text, cap, weight, tracking):
    total = 0.0
    for i, ch in enumerate(text):
        total += GLYPHS[ch][0]
        if i + 1 < len(text):
            total += weight + tracking
    return (total + weight) * cap


def draw_text(canvas, text, left, baseline, cap, weight, colour, tracking=0.16, opacity=1.0,
              soft=1.0, grow=0.0):
    """Draws text with its left ink edge at left and its baseline at baseline (pixels). cap is
    the cap height in pixels, weight the stroke width as a fraction of it."""
    x = left / cap + weight / 2.0
    for ch in text:
        advance, strokes = GLYPHS[ch]
        if strokes:
            gx = x

            def sdf(px, py, strokes=strokes, gx=gx):
                return glyph_distance(strokes, px / cap - gx, (baseline - py) / cap, weight) * cap - grow

            pad = weight * cap + soft * 2 + grow + 2
            box = (gx * cap - pad, baseline - 1.05 * cap - pad, (gx + advance) * cap + pad,
                   baseline + 0.32 * cap + pad)
            canvas.fill(sdf, colour, box, opacity, soft)
        x += advance + weight + tracking


# ---------------------------------------------------------------------------------------------
# Emblems, in a unit frame centred at (0, 0) with y down; each returns a list of
# (shape, colour) layers so that a caller can place and scale it.


def lens(a, b, bulge_pos, bulge_neg):
    """The region between two circle arcs through (a, 0) and (b, 0) that bulge by the given
    amounts towards +y and -y."""
    half = (b - a) / 2.0
    mid = (a + b) / 2.0
    r1 = (half * half + bulge_pos * bulge_pos) / (2.0 * bulge_pos)
    r2 = (half * half + bulge_neg * bulge_neg) / (2.0 * bulge_neg)
    # The disc whose far edge bulges to +y has its centre on the -y side, and the other way round.
    return intersect(circle(mid, bulge_pos - r1, r1), circle(mid, -(bulge_neg - r2), r2))


def quill_shape(detail=True):
    """A quill feather lying along +x, tip of the nib at x = -0.5, in a unit frame."""
    vane = lens(-0.24, 0.56, 0.2, 0.13)
    cuts = []
    if detail:
        # The shaft splits the vane, and two notches show where barbs have parted.
        cuts.append(capsule(-0.2, 0.012, 0.44, 0.012, 0.032))
        cuts.append(capsule(0.0, 0.09, 0.09, 0.32, 0.038))
        cuts.append(capsule(0.26, -0.055, 0.33, -0.24, 0.038))
    body = subtract(vane, *cuts) if cuts else vane
    nib = polygon([(-0.5, 0.0), (-0.18, 0.032), (-0.12, 0.012), (-0.18, -0.02)])
    return union(body, nib)


def emblem_quill(detail=True):
    return [(placed(quill_shape(detail), 0.0, 0.0, 1.05, -45.0), WHITE)]


def emblem_folder():
    back = union(round_box(0.0, 0.02, 0.42, 0.28, 0.05), round_box(-0.26, -0.25, 0.16, 0.08, 0.05))
    front = polygon([(-0.42, -0.1), (0.44, -0.1), (0.40, 0.30), (-0.42, 0.30)])
    front = intersect(front, round_box(0.0, 0.10, 0.44, 0.20, 0.05))
    return [(back, MIST), (front, WHITE)]


def emblem_document_star():
    page = polygon([(-0.3, -0.42), (0.14, -0.42), (0.3, -0.26), (0.3, 0.42), (-0.3, 0.42)])
    page = intersect(page, round_box(0.0, 0.0, 0.3, 0.42, 0.04))
    fold = polygon([(0.14, -0.42), (0.14, -0.26), (0.3, -0.26)])
    lines = union(capsule(-0.17, 0.22, 0.17, 0.22, 0.05), capsule(-0.17, 0.31, 0.08, 0.31, 0.05))
    return [(page, WHITE), (fold, (180, 214, 226)), (star(0.0, -0.04, 0.2, 0.085), TEAL),
            (lines, (150, 196, 212))]


def emblem_gear():
    teeth = 8

    def gear(x, y):
        a = math.atan2(y, x)
        step = 2.0 * math.pi / teeth
        k = round(a / step) * step
        rx = x * math.cos(k) + y * math.sin(k)
        ry = -x * math.sin(k) + y * math.cos(k)
        tooth = round_box(0.36, 0.0, 0.1, 0.085, 0.03)(rx, ry)
        return min(math.hypot(x, y) - 0.31, tooth)
    body = subtract(gear, circle(0.0, 0.0, 0.13))
    return [(body, WHITE)]


def emblem_magnifier():
    lens_ring = ring(-0.08, -0.08, 0.24, 0.09)
    handle = capsule(0.12, 0.12, 0.36, 0.36, 0.13)
    glass = circle(-0.08, -0.08, 0.2)
    glint = lambda x, y: arc_distance(x, -y, -0.08, 0.08, 0.14, 100, 160) - 0.025
    return [(glass, (255, 255, 255, 0.22)), (union(lens_ring, handle), WHITE), (glint, WHITE)]


def emblem_checklist():
    card = round_box(0.0, 0.0, 0.32, 0.4, 0.06)
    layers = [(card, WHITE)]
    for i, y in enumerate((-0.2, 0.0, 0.2)):
        tick = polyline([(-0.22, y), (-0.16, y + 0.06), (-0.06, y - 0.06)], 0.05)
        layers.append((tick, TEAL))
        layers.append((capsule(0.02, y, 0.2 - 0.06 * (i % 2), y, 0.05), (150, 196, 212)))
    return layers


def emblem_broom():
    def broom(x, y):
        return min(capsule(0.0, -0.5, 0.0, 0.02, 0.075)(x, y),
                   round_box(0.0, 0.06, 0.11, 0.045, 0.02)(x, y),
                   bristles(x, y))
    fan = polygon([(-0.1, 0.1), (0.1, 0.1), (0.22, 0.44), (-0.22, 0.44)])
    fan = intersect(fan, circle(0.0, -0.3, 0.76))
    gaps = [capsule(t * 0.04, 0.14, t * 0.12, 0.5, 0.022) for t in (-1.2, 0.0, 1.2)]
    bristles = subtract(fan, *gaps)
    shape = placed(broom, 0.02, 0.0, 1.0, 28.0)
    glints = union(sparkle(0.3, 0.3, 0.085), sparkle(0.16, 0.44, 0.05), sparkle(-0.34, 0.02, 0.06))
    return [(shape, WHITE), (glints, MIST)]


def emblem_done():
    disc = circle(0.0, 0.0, 0.36)
    tick = polyline([(-0.17, 0.01), (-0.05, 0.13), (0.18, -0.12)], 0.09)
    return [(ring(0.0, 0.0, 0.44, 0.03), (255, 255, 255, 0.45)), (disc, WHITE), (tick, TEAL)]


def draw_emblem(canvas, layers, cx, cy, size):
    for shape, colour in layers:
        opacity = 1.0
        if len(colour) == 4:
            opacity = colour[3]
            colour = colour[:3]
        sdf = placed(shape, cx, cy, size)
        box = (cx - size * 0.6, cy - size * 0.6, cx + size * 0.6, cy + size * 0.6)
        canvas.fill(sdf, colour, box, opacity)


def emblem_shadow(canvas, layers, cx, cy, size, blur):
    shape = union(*[s for s, _ in layers])
    sdf = placed(shape, cx, cy + blur * 0.5, size)
    box = (cx - size * 0.6 - blur, cy - size * 0.6 - blur, cx + size * 0.6 + blur, cy + size * 0.6 + 2 * blur)
    canvas.fill(sdf, (0, 20, 50), box, 0.28, blur)


# ---------------------------------------------------------------------------------------------
# The pictures


def backdrop(canvas):
    """The side pictures' deep blue to teal background with soft light shapes for depth."""
    w, h = canvas.w, canvas.h
    colour = lambda x, y: mix(mix(NAVY, BLUE, y / (h * 0.5)), TEAL, (y - h * 0.45) / (h * 0.6) + x / w * 0.1)
    canvas.fill(lambda x, y: -1.0, colour)
    # Large faint discs, as light falling through.
    for cx, cy, r, opacity in [(w * 1.1, -h * 0.05, w * 0.9, 0.06), (-w * 0.3, h * 0.95, w * 0.9, 0.05),
                               (w * 0.9, h * 1.05, w * 0.45, 0.05)]:
        canvas.fill(circle(cx, cy, r), WHITE, None, opacity, 2.0)


def smoothstep(e0, e1, x):
    t = clamp01((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


# The banner's outermost columns are all of this one colour, so that a frame wider than the
# picture can fill the strips beside it seamlessly.
BANNER_EDGE = (10, 38, 102)


def banner(scale=1.0, width=750, height=100):
    image = Canvas(round(width * scale), round(height * scale))
    canvas = Scaled(image, scale)
    # Deep blue at both ends, brightening to teal towards the right of the middle.
    peak = width * 0.7

    def light(x):
        return smoothstep(0.0, peak, x) if x < peak else 1.0 - smoothstep(peak, width, x)

    colour = lambda x, y: mix(BANNER_EDGE, mix(BLUE, TEAL, light(x) * 1.1 - 0.1 + y / height * 0.15),
                              light(x) * 1.6)
    canvas.fill(lambda x, y: -1.0, colour)
    for cx, cy, r, opacity in [(width * 0.72, -height * 1.6, height * 2.3, 0.05),
                               (width * 0.86, height * 1.45, height * 1.1, 0.05),
                               (width * 0.3, height * 2.9, height * 2.2, 0.04)]:
        canvas.fill(circle(cx, cy, r), WHITE, None, opacity, 2.0)
    # A large faint quill behind the right-hand side.
    watermark = placed(quill_shape(True), width - 150, height * 0.55, 230.0, -40.0)
    canvas.fill(watermark, WHITE, (width - 330, 0, width, height), 0.07)
    # The emblem: a quill in a light disc.
    cx, cy = 82.0, height / 2.0
    canvas.fill(circle(cx, cy + 2, 34), (0, 20, 50), (cx - 50, 0, cx + 50, height), 0.25, 6.0)
    canvas.fill(circle(cx, cy, 34), WHITE, (cx - 40, cy - 40, cx + 40, cy + 40), 0.16)
    canvas.fill(ring(cx, cy, 34, 1.5), WHITE, (cx - 40, cy - 40, cx + 40, cy + 40), 0.45)
    layers = emblem_quill()
    emblem_shadow(canvas, layers, cx, cy, 58, 3.0)
    draw_emblem(canvas, layers, cx, cy, 58)
    # The name and the tagline.
    left = 136.0
    draw_text(canvas, "Quillmoor", left + 1, 58 + 2, 38, 0.15, (0, 20, 50), opacity=0.3, soft=3.0)
    draw_text(canvas, "Keeps your disk clean", left + 2, 82, 12, 0.15, MIST, tracking=0.3)
    draw_text(canvas, "Quillmoor", left, 58, 38, 0.15, WHITE)
    # A fine light rule along the bottom edge, fading out towards both ends.
    rule = lambda x, y: abs(y - (height - 1.0)) - 1.0
    canvas.fill(rule, AQUA, (0, height - 3, width, height), 0.6)
    # Both ends melt into the edge colour.
    fade = 40.0 * scale
    for y in range(image.h):
        for x in range(image.w):
            w = smoothstep(0.0, fade, min(x + 0.5, image.w - x - 0.5))
            p = image.px[y * image.w + x]
            image.px[y * image.w + x] = list(mix(BANNER_EDGE, p, w))
    return image


SIDE_EMBLEMS = {
    "results": emblem_done,
    "welcome": emblem_quill,
    "folders": emblem_folder,
    "patterns": emblem_document_star,
    "options": emblem_gear,
    "scanning": emblem_magnifier,
    "report": emblem_checklist,
    "cleaning": emblem_broom,
}


def side_picture(role, scale=1.0, width=150, height=210):
    image = Canvas(round(width * scale), round(height * scale))
    canvas = Scaled(image, scale)
    backdrop(canvas)
    cx, cy = width / 2.0, 84.0
    r = 50.0
    box = (cx - r - 12, cy - r - 12, cx + r + 12, cy + r + 16)
    canvas.fill(circle(cx, cy + 3, r), (0, 20, 50), box, 0.22, 7.0)
    canvas.fill(circle(cx, cy, r), WHITE, box, 0.14)
    canvas.fill(ring(cx, cy, r, 1.5), WHITE, box, 0.4)
    layers = SIDE_EMBLEMS[role]()
    size = 82.0 if role != "welcome" else 92.0
    emblem_shadow(canvas, layers, cx, cy, size, 4.0)
    draw_emblem(canvas, layers, cx, cy, size)
    # The word mark at the foot, under a fine rule.
    canvas.fill(capsule(30, 160, width - 30, 160, 1.0), WHITE, (20, 155, width - 20, 165), 0.35)
    cap = 13.0
    weight = 0.16
    tw = text_width("Quillmoor", cap, weight, 0.16)
    draw_text(canvas, "Quillmoor", (width - tw) / 2.0, 186, cap, weight, WHITE)
    return image


def icon(size):
    canvas = Canvas(size, size, (0, 0, 0), 0.0)
    s = float(size)
    margin = 0.0 if size <= 16 else s / 32.0
    radius = s * 0.22
    square = round_box(s / 2, s / 2, s / 2 - margin, s / 2 - margin, radius)
    colour = lambda x, y: mix(BLUE, TEAL, (x + y) / (2 * s) * 1.3 - 0.1)
    canvas.fill(square, colour)
    # A light top edge gives the tile some depth.
    canvas.fill(intersect(square, circle(s * 0.5, -s * 0.9, s * 1.25)), WHITE, None, 0.12)
    quill = placed(quill_shape(size >= 32), s * 0.5, s * 0.5, s * 0.98, -45.0)
    if size >= 32:
        canvas.fill(placed(quill_shape(True), s * 0.5, s * 0.53, s * 0.98, -45.0), (0, 20, 50), None, 0.3,
                    s / 24.0)
    canvas.fill(quill, WHITE)
    return canvas


# ---------------------------------------------------------------------------------------------
# Small tree images, drawn pixel by pixel: white is the transparent colour.

PALETTE = {
    ".": (255, 255, 255),
    "k": (64, 64, 64),       # outline
    "o": (150, 106, 20),     # folder outline
    "y": (248, 204, 84),     # folder
    "Y": (255, 226, 130),    # folder, lit
    "d": (214, 162, 46),     # folder, shaded
    "g": (112, 120, 130),    # drive outline
    "s": (196, 202, 210),    # drive body
    "S": (228, 232, 238),    # drive top
    "t": (150, 158, 168),    # drive shade
    "l": (40, 200, 90),      # activity light
    "b": (88, 104, 124),     # check box border
    "w": (252, 252, 252),    # check box inside (not pure white, which is transparent)
    "G": (150, 150, 150),    # grey tick
    "K": (20, 20, 20),       # black tick
}

FOLDER_CLOSED = [
    "................",
    "................",
    "................",
    ".ooooo..........",
    "oYYYYYo.........",
    "oYYYYYYoooooooo.",
    "oYYYYYYYYYYYYYo.",
    "oyyyyyyyyyyyyyo.",
    "oyyyyyyyyyyyyyo.",
    "oyyyyyyyyyyyyyo.",
    "oyyyyyyyyyyyyyo.",
    "oyyyyyyyyyyyyyo.",
    "odddddddddddddo.",
    ".ooooooooooooo..",
    "................",
    "................",
]

FOLDER_OPEN = [
    "................",
    "................",
    "................",
    ".ooooo..........",
    "oyyyyyo.........",
    "oyyyyyyoooooo...",
    "oyyyyyyyyyyyyo..",
    "oyoooooooooooooo",
    "oyoYYYYYYYYYYYo.",
    "ooYYYYYYYYYYYdo.",
    "ooYYYYYYYYYYYo..",
    "oYYYYYYYYYYYdo..",
    "oYYYYYYYYYYYo...",
    ".oooooooooooo...",
    "................",
    "................",
]

DRIVE = [
    "................",
    "................",
    "................",
    "................",
    "...gggggggggg...",
    "..gSSSSSSSSSSg..",
    ".gSSSSSSSSSSSSg.",
    "gggggggggggggggg",
    "gssssssssssssssg",
    "gssssssssssslssg",
    "gssssssssssssssg",
    "gttttttttttttttg",
    ".gggggggggggggg.",
    "................",
    "................",
    "................",
]

BOX = [
    "bbbbbbbbbbbbb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bbbbbbbbbbbbb",
]

TICK = [  # drawn over the box; spaces keep the box
    "             ",
    "             ",
    "             ",
    "         x   ",
    "        xx   ",
    "   x   xxx   ",
    "   xx xxx    ",
    "   xxxxx     ",
    "    xxx      ",
    "     x       ",
    "             ",
    "             ",
    "             ",
]


def ticked(mark):
    return ["".join(mark if t == "x" else b for b, t in zip(brow, trow)) for brow, trow in zip(BOX, TICK)]


def strip(images):
    height = len(images[0])
    return [[PALETTE[c] for image in images for c in image[y]] for y in range(height)]


# The larger tree images are drawn from shapes rather than enlarged pixel by pixel, which would
# give blocky or uneven edges at 150 %. The shapes follow the 16 and 13 pixel drawings above, in
# their coordinates; white stays the transparent colour, so an anti-aliased edge blends towards it.


def outlined(canvas, shape, outline, inside, ox):
    """shape in a cell whose left edge is at ox: an outline one 100 % pixel wide around a body."""
    moved = lambda x, y: shape(x - ox, y)
    canvas.fill(moved, PALETTE[outline])
    canvas.fill(lambda x, y: moved(x, y) + 1.0, inside if callable(inside) else PALETTE[inside])


def drawn_tree_images(scale):
    cell = 16
    image = Canvas(round(3 * cell * scale), round(cell * scale), WHITE)
    canvas = Scaled(image, scale)
    lit, body, shade = PALETTE["Y"], PALETTE["y"], PALETTE["d"]
    tab = round_box(3.5, 4.6, 3.2, 1.8, 0.9)
    back = round_box(7.5, 9.4, 7.2, 4.4, 0.9)
    # Closed folder: tab and body, lit along the top and shaded along the bottom.
    closed = lambda x, y: lit if y < 7.2 else shade if y > 12.2 else body
    outlined(canvas, union(tab, back), "o", closed, 0.0)
    # Open folder: the back of the folder and a lit front leaning towards the right.
    outlined(canvas, union(tab, back), "o", "y", cell)
    front = polygon([(2.6, 7.6), (15.6, 7.6), (13.0, 13.6), (0.4, 13.6)])
    outlined(canvas, front, "o", lambda x, y: lit if y < 11.8 else shade, cell)
    # Drive: a light top face over a body with an activity light.
    ox = 2 * cell
    outlined(canvas, polygon([(3.4, 4.4), (12.6, 4.4), (15.6, 7.8), (0.4, 7.8)]), "g", "S", ox)
    outlined(canvas, round_box(8.0, 9.9, 7.6, 2.9, 0.8), "g",
             lambda x, y: PALETTE["t"] if y > 11.0 else PALETTE["s"], ox)
    canvas.fill(circle(ox + 12.4, 9.6, 0.8), PALETTE["l"])
    return image.rgb_rows()


def drawn_tree_states(scale):
    # An image list cuts the strip into square cells of whole pixels: 13 px at 150 % is 20, not
    # 19.5, and the drawing is scaled to fill that.
    cell = 13
    pixels = round(cell * scale)
    image = Canvas(4 * pixels, pixels, WHITE)
    canvas = Scaled(image, pixels / cell)
    for index, mark in ((1, None), (2, "G"), (3, "K")):
        ox = index * cell
        outlined(canvas, round_box(6.5, 6.5, 6.5, 6.5, 0.6), "b", "w", ox)
        if mark:
            tick = polyline([(ox + 3.6, 6.2), (ox + 5.6, 8.6), (ox + 9.6, 3.8)], 1.8)
            canvas.fill(tick, PALETTE[mark])
    return image.rgb_rows()


# ---------------------------------------------------------------------------------------------
# File formats


def write_bmp24(path, rows):
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def write_ico(path, canvases):
    images = []
    for canvas in canvases:
        rows = canvas.rgba_rows()
        size = canvas.w
        xor = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x, (_, _, _, a) in enumerate(row):
                if a < 128:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((size, info + xor + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


SIDE_FILES = [
    ("results", "side_results.bmp"),
    ("welcome", "side_welcome.bmp"),
    ("folders", "side_folders.bmp"),
    ("patterns", "side_patterns.bmp"),
    ("options", "side_options.bmp"),
    ("scanning", "side_scanning.bmp"),
    ("report", "side_report.bmp"),
    ("cleaning", "side_cleaning.bmp"),
]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out, exist_ok=True)
    # The strips are 24-bit too: an image list loaded as a DIB section takes the bitmap's colour
    # depth, and an 8-bit list would map the colours onto a stock palette.
    write_bmp24(os.path.join(out, "tree_images.bmp"), strip([FOLDER_CLOSED, FOLDER_OPEN, DRIVE]))
    blank = ["." * 13] * 13
    write_bmp24(os.path.join(out, "tree_states.bmp"), strip([blank, BOX, ticked("G"), ticked("K")]))
    write_bmp24(os.path.join(out, "banner.bmp"), banner().rgb_rows())
    for role, name in SIDE_FILES:
        write_bmp24(os.path.join(out, name), side_picture(role).rgb_rows())
    # The larger sizes, for screens at 150 % and 200 %: the same names with "_150" and "_200".
    for scale, suffix in ((1.5, "_150"), (2.0, "_200")):
        write_bmp24(os.path.join(out, "tree_images" + suffix + ".bmp"), drawn_tree_images(scale))
        write_bmp24(os.path.join(out, "tree_states" + suffix + ".bmp"), drawn_tree_states(scale))
        write_bmp24(os.path.join(out, "banner" + suffix + ".bmp"), banner(scale).rgb_rows())
        for role, name in SIDE_FILES:
            write_bmp24(os.path.join(out, name.replace(".bmp", suffix + ".bmp")),
                        side_picture(role, scale).rgb_rows())
    # Small and large icons at 100 %, 150 % and 200 %.
    write_ico(os.path.join(out, "quillmoor.ico"), [icon(size) for size in (16, 24, 32, 48, 64)])


if __name__ == "__main__":
    main()
