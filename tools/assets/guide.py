#!/usr/bin/env python3
"""Writes the user guide "Guides/HelpRaceManagementGB.pdf" opened by Help in the "?" menu.

A plain PDF 1.4 written by hand: A4 pages, the standard Helvetica fonts (no font embedded),
Windows-1252 text, uncompressed page streams, and no creation date or document id, so that the
file is the same on every run.

Usage: guide.py OUTPUT_FOLDER
"""

import pathlib
import sys

PAGE_W, PAGE_H = 595, 842  # A4 in points
MARGIN = 56
BODY_SIZE = 10.5
LEADING = 14
WRAP = 92  # characters per body line at this size

GUIDE = [
    ("title", "Velkaro Race Management"),
    ("subtitle", "User guide"),
    ("h", "1. Before the event"),
    ("p", "Velkaro times radio-controlled model car races with a decoder at the timing line and "
          "a transponder in every car, shows the running order on a full-screen live table, "
          "announces the race aloud and manages the whole event: categories, qualifying rounds "
          "of heats, classifications, finals and the closure report."),
    ("p", "Everything the program keeps is a text file in its program folder. On Linux this is "
          "\"Velkaro Race Management\" in your data folder (~/.local/share unless XDG_DATA_HOME "
          "says otherwise). The first start copies the shipped files there: the voices and "
          "signals in \"sons\", the pictures in \"images\", this guide in \"Guides\", the "
          "databases and the settings. A file you have changed is never overwritten."),
    ("h", "2. Connecting the decoder"),
    ("p", "Plug the decoder into a serial or USB port and open Settings > Interface. Choose the "
          "COM port and press \"Connect\": the program asks the decoder who it is and checks "
          "\"Velkaro MK2\" when it answers, \"Velkaro MK1\" otherwise. The light turns green "
          "when the interface is ready. The choice is kept for the next start."),
    ("p", "On Linux, COM1 to COM8 are /dev/ttyUSB0 to /dev/ttyUSB7, COM9 to COM16 are "
          "/dev/ttyACM0 to /dev/ttyACM7 and COM17 to COM49 are /dev/ttyS0 to /dev/ttyS32. For "
          "any other device, make a link named COMn in the folder \"ports\" of the program "
          "folder; it takes precedence."),
    ("h", "3. Databases"),
    ("p", "The Database menu edits circuits (with the minimum lap time and the lap record), "
          "clubs, drivers, transponder sets and radio frequencies. Type a name in \"New\" and "
          "press \"Add\"; select a name to edit its details; \"Ok\" saves the file, \"Cancel\" "
          "forgets every change. The 20 transponder sets are offered by the race panel when the "
          "cars carry club transponders."),
    ("h", "4. Preparing the event"),
    ("p", "File > New event starts an empty event with one category. The event tree on the left "
          "shows the track and, for each category, its drivers, qualification, finals and "
          "closure report. Right-click a node for its commands: \"Track for the race\" chooses "
          "the circuit, \"New category\" and \"Rename category\" shape the event (up to 9 "
          "categories), \"List of participants\" takes drivers from the database, and "
          "\"Qualifying heats Parameters\" and \"Qualifying heats Arrangement\" set the rounds, "
          "the heats and the order of the drivers. \"Generate\" creates the rounds and heats in "
          "the tree."),
    ("h", "5. Running a heat"),
    ("p", "Select a heat or a finals run in the tree: its cars appear in the race panel. Choose "
          "how the cars are identified: \"Personal chips\" (each driver's own transponder), "
          "\"Club chips\" (a transponder set) or \"Mixed (scan)\". In the mixed mode press "
          "\"Scan\" and let the cars cross the line one by one in car-number order; each new "
          "transponder goes to the next car, a check lap follows and a chime confirms the order "
          "(a buzz means the cars crossed out of order)."),
    ("p", "\"Start\" begins the countdown, spoken if you wish, and starts the race at zero. The "
          "live table shows laps, total time, gaps, the last and best lap of every car; the lane "
          "of a car that has just passed flashes, the best lap of the race and each driver's own "
          "best lap are coloured. \"Stop\" ends the race, \"Clear\" resets the cars for a new "
          "start. Leaving the heat's node, or saving, records its result. The program refuses to "
          "close while a race, a countdown or a scan is running."),
    ("h", "6. Results and reports"),
    ("p", "The results button of the race panel offers \"Modify run results\", \"Run detailed "
          "results\" and \"Add a comment\". Ctrl and a click on a driver's row opens the analysis "
          "of that driver's laps. The round and overall classifications are under "
          "\"Classifications\" in the tree, the finals under \"Finals\", the closure report "
          "under \"xClosure report\". Every form with a printer button prints its report; the "
          "race panel's printer button prints the current run."),
    ("h", "7. Sounds and display"),
    ("p", "Settings > Sounds chooses English or French calls and switches on or off the "
          "countdown calls, the start horn, the lap beep, the best-lap call, the race-clock "
          "calls, the end-of-race horn and the car-finished calls. Settings > Display chooses "
          "the colours and fonts of the live screen, relief or gradient bands and the width of "
          "each column; \"Save\" and \"Load\" keep looks in .scrn files. You can also drag a "
          "column border in the table's heading band; the widths are kept when the program "
          "closes."),
    ("h", "8. Saving your work"),
    ("p", "The program always works on its own copy of the event. File > Save as... writes it "
          "to a .race file of your choice, File > Save updates that file, File > Load event "
          "opens one. At every start the copy left by the previous session is kept as "
          "\"PcCrashRace.race\" in the program folder: after a power cut, load that file to "
          "carry on."),
]


