#!/usr/bin/env python3
"""Makes every sound of the folder "sons": the spoken calls with espeak-ng, the signals with sox.

Each sound is trimmed of its silences, faded in and out, brought to one common loudness and
written as mono 16-bit PCM at 22050 Hz (wavio.write_wav). Neither tool uses randomness here (sox
runs with -R, no noise source and no dither: it writes 32-bit samples that we round ourselves),
so a run on the same Debian release rebuilds every file byte for byte.

Usage: sounds.py OUTPUT_FOLDER
"""

import math
import pathlib
import subprocess
import sys
import tempfile

import wavio

# The countdown calls, by file stem. The French five-minute and one-minute files are also the
# race clock's "five minutes / one minute to go" calls, so their wording suits both uses; English
# has its own race-clock file for five minutes.
COUNTDOWN = [
    ("60minutes", "Une heure", "One hour"),
    ("30minutes", "Trente minutes", "Thirty minutes"),
    ("15minutes", "Quinze minutes", "Fifteen minutes"),
    ("5minutes", "Cinq minutes", "Five minutes"),
    ("2minutes", "Deux minutes", "Two minutes"),
    ("1minute", "Une minute", "One minute"),
    ("30secondes", "Trente secondes", "Thirty seconds"),
    ("10secondes", "Dix secondes", "Ten seconds"),
    ("cinq", "Cinq", "Five"),
    ("quatre", "Quatre", "Four"),
    ("trois", "Trois", "Three"),
    ("deux", "Deux", "Two"),
    ("un", "Un", "One"),
]

# The last five seconds are called one per second: spoken a little faster so that each call
# is over well before the next one starts.
FAST_STEMS = {"cinq", "quatre", "trois", "deux", "un"}

CAR_COUNT = 20

# The lap beep sounds at every passing of every car: a little below the calls, which must stay
# audible over it.
QUIETER = {"beep1.wav": -3.0}

FRENCH = ["-v", "fr", "-p", "45"]
ENGLISH = ["-v", "en-gb", "-p", "45"]
CALL_SPEED = "160"
FAST_SPEED = "185"


def speak(voice, speed, text, tmp):
    raw = tmp / "speech.wav"
    subprocess.run(["espeak-ng", *voice, "-s", speed, "-w", str(raw), text], check=True)
    return wavio.read_wav(raw)


def oscillator(tmp, name, length, kind, freq, effects):
    """One sox oscillator with its effects, written as raw 32-bit samples and read back."""
    out = tmp / f"{name}.s32"
    subprocess.run(["sox", "-R", "-D", "-n", "-r", str(wavio.RATE), "-c", "1", "-b", "32",
                    "-e", "signed-integer", "-t", "raw", str(out), "synth", f"{length}", kind,
                    f"{freq}", *effects], check=True)
    return wavio.read_raw32(out)


def synth(tmp, name, length, *voices, effects=()):
    """Sum of a few oscillators ("type freq weight"), shaped by the given sox effects."""
    parts = []
    for i, (kind, freq, weight) in enumerate(voices):
        s = oscillator(tmp, f"{name}-{i}", length, kind, freq, effects)
        parts.append([x * weight for x in s])
    n = min(len(p) for p in parts)
    return [sum(p[i] for p in parts) for i in range(n)]


def concat(*pieces):
    out = []
    for p in pieces:
        out.extend(p)
    return out


def silence(seconds):
    return [0.0] * int(seconds * wavio.RATE)


