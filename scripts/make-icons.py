#!/usr/bin/python3
"""Draws the desktop icons of both programs: PNG at every hicolor size and a scalable SVG.

Usage: scripts/make-icons.py (from anywhere; paths are taken relative to this file).
Needs Debian's Python 3 with PIL (python3-pil).
Writes, relative to the repository root:
  player/share/icons/        sonorbox-N.png for N in SIZES, sonorbox.svg
  iconbrowser/share/icons/   glintgatherer-N.png for N in SIZES, glintgatherer.svg
The player builds its 16 and 32 pixel pictures into its window icon; Glint Gatherer likewise.
Each icon is a list of shapes on a 32-unit grid; one list gives both the SVG and the PNGs
(drawn 16x and box-filtered down), so every size shows the same picture and every run
gives the same files.
"""
import os

from PIL import Image, ImageDraw

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
GRID = 32
SS = 16

# --- The pictures ----------------------------------------------------------------------
# Shapes: ("rrect", (x0, y0, x1, y1), radius, fill), fill a colour or ("down", top, bottom),
# a gradient from top to bottom; ("circle", (cx, cy), r, colour);
# ("polygon", points, colour, outline colour or None, outline width).

# The player: its emblem (the skin's speaker-like disc) on a small rounded body.
OUTLINE = (13, 15, 18)
BODY_TOP, BODY_BOTTOM = (62, 68, 78), (33, 37, 44)
DISC, DISC_DARK = (120, 235, 205), (8, 19, 22)
RIM = 1


def sonorbox():
    body = (2, 2, 30, 30)
    inner = tuple(v + RIM if i < 2 else v - RIM for i, v in enumerate(body))
    shapes = [("rrect", body, 7, OUTLINE), ("rrect", inner, 7 - RIM, ("down", BODY_TOP, BODY_BOTTOM))]
    for part, colour in ((1.0, DISC), (0.72, DISC_DARK), (0.5, DISC), (0.17, DISC_DARK)):
        shapes.append(("circle", (16, 16), 10.9 * part, colour))
    return shapes


# Glint Gatherer: a faceted gem with a glint.
GEM_EDGE = (0x10, 0x30, 0x70)
GEM, GEM_LIGHT, GEM_DARK = (0x30, 0x80, 0xE0), (0x90, 0xC8, 0xFF), (0x18, 0x58, 0xB0)
GLINT = (255, 255, 255)


def glintgatherer():
    edge = 1.5
    return [
        ("polygon", [(4, 12), (10, 4), (22, 4), (28, 12), (16, 29)], GEM, GEM_EDGE, edge),
        ("polygon", [(4, 12), (10, 4), (16, 12)], GEM_LIGHT, GEM_EDGE, edge),
        ("polygon", [(16, 12), (22, 4), (28, 12)], GEM_LIGHT, GEM_EDGE, edge),
        ("polygon", [(4, 12), (28, 12), (16, 29)], GEM_DARK, GEM_EDGE, edge),
        ("polygon", [(11, 3), (12, 7), (16, 8), (12, 9), (11, 13), (10, 9), (6, 8), (10, 7)], GLINT, None, 0),
    ]


# --- SVG -------------------------------------------------------------------------------

def hex_colour(c):
    return "#%02x%02x%02x" % c


def number(v):
    return ("%.3f" % v).rstrip("0").rstrip(".")


