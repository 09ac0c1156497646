#!/usr/bin/python3
"""Draws the bundled default skin and the test skins.

Usage: skins/make-skins.py (from anywhere; paths are taken relative to this file).
Needs Debian's Python 3 with PIL (python3-pil) and the DejaVu fonts (fonts-dejavu-core).
Writes, relative to the repository root:
  skins/Default/                 Skin.ini, MainUp.bmp, MainDown.bmp, About.bmp
  tests/data/skins/Vertical/     small flat-coloured skin with a vertical seek bar
  tests/data/skins/NoBitmaps/    Skin.ini only
  tests/data/skins/MissingKey/   every bitmap, Skin.ini without "Play"
  tests/data/skins/BadBitmap/    MainUp.bmp holds text, not a bitmap
Everything is drawn from shapes and the fonts, so every run gives the same files.
The bitmaps are 24-bit uncompressed BMP (BITMAPINFOHEADER, BI_RGB).
The programs' icons are drawn by scripts/make-icons.py.
"""
import os
import sys

from PIL import Image, ImageDraw, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FONT_DIR = "/usr/share/fonts/truetype/dejavu"
BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")
BOOK = os.path.join(FONT_DIR, "DejaVuSans.ttf")
DISPLAY_FONT = "DejaVu Sans"

MAGENTA = (255, 0, 255)
SS = 4  # supersampling factor of the default face: shapes are drawn 4x and box-filtered down

# Keys of Skin.ini in the order the player reads them.
KEYS = ["About", "Minimize", "Quit", "Prev", "Stop", "Pause", "Play", "Next", "Open",
        "DisplayFont", "DisplayBar", "DisplayColour", "SeekBar",
        "DisplayTime", "DisplayKhz", "DisplayBitrate"]
BUTTONS = KEYS[:9]


def skin_ini(rects, face_name, colour, leave_out=()):
    lines = ["[Coordinates]"]
    for key in KEYS:
        if key in leave_out:
            continue
        if key == "DisplayFont":
            value = face_name
        elif key == "DisplayColour":
            value = "%d, %d, %d" % colour
        else:
            value = "%d, %d, %d, %d" % rects[key]
        lines.append("%s=%s" % (key, value))
    return "\n".join(lines) + "\n"


