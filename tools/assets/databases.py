#!/usr/bin/env python3
"""Writes the databases shipped in the program folder.

- "BaseDonnéesPays.bd": 208 country names (see COUNTRY RULE below), one per line, each followed
  by a TAB like every field of the program's data files, sorted alphabetically (accents ignored).
- "BaseDonnéesCircuits.bd", "BaseDonnéesClubs.bd", "BaseDonnéesPilotes.bd",
  "BaseDonnéesFréquences.bd": empty; the user fills them in the database forms.
- "BaseDonnéesTranspondeurs.bd": the 20 transponder sets, named "Set01" to "Set20", with no
  transponder yet: per line the set name and 20 empty fields, each followed by a TAB.

All files are Windows-1252 with CR LF line ends; their names reach the disk in UTF-8, as the
program spells them through its file-system name conversion.

COUNTRY RULE. The country list has room for 208 names; Debian's iso-codes (ISO 3166-1) has 249
entries. We keep the places a club or a driver can come from:
  - the 193 member states of the United Nations;
  - Palestine, UN observer state, and Taiwan, both with their own national sports bodies
    (the other observer, the Holy See, has a few hundred resident clergy and guards, no clubs);
  - the 13 non-sovereign territories of more than 120,000 inhabitants: Hong Kong, Puerto Rico,
    Réunion, Macao, Western Sahara, Guadeloupe, Martinique, Mayotte, French Polynesia, French
    Guiana, New Caledonia, Curaçao and Guam (the next ones, Aruba and Jersey, have about
    105,000).
193 + 2 + 13 = 208. Left out: the Holy See and the 40 smaller, uninhabited or research-only
territories listed in LEFT_OUT. Names are the ISO short names, or iso-codes' common name where
it has one ("Bolivia", "South Korea", ...); the one name longer than the list's 34 characters
is shortened ("Congo, Democratic Republic of the").

Usage: databases.py OUTPUT_FOLDER
"""

import json
import pathlib
import sys
import unicodedata

ISO_3166_1 = "/usr/share/iso-codes/json/iso_3166-1.json"

TERRITORIES_KEPT = {"HK", "PR", "RE", "MO", "EH", "GP", "MQ", "YT", "PF", "GF", "NC", "CW", "GU"}

LEFT_OUT = {
    "VA",  # Holy See (Vatican City State)
    # Territories under 120,000 inhabitants, uninhabited, or inhabited by station staff only.
    "AS", "AI", "AQ", "AW", "AX", "BM", "BQ", "BV", "IO", "KY", "CX", "CC", "CK", "FK", "FO",
    "TF", "GI", "GL", "GG", "HM", "IM", "JE", "MS", "NU", "NF", "MP", "PN", "BL", "SH", "MF",
    "PM", "SX", "GS", "SJ", "TK", "TC", "UM", "VG", "VI", "WF",
}

SHORTER = {"CD": "Congo, Democratic Republic of the"}

COUNTRY_SLOT = 34  # characters a country name may have in the club and driver records
COUNTRY_COUNT = 208
SET_COUNT = 20
TRANSPONDERS_PER_SET = 20

CRLF = b"\r\n"


def sort_key(name):
    plain = unicodedata.normalize("NFKD", name)
    plain = "".join(c for c in plain if not unicodedata.combining(c))
    return (plain.casefold(), name)


def countries():
    entries = json.loads(pathlib.Path(ISO_3166_1).read_text(encoding="utf-8"))["3166-1"]
    codes = {e["alpha_2"] for e in entries}
    unknown = (LEFT_OUT | TERRITORIES_KEPT) - codes
    if unknown:
        sys.exit(f"codes not in iso-codes: {sorted(unknown)}")
    names = []
    for e in entries:
        code = e["alpha_2"]
        if code in LEFT_OUT:
            continue
        name = SHORTER.get(code, e.get("common_name", e["name"]))
        if len(name) > COUNTRY_SLOT:
            sys.exit(f"{code}: '{name}' is longer than {COUNTRY_SLOT} characters")
        names.append(name)
    if len(names) != COUNTRY_COUNT:
        sys.exit(f"{len(names)} countries instead of {COUNTRY_COUNT}: iso-codes has changed")
    return sorted(names, key=sort_key)


def write(folder, name, lines):
    data = b"".join(line.encode("cp1252") + CRLF for line in lines)
    (folder / name).write_bytes(data)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = pathlib.Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    write(folder, "BaseDonnéesPays.bd", [f"{n}\t" for n in countries()])
    for empty in ("BaseDonnéesCircuits.bd", "BaseDonnéesClubs.bd", "BaseDonnéesPilotes.bd",
                  "BaseDonnéesFréquences.bd"):
        write(folder, empty, [])
    sets = [f"Set{i:02d}\t" + "\t" * TRANSPONDERS_PER_SET for i in range(1, SET_COUNT + 1)]
    write(folder, "BaseDonnéesTranspondeurs.bd", sets)
    print(f"databases in {folder}")


if __name__ == "__main__":
    main()
