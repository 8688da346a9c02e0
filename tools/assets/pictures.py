#!/usr/bin/env python3
"""Draws every picture of the folder "images" with ImageMagick (convert, Debian's version 6).

One look for the whole program: deep navy and racing blue, an amber accent, the black-and-white
chequer of the finish line, plain shapes with thick outlines that stay readable on a projector.
Every icon is drawn on a 64 x 64 grid at 256 pixels and reduced with a box filter, which gives
clean anti-aliased edges down to 11 pixels.

Pictures that sit on a window or a table cell (icons, lights, arrows, the finish flag) are 32-bit
BMP files with an alpha channel, so that they blend with whatever colour the user gives those
surfaces; the logo is an opaque 24-bit BMP3, since reports copy it whole. Written with -strip,
on one thread, with no date and no other metadata: a run rebuilds every file byte for byte.

Usage: pictures.py OUTPUT_FOLDER
"""

import pathlib
import subprocess
import sys

NAVY = "#14325C"
BLUE = "#1E5AA8"
SKY = "#A9C8F0"
AMBER = "#FFB400"
RED = "#D7263D"
DARKRED = "#8C1020"
GREEN = "#2BA84A"
DARKGREEN = "#17662B"
WHITE = "#FFFFFF"
PAPER = "#F4F6FA"
INK = "#1A1A1A"
GREY = "#8A94A6"
DARKGREY = "#4A5260"

FONT_DIR = "/usr/share/fonts/truetype/liberation"

COMMON = ["-limit", "thread", "1"]


def convert(args, out):
    subprocess.run(["convert", *COMMON, *args, "-strip", str(out)], check=True)


def shape(fill, stroke, width, draw):
    """One drawing primitive with its colours ("none" for no fill or no outline)."""
    return ["-fill", fill, "-stroke", stroke, "-strokewidth", str(width), "-draw", draw]


def icon(out, size, ops):
    """A transparent picture of size x size pixels from a drawing on the 64 x 64 grid, made at
    256 x 256 and reduced."""
    convert(["-size", "256x256", "xc:none", "-affine", "4,0,0,4,0,0", *ops, "-filter", "Box",
             "-resize",
             f"{size}x{size}", "-alpha", "on", "-type", "TrueColorAlpha", "-define",
             "bmp:format=bmp4"], f"BMP:{out}")


# The drawings, on a 64 x 64 grid (16-pixel icons drawn at 4x).

def page(lines=True):
    ops = shape(PAPER, NAVY, 4, "polygon 12,4 40,4 52,16 52,60 12,60")
    ops += shape(SKY, NAVY, 3, "polygon 40,4 40,16 52,16")
    if lines:
        for y in (28, 38, 48):
            ops += shape("none", GREY, 4, f"line 20,{y} 44,{y}")
    return ops


def plus_badge(colour):
    return (shape(colour, NAVY, 3, "circle 46,46 46,32")
            + shape("none", WHITE, 5, "line 46,38 46,54")
            + shape("none", WHITE, 5, "line 38,46 54,46"))


def track():
    return (shape("none", NAVY, 14, "roundrectangle 8,14 56,50 17,17")
            + shape("none", SKY, 4, "roundrectangle 8,14 56,50 17,17")
            + shape(WHITE, "none", 0, "rectangle 28,43 32,47")
            + shape(INK, "none", 0, "rectangle 32,43 36,47")
            + shape(INK, "none", 0, "rectangle 28,47 32,51")
            + shape(WHITE, "none", 0, "rectangle 32,47 36,51"))


def helmet():
    return (shape(BLUE, NAVY, 4, "path 'M 8,44 C 8,10 56,6 58,40 L 58,50 L 14,50 Z'")
            + shape(AMBER, NAVY, 3, "path 'M 34,22 C 46,22 56,28 57,38 L 34,38 Z'")
            + shape("none", WHITE, 4, "line 12,46 54,46"))


def chip(lit=True):
    body = NAVY if lit else DARKGREY
    ops = []
    for x in (24, 32, 40):
        ops += shape("none", GREY, 3, f"line {x},14 {x},50")
    for y in (24, 32, 40):
        ops += shape("none", GREY, 3, f"line 14,{y} 50,{y}")
    ops += shape(body, INK, 2, "roundrectangle 19,19 45,45 4,4")
    ops += shape(AMBER if lit else GREY, "none", 0, "circle 32,32 32,27")
    return ops


def waves(cx, cy, radii, colour, width=4):
    ops = []
    for r in radii:
        ops += shape("none", colour, width, f"ellipse {cx},{cy} {r},{r} -50,50")
    return ops


def speaker():
    return (shape(NAVY, NAVY, 2, "polygon 8,24 18,24 32,12 32,52 18,40 8,40")
            + waves(30, 32, (12, 20, 28), BLUE, 5))