def write_text(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", newline="\n") as f:
        f.write(text)


def write_bmp(path, image):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    image.convert("RGB").save(path, "BMP")


def font(path, size):
    return ImageFont.truetype(path, size)


def fits(text, size, width):
    """True when the text in the bold display face at this pixel size fits the width."""
    return font(BOLD, size).getlength(text) <= width


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


# --- Drawing on a supersampled canvas -------------------------------------------------

class Canvas:
    """An RGB picture drawn at SS times its size; coordinates are given in final pixels."""

    def __init__(self, width, height, background):
        self.width, self.height = width, height
        self.image = Image.new("RGB", (width * SS, height * SS), background)
        self.draw = ImageDraw.Draw(self.image)

    @staticmethod
    def box(x, y, w, h):
        return [round(x * SS), round(y * SS), round((x + w) * SS) - 1, round((y + h) * SS) - 1]

    def rrect(self, x, y, w, h, radius, fill):
        self.draw.rounded_rectangle(self.box(x, y, w, h), radius=radius * SS, fill=fill)

    def gradient_rrect(self, x, y, w, h, radius, top, bottom):
        """A rounded rectangle filled with a vertical gradient from top to bottom colour."""
        sw, sh = round(w * SS), round(h * SS)
        column = Image.new("RGB", (1, sh))
        for row in range(sh):
            column.putpixel((0, row), mix(top, bottom, row / max(1, sh - 1)))
        fill = column.resize((sw, sh), Image.NEAREST)
        mask = Image.new("L", (sw, sh), 0)
        ImageDraw.Draw(mask).rounded_rectangle([0, 0, sw - 1, sh - 1], radius=radius * SS, fill=255)
        self.image.paste(fill, (round(x * SS), round(y * SS)), mask)

    def polygon(self, points, fill):
        self.draw.polygon([(px * SS, py * SS) for px, py in points], fill=fill)

    def ellipse(self, cx, cy, r, fill):
        self.draw.ellipse([(cx - r) * SS, (cy - r) * SS, (cx + r) * SS - 1, (cy + r) * SS - 1], fill=fill)

    def line(self, points, width, fill):
        self.draw.line([(px * SS, py * SS) for px, py in points], width=round(width * SS), fill=fill)

    def finish(self):
        return self.image.resize((self.width, self.height), Image.BOX)


def glyph(c, kind, cx, cy, colour):
    """Transport and window glyphs centred on (cx, cy), about 10 pixels tall."""
    if kind == "Play":
        c.polygon([(cx - 3.5, cy - 5.5), (cx - 3.5, cy + 5.5), (cx + 5.5, cy)], colour)
    elif kind == "Pause":
        c.rrect(cx - 4.5, cy - 5, 3.5, 10, 0.5, colour)
        c.rrect(cx + 1, cy - 5, 3.5, 10, 0.5, colour)
    elif kind == "Stop":
        c.rrect(cx - 4.5, cy - 4.5, 9, 9, 1, colour)
    elif kind in ("Prev", "Next"):
        s = -1 if kind == "Prev" else 1  # Next points right, Prev is its mirror image
        c.polygon([(cx - s * 6, cy - 5), (cx - s * 6, cy + 5), (cx - s * 0.5, cy)], colour)
        c.polygon([(cx - s * 0.5, cy - 5), (cx - s * 0.5, cy + 5), (cx + s * 5, cy)], colour)
        bar = cx + 5 if s > 0 else cx - 7
        c.rrect(bar, cy - 5, 2, 10, 0, colour)
    elif kind == "Open":
        c.polygon([(cx - 6, cy + 1), (cx + 6, cy + 1), (cx, cy - 5.5)], colour)
        c.rrect(cx - 6, cy + 3, 12, 2.5, 0.5, colour)
    elif kind == "Minimize":
        c.rrect(cx - 3.5, cy + 1.5, 7, 2, 0.5, colour)
    elif kind == "Quit":
        c.line([(cx - 3, cy - 3), (cx + 3, cy + 3)], 1.8, colour)
        c.line([(cx - 3, cy + 3), (cx + 3, cy - 3)], 1.8, colour)
    elif kind == "About":
        c.ellipse(cx, cy - 3.5, 1.2, colour)
        c.rrect(cx - 1, cy - 1.5, 2, 5, 0.3, colour)
    else:
        raise ValueError(kind)


def emblem(c, cx, cy, r, ring, core, hub):
    """The Sonorbox mark: a speaker-like disc, an outer ring around a core with a hub."""
    c.ellipse(cx, cy, r, ring)
    c.ellipse(cx, cy, r * 0.74, hub)
    c.ellipse(cx, cy, r * 0.52, core)
    c.ellipse(cx, cy, r * 0.16, hub)


# --- The default skin ------------------------------------------------------------------

FACE_W, FACE_H, FACE_RADIUS = 340, 148, 18

OUTLINE = (13, 15, 18)
BODY_TOP, BODY_BOTTOM = (62, 68, 78), (33, 37, 44)
BODY_SHINE = (96, 103, 114)
LIP = (74, 80, 90)          # the light lower lip below a recess
RIM = (6, 8, 10)            # the dark rim of a recess
LCD_TOP, LCD_BOTTOM = (13, 30, 33), (8, 19, 22)
LCD_LINE = (24, 50, 52)
DISPLAY_COLOUR = (120, 235, 205)
LABEL = (78, 160, 142)
BRAND = (176, 184, 195)
KEY_BORDER = (17, 19, 23)
KEY_TOP, KEY_BOTTOM = (84, 91, 102), (50, 55, 63)
KEY_SHINE, KEY_SHADE = (122, 130, 142), (30, 33, 38)
KEY_DOWN_TOP, KEY_DOWN_BOTTOM = (30, 33, 38), (42, 46, 53)
KEY_DOWN_SHADE = (14, 15, 18)
GLYPH, GLYPH_SHADOW, GLYPH_LIT = (222, 227, 233), (28, 31, 36), (126, 240, 208)
GROOVE = (7, 12, 14)
FILL_TOP, FILL_BOTTOM = (170, 255, 230), (44, 170, 140)

DISPLAY = (16, 30, 308, 62)
DEFAULT_RECTS = {
    "About": (264, 9, 16, 14),
    "Minimize": (284, 9, 16, 14),
    "Quit": (304, 9, 16, 14),
    "Prev": (28, 116, 38, 24),
    "Play": (72, 116, 48, 24),
    "Pause": (126, 116, 38, 24),
    "Stop": (170, 116, 38, 24),
    "Next": (214, 116, 38, 24),
    "Open": (276, 116, 36, 24),
    "DisplayBar": (28, 73, 284, 14),
    "SeekBar": (28, 100, 284, 8),
    "DisplayTime": (28, 36, 112, 30),
    "DisplayKhz": (250, 53, 34, 14),
    "DisplayBitrate": (250, 37, 34, 14),
}


def recess(c, x, y, w, h, radius, top, bottom):
    """A panel sunk into the body: a light lip below, a dark rim, the panel inside."""
    c.rrect(x, y, w, h + 1, radius, LIP)
    c.rrect(x, y, w, h, radius, RIM)
    c.gradient_rrect(x + 1, y + 1, w - 2, h - 2, max(0, radius - 1), top, bottom)


def key(c, name, rect, pressed, radius):
    x, y, w, h = rect
    c.rrect(x, y, w, h, radius, KEY_BORDER)
    if pressed:
        # Sunk: a dark inner shadow along the top, a darker face lit from below.
        c.rrect(x + 1, y + 1, w - 2, h - 2, radius - 1, KEY_DOWN_SHADE)
        c.gradient_rrect(x + 1, y + 2, w - 2, h - 3, radius - 1, KEY_DOWN_TOP, KEY_DOWN_BOTTOM)
        glyph(c, name, x + w / 2 + 1, y + h / 2 + 1, GLYPH_LIT)
    else:
        # Raised: a light top edge, a shaded bottom edge, the glyph engraved with a shadow.
        c.rrect(x + 1, y + 1, w - 2, h - 2, radius - 1, KEY_SHINE)
        c.rrect(x + 1, y + 2, w - 2, h - 3, radius - 1, KEY_SHADE)
        c.gradient_rrect(x + 1, y + 2, w - 2, h - 4, radius - 1, KEY_TOP, KEY_BOTTOM)
        glyph(c, name, x + w / 2, y + h / 2 + 1, GLYPH_SHADOW)
        glyph(c, name, x + w / 2, y + h / 2, GLYPH)


def seek_groove(c, rect, filled):
    x, y, w, h = rect
    recess(c, x, y, w, h, h / 2, GROOVE, GROOVE)
    if filled:
        c.gradient_rrect(x + 1, y + 1, w - 2, h - 2, (h - 2) / 2, FILL_TOP, FILL_BOTTOM)
        c.rrect(x + 3, y + 2, w - 6, 1, 0.5, mix(FILL_TOP, (255, 255, 255), 0.5))


def default_face(pressed):
    """MainUp (pressed False) or MainDown (pressed True) of the default skin."""
    c = Canvas(FACE_W, FACE_H, OUTLINE)
    c.rrect(0, 0, FACE_W, FACE_H, FACE_RADIUS, OUTLINE)
    c.rrect(2, 2, FACE_W - 4, FACE_H - 4, FACE_RADIUS - 2, BODY_SHINE)
    c.gradient_rrect(2, 3, FACE_W - 4, FACE_H - 5, FACE_RADIUS - 2, BODY_TOP, BODY_BOTTOM)
    emblem(c, 22, 16, 5.5, DISPLAY_COLOUR, DISPLAY_COLOUR, (20, 24, 29))
    recess(c, *DISPLAY, 6, LCD_TOP, LCD_BOTTOM)
    # Faint rules that part the display: beside the rates and above the title line.
    c.rrect(238, 39, 1, 26, 0, LCD_LINE)
    c.rrect(28, 70, 284, 1, 0, LCD_LINE)
    seek_groove(c, DEFAULT_RECTS["SeekBar"], pressed)
    for name in BUTTONS:
        rect = DEFAULT_RECTS[name]
        key(c, name, rect, pressed, 3 if rect[3] < 20 else 4)
    face = c.finish()

    # Small texts are drawn at their own size, hinted, so they stay crisp.
    d = ImageDraw.Draw(face)
    d.text((32, 16), "S O N O R B O X", font=font(BOLD, 9), fill=BRAND, anchor="lm")
    for name, label in (("DisplayBitrate", "kbit/s"), ("DisplayKhz", "kHz")):
        x, y, w, h = DEFAULT_RECTS[name]
        baseline = y + font(BOLD, h).getmetrics()[0]
        d.text((x + w + 2, baseline), label, font=font(BOLD, 9), fill=LABEL, anchor="ls")

    return cut_silhouette(face)


def cut_silhouette(face):
    """Everything outside the rounded outline becomes exactly magenta; nothing inside is.

    The outline is decided per pixel (covered at least half), so no pixel is a blend
    between face and magenta; edge pixels were drawn over the dark outline colour."""
    mask = Image.new("L", (FACE_W * SS, FACE_H * SS), 0)
    ImageDraw.Draw(mask).rounded_rectangle(Canvas.box(0, 0, FACE_W, FACE_H),
                                           radius=FACE_RADIUS * SS, fill=255)
    mask = mask.resize((FACE_W, FACE_H), Image.BOX).point(lambda v: 255 if v >= 128 else 0)
    out = Image.new("RGB", face.size, MAGENTA)
    out.paste(face, (0, 0), mask)
    return out


def default_about():
    w, h = 300, 160
    c = Canvas(w, h, OUTLINE)
    c.rrect(1, 1, w - 2, h - 2, 0, BODY_SHINE)
    c.gradient_rrect(1, 2, w - 2, h - 3, 0, BODY_TOP, BODY_BOTTOM)
    recess(c, 20, 44, 76, 76, 12, LCD_TOP, LCD_BOTTOM)
    emblem(c, 58, 82, 27, DISPLAY_COLOUR, DISPLAY_COLOUR, LCD_BOTTOM)
    c.rrect(114, 94, 164, 1, 0, LABEL)
    about = c.finish()
    d = ImageDraw.Draw(about)
    d.text((113, 82), "Sonorbox", font=font(BOLD, 31), fill=(236, 240, 244), anchor="ls")
    d.text((114, 114), "Version 0.82a", font=font(BOLD, 13), fill=DISPLAY_COLOUR, anchor="ls")
    d.text((114, 132), "MP3 player", font=font(BOOK, 11), fill=BRAND, anchor="ls")
    return about


def check_default(up, down):
    rects = DEFAULT_RECTS
    assert up.size == down.size == (FACE_W, FACE_H)
    for face in (up, down):
        assert face.getpixel((0, 0)) == MAGENTA
        inside = Image.new("L", face.size, 0)
        ImageDraw.Draw(inside).rounded_rectangle([1, 1, FACE_W - 2, FACE_H - 2], radius=FACE_RADIUS - 1,
                                                 fill=255)
        for y in range(FACE_H):
            for x in range(FACE_W):
                if inside.getpixel((x, y)):
                    assert face.getpixel((x, y)) != MAGENTA, "magenta inside the face at %d, %d" % (x, y)
        for name, (x, y, w, h) in rects.items():
            for px, py in ((x, y), (x + w - 1, y), (x, y + h - 1), (x + w - 1, y + h - 1)):
                assert inside.getpixel((px, py)), "%s reaches outside the face" % name
    assert fits("88:88", rects["DisplayTime"][3], rects["DisplayTime"][2] - 8)
    assert fits("44", rects["DisplayKhz"][3], rects["DisplayKhz"][2] - 4)
    assert fits("320", rects["DisplayBitrate"][3], rects["DisplayBitrate"][2] - 4)


def make_default():
    up, down = default_face(False), default_face(True)
    check_default(up, down)
    folder = os.path.join(ROOT, "skins", "Default")
    write_text(os.path.join(folder, "Skin.ini"), skin_ini(DEFAULT_RECTS, DISPLAY_FONT, DISPLAY_COLOUR))
    write_bmp(os.path.join(folder, "MainUp.bmp"), up)
    write_bmp(os.path.join(folder, "MainDown.bmp"), down)
    write_bmp(os.path.join(folder, "About.bmp"), default_about())


# --- The test skins: flat colours, exact pixels ----------------------------------------

TEST_W, TEST_H = 120, 90
TEST_BODY_RECT = (2, 2, 116, 86)
TEST_BODY = (64, 64, 64)
TEST_HOLE = (90, 50)           # a magenta pixel inside the body
TEST_LONE = (119, 89)          # a body-coloured pixel alone in the surround, at the far corner
TEST_COLOUR = (255, 255, 0)
TEST_RECTS = {
    "About": (4, 4, 10, 8),
    "Minimize": (90, 4, 10, 8),
    "Quit": (104, 4, 10, 8),
    "Prev": (4, 74, 12, 10),
    "Stop": (18, 74, 12, 10),
    "Pause": (32, 74, 12, 10),
    "Play": (46, 74, 12, 10),
    "Next": (60, 74, 12, 10),
    "Open": (74, 74, 12, 10),
    "DisplayBar": (4, 16, 84, 10),
    "SeekBar": (100, 16, 8, 50),
    "DisplayTime": (4, 28, 46, 12),
    "DisplayKhz": (54, 28, 20, 10),
    "DisplayBitrate": (54, 40, 26, 10),
}
# MainUp colour of each button; in MainDown every channel is halved.
TEST_BUTTON_UP = {
    "About": (200, 40, 40),
    "Minimize": (40, 200, 40),
    "Quit": (40, 40, 200),
    "Prev": (200, 200, 40),
    "Stop": (40, 200, 200),
    "Pause": (200, 120, 40),
    "Play": (120, 40, 200),
    "Next": (40, 120, 200),
    "Open": (200, 200, 200),
}
# The same in both faces.
TEST_AREAS = {
    "DisplayBar": (0, 0, 64),
    "DisplayTime": (0, 64, 0),
    "DisplayKhz": (64, 0, 0),
    "DisplayBitrate": (64, 64, 0),
}
TEST_SEEK_EMPTY = (16, 16, 16)


def test_seek_filled(row):
    """MainDown's seek bar: row r of the bar (0 at its top) is (0, 255, 5 r)."""
    return (0, 255, 5 * row)


def fill(image, rect, colour):
    x, y, w, h = rect
    ImageDraw.Draw(image).rectangle([x, y, x + w - 1, y + h - 1], fill=colour)


def test_face(pressed):
    face = Image.new("RGB", (TEST_W, TEST_H), MAGENTA)
    fill(face, TEST_BODY_RECT, TEST_BODY)
    face.putpixel(TEST_HOLE, MAGENTA)
    face.putpixel(TEST_LONE, TEST_BODY)
    for name, colour in TEST_BUTTON_UP.items():
        fill(face, TEST_RECTS[name], tuple(v // 2 for v in colour) if pressed else colour)
    for name, colour in TEST_AREAS.items():
        fill(face, TEST_RECTS[name], colour)
    x, y, w, h = TEST_RECTS["SeekBar"]
    for row in range(h):
        fill(face, (x, y + row, w, 1), test_seek_filled(row) if pressed else TEST_SEEK_EMPTY)
    return face


def test_about():
    about = Image.new("RGB", (64, 48), (32, 96, 160))
    ImageDraw.Draw(about).rectangle([0, 0, 63, 47], outline=(255, 255, 255))
    return about


def check_test_skin(up, down):
    assert up.size == down.size == (TEST_W, TEST_H)
    bx, by, bw, bh = TEST_BODY_RECT
    for face in (up, down):
        assert face.getpixel((0, 0)) == MAGENTA
        for y in range(TEST_H):
            for x in range(TEST_W):
                in_body = bx <= x < bx + bw and by <= y < by + bh
                transparent = face.getpixel((x, y)) == MAGENTA
                assert transparent == ((not in_body or (x, y) == TEST_HOLE) and (x, y) != TEST_LONE)
    for name, (x, y, w, h) in TEST_RECTS.items():
        assert bx <= x and x + w <= bx + bw and by <= y and y + h <= by + bh, name
        assert not (x <= TEST_HOLE[0] < x + w and y <= TEST_HOLE[1] < y + h), name
    for a in TEST_RECTS:
        for b in TEST_RECTS:
            ax, ay, aw, ah = TEST_RECTS[a]
            bx2, by2, bw2, bh2 = TEST_RECTS[b]
            # One pixel of body at least between any two controls, so "one pixel right of"
            # a control is never another control.
            if a != b:
                assert ax + aw + 1 <= bx2 or bx2 + bw2 + 1 <= ax or ay + ah + 1 <= by2 or by2 + bh2 + 1 <= ay, \
                    (a, b)
    assert TEST_RECTS["SeekBar"][2] < TEST_RECTS["SeekBar"][3]
    assert fits("88:88", TEST_RECTS["DisplayTime"][3], TEST_RECTS["DisplayTime"][2])
    assert fits("44", TEST_RECTS["DisplayKhz"][3], TEST_RECTS["DisplayKhz"][2])
    assert fits("320", TEST_RECTS["DisplayBitrate"][3], TEST_RECTS["DisplayBitrate"][2])


def make_test_skins():
    folder = os.path.join(ROOT, "tests", "data", "skins")
    up, down, about = test_face(False), test_face(True), test_about()
    check_test_skin(up, down)
    ini = skin_ini(TEST_RECTS, DISPLAY_FONT, TEST_COLOUR)

    def bitmaps(name, main_up=True):
        if main_up:
            write_bmp(os.path.join(folder, name, "MainUp.bmp"), up)
        write_bmp(os.path.join(folder, name, "MainDown.bmp"), down)
        write_bmp(os.path.join(folder, name, "About.bmp"), about)

    write_text(os.path.join(folder, "Vertical", "Skin.ini"), ini)
    bitmaps("Vertical")
    write_text(os.path.join(folder, "NoBitmaps", "Skin.ini"), ini)
    write_text(os.path.join(folder, "MissingKey", "Skin.ini"),
               skin_ini(TEST_RECTS, DISPLAY_FONT, TEST_COLOUR, leave_out=("Play",)))
    bitmaps("MissingKey")
    write_text(os.path.join(folder, "BadBitmap", "Skin.ini"), ini)
    write_text(os.path.join(folder, "BadBitmap", "MainUp.bmp"), "This file is text, not a bitmap.\n")
    bitmaps("BadBitmap", main_up=False)


def main():
    for path in (BOLD, BOOK):
        if not os.path.exists(path):
            sys.exit("make-skins: %s is missing (Debian package fonts-dejavu-core)" % path)
    make_default()
    make_test_skins()


if __name__ == "__main__":
    main()