def pdf_text(s):
    data = s.encode("cp1252")
    return data.replace(b"\\", b"\\\\").replace(b"(", b"\\(").replace(b")", b"\\)")


def wrap(text, width):
    lines, current = [], ""
    for word in text.split():
        if current and len(current) + 1 + len(word) > width:
            lines.append(current)
            current = word
        else:
            current = f"{current} {word}" if current else word
    if current:
        lines.append(current)
    return lines


def layout():
    """Lines per page: (font, size, x, y, text)."""
    pages, page = [], []
    y = PAGE_H - MARGIN

    def need(height):
        nonlocal page, y
        if y - height < MARGIN:
            pages.append(page)
            page, y = [], PAGE_H - MARGIN

    for kind, text in GUIDE:
        if kind == "title":
            need(40)
            y -= 24
            page.append(("F2", 24, MARGIN, y, text))
            y -= 12
        elif kind == "subtitle":
            y -= 18
            page.append(("F1", 14, MARGIN, y, text))
            y -= 18
        elif kind == "h":
            need(3 * LEADING + 18)
            y -= 18
            page.append(("F2", 13, MARGIN, y, text))
            y -= 6
        else:
            for i, ln in enumerate(wrap(text, WRAP)):
                need(LEADING)
                y -= LEADING
                page.append(("F1", BODY_SIZE, MARGIN, y, ln))
            y -= 6
    pages.append(page)
    return pages


def build():
    pages = layout()
    objects = []  # bodies, object number = index + 1

    def add(body):
        objects.append(body)
        return len(objects)

    catalog = add(None)
    tree = add(None)
    regular = add(b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica "
                  b"/Encoding /WinAnsiEncoding >>")
    bold = add(b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold "
               b"/Encoding /WinAnsiEncoding >>")
    kids = []
    for number, lines in enumerate(pages, start=1):
        stream = bytearray()
        for font, size, x, y, text in lines:
            stream += b"BT /%s %g Tf %d %d Td (%s) Tj ET\n" % (font.encode(), size, x, y,
                                                              pdf_text(text))
        footer = f"Velkaro Race Management - page {number} / {len(pages)}"
        stream += b"BT /F1 8 Tf %d %d Td (%s) Tj ET\n" % (MARGIN, MARGIN - 24, pdf_text(footer))
        content = add(b"<< /Length %d >>\nstream\n" % len(stream) + bytes(stream)
                      + b"endstream")
        kids.append(add(b"<< /Type /Page /Parent %d 0 R /MediaBox [0 0 %d %d] "
                        b"/Resources << /Font << /F1 %d 0 R /F2 %d 0 R >> >> /Contents %d 0 R >>"
                        % (tree, PAGE_W, PAGE_H, regular, bold, content)))
    objects[catalog - 1] = b"<< /Type /Catalog /Pages %d 0 R >>" % tree
    objects[tree - 1] = (b"<< /Type /Pages /Kids [%s] /Count %d >>"
                         % (b" ".join(b"%d 0 R" % k for k in kids), len(kids)))

    out = bytearray(b"%PDF-1.4\n%\xE2\xE3\xCF\xD3\n")
    offsets = []
    for i, body in enumerate(objects, start=1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % i + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for off in offsets:
        out += b"%010d 00000 n \n" % off
    out += b"trailer\n<< /Size %d /Root %d 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (
        len(objects) + 1, catalog, xref)
    return bytes(out)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = pathlib.Path(sys.argv[1]) / "Guides"
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "HelpRaceManagementGB.pdf").write_bytes(build())
    print(f"user guide in {folder}")


if __name__ == "__main__":
    main()
