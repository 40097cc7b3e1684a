#!/usr/bin/python3
"""Draw the client's artwork into resources/art/.

All images are procedural so they can be regenerated and restyled without
hand-editing binaries. Needs Debian's python3-pil and fonts-wqy-microhei:

    /usr/bin/python3 tools/gen_art.py [output-dir]

Output is deterministic: seeded randomness only, no timestamps.
"""
import math
import os
import random
import re
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "resources", "art")
SS = 4  # supersampling factor for anti-aliased shapes

FONT_CANDIDATES = [
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "/usr/share/fonts/wqy-microhei/wqy-microhei.ttc",
]

# Palette: midnight surfaces, warm gold trim, parchment text.
NIGHT = (8, 12, 28)
NAVY_D = (14, 20, 42)
NAVY = (24, 34, 66)
SLATE = (40, 56, 98)
SLATE_L = (66, 86, 140)
GOLD_D = (132, 98, 46)
GOLD = (206, 166, 90)
GOLD_L = (246, 222, 156)
GOLD_W = (255, 242, 206)
TEXT = (236, 232, 220)
TEXT_HI = (255, 238, 190)
RED = (196, 52, 44)
RED_D = (132, 26, 22)


# --------------------------------------------------------------------------
# low-level helpers

def rgba(c, a=None):
    if len(c) == 4 and a is None:
        return tuple(c)
    return (c[0], c[1], c[2], 255 if a is None else a)


def mix(c1, c2, t):
    c1, c2 = rgba(c1), rgba(c2)
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))


def _at(stops, t):
    if t <= stops[0][0]:
        return rgba(stops[0][1])
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, 0 if p1 == p0 else (t - p0) / (p1 - p0))
    return rgba(stops[-1][1])


def vgrad(w, h, stops):
    """Vertical gradient; stops are (fraction, colour)."""
    col = Image.new("RGBA", (1, h))
    px = col.load()
    for y in range(h):
        px[0, y] = _at(stops, (y + 0.5) / h)
    return col.resize((w, h), Image.NEAREST)


def hgrad(w, h, stops):
    return vgrad(h, w, stops).transpose(Image.TRANSPOSE)


def solid(size, c):
    return Image.new("RGBA", size, rgba(c))


class _T:
    """Maps 1x edge coordinates onto a supersampled canvas."""

    def __init__(self, s, ox, oy):
        self.s, self.ox, self.oy = s, ox, oy

    def p(self, x, y):
        return ((x - self.ox) * self.s - 0.5, (y - self.oy) * self.s - 0.5)

    def pts(self, seq):
        return [self.p(x, y) for x, y in seq]

    def box(self, x0, y0, x1, y1):
        s = self.s
        return (round((x0 - self.ox) * s), round((y0 - self.oy) * s),
                round((x1 - self.ox) * s) - 1, round((y1 - self.oy) * s) - 1)

    def circle(self, cx, cy, r):
        return self.box(cx - r, cy - r, cx + r, cy + r)

    def l(self, v):
        return max(1, int(round(v * self.s)))


def ss_mask(size, fn, bbox=None, s=SS):
    """Coverage mask drawn at s-times resolution, then LANCZOS-reduced.

    bbox limits the supersampled work to a region of a large canvas.
    """
    w, h = size
    bx0, by0, bx1, by1 = bbox if bbox else (0, 0, w, h)
    bx0, by0 = max(0, int(bx0)), max(0, int(by0))
    bx1, by1 = min(w, int(math.ceil(bx1))), min(h, int(math.ceil(by1)))
    big = Image.new("L", ((bx1 - bx0) * s, (by1 - by0) * s), 0)
    fn(ImageDraw.Draw(big), _T(s, bx0, by0))
    small = big.resize((bx1 - bx0, by1 - by0), Image.LANCZOS)
    if (bx0, by0, bx1, by1) == (0, 0, w, h):
        return small
    full = Image.new("L", size, 0)
    full.paste(small, (bx0, by0))
    return full


def rr_mask(size, box, r, bbox=None):
    return ss_mask(size, lambda d, t: d.rounded_rectangle(
        t.box(*box), radius=r * t.s, fill=255), bbox)


def poly_mask(size, pts, bbox=None):
    return ss_mask(size, lambda d, t: d.polygon(t.pts(pts), fill=255), bbox)


def mask_sub(a, b):
    return ImageChops.subtract(a, b)


def mask_scale(m, k):
    return m.point(lambda v: int(round(v * k)))


def paint(dst, src, mask=None, opacity=1.0):
    """Composite a colour or image onto dst through an optional mask."""
    layer = solid(dst.size, src) if not isinstance(src, Image.Image) else src.copy()
    a = layer.getchannel("A")
    if mask is not None:
        a = ImageChops.multiply(a, mask)
    if opacity < 1.0:
        a = mask_scale(a, opacity)
    layer.putalpha(a)
    dst.alpha_composite(layer)


def clip_alpha(img, mask):
    img.putalpha(ImageChops.multiply(img.getchannel("A"), mask))
    return img


def shifted(m, dx, dy):
    out = Image.new("L", m.size, 0)
    out.paste(m, (dx, dy))
    return out


# --------------------------------------------------------------------------
# text

_fonts = {}


def font(px):
    if px not in _fonts:
        for path in FONT_CANDIDATES:
            if os.path.exists(path):
                _fonts[px] = ImageFont.truetype(path, px, index=0)
                break
        else:
            sys.exit("WenQuanYi Micro Hei not found (apt install fonts-wqy-microhei)")
    return _fonts[px]


def text_ink(text, px, tracking=0):
    """Text rendered at 1x (hinted, crisp) and cropped to its ink."""
    f = font(px)
    pad = px * 2
    w = int(sum(f.getlength(c) for c in text) + tracking * len(text)) + pad * 2
    m = Image.new("L", (w, px * 4), 0)
    d = ImageDraw.Draw(m)
    x = float(pad)
    for ch in text:
        d.text((int(round(x)), px), ch, font=f, fill=255)
        x += f.getlength(ch) + tracking
    return m.crop(m.getbbox())