def svg(shapes):
    defs, body = [], []
    for shape in shapes:
        kind = shape[0]
        if kind == "rrect":
            _, (x0, y0, x1, y1), radius, fill = shape
            if isinstance(fill, tuple) and fill[0] == "down":
                name = "down%d" % len(defs)
                defs.append('<linearGradient id="%s" x1="0" y1="0" x2="0" y2="1">'
                            '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/>'
                            '</linearGradient>' % (name, hex_colour(fill[1]), hex_colour(fill[2])))
                paint = "url(#%s)" % name
            else:
                paint = hex_colour(fill)
            place = tuple(map(number, (x0, y0, x1 - x0, y1 - y0, radius)))
            body.append('<rect x="%s" y="%s" width="%s" height="%s" rx="%s" fill="%s"/>' % (place + (paint,)))
        elif kind == "circle":
            _, (cx, cy), r, colour = shape
            body.append('<circle cx="%s" cy="%s" r="%s" fill="%s"/>'
                        % (number(cx), number(cy), number(r), hex_colour(colour)))
        elif kind == "polygon":
            _, points, colour, edge, width = shape
            stroke = (' stroke="%s" stroke-width="%s" stroke-linejoin="round"' % (hex_colour(edge), number(width))
                      if edge else "")
            body.append('<polygon points="%s" fill="%s"%s/>'
                        % (" ".join("%s,%s" % (number(x), number(y)) for x, y in points), hex_colour(colour), stroke))
        else:
            raise ValueError(kind)
    lines = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
             % (GRID * 8, GRID * 8, GRID, GRID)]
    if defs:
        lines.append("<defs>" + "".join(defs) + "</defs>")
    lines += body
    lines.append("</svg>")
    return "\n".join(lines) + "\n"


# --- PNG -------------------------------------------------------------------------------

def png(shapes, size):
    """Draws the shapes at SS times the size and box-filters them down. Colour and coverage
    are drawn apart, so the edges blend toward the shape's own colour, never toward black."""
    n = size * SS
    unit = n / GRID
    colour = Image.new("RGB", (n, n), shapes[0][3] if shapes[0][0] == "rrect" else shapes[0][2])
    cover = Image.new("L", (n, n), 0)
    for shape in shapes:
        mask = Image.new("L", (n, n), 0)
        draw = ImageDraw.Draw(mask)
        kind = shape[0]
        if kind == "rrect":
            _, box, radius, fill = shape
            draw.rounded_rectangle([v * unit for v in box], radius=radius * unit, fill=255)
            if isinstance(fill, tuple) and fill[0] == "down":
                column = Image.new("RGB", (1, n))
                for row in range(n):
                    t = min(max((row / unit - box[1]) / (box[3] - box[1]), 0), 1)
                    column.putpixel((0, row), tuple(round(fill[1][i] + (fill[2][i] - fill[1][i]) * t)
                                                    for i in range(3)))
                paint = column.resize((n, n))
            else:
                paint = Image.new("RGB", (n, n), fill)
            colour.paste(paint, (0, 0), mask)
        elif kind == "circle":
            _, (cx, cy), r, fill = shape
            draw.ellipse([(cx - r) * unit, (cy - r) * unit, (cx + r) * unit, (cy + r) * unit], fill=255)
            colour.paste(fill, (0, 0), mask)
        elif kind == "polygon":
            _, points, fill, edge, width = shape
            scaled = [(x * unit, y * unit) for x, y in points]
            draw.polygon(scaled, fill=255)
            colour.paste(fill, (0, 0), mask)
            if edge:
                outline = Image.new("L", (n, n), 0)
                ImageDraw.Draw(outline).line(scaled + scaled[:1], fill=255, width=round(width * unit),
                                             joint="curve")
                colour.paste(edge, (0, 0), outline)
                mask.paste(255, (0, 0), outline)
        else:
            raise ValueError(kind)
        cover.paste(255, (0, 0), mask)
    picture = colour.convert("RGBA")
    picture.putalpha(cover)
    return picture.resize((size, size), Image.BOX)


def make(folder, name, shapes):
    folder = os.path.join(ROOT, folder)
    os.makedirs(folder, exist_ok=True)
    for size in SIZES:
        png(shapes, size).save(os.path.join(folder, "%s-%d.png" % (name, size)), "PNG")
    with open(os.path.join(folder, name + ".svg"), "w", newline="\n") as f:
        f.write(svg(shapes))


def main():
    make(os.path.join("player", "share", "icons"), "sonorbox", sonorbox())
    make(os.path.join("iconbrowser", "share", "icons"), "glintgatherer", glintgatherer())


if __name__ == "__main__":
    main()