def monitor():
    return (shape(NAVY, NAVY, 3, "roundrectangle 4,8 60,46 4,4")
            + shape(SKY, "none", 0, "rectangle 9,13 55,41")
            + shape(AMBER, "none", 0, "rectangle 12,17 30,21")
            + shape(WHITE, "none", 0, "rectangle 12,25 50,28")
            + shape(WHITE, "none", 0, "rectangle 12,32 44,35")
            + shape(NAVY, "none", 0, "polygon 26,46 38,46 42,56 22,56")
            + shape(NAVY, "none", 0, "rectangle 16,55 48,60"))


def decoder():
    return (shape(NAVY, INK, 2, "roundrectangle 4,18 44,50 5,5")
            + shape(GREEN, "none", 0, "circle 14,28 14,24")
            + shape(AMBER, "none", 0, "circle 26,28 26,24")
            + shape("none", SKY, 3, "line 10,40 38,40")
            + shape("none", INK, 5, "path 'M 44,34 C 54,34 52,14 60,12'")
            + shape(GREY, INK, 2, "rectangle 53,4 63,12"))


def calendar():
    ops = shape(PAPER, NAVY, 4, "roundrectangle 6,10 58,58 4,4")
    ops += shape(BLUE, NAVY, 4, "rectangle 6,10 58,24")
    ops += shape("none", NAVY, 5, "line 20,4 20,16") + shape("none", NAVY, 5, "line 44,4 44,16")
    for row, y in enumerate((32, 42, 52)):
        for col, x in enumerate((16, 27, 38, 49)):
            colour = AMBER if (row, col) == (1, 2) else GREY
            ops += shape(colour, "none", 0, f"rectangle {x - 3},{y - 3} {x + 3},{y + 3}")
    return ops


def floppy():
    return (shape(NAVY, INK, 2, "polygon 6,6 50,6 58,14 58,58 6,58")
            + shape(PAPER, "none", 0, "rectangle 14,34 50,58")
            + shape(GREY, "none", 0, "rectangle 16,6 46,24")
            + shape(NAVY, "none", 0, "rectangle 36,9 42,21")
            + shape("none", BLUE, 3, "line 20,42 44,42")
            + shape("none", BLUE, 3, "line 20,50 44,50"))


def power():
    return (shape("none", RED, 8, "ellipse 32,35 22,22 -55,235")
            + shape("none", RED, 8, "line 32,6 32,32"))


def shield():
    return (shape(BLUE, NAVY, 4, "path 'M 32,4 L 56,12 C 56,36 48,52 32,60 C 16,52 8,36 8,12 Z'")
            + shape(AMBER, "none", 0, "polygon 8,24 56,24 54,34 10,34")
            + shape(WHITE, NAVY, 2, "polygon 32,38 35,45 42,45 36,49 38,56 32,52 26,56 28,49 "
                    "22,45 29,45"))


def antenna():
    return (shape("none", NAVY, 5, "line 32,30 32,60")
            + shape("none", NAVY, 5, "line 22,60 42,60")
            + shape(AMBER, NAVY, 3, "circle 32,26 32,20")
            + waves(32, 26, (14, 24), BLUE, 5)
            + [arg.replace("-50,50", "130,230") for arg in waves(32, 26, (14, 24), BLUE, 5)])


def folder():
    return (shape(AMBER, "#B07A00", 3, "polygon 4,14 24,14 30,20 60,20 60,54 4,54")
            + shape("#FFD060", "#B07A00", 3, "polygon 4,26 60,26 60,54 4,54"))


def sliders():
    ops = []
    for y, knob in ((14, 42), (32, 20), (50, 34)):
        ops += shape("none", NAVY, 5, f"line 6,{y} 58,{y}")
        ops += shape(AMBER, NAVY, 3, f"roundrectangle {knob - 6},{y - 8} {knob + 6},{y + 8} 3,3")
    return ops


def rows_and_arrows():
    ops = []
    for y in (8, 24, 40):
        ops += shape(SKY, NAVY, 3, f"roundrectangle 4,{y} 40,{y + 12} 2,2")
    ops += shape(GREEN, "none", 0, "polygon 52,4 62,18 42,18")
    ops += shape("none", GREEN, 5, "line 52,18 52,28")
    ops += shape(RED, "none", 0, "polygon 52,60 62,46 42,46")
    ops += shape("none", RED, 5, "line 52,36 52,46")
    return ops