def text_mask(size, text, px, center=None, left=None, tracking=0):
    """Full-canvas mask with the text's ink centred on center=(cx, cy),
    or starting at left=(x, cy)."""
    ink = text_ink(text, px, tracking)
    iw, ih = ink.size
    if center is not None:
        x = int(round(center[0] - iw / 2.0))
        y = int(round(center[1] - ih / 2.0))
    else:
        x = int(left[0])
        y = int(round(left[1] - ih / 2.0))
    m = Image.new("L", size, 0)
    m.paste(ink, (x, y))
    return m


def draw_text(img, text, px, color, center=None, left=None, tracking=0,
              shadow=(0, 0, 0, 150), glow=None):
    m = text_mask(img.size, text, px, center, left, tracking)
    if glow:
        gc, radius, strength = glow
        g = m.filter(ImageFilter.GaussianBlur(radius))
        paint(img, gc, mask_scale(g, strength).point(lambda v: min(255, v)))
    if shadow:
        paint(img, shadow, shifted(m, 0, 1))
    paint(img, color, m)
    return m


# --------------------------------------------------------------------------
# shared motifs

def crescent_shape(d, t, cx, cy, r, on=255, off=0):
    """Crescent moon: a disc with an offset disc cut away (upper right)."""
    d.ellipse(t.circle(cx, cy, r), fill=on)
    d.ellipse(t.circle(cx + r * 0.44, cy - r * 0.30, r * 0.80), fill=off)


def star4(cx, cy, r, inner):
    pts = []
    for i in range(8):
        a = -math.pi / 2 + i * math.pi / 4
        rad = r if i % 2 == 0 else inner
        pts.append((cx + rad * math.cos(a), cy + rad * math.sin(a)))
    return pts


def emblem(size):
    """App emblem: gold crescent and four-point star on a midnight tile.

    Small sizes get proportionally heavier trim so it survives at 16 px.
    """
    W = size
    if size <= 16:
        bw, cr, sr = 1.0, 0.33, 0.23
    elif size <= 32:
        bw, cr, sr = 1.2, 0.31, 0.17
    elif size <= 48:
        bw, cr, sr = 1.6, 0.30, 0.16
    else:
        bw, cr, sr = size * 0.032, 0.29, 0.15
    rad = W * 0.22
    img = Image.new("RGBA", (W, W), (0, 0, 0, 0))
    tile = rr_mask((W, W), (0, 0, W, W), rad)
    paint(img, vgrad(W, W, [(0, GOLD_L), (0.5, GOLD), (1, GOLD_D)]), tile)
    inner = rr_mask((W, W), (bw, bw, W - bw, W - bw), max(0.5, rad - bw))
    paint(img, vgrad(W, W, [(0, (44, 62, 116)), (0.55, (22, 32, 66)), (1, (10, 14, 32))]), inner)
    if size >= 32:
        # faint sheen on the upper half of the tile
        sheen = ss_mask((W, W), lambda d, t: d.ellipse(
            t.box(-W * 0.3, -W * 0.75, W * 1.3, W * 0.42), fill=255))
        paint(img, (255, 255, 255), ImageChops.multiply(sheen, inner), 0.07)
    cx, cy, r = W * 0.45, W * 0.55, W * cr
    moon = ss_mask((W, W), lambda d, t: crescent_shape(d, t, cx, cy, r), s=8)
    if size >= 48:
        halo = moon.filter(ImageFilter.GaussianBlur(W * 0.04))
        paint(img, GOLD_L, ImageChops.multiply(halo, inner), 0.45)
    paint(img, vgrad(W, W, [(0.2, GOLD_W), (0.55, GOLD_L), (0.9, GOLD)]), moon)
    sx, sy = W * 0.69, W * 0.32
    star = ss_mask((W, W), lambda d, t: d.polygon(
        t.pts(star4(sx, sy, W * sr, W * sr * 0.30)), fill=255), s=8)
    if size >= 32:
        halo = star.filter(ImageFilter.GaussianBlur(W * 0.03))
        paint(img, GOLD_W, ImageChops.multiply(halo, inner), 0.5)
    paint(img, GOLD_W, star)
    return img


def gold_fill(w, h):
    return vgrad(w, h, [(0, GOLD_L), (0.45, GOLD), (0.55, GOLD_D), (1, GOLD)])


def diamond(cx, cy, rx, ry=None):
    ry = rx if ry is None else ry
    return [(cx, cy - ry), (cx + rx, cy), (cx, cy + ry), (cx - rx, cy)]


# --------------------------------------------------------------------------
# launcher background

BW, BH = 1411, 704
FRAME = (14, 20, 1397, 690)  # outer edge of the panel
FRAME_R = 22
SLOT = (626, 212, 1256, 584)  # where the login page sits (exclusive end)


def ridge_detail(seed, w, rough, depth=8):
    """Midpoint-displacement jaggedness to roughen a smooth ridge line."""
    rng = random.Random(seed)
    ys = [0.0, 0.0]
    disp = rough
    for _ in range(depth):
        nxt = []
        for a, b in zip(ys, ys[1:]):
            nxt += [a, (a + b) / 2.0 + rng.uniform(-disp, disp)]
        ys = nxt + [ys[-1]]
        disp *= 0.6
    n = len(ys) - 1
    return [(w * i / float(n), y) for i, y in enumerate(ys)]


def mountain_mask(size, seed, base, waves, rough, bottom):
    w, _ = size
    pts = []
    for x, dy in ridge_detail(seed, w, rough):
        y = base + dy
        for a, f, p in waves:
            y -= a * (1 - abs(math.sin(x * f + p))) ** 2.2  # cusped peaks
        pts.append((x, y))
    top = min(p[1] for p in pts)
    pts = [(0, bottom)] + pts + [(w, bottom)]
    return poly_mask(size, pts, (0, top - 2, w, bottom))


def moonlit(dst, m, color, opacity):
    """Light the slopes that face the moon (upper left)."""
    rim = mask_sub(m, shifted(m, 3, 2)).filter(ImageFilter.GaussianBlur(1.2))
    paint(dst, color, ImageChops.multiply(rim, m), opacity)


