#!/usr/bin/env python3
"""Writes the golden files of this folder, composed by hand from the file layouts.

Run from this folder. Nothing here calls the program: every byte is spelled out below.
"""

CRLF = b"\r\n"


def reservation(pairs):
    return b"1\t" * pairs + CRLF


def over(reserved, content):
    """Content written over the start of a reservation."""
    assert len(content) < len(reserved)
    return content + reserved[len(content):]


def fields(*values):
    return b"".join((v if isinstance(v, bytes) else str(v).encode()) + b"\t" for v in values)


def section(title, pairs, content):
    return CRLF + title + b"\t" + CRLF + over(reservation(pairs), content)


FLAGS_TITLE = b"Cat\xe9gorieDrapeauxTreeview"
NO_TIME = 1500000000


def header(*categories, node=10000):
    cats = b"".join(fields(*c) for c in categories)
    return over(reservation(330), fields(node, len(categories)) + cats)


def flags(values):
    return section(FLAGS_TITLE, 1830, fields(*values) + CRLF)


# A new event: one category, every flag 0.
new_event = header((b"CATEGORY 1", 0, 0, 0, 0, 0, 0)) + flags([0] * 1827)
open("new_event.race", "wb").write(new_event)

# The same event once heat 1 of round 1 has run with two cars: the heat section appended, the
# header and the flags rewritten.
na = fields(b"(NA)", 0, 0, NO_TIME, 0, NO_TIME, NO_TIME) + CRLF
cars = (
    fields(b"ALPHA Anne", 3, 2, 61234, 30100, 29934, 0, 1200, 31134, 61234) + CRLF
    + fields(b"B\xc9RANGER Luc", 0, 0, 0, 0, 0, 0) + CRLF
    + na * 18
)
trailer = fields(b"Duration 0:05:00 - STARTSoundSignal - ENDCompleteCurrentLap - Start 14/06/2026 9:05",
                 b"Track damp at start", b"Dry") + CRLF
heat_pairs = 640 * 2 + 23 * 18 + 105
heat = section(b"Cat\xe9gorie1M1S1", heat_pairs, cars + trailer)
recorded = (header((b"CATEGORY 1", 2, 1, 0, 1, 1, 0))
            + flags([1] + [0] * 1826)
            + heat)
open("heat_recorded.race", "wb").write(recorded)

# An event file from elsewhere: LF line ends, with CR LF on a few lines, two categories.
foreign = (
    b"10203\t2\tJUNIORS\t12\t1\t0\t3\t2\t0\tSENIORS\t0\t0\t0\t0\t0\t0\t1\t1\t1\t1\n"
    + b"\n" + FLAGS_TITLE + b"\t\n" + fields(*([0, 1, 1] + [0] * 1824)) + b"\n1\t1\t\n"
    + b"\r\nPisteCourse\t\r\n" + fields(b"Spring Cup", b"RC Club Nord", b"Lille", 12) + b"\n"
    + b"1\t1\t1\t\n"
    + b"\nCat\xe9gorie1ListeParticipants\t\n"
    + b"".join(fields(b"DRIVER %02d" % i, b"%06d" % (100 + i), b"", b"", b"", b"", b"")
               + (CRLF if i % 2 else b"\n") for i in range(1, 13))
    + b"\t\t\t\t\t\t\t\n" * 188
    + b"1\t1\t\n"
)
open("foreign_lf.race", "wb").write(foreign)

# The run details handed over at shut-down: the keyword and 20 unused slots.
open("details_shutdown.res", "wb").write(fields(b"CLASSEMENTToursTemps") + CRLF
                                         + (fields(b"(NA)", 0) + CRLF) * 20)

# One driver's results: the car of ALPHA Anne above.
open("driver_results.res", "wb").write(
    fields(b"ALPHA Anne", 3, 0, 1200, 31134, 61234) + CRLF
    + fields(b" CATEGORY 1 - Round1 - Heat1 ", b"Lille",
             b"Duration 0:05:00 - STARTSoundSignal - ENDCompleteCurrentLap - Start 14/06/2026 9:05")
    + CRLF)

# A comment file with an empty comment.
open("comment_empty.res", "wb").write(fields(b"Dry", b"") + CRLF)

# Sound settings with the countdown announcement off.
open("sounds.rg", "wb").write(b"".join(w + CRLF for w in (
    b"SONLANGUEFrancais", b"SONDECOMPTEnon", b"SONDEPARToui", b"SONPASSAGEoui",
    b"SONMEILLEURTOURnon", b"SONHORLOGEoui", b"SONFINCOURSEoui", b"SONFINVOITUREnon")))

# A display file whose face names are empty.
display = (
    fields(1) + CRLF
    + fields(*[b""] * 12) + CRLF
    + fields(*range(20, 32)) + CRLF
    + fields(*([400] * 6 + [700] * 6)) + CRLF
    + fields(*([0] * 11 + [1])) + CRLF
    + fields(*([0] * 10 + [1, 0])) + CRLF
    + fields(*([1] + [0] * 11)) + CRLF
    + fields(*[0x0000FF * (i + 1) % 0x1000000 for i in range(12)]) + CRLF
    + fields(*[0xDCE6E6 + i for i in range(13)]) + CRLF
    + fields(60, 320, 80, 80, 130, 130, 130, 160, 999) + CRLF
    + fields(*[0xFFFFFF - i for i in range(16)]) + CRLF
)
open("display_empty_faces.scrn", "wb").write(display)
