"""Reading, shaping and writing mono PCM WAV files with the standard library only.

Every shipped sound goes through write_wav(): mono, 16-bit, 22050 Hz, the canonical 44-byte
header and nothing else, so the bytes depend on the samples alone.
"""

import array
import math
import pathlib
import sys
import wave

RATE = 22050

# Level of every sound, measured by loudness() below. The peak ceiling keeps a few dB of headroom
# for cheap speakers and the sound card's own mixing.
TARGET_LOUDNESS_DB = -18.0
PEAK_CEILING_DB = -1.0

FRAME = RATE // 100  # 10 ms analysis frames
GATE_DB = 20.0       # frames this far below the loudest one are pauses, not sound


def read_wav(path):
    """Samples of a mono WAV file as floats in [-1, 1], resampling nothing."""
    with wave.open(str(path), "rb") as w:
        if w.getnchannels() != 1:
            sys.exit(f"{path}: expected mono, got {w.getnchannels()} channels")
        if w.getframerate() != RATE:
            sys.exit(f"{path}: expected {RATE} Hz, got {w.getframerate()}")
        width = w.getsampwidth()
        raw = w.readframes(w.getnframes())
    if width == 2:
        data = array.array("h")
        scale = 32768.0
    elif width == 4:
        data = array.array("i")
        scale = 2147483648.0
    else:
        sys.exit(f"{path}: unsupported sample width {width}")
    data.frombytes(raw)
    if sys.byteorder != "little":
        data.byteswap()
    return [s / scale for s in data]


def read_raw32(path):
    """Samples of a headerless file of little-endian signed 32-bit mono samples."""
    data = array.array("i")
    data.frombytes(pathlib.Path(path).read_bytes())
    if sys.byteorder != "little":
        data.byteswap()
    return [s / 2147483648.0 for s in data]


def write_wav(path, samples):
    """Writes float samples as 16-bit PCM, rounding half away from zero and clipping."""
    out = array.array("h")
    for s in samples:
        v = s * 32767.0
        v = math.floor(v + 0.5) if v >= 0 else math.ceil(v - 0.5)
        out.append(max(-32767, min(32767, int(v))))
    if sys.byteorder != "little":
        out.byteswap()
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(out.tobytes())


def trim(samples, lead_ms=10, tail_ms=40, threshold=0.01):
    """Cuts the silence before and after the sound, keeping short margins."""
    peak = max((abs(s) for s in samples), default=0.0)
    if peak == 0.0:
        return samples
    level = peak * threshold
    first = next(i for i, s in enumerate(samples) if abs(s) > level)
    last = len(samples) - 1 - next(i for i, s in enumerate(reversed(samples)) if abs(s) > level)
    start = max(0, first - lead_ms * RATE // 1000)
    end = min(len(samples), last + 1 + tail_ms * RATE // 1000)
    return samples[start:end]


def fade(samples, in_ms=5, out_ms=20):
    """Linear ramps at both ends, so that no sound starts or stops with a click."""
    n = len(samples)
    out = list(samples)
    fin = min(n, in_ms * RATE // 1000)
    fout = min(n, out_ms * RATE // 1000)
    for i in range(fin):
        out[i] *= i / fin
    for i in range(fout):
        out[n - 1 - i] *= i / fout
    return out


def loudness(samples):
    """Level in dBFS of the sounding part: the power mean of the 10 ms frames that are within
    GATE_DB of the loudest frame, so that the pauses inside a phrase do not count."""
    powers = []
    for i in range(0, len(samples) - FRAME + 1, FRAME):
        chunk = samples[i:i + FRAME]
        powers.append(sum(s * s for s in chunk) / FRAME)
    if not powers or max(powers) == 0.0:
        return -math.inf
    gate = max(powers) * 10 ** (-GATE_DB / 10)
    active = [p for p in powers if p >= gate]
    return 10 * math.log10(sum(active) / len(active))


def normalize(samples, target_db=TARGET_LOUDNESS_DB):
    """Scales to the target loudness unless that would push the peak over the ceiling."""
    level = loudness(samples)
    peak = max(abs(s) for s in samples)
    gain = 10 ** ((target_db - level) / 20)
    ceiling = 10 ** (PEAK_CEILING_DB / 20)
    if peak * gain > ceiling:
        gain = ceiling / peak
    return [s * gain for s in samples]