def castle_mask(size):
    def draw(d, t):
        def rect(x0, y0, x1, y1):
            d.rectangle(t.box(x0, y0, x1, y1), fill=255)

        def roof(x0, x1, y, h):
            d.polygon(t.pts([(x0, y), ((x0 + x1) / 2.0, y - h), (x1, y)]), fill=255)

        def merlons(x0, x1, y, step=8, w=5, h=5):
            x = x0
            while x + w <= x1 + 0.01:
                rect(x, y - h, x + w, y)
                x += step

        # rock the castle stands on
        d.polygon(t.pts([(372, 700), (384, 612), (398, 586), (414, 574), (440, 566),
                         (560, 564), (590, 570), (608, 584), (622, 612), (636, 700)]),
                  fill=255)
        rect(452, 436, 540, 570)          # keep
        merlons(452, 540, 436, step=9, w=5)
        rect(482, 360, 512, 436)          # central tower
        roof(476, 518, 362, 50)
        d.line([t.p(497, 314), t.p(497, 296)], fill=255, width=t.l(1.6))
        d.polygon(t.pts([(497, 296), (511, 300), (497, 305)]), fill=255)
        rect(412, 456, 440, 572)          # left tower
        roof(406, 446, 458, 40)
        rect(552, 448, 580, 570)          # right tower
        roof(546, 586, 450, 44)
        rect(440, 492, 452, 570)          # curtain walls
        merlons(440, 452, 492, step=7, w=4, h=4)
        rect(540, 486, 552, 570)
        merlons(540, 552, 486, step=7, w=4, h=4)
        rect(428, 500, 446, 574)          # small annex
        roof(424, 450, 502, 18)
        rect(578, 506, 598, 572)
        roof(575, 601, 508, 20)
    return ss_mask(size, draw, (360, 280, 650, 704))


CASTLE_WINDOWS = [
    (494, 378, 3, 6), (494, 396, 3, 6), (462, 456, 3, 5), (476, 456, 3, 5),
    (514, 456, 3, 5), (528, 456, 3, 5), (495, 480, 4, 7), (424, 476, 2, 5),
    (564, 468, 2, 5), (564, 494, 2, 5), (424, 504, 2, 4), (586, 524, 2, 4),
    (470, 510, 3, 5), (520, 510, 3, 5),
]


