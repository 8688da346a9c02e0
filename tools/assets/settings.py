#!/usr/bin/env python3
"""Writes the settings a first start reads, so that it finds every one of them:

- "RéglagesSons.rg": the eight sound keywords, one per line. English calls (the language of
  the user interface), every sound and call switched on.
- "Private/RéglagesAffichage.rgsc": the live screen's theme (below).
- "RéglagesInterface2.rg": port "COM1", not ready, decoder type "Velkaro" (the only type
  written while not ready); the user connects in the "Interface" form.

Windows-1252 text, CR LF line ends. In the display settings every value is followed by a TAB.

THEME. Built for a projector at the track and for the screen beside the timing desk: a light
table with dark text, navy title bands, an amber flash on the lane of the car that just passed,
violet for the best lap of the run and green for a driver's own best lap. Sizes are in 1/1600
of the screen width: 16 for the rows (19 pixels on a 1920-pixel screen) keeps all 20 cars of a
run in the table of a 16:9 screen; the run title is larger. The nine columns add up to 1170:
with the 110 units of the position and finish columns the table reaches 200 + 1280 x W / 1600
pixels, which fits beside the 200-pixel event tree on any screen from 1024 pixels wide.

Usage: settings.py OUTPUT_FOLDER
"""

import pathlib
import sys

CRLF = "\r\n"

SOUND_KEYWORDS = [
    "SONLANGUEAnglais",
    "SONDECOMPTEoui",
    "SONDEPARToui",
    "SONPASSAGEoui",
    "SONMEILLEURTOURoui",
    "SONHORLOGEoui",
    "SONFINCOURSEoui",
    "SONFINVOITUREoui",
]

INTERFACE = ("COM1", 0, "Velkaro")


def rgb(r, g, b):
    """A colour as the settings store it: 0x00BBGGRR."""
    return r | (g << 8) | (b << 16)


NAVY = rgb(20, 50, 92)
BLUE = rgb(30, 90, 168)
SKY = rgb(169, 200, 240)
AMBER = rgb(255, 180, 0)
RED = rgb(215, 38, 61)
VIOLET = rgb(190, 150, 255)
LIGHTGREEN = rgb(140, 220, 150)
GREEN = rgb(43, 168, 74)
WHITE = rgb(255, 255, 255)
INK = rgb(26, 26, 26)
SLATE = rgb(74, 82, 96)
GREY = rgb(90, 98, 112)

GRADIENT_STYLE = 0

# Text styles, in the order the live screen uses them: (role, size, weight, colour).
TEXT_STYLES = [
    ("name of runs", 26, 700, WHITE),
    ("radio conflict", 24, 700, WHITE),
    ("column titles", 15, 700, WHITE),
    ("Lane", 16, 700, NAVY),
    ("Driver", 16, 700, INK),
    ("Laps", 16, 700, NAVY),
    ("Total time", 16, 400, INK),
    ("- to leader", 16, 400, SLATE),
    ("- to previous", 16, 400, SLATE),
    ("Laptime", 16, 400, INK),
    ("Best lap time", 16, 700, NAVY),
    ("Transp.", 15, 400, GREY),
]

COLOURS = [
    rgb(200, 200, 200),  # software background, the main window's grey
    rgb(250, 251, 253),  # event tree
    rgb(244, 246, 250),  # table background (the watermark is 10 units darker)
    NAVY,                # name of runs
    RED,                 # radio conflict
    AMBER,               # cars passage
    VIOLET,              # best lap time of the run
    LIGHTGREEN,          # best lap time of the driver
    NAVY,                # titles, first colour
    BLUE,                # titles, second colour
    WHITE,               # results, first colour
    rgb(226, 234, 246),  # results, second colour
    rgb(200, 214, 236),  # results, third colour
]

# Lane, Driver, Laps, Total time, - to leader, - to previous, Laptime, Best lap time, Transp.
COLUMN_WIDTHS = [70, 300, 80, 140, 120, 120, 110, 130, 100]

# The colour chooser's custom row: the theme's own colours first.
CUSTOM_COLOURS = [
    NAVY, BLUE, SKY, AMBER, RED, VIOLET, LIGHTGREEN, GREEN,
    WHITE, rgb(244, 246, 250), rgb(200, 200, 200), rgb(138, 148, 166), SLATE, INK,
    rgb(140, 16, 32), rgb(23, 102, 43),
]


def line(values):
    return "".join(f"{v}\t" for v in values) + CRLF


def display_settings():
    faces = ["Arial"] * len(TEXT_STYLES)
    return "".join([
        line([GRADIENT_STYLE]),
        line(faces),
        line([s[1] for s in TEXT_STYLES]),
        line([s[2] for s in TEXT_STYLES]),
        line([0] * len(TEXT_STYLES)),  # italic
        line([0] * len(TEXT_STYLES)),  # underline
        line([0] * len(TEXT_STYLES)),  # strike-out
        line([s[3] for s in TEXT_STYLES]),
        line(COLOURS),
        line(COLUMN_WIDTHS),
        line(CUSTOM_COLOURS),
    ])


def write(path, text):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(text.encode("cp1252"))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = pathlib.Path(sys.argv[1])
    assert len(TEXT_STYLES) == 12 and len(COLOURS) == 13 and len(CUSTOM_COLOURS) == 16
    assert len(COLUMN_WIDTHS) == 9
    for width in (1024, 1280, 1600, 1920):  # the table's right edge stays on the screen
        assert 200 + (sum(COLUMN_WIDTHS) + 110) * width // 1600 <= width
    write(folder / "RéglagesSons.rg", "".join(k + CRLF for k in SOUND_KEYWORDS))
    write(folder / "Private" / "RéglagesAffichage.rgsc", display_settings())
    port, ready, kind = INTERFACE
    write(folder / "RéglagesInterface2.rg", f"{port}\t{ready}\t{kind}{CRLF}")
    print(f"settings in {folder}")


if __name__ == "__main__":
    main()