def signals(tmp):
    """The non-spoken sounds, by file name."""
    # Start and time-up horn: a low, slightly beating ship's horn.
    foghorn = synth(tmp, "foghorn", 1.6, ("sawtooth", 110, 0.5), ("sawtooth", 110.7, 0.5),
                    ("sawtooth", 165, 0.35),
                    effects=("lowpass", "900", "fade", "t", "0.08", "1.6", "0.35"))
    # End of race: a brighter two-tone air horn, unmistakable from the start horn.
    truckhorn = synth(tmp, "truckhorn", 1.4, ("sawtooth", 311, 0.5), ("sawtooth", 392, 0.5),
                      ("sawtooth", 312.5, 0.3),
                      effects=("lowpass", "2500", "fade", "t", "0.03", "1.4", "0.25"))
    # Lap counted: a short high blip that does not mask the next one.
    beep = synth(tmp, "beep1", 0.11, ("sine", 1760, 0.8), ("sine", 3520, 0.2),
                 effects=("fade", "h", "0.005", "0.11", "0.04"))
    # Passing refused as too short: a dull low buzz.
    buzz = synth(tmp, "buzz", 0.35, ("square", 110, 0.6), ("square", 116.5, 0.4),
                 effects=("lowpass", "1200", "fade", "t", "0.01", "0.35", "0.06"))
    # New best lap: a quick rising major arpeggio.
    notes = [(1046.5, 0.08), (1318.5, 0.08), (1568.0, 0.08), (2093.0, 0.3)]
    cheer = concat(*[
        synth(tmp, f"youpi-{i}", length, ("triangle", f, 0.8), ("sine", 2 * f, 0.2),
              effects=("fade", "t", "0.005", f"{length}", f"{min(length, 0.06) if i < 3 else 0.22}"))
        for i, (f, length) in enumerate(notes)
    ])
    # Message chime (start announced, delay over, scan steps): two bell strokes that die away.
    def bell(name, f, length):
        tone = synth(tmp, name, length, ("sine", f, 0.75), ("sine", 2.76 * f, 0.15),
                     ("sine", 5.4 * f, 0.1), effects=("fade", "t", "0.004", f"{length}", "0.02"))
        return [x * math.exp(-i / (0.12 * wavio.RATE)) for i, x in enumerate(tone)]
    chime = concat(bell("chime-1", 1318.5, 0.2), bell("chime-2", 1760.0, 0.45))
    return {
        "foghorn.wav": foghorn,
        "truckhorn.wav": truckhorn,
        "beep1.wav": beep,
        "buzz.wav": buzz,
        "youpi.wav": cheer,
        "nokia-sms.wav": chime,
    }


def calls():
    """The spoken calls: (file name, voice, speed, text)."""
    out = []
    for stem, fr, en in COUNTDOWN:
        speed = FAST_SPEED if stem in FAST_STEMS else CALL_SPEED
        out.append((f"{stem}.wav", FRENCH, speed, fr))
        out.append((f"{stem}GB.wav", ENGLISH, speed, en))
    out.append(("miCourse.wav", FRENCH, CALL_SPEED, "Mi-course"))
    out.append(("miCourseGB.wav", ENGLISH, CALL_SPEED, "Half way"))
    out.append(("5minutesRaceGB.wav", ENGLISH, CALL_SPEED, "Five minutes to go"))
    for car in range(1, CAR_COUNT + 1):
        out.append((f"FinCourseVoiture{car}.wav", FRENCH, CALL_SPEED, f"Voiture {car}, terminée"))
        out.append((f"FinCourseVoiture{car}GB.wav", ENGLISH, CALL_SPEED, f"Car {car}, finished"))
    return out


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = pathlib.Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as t:
        tmp = pathlib.Path(t)
        made = {}
        for name, voice, speed, text in calls():
            made[name] = wavio.trim(speak(voice, speed, text, tmp))
        for name, samples in signals(tmp).items():
            made[name] = wavio.trim(samples, lead_ms=0, tail_ms=10, threshold=0.001)
    for name in sorted(made):
        samples = wavio.normalize(wavio.fade(made[name]), QUIETER.get(name, 0.0) + wavio.TARGET_LOUDNESS_DB)
        wavio.write_wav(folder / name, samples)
    print(f"{len(made)} sounds in {folder}")


if __name__ == "__main__":
    main()