def sky(size):
    w, h = size
    img = vgrad(w, h, [(0.0, (6, 9, 24)), (0.22, (12, 18, 44)), (0.52, (26, 34, 78)),
                       (0.70, (52, 48, 104)), (0.80, (88, 68, 118)), (0.90, (40, 36, 82))])
    rng = random.Random(145)
    # faint nebula band across the sky
    neb = Image.new("L", (w // 4, h // 4), 0)
    nd = ImageDraw.Draw(neb)
    for i in range(26):
        u = i / 25.0
        cx = (0.10 + 0.86 * u) * w / 4
        cy = (0.46 - 0.36 * u + rng.uniform(-0.05, 0.05)) * h / 4
        rx, ry = rng.uniform(14, 30), rng.uniform(5, 12)
        nd.ellipse((cx - rx, cy - ry, cx + rx, cy + ry), fill=rng.randint(60, 140))
    neb = neb.filter(ImageFilter.GaussianBlur(7)).resize((w, h), Image.BICUBIC)
    paint(img, (110, 120, 210), neb, 0.22)
    paint(img, (150, 110, 200), neb.filter(ImageFilter.GaussianBlur(20)), 0.12)

    # stars: mostly single soft pixels, a few brighter ones with sparkle
    stars = Image.new("RGBA", size, (0, 0, 0, 0))
    sp = stars.load()
    for _ in range(420):
        x = rng.randint(FRAME[0] + 10, FRAME[2] - 10)
        y = int(FRAME[1] + 10 + 470 * rng.random() ** 1.5)
        a = int(70 + 185 * rng.random() ** 2.2)
        tint = rng.choice([(255, 255, 255), (220, 230, 255), (255, 240, 210)])
        sp[x, y] = tint + (a,)
    big = Image.new("L", size, 0)
    bd = ImageDraw.Draw(big)
    for _ in range(22):
        x = rng.randint(FRAME[0] + 30, FRAME[2] - 30)
        y = int(FRAME[1] + 20 + 360 * rng.random() ** 1.3)
        L = rng.randint(3, 6)
        bd.line((x - L, y, x + L, y), fill=110)
        bd.line((x, y - L, x, y + L), fill=110)
        bd.ellipse((x - 1, y - 1, x + 1, y + 1), fill=255)
    big = big.filter(ImageFilter.GaussianBlur(0.7))
    img.alpha_composite(stars)
    paint(img, (250, 246, 236), big.point(lambda v: min(255, v * 2)))
    return img


def draw_back():
    size = (BW, BH)
    x0, y0, x1, y1 = FRAME
    img = Image.new("RGBA", size, (0, 0, 0, 0))

    def inset(i, bbox=None):
        return rr_mask(size, (x0 + i, y0 + i, x1 - i, y1 - i), max(2, FRAME_R - i), bbox)

    outer = inset(0)
    body = inset(2)
    trim = inset(8)
    scene_m = inset(9)

    # ---- scene
    scene = sky(size)
    mx, my, mr = 530, 150, 44
    glow = Image.new("L", size, 0)
    ImageDraw.Draw(glow).ellipse((mx - 150, my - 150, mx + 150, my + 150), fill=255)
    paint(scene, (170, 160, 230), glow.filter(ImageFilter.GaussianBlur(70)), 0.35)
    moon = ss_mask(size, lambda d, t: crescent_shape(d, t, mx, my, mr),
                   (mx - mr - 4, my - mr - 4, mx + mr + 4, my + mr + 4))
    paint(scene, GOLD_W, moon.filter(ImageFilter.GaussianBlur(10)), 0.55)
    paint(scene, vgrad(BW, BH, [(0.12, (255, 250, 232)), (0.28, GOLD_L)]), moon)

    # horizon glow behind the ranges
    hz = Image.new("L", size, 0)
    ImageDraw.Draw(hz).ellipse((200, 420, 1300, 560), fill=255)
    paint(scene, (150, 110, 170), hz.filter(ImageFilter.GaussianBlur(50)), 0.35)

    far = mountain_mask(size, 11, 480, [(150, 0.0042, 0.6), (70, 0.0105, 1.9)], 90, 704)
    paint(scene, vgrad(BW, BH, [(0.50, (62, 64, 124)), (0.76, (34, 38, 84))]), far)
    moonlit(scene, far, (150, 150, 220), 0.45)
    mid = mountain_mask(size, 23, 560, [(90, 0.0051, 2.2), (40, 0.0137, 0.7)], 60, 704)
    paint(scene, vgrad(BW, BH, [(0.62, (34, 38, 80)), (0.86, (18, 22, 48))]), mid)
    moonlit(scene, mid, (120, 124, 200), 0.35)
    # mist between the ranges and the castle
    mist = Image.new("L", size, 0)
    md = ImageDraw.Draw(mist)
    rng = random.Random(7)
    for i in range(14):
        cx = 60 + i * 100 + rng.randint(-30, 30)
        cy = 575 + rng.randint(-14, 14)
        md.ellipse((cx - 140, cy - 18, cx + 140, cy + 18), fill=rng.randint(90, 160))
    paint(scene, (150, 150, 210), mist.filter(ImageFilter.GaussianBlur(14)), 0.35)

    castle = castle_mask(size)
    paint(scene, (10, 13, 32), castle)
    # moonlit rim on the castle's left edges
    rim = mask_sub(castle, shifted(castle, 1, 0))
    paint(scene, (130, 130, 200), rim, 0.35)
    lit = Image.new("L", size, 0)
    ld = ImageDraw.Draw(lit)
    for wx, wy, ww, wh in CASTLE_WINDOWS:
        ld.rectangle((wx, wy, wx + ww - 1, wy + wh - 1), fill=255)
    paint(scene, (255, 190, 90), lit.filter(ImageFilter.GaussianBlur(4)), 0.6)
    paint(scene, (255, 214, 130), lit)

    near = mountain_mask(size, 37, 652, [(40, 0.0058, 4.0), (16, 0.019, 1.3)], 26, 704)
    paint(scene, vgrad(BW, BH, [(0.85, (16, 20, 44)), (1.0, (6, 8, 20))]), near)

    # soft shade behind the link buttons
    paint(scene, hgrad(BW, BH, [(0.0, rgba(NIGHT, 170)), (0.2, rgba(NIGHT, 120)),
                                (0.34, rgba(NIGHT, 0))]))

    # the login slot: glow, bevel, gold rule just outside, plain dark inside
    sx0, sy0, sx1, sy1 = SLOT
    sg = Image.new("L", size, 0)
    ImageDraw.Draw(sg).rectangle((sx0 - 6, sy0 - 6, sx1 + 5, sy1 + 5), fill=255)
    paint(scene, (0, 0, 0), sg.filter(ImageFilter.GaussianBlur(10)), 0.7)
    paint(scene, GOLD, sg.filter(ImageFilter.GaussianBlur(5)), 0.18)
    sd = ImageDraw.Draw(scene)
    sd.rectangle((sx0 - 4, sy0 - 4, sx1 + 3, sy1 + 3), fill=rgba(NAVY_D))
    sd.rectangle((sx0 - 4, sy0 - 4, sx1 + 3, sy1 + 3), outline=rgba(GOLD_D))
    sd.rectangle((sx0 - 3, sy0 - 3, sx1 + 2, sy1 + 2), outline=(6, 9, 20, 255))
    sd.rectangle((sx0 - 2, sy0 - 2, sx1 + 1, sy1 + 1), outline=(34, 46, 84, 255))
    sd.rectangle((sx0 - 1, sy0 - 1, sx1, sy1), outline=rgba(GOLD))
    sd.rectangle((sx0, sy0, sx1 - 1, sy1 - 1), fill=rgba(NIGHT))
    # corner brackets frame the slot without touching it
    br = Image.new("L", size, 0)
    bd = ImageDraw.Draw(br)
    for cx, cy, dx, dy in ((sx0 - 8, sy0 - 8, 1, 1), (sx1 + 7, sy0 - 8, -1, 1),
                           (sx0 - 8, sy1 + 7, 1, -1), (sx1 + 7, sy1 + 7, -1, -1)):
        bd.line((cx, cy, cx + 22 * dx, cy), fill=255, width=2)
        bd.line((cx, cy, cx, cy + 22 * dy), fill=255, width=2)
    paint(scene, GOLD, br)
    for cx, cy in ((sx0 - 8, sy0 - 8), (sx1 + 7, sy0 - 8), (sx0 - 8, sy1 + 7), (sx1 + 7, sy1 + 7)):
        gem = poly_mask(size, diamond(cx + 0.5, cy + 0.5, 4.5), (cx - 6, cy - 6, cx + 7, cy + 7))
        paint(scene, GOLD_L, gem)

    # inner shadow so the scene sits inside the frame
    inv = ImageChops.invert(scene_m).filter(ImageFilter.GaussianBlur(10))
    paint(scene, (0, 0, 0), ImageChops.multiply(inv, scene_m), 0.8)

    # health advisory, customary on Chinese game launchers
    draw_text(scene, "抵制不良游戏，拒绝盗版游戏。注意自我保护，谨防受骗上当。"
              "适度游戏益脑，沉迷游戏伤身。合理安排时间，享受健康生活。",
              12, (176, 182, 210, 255), center=(941, 656), shadow=(0, 0, 0, 200))

    # ---- frame
    paint(img, gold_fill(BW, BH), outer)
    paint(img, vgrad(BW, BH, [(0, (30, 42, 80)), (0.5, NAVY_D), (1, (20, 28, 56))]), body)
    paint(img, vgrad(BW, BH, [(0, GOLD_L), (0.5, GOLD), (1, GOLD_D)]), trim)
    clip_alpha(scene, scene_m)
    img.alpha_composite(scene)

    # gems on the corners and edge midpoints
    ornaments = Image.new("L", size, 0)
    d45 = FRAME_R * (1 - 1 / math.sqrt(2))
    gems = [(x0 + d45 + 1, y0 + d45 + 1, 9), (x1 - d45 - 1, y0 + d45 + 1, 9),
            (x0 + d45 + 1, y1 - d45 - 1, 9), (x1 - d45 - 1, y1 - d45 - 1, 9),
            (x0 + 4, (y0 + y1) / 2.0, 10), (x1 - 4, (y0 + y1) / 2.0, 10),
            ((x0 + x1) / 2.0, y1 - 4, 10)]
    for gx, gy, gr in gems:
        box = (gx - gr - 2, gy - gr - 2, gx + gr + 3, gy + gr + 3)
        o = poly_mask(size, diamond(gx, gy, gr), box)
        ornaments = ImageChops.lighter(ornaments, o)
        paint(img, (0, 0, 0), o.filter(ImageFilter.GaussianBlur(2)), 0.6)
        paint(img, gold_fill(BW, BH), o)
        core = poly_mask(size, diamond(gx, gy, gr * 0.55), box)
        paint(img, (28, 40, 84), core)
        spark = poly_mask(size, diamond(gx - gr * 0.12, gy - gr * 0.14, gr * 0.22), box)
        paint(img, (150, 180, 255), spark, 0.9)

    # ---- title plaque, top left
    px0, py0, px1, py1 = 34, 4, 330, 58
    mid_y = (py0 + py1) / 2.0
    shape = [(px0, mid_y), (px0 + 18, py0), (px1 - 18, py0), (px1, mid_y),
             (px1 - 18, py1), (px0 + 18, py1)]
    bb = (px0 - 6, 0, px1 + 6, py1 + 8)
    pl = poly_mask(size, shape, bb)
    paint(img, (0, 0, 0), shifted(pl, 0, 2).filter(ImageFilter.GaussianBlur(3)), 0.6)
    paint(img, gold_fill(BW, BH), pl)
    k = 2.2
    inner_shape = [(px0 + k * 1.6, mid_y), (px0 + 18 + k * 0.6, py0 + k), (px1 - 18 - k * 0.6, py0 + k),
                   (px1 - k * 1.6, mid_y), (px1 - 18 - k * 0.6, py1 - k), (px0 + 18 + k * 0.6, py1 - k)]
    pin = poly_mask(size, inner_shape, bb)
    paint(img, vgrad(BW, BH, [(0, (40, 56, 104)), (0.05, (20, 30, 62)), (0.09, (10, 14, 34))]), pin)
    k = 5
    rule = [(px0 + k * 1.6, mid_y), (px0 + 18 + k * 0.6, py0 + k), (px1 - 18 - k * 0.6, py0 + k),
            (px1 - k * 1.6, mid_y), (px1 - 18 - k * 0.6, py1 - k), (px0 + 18 + k * 0.6, py1 - k)]
    rl = poly_mask(size, rule, bb)
    k = 6
    rule2 = [(px0 + k * 1.6, mid_y), (px0 + 18 + k * 0.6, py0 + k), (px1 - 18 - k * 0.6, py0 + k),
             (px1 - k * 1.6, mid_y), (px1 - 18 - k * 0.6, py1 - k), (px0 + 18 + k * 0.6, py1 - k)]
    rl2 = poly_mask(size, rule2, bb)
    paint(img, GOLD_D, mask_sub(rl, rl2), 0.9)
    em = emblem(36)
    img.alpha_composite(em, (62, int(mid_y) - 18))
    title = text_mask(size, "ZQLumavex", 26, left=(108, mid_y), tracking=1)
    paint(img, (0, 0, 0), shifted(title, 1, 2), 0.8)
    paint(img, GOLD, title.filter(ImageFilter.GaussianBlur(3)), 0.35)
    paint(img, vgrad(BW, BH, [(0.012, GOLD_W), (0.035, GOLD_L), (0.06, GOLD)]), title)
    return img


# --------------------------------------------------------------------------
# buttons

def glyph_mask(size, kind, cx, cy, scale=1.0, weight=2.0):
    """Window-control glyphs centred on (cx, cy) in 1x edge coordinates."""
    h = 4.5 * scale

    def draw(d, t):
        w = t.l(weight)
        if kind == "close":
            d.line([t.p(cx - h, cy - h), t.p(cx + h, cy + h)], fill=255, width=w)
            d.line([t.p(cx - h, cy + h), t.p(cx + h, cy - h)], fill=255, width=w)
        elif kind == "min":
            d.rectangle(t.box(cx - h, cy + h - weight, cx + h, cy + h), fill=255)
        elif kind == "max":
            d.rectangle(t.box(cx - h, cy - h, cx + h, cy + h), fill=255)
            d.rectangle(t.box(cx - h + 1, cy - h + 2, cx + h - 1, cy + h - 1), fill=0)
        elif kind == "restore":
            o = 2.0
            d.rectangle(t.box(cx - h + o, cy - h, cx + h, cy + h - o), fill=255)
            d.rectangle(t.box(cx - h + o + 1, cy - h + 2, cx + h - 1, cy + h - o - 1), fill=0)
            d.rectangle(t.box(cx - h - 1, cy - h + o - 1, cx + h - o + 1, cy + h + 1), fill=0)
            d.rectangle(t.box(cx - h, cy - h + o, cx + h - o, cy + h), fill=255)
            d.rectangle(t.box(cx - h + 1, cy - h + o + 2, cx + h - o - 1, cy + h - 1), fill=0)
        elif kind == "full":
            a = 3.5 * scale
            for sx, sy in ((-1, -1), (1, -1), (-1, 1), (1, 1)):
                ex, ey = cx + sx * h, cy + sy * h
                d.rectangle(t.box(*_span(ex, ex - sx * a, ey, ey - sy * 1.5)), fill=255)
                d.rectangle(t.box(*_span(ex, ex - sx * 1.5, ey, ey - sy * a)), fill=255)
        elif kind == "gear":
            ro, ri, teeth = 6.3 * scale, 4.6 * scale, 8
            pts = []
            for i in range(teeth * 4):
                a = (i / (teeth * 4.0)) * 2 * math.pi - math.pi / 2
                r = ro if (i % 4) in (1, 2) else ri
                pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
            d.polygon(t.pts(pts), fill=255)
            d.ellipse(t.circle(cx, cy, 2.2 * scale), fill=0)
    return ss_mask(size, draw)


def _span(a, b, c, e):
    return (min(a, b), min(c, e), max(a, b), max(c, e))


def launcher_ctl(fw, fh, kind, hover):
    size = (fw, fh)
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    box = (1, 1, fw - 1, fh - 1)
    outer = rr_mask(size, box, 7)
    inner = rr_mask(size, (2, 2, fw - 2, fh - 2), 6)
    paint(img, (0, 0, 0), shifted(outer, 0, 1), 0.5)
    if hover and kind == "close":
        border = vgrad(fw, fh, [(0, (255, 170, 150)), (1, (170, 60, 50))])
        fill = vgrad(fw, fh, [(0, (232, 96, 80)), (0.5, RED), (1, RED_D)])
    elif hover:
        border = vgrad(fw, fh, [(0, GOLD_W), (1, GOLD)])
        fill = vgrad(fw, fh, [(0, (84, 108, 170)), (0.5, (52, 70, 124)), (1, (34, 48, 94))])
    else:
        border = vgrad(fw, fh, [(0, GOLD_L), (1, GOLD_D)])
        fill = vgrad(fw, fh, [(0, (46, 62, 108)), (0.5, (26, 36, 70)), (1, (14, 20, 42))])
    paint(img, border, outer)
    paint(img, fill, inner)
    hl = mask_sub(inner, shifted(inner, 0, 1))
    paint(img, (255, 255, 255), hl, 0.25)
    g = glyph_mask(size, kind, fw / 2.0, fh / 2.0, 1.0, 2.0)
    paint(img, (0, 0, 0), shifted(g, 0, 1), 0.55)
    paint(img, (255, 255, 255) if hover else TEXT, g)
    return img


def link_button(caption, hover):
    fw, fh = 118, 42
    size = (fw, fh)
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    outer = rr_mask(size, (0, 0, fw, fh), 9)
    body = rr_mask(size, (1, 1, fw - 1, fh - 1), 8)
    rule = rr_mask(size, (3, 3, fw - 3, fh - 3), 6)
    rule_in = rr_mask(size, (4, 4, fw - 4, fh - 4), 5)
    if hover:
        paint(img, vgrad(fw, fh, [(0, GOLD_W), (0.5, GOLD_L), (1, GOLD)]), outer)
        paint(img, vgrad(fw, fh, [(0, (78, 100, 164)), (0.5, (44, 60, 114)), (1, (28, 38, 80))]), body)
        # warm glow rising from the bottom edge
        gl = Image.new("L", size, 0)
        ImageDraw.Draw(gl).ellipse((10, 26, fw - 10, 58), fill=255)
        paint(img, (255, 196, 100), ImageChops.multiply(gl.filter(ImageFilter.GaussianBlur(8)), body), 0.45)
        paint(img, GOLD_L, mask_sub(rule, rule_in), 0.55)
    else:
        paint(img, vgrad(fw, fh, [(0, GOLD_L), (0.5, GOLD), (1, GOLD_D)]), outer)
        paint(img, vgrad(fw, fh, [(0, (40, 54, 96)), (0.5, (22, 31, 62)), (1, (12, 17, 38))]), body)
        paint(img, GOLD_D, mask_sub(rule, rule_in), 0.55)
    sheen = mask_sub(body, shifted(body, 0, 1))
    paint(img, (255, 255, 255), sheen, 0.3)
    for gx in (12.5, fw - 12.5):
        gm = poly_mask(size, diamond(gx, fh / 2.0, 3.5))
        paint(img, GOLD_W if hover else GOLD, gm)
    if hover:
        draw_text(img, caption, 16, TEXT_HI, center=(fw / 2.0, fh / 2.0), tracking=2,
                  shadow=(0, 0, 0, 200), glow=((255, 200, 110), 3, 1.2))
    else:
        draw_text(img, caption, 16, TEXT, center=(fw / 2.0, fh / 2.0), tracking=2,
                  shadow=(0, 0, 0, 200))
    return img


def two_frames(total_w, a, b):
    h = a.size[1]
    out = Image.new("RGBA", (total_w, h), (0, 0, 0, 0))
    out.paste(a, (0, 0))
    out.paste(b, (total_w // 2, 0))
    return out


# --------------------------------------------------------------------------
# title bar

TB_H = 25
TB_STOPS = [(0, (46, 62, 110)), (0.06, (40, 56, 102)), (0.5, (26, 37, 72)), (1, (16, 23, 48))]


def titlebar_bg(w):
    img = vgrad(w, TB_H, TB_STOPS)
    d = ImageDraw.Draw(img)
    d.line((0, 0, w - 1, 0), fill=(88, 108, 162, 255))      # top sheen
    d.line((0, TB_H - 2, w - 1, TB_H - 2), fill=(8, 11, 26, 255))
    d.line((0, TB_H - 1, w - 1, TB_H - 1), fill=rgba(GOLD))  # gold hairline
    return img


def title_button(kind, state):
    size = (25, 25)
    img = titlebar_bg(25)
    hb = (2, 2, 23, 23)
    if state == "hover":
        m = rr_mask(size, hb, 4)
        mi = rr_mask(size, (3, 3, 22, 22), 3)
        if kind == "close":
            paint(img, (240, 130, 110), m)
            paint(img, vgrad(25, 25, [(0, (228, 86, 70)), (0.6, RED), (1, RED_D)]), mi)
        else:
            paint(img, GOLD, m, 0.85)
            paint(img, vgrad(25, 25, [(0, (88, 112, 176)), (0.6, (54, 72, 128)), (1, (38, 52, 100))]), mi)
    elif state == "down":
        m = rr_mask(size, hb, 4)
        mi = rr_mask(size, (3, 3, 22, 22), 3)
        if kind == "close":
            paint(img, (150, 40, 34), m)
            paint(img, vgrad(25, 25, [(0, (110, 20, 18)), (1, (150, 34, 28))]), mi)
        else:
            paint(img, GOLD_D, m)
            paint(img, vgrad(25, 25, [(0, (8, 12, 28)), (1, (22, 30, 60))]), mi)
    off = 1 if state == "down" else 0
    gk = {"close": "close", "max": "max", "restore": "restore", "min": "min",
          "full": "full", "tools": "gear"}[kind]
    # glyphs occupy pixels 8..16 x 7..15: centred above the gold hairline
    cx, cy = 12.5 + off, 11.5 + off
    g = glyph_mask(size, gk, cx, cy, 0.9 if gk == "close" else 1.0, 1.6 if gk == "close" else 2.0)
    if gk in ("max", "restore", "min", "full"):
        # orthogonal glyphs are drawn pixel-exact for crispness
        g = glyph_px(gk, 8 + off, 7 + off)
    paint(img, (0, 0, 0), shifted(g, 0, 1), 0.45)
    col = {"normal": TEXT, "hover": (255, 255, 255), "down": (200, 196, 186)}[state]
    paint(img, col, g)
    return img


def glyph_px(kind, x, y):
    """9x9 pixel glyph with its top-left at (x, y), pixel-aligned."""
    m = Image.new("L", (25, 25), 0)
    d = ImageDraw.Draw(m)
    if kind == "min":
        d.rectangle((x, y + 7, x + 8, y + 8), fill=255)
    elif kind == "max":
        d.rectangle((x, y, x + 8, y + 8), outline=255)
        d.line((x, y + 1, x + 8, y + 1), fill=255)
    elif kind == "restore":
        d.rectangle((x + 3, y, x + 8, y + 5), outline=255)
        d.line((x + 3, y + 1, x + 8, y + 1), fill=255)
        d.rectangle((x, y + 3, x + 5, y + 8), fill=0)
        d.rectangle((x, y + 3, x + 5, y + 8), outline=255)
        d.line((x, y + 4, x + 5, y + 4), fill=255)
    elif kind == "full":
        a = 3
        for cx, cy, sx, sy in ((x, y, 1, 1), (x + 8, y, -1, 1), (x, y + 8, 1, -1),
                               (x + 8, y + 8, -1, -1)):
            d.line((cx, cy, cx + sx * a, cy), fill=255)
            d.line((cx, cy + sy, cx + sx * a, cy + sy), fill=255)
            d.line((cx, cy, cx, cy + sy * a), fill=255)
            d.line((cx + sx, cy, cx + sx, cy + sy * a), fill=255)
    return m


def title_link(caption, hover):
    fw, fh = 41, 22
    size = (fw, fh)
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    outer = rr_mask(size, (1, 2, fw - 1, fh - 1), 5)
    inner = rr_mask(size, (2, 3, fw - 2, fh - 2), 4)
    if hover:
        paint(img, vgrad(fw, fh, [(0, GOLD_L), (1, GOLD)]), outer)
        paint(img, vgrad(fw, fh, [(0, (84, 106, 168)), (1, (40, 54, 104))]), inner)
        paint(img, (255, 200, 110), ImageChops.multiply(
            inner, vgrad(fw, fh, [(0.5, (0, 0, 0)), (1, (255, 255, 255))]).getchannel("R")), 0.3)
        draw_text(img, caption, 12, TEXT_HI, center=(fw / 2.0, 11.5), tracking=1,
                  shadow=(0, 0, 0, 180))
    else:
        paint(img, GOLD_D, outer)
        paint(img, vgrad(fw, fh, [(0, (44, 60, 106)), (1, (22, 31, 62))]), inner)
        draw_text(img, caption, 12, TEXT, center=(fw / 2.0, 11.5), tracking=1,
                  shadow=(0, 0, 0, 180))
    paint(img, (255, 255, 255), mask_sub(inner, shifted(inner, 0, 1)), 0.2)
    return img


# --------------------------------------------------------------------------
# close dialog

def dialog_bg():
    w, h = 295, 190
    size = (w, h)
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    outer = rr_mask(size, (0, 0, w, h), 7)
    inner = rr_mask(size, (1, 1, w - 1, h - 1), 6)
    paint(img, vgrad(w, h, [(0, GOLD_L), (0.2, GOLD), (1, GOLD_D)]), outer)
    paint(img, vgrad(w, h, [(0, (28, 40, 76)), (0.16, (20, 29, 58)), (0.161, (22, 31, 62)),
                           (1, (12, 17, 36))]), inner)
    # title band
    band = Image.new("L", size, 0)
    ImageDraw.Draw(band).rectangle((0, 0, w - 1, 29), fill=255)
    band = ImageChops.multiply(band, inner)
    paint(img, vgrad(w, h, [(0, (56, 74, 128)), (0.16, (30, 42, 82))]), band)
    d = ImageDraw.Draw(img)
    d.line((1, 30, w - 2, 30), fill=rgba(GOLD_D))
    d.line((1, 31, w - 2, 31), fill=(6, 9, 22, 255))
    paint(img, (255, 255, 255), mask_sub(inner, shifted(inner, 0, 1)), 0.3)
    # a faint crescent watermark keeps the body from looking empty
    wm = ss_mask(size, lambda dd, t: crescent_shape(dd, t, w - 52, 92, 40))
    paint(img, (120, 140, 210), wm, 0.06)
    img.alpha_composite(emblem(16), (8, 7))
    draw_text(img, "提示", 13, GOLD_L, left=(30, 15), shadow=(0, 0, 0, 200))
    draw_text(img, "确定要退出游戏吗？", 16, TEXT, center=(w / 2.0, 66), tracking=1,
                  shadow=(0, 0, 0, 200))
    # hairline flourish between the question and the buttons (y 100-135)
    line = Image.new("L", size, 0)
    ImageDraw.Draw(line).line((w // 2 - 80, 87, w // 2 + 80, 87), fill=255)
    fade = hgrad(w, h, [(0.5 - 80.0 / w, (0, 0, 0)), (0.5 - 8.0 / w, (255, 255, 255)),
                        (0.5 + 8.0 / w, (255, 255, 255)), (0.5 + 80.0 / w, (0, 0, 0))])
    paint(img, GOLD, ImageChops.multiply(line, fade.getchannel("R")), 0.9)
    paint(img, GOLD_L, poly_mask(size, diamond(w / 2.0, 87, 3)))
    return img


def dialog_button(caption, primary, hover):
    w, h = 68, 35
    size = (w, h)
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    outer = rr_mask(size, (0, 0, w, h), 5)
    inner = rr_mask(size, (1, 1, w - 1, h - 1), 4)
    if primary:
        border = vgrad(w, h, [(0, GOLD_W), (1, GOLD_D)])
        if hover:
            fill = vgrad(w, h, [(0, (255, 236, 176)), (0.5, (236, 196, 112)), (1, (196, 150, 70))])
        else:
            fill = vgrad(w, h, [(0, (236, 206, 136)), (0.5, (204, 160, 84)), (1, (160, 118, 52))])
        txt, sh = (30, 24, 14), (255, 240, 200, 110)
    else:
        border = vgrad(w, h, [(0, GOLD_L if hover else GOLD), (1, GOLD if hover else GOLD_D)])
        if hover:
            fill = vgrad(w, h, [(0, (86, 108, 168)), (0.5, (56, 74, 130)), (1, (38, 52, 100))])
        else:
            fill = vgrad(w, h, [(0, (52, 68, 116)), (0.5, (32, 44, 84)), (1, (20, 28, 58))])
        txt, sh = (TEXT_HI if hover else TEXT), (0, 0, 0, 190)
    paint(img, border, outer)
    paint(img, fill, inner)
    paint(img, (255, 255, 255), mask_sub(inner, shifted(inner, 0, 1)), 0.45 if primary else 0.25)
    draw_text(img, caption, 14, txt, center=(w / 2.0, h / 2.0), tracking=3, shadow=sh)
    return img


# --------------------------------------------------------------------------

def build():
    arts = []  # (id, short name, image, description)

    def add(i, name, im, desc):
        arts.append((i, name, im, desc))

    add(145, "back", draw_back(), "launcher window background, framed night scene with login slot")
    add(135, "launcher_min", two_frames(57, launcher_ctl(28, 28, "min", False),
                                        launcher_ctl(28, 28, "min", True)),
        "launcher minimise button, normal | hover")
    add(130, "launcher_close", two_frames(69, launcher_ctl(34, 33, "close", False),
                                          launcher_ctl(34, 33, "close", True)),
        "launcher close button, normal | hover")
    for i, name, cap in ((131, "link_site", "官方网站"), (134, "link_pay", "充值中心"),
                         (132, "link_forum", "游戏论坛"), (133, "link_service", "客服中心")):
        add(i, name, two_frames(237, link_button(cap, False), link_button(cap, True)),
            "launcher link button '%s', normal | hover" % cap)

    add(217, "title_bg", titlebar_bg(1366), "game window title bar background (stretched)")
    add(137, "title_icon", emblem(16), "title bar emblem")
    for kind, ids, label in (("close", (209, 210, 152), "close"),
                             ("max", (211, 212, 156), "maximise"),
                             ("restore", (215, 216, 158), "restore"),
                             ("min", (213, 214, 157), "minimise"),
                             ("full", (153, 154, 155), "full screen"),
                             ("tools", (196, 208, 151), "tools")):
        for i, state, suffix in zip(ids, ("normal", "hover", "down"), ("", "_hover", "_down")):
            add(i, "tb_" + kind + suffix, title_button(kind, state),
                "title bar %s button, %s" % (label, "pressed" if state == "down" else state))
    for i, name, cap in ((138, "tb_link_service", "客服"), (139, "tb_link_forum", "论坛"),
                         (140, "tb_link_site", "官网"), (141, "tb_link_pay", "充值")):
        add(i, name, two_frames(82, title_link(cap, False), title_link(cap, True)),
            "title bar link '%s', normal | hover" % cap)

    add(142, "dlg_bg", dialog_bg(), "exit confirmation dialog background")
    add(143, "dlg_ok", dialog_button("确定", True, False), "dialog OK button '确定', normal")
    add(146, "dlg_ok_hover", dialog_button("确定", True, True), "dialog OK button '确定', hover")
    add(147, "dlg_cancel", dialog_button("取消", False, False), "dialog cancel button '取消', normal")
    add(148, "dlg_cancel_hover", dialog_button("取消", False, True), "dialog cancel button '取消', hover")
    return arts


EXPECTED = {
    145: (1411, 704), 135: (57, 28), 130: (69, 33), 131: (237, 42), 132: (237, 42),
    133: (237, 42), 134: (237, 42), 217: (1366, 25), 137: (16, 16), 138: (82, 22),
    139: (82, 22), 140: (82, 22), 141: (82, 22), 142: (295, 190), 143: (68, 35),
    146: (68, 35), 147: (68, 35), 148: (68, 35),
}
for _i in (209, 210, 152, 211, 212, 156, 215, 216, 158, 213, 214, 157,
           153, 154, 155, 196, 208, 151):
    EXPECTED[_i] = (25, 25)

ICO_SIZES = [16, 32, 48, 256]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else OUT
    os.makedirs(out, exist_ok=True)
    arts = build()
    ids = [a[0] for a in arts]
    assert sorted(ids) == sorted(EXPECTED), "artwork list out of sync"
    names = set()
    lines = ["Generated by tools/gen_art.py - edit the script, not these files.", "",
             "%-4s %-26s %-9s %s" % ("id", "file", "size", "content")]
    for i, name, im, desc in sorted(arts, key=lambda a: a[0]):
        if im.size != EXPECTED[i]:
            sys.exit("%d_%s is %dx%d, expected %dx%d" % ((i, name) + im.size + EXPECTED[i]))
        fn = "%d_%s.png" % (i, name)
        names.add(fn)
        im.convert("RGBA").save(os.path.join(out, fn), optimize=True)
        lines.append("%-4d %-26s %-9s %s" % (i, fn, "%dx%d" % im.size, desc))
    # drop images from earlier runs that no longer exist under that name
    for fn in os.listdir(out):
        if re.match(r"^\d+_[a-z0-9_]+\.png$", fn) and fn not in names:
            os.remove(os.path.join(out, fn))
    icons = [emblem(s) for s in ICO_SIZES]
    icons[-1].save(os.path.join(out, "app.ico"), format="ICO",
                   sizes=[(s, s) for s in ICO_SIZES], append_images=icons[:-1])
    lines.append("-    %-26s %-9s %s" % ("app.ico", "16-256", "application icon (16, 32, 48, 256 px)"))
    with open(os.path.join(out, "README.txt"), "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    print("wrote %d images and app.ico to %s" % (len(arts), out))


if __name__ == "__main__":
    main()