def car():
    return (shape(INK, "none", 0, "roundrectangle 4,10 18,22 3,3")
            + shape(INK, "none", 0, "roundrectangle 46,10 60,22 3,3")
            + shape(INK, "none", 0, "roundrectangle 4,42 18,54 3,3")
            + shape(INK, "none", 0, "roundrectangle 46,42 60,54 3,3")
            + shape(BLUE, NAVY, 3, "roundrectangle 12,6 52,58 12,12")
            + shape(AMBER, NAVY, 2, "roundrectangle 20,20 44,36 5,5")
            + shape("none", WHITE, 4, "line 32,40 32,54"))


def pole_flag(chequered):
    ops = shape("none", DARKGREY, 5, "line 10,6 10,60")
    if chequered:
        for r in range(4):
            for c in range(4):
                colour = INK if (r + c) % 2 == 0 else WHITE
                x, y = 12 + 10 * c, 6 + 8 * r
                ops += shape(colour, "none", 0, f"rectangle {x},{y} {x + 10},{y + 8}")
        ops += shape("none", INK, 2, "rectangle 12,6 52,38")
        ops += shape(GREEN, WHITE, 3, "circle 48,48 48,34")
        ops += shape("none", WHITE, 6, "polyline 41,48 46,54 56,42")
    else:
        ops += shape(PAPER, GREY, 3, "rectangle 12,6 52,38")
        ops += shape(SKY, "none", 0, "rectangle 12,6 22,14")
        ops += shape(SKY, "none", 0, "rectangle 32,6 42,14")
        ops += shape(SKY, "none", 0, "rectangle 22,14 32,22")
        ops += shape(SKY, "none", 0, "rectangle 42,14 52,22")
    return ops


def podium():
    return (shape(AMBER, NAVY, 3, "rectangle 22,14 42,58")
            + shape(SKY, NAVY, 3, "rectangle 4,28 22,58")
            + shape("#E8A060", NAVY, 3, "rectangle 42,36 60,58")
            + shape(NAVY, "none", 0, "rectangle 29,22 35,40"))


def stopwatch():
    return (shape("none", NAVY, 5, "line 32,4 32,12")
            + shape(NAVY, "none", 0, "rectangle 26,2 38,6")
            + shape(PAPER, NAVY, 5, "circle 32,36 32,12")
            + shape(AMBER, "none", 0, "path 'M 32,36 L 32,16 A 20,20 0 0,1 51,31 Z'")
            + shape("none", NAVY, 4, "line 32,36 32,20"))


# Race panel faces, on a 64 x 64 grid too (drawn at 40 or 32 pixels).

def round_button(colour, dark, glyph):
    return (shape(dark, "none", 0, "circle 32,33 32,3")
            + shape(colour, dark, 2, "circle 32,31 32,3")
            + shape("none", "#FFFFFF60", 3, "ellipse 32,31 24,24 200,320")
            + glyph)


def start_face():
    return round_button(GREEN, DARKGREEN, shape(WHITE, "none", 0, "polygon 24,16 50,31 24,46"))


def stop_face():
    return round_button(RED, DARKRED, shape(WHITE, "none", 0, "roundrectangle 20,19 44,43 3,3"))


def clear_face():
    return round_button(AMBER, "#B07A00",
                        shape("none", WHITE, 6, "ellipse 32,31 15,15 -30,250")
                        + shape(WHITE, "none", 0, "polygon 38,8 50,20 35,24"))


def results_face():
    ops = shape(PAPER, NAVY, 4, "roundrectangle 10,6 54,60 4,4")
    ops += shape(NAVY, "none", 0, "rectangle 10,6 54,18")
    for i, y in enumerate((26, 36, 46)):
        ops += shape(AMBER if i == 0 else BLUE, "none", 0, f"rectangle 16,{y} 22,{y + 6}")
        ops += shape("none", GREY, 4, f"line 28,{y + 3} 48,{y + 3}")
    return ops


def printer():
    return (shape(PAPER, GREY, 3, "rectangle 18,4 46,26")
            + shape(DARKGREY, INK, 2, "roundrectangle 4,22 60,48 5,5")
            + shape(GREY, "none", 0, "rectangle 8,26 56,30")
            + shape(GREEN, "none", 0, "circle 52,36 52,33")
            + shape(WHITE, GREY, 3, "rectangle 16,40 48,62")
            + shape("none", BLUE, 3, "line 21,48 43,48")
            + shape("none", BLUE, 3, "line 21,55 37,55"))


def light(colour, dark):
    return (shape(DARKGREY, INK, 2, "circle 32,32 32,3")
            + shape(dark, "none", 0, "circle 32,32 32,8")
            + shape(colour, "none", 0, "circle 30,30 30,10")
            + shape("#FFFFFFB0", "none", 0, "ellipse 25,22 8,5 0,360"))


def scan_lamp(step):
    """Frame 1 to 4 of the scan animation: the chip lit, then one more wave each frame."""
    ops = chip(lit=True)
    radii = (22, 27, 32)[:step - 1]
    ops += waves(32, 32, radii, AMBER, 3)
    ops += [a.replace("-50,50", "130,230") for a in waves(32, 32, radii, AMBER, 3)]
    return ops


def arrow(up):
    tip, base = (4, 56) if up else (60, 8)
    return shape(BLUE, NAVY, 4, f"polygon 32,{tip} 60,{base} 4,{base}")


MENU_ICONS = {
    1001: page(lines=True) + plus_badge(AMBER),  # New event
    1003: floppy(),                              # Save
    1005: power(),                               # Quit
    1006: track(),                               # Circuits
    1007: shield(),                              # Clubs
    1008: helmet(),                              # Drivers
    1009: chip() + waves(32, 32, (26,), AMBER, 4),  # Transponders
    1010: antenna(),                             # Frequencies
    1011: calendar(),                            # Planning qualification
    1013: speaker(),                             # Sounds
    1014: monitor(),                             # Display
    1015: decoder(),                             # Interface
}

# In the image-list order of the event tree (the names are in forms_kit/pictures.h).
TREE_ICONS = [
    ("arbreGroupe", folder()),
    ("arbrePiste", track()),
    ("arbrePilote", helmet()),
    ("arbreParametres", sliders()),
    ("arbreRepartition", rows_and_arrows()),
    ("arbreCategorie", car()),
    ("arbreSerie", pole_flag(chequered=False)),
    ("arbreClassement", podium()),
    ("arbreSerieCourue", pole_flag(chequered=True)),
    ("arbreChrono", stopwatch()),
]


def logo(out):
    """The 200 x 50 brand block; the last four columns are plain background, since the window
    shows only 196 of them."""
    ops = ["-fill", NAVY, "-draw", "rectangle 0,0 199,49"]
    for r in range(5):
        for c in range(5):
            colour = WHITE if (r + c) % 2 == 0 else INK
            x, y = 6 + 8 * c, 5 + 8 * r
            ops += ["-fill", colour, "-draw", f"rectangle {x},{y} {x + 7},{y + 7}"]
    ops += ["-fill", AMBER, "-draw", "polygon 48,5 52,5 50,44 46,44"]
    ops += ["-font", f"{FONT_DIR}/LiberationSans-BoldItalic.ttf", "-pointsize", "27",
            "-fill", WHITE, "-annotate", "+56+29", "VELKARO"]
    ops += ["-font", f"{FONT_DIR}/LiberationSans-Bold.ttf", "-pointsize", "10.5",
            "-kerning", "1.6", "-fill", AMBER, "-annotate", "+57+43", "RACE MANAGEMENT"]
    convert(["-size", "200x50", "xc:" + NAVY, *ops, "-alpha", "off", "-type", "TrueColor"],
            f"BMP3:{out}")


def finish_flag(out):
    """The finished-car mark: a 6 x 4 chequer of 4-pixel squares, shown in a table row."""
    ops = []
    for r in range(4):
        for c in range(6):
            colour = INK if (r + c) % 2 == 0 else WHITE
            ops += ["-fill", colour, "-draw", f"rectangle {4 * c},{4 * r} {4 * c + 3},{4 * r + 3}"]
    convert(["-size", "24x16", "xc:none", *ops, "-alpha", "on", "-type", "TrueColorAlpha",
             "-define", "bmp:format=bmp4"], f"BMP:{out}")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder_out = pathlib.Path(sys.argv[1])
    folder_out.mkdir(parents=True, exist_ok=True)
    count = 0
    for menu_id, ops in MENU_ICONS.items():
        icon(folder_out / f"menu{menu_id}.bmp", 16, ops)
        count += 1
    for name, ops in TREE_ICONS:
        icon(folder_out / f"{name}.bmp", 16, ops)
        count += 1
    for name, ops, size in (("boutonDepart", start_face(), 40), ("boutonStop", stop_face(), 40),
                            ("boutonEffacer", clear_face(), 40),
                            ("boutonResultats", results_face(), 32),
                            ("impression", printer(), 32),
                            ("voyantVert", light(GREEN, DARKGREEN), 40),
                            ("voyantRouge", light(RED, DARKRED), 40),
                            ("FlecheHaut", arrow(up=True), 11),
                            ("FlecheBas", arrow(up=False), 11)):
        icon(folder_out / f"{name}.bmp", size, ops)
        count += 1
    for step in range(1, 5):
        icon(folder_out / f"voyantScanPuce{step}.bmp", 40, scan_lamp(step))
        count += 1
    logo(folder_out / "logo.bmp")
    finish_flag(folder_out / "drapeauArrivee.bmp")
    count += 2
    print(f"{count} pictures in {folder_out}")


if __name__ == "__main__":
    main()
