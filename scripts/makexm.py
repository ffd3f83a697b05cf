#!/usr/bin/env python3
"""Writes Vellmora's background music, xm/bg.xm, from nothing but this file.

The module is composed here note by note and its instruments are synthesised
here, so the same script always writes the same bytes:

    python3 scripts/makexm.py [output]      (default: xm/bg.xm beside scripts/)

The game plays the module mono at 11025 Hz, so every instrument keeps its
partials well below 4 kHz at the pitches it is given, and the mix leaves
headroom. Standard library only; no randomness but a fixed generator.
"""

import math
import os
import struct
import sys

BASE_RATE = 8363      # playback rate of an instrument's C-4 with relative note 0
SPEED = 6             # ticks per row
BPM = 60              # so a row is a quarter of a second
ROWS = 64             # rows per pattern: 16 seconds
CHANNELS = 12

# Channels: two bass voices and two pad groups take turns, so one chord
# fades out while the next fades in.
BASS = (0, 1)
PADS = ((2, 3, 4), (5, 6, 7))
BELL = 8
ECHO = 9
BREATH = 10

KEYOFF = 97
NAMES = {"C": 0, "C#": 1, "Db": 1, "D": 2, "D#": 3, "Eb": 3, "E": 4, "F": 5,
         "F#": 6, "Gb": 6, "G": 7, "G#": 8, "Ab": 8, "A": 9, "A#": 10,
         "Bb": 10, "B": 11}


def note(name):
    """XM note number of a name such as "C#4": C-0 is 1, C-4 is 49."""
    pitch, octave = name[:-1], int(name[-1])
    n = 1 + 12 * octave + NAMES[pitch]
    assert 1 <= n <= 96, name
    return n


def frequency(name):
    """Concert pitch of a note name, A4 = 440 Hz."""
    return 440.0 * 2.0 ** ((note(name) - note("A4")) / 12.0)


# ---------------------------------------------------------------- instruments

def clamp16(x):
    return max(-32767, min(32767, int(round(x))))


def normalise(wave, peak):
    top = max(abs(v) for v in wave) or 1.0
    return [clamp16(v * peak / top) for v in wave]


def looped_partials(period, cycles, partials):
    """A loop of period*cycles frames holding whole cycles of every partial.

    Each partial is (harmonic, extra cycles over the loop, amplitude, phase);
    one extra cycle against its neighbour makes the two beat once per loop.
    """
    length = period * cycles
    wave = []
    for i in range(length):
        t = i / length
        v = 0.0
        for harmonic, extra, amp, phase in partials:
            v += amp * math.sin(2 * math.pi * ((harmonic * cycles + extra) * t + phase))
        wave.append(v)
    return wave


def pad_wave():
    # Two slightly apart fundamentals beating slowly, a soft octave and fifth.
    return looped_partials(32, 384, [
        (1, 0, 1.00, 0.00),
        (1, 1, 0.70, 0.31),
        (2, 0, 0.30, 0.12),
        (2, -1, 0.18, 0.57),
        (3, 1, 0.10, 0.83),
        (4, 0, 0.04, 0.44),
    ])


def bass_wave():
    # A low drone: mostly sine, a little of the octave, a slow shiver.
    return looped_partials(128, 96, [
        (1, 0, 1.00, 0.00),
        (1, 1, 0.25, 0.40),
        (2, 0, 0.22, 0.15),
        (3, 0, 0.06, 0.70),
    ])


def bell_wave():
    # A glassy bar: inharmonic partials, the high ones dying first.
    seconds = 4.0
    length = int(BASE_RATE * seconds)
    f0 = BASE_RATE / 32.0
    partials = [  # ratio, amplitude, decay time in seconds
        (1.000, 1.00, 1.30),
        (2.006, 0.32, 0.80),
        (2.760, 0.22, 0.55),
        (5.400, 0.06, 0.22),
    ]
    attack = int(0.004 * BASE_RATE)
    fade = int(0.6 * BASE_RATE)
    wave = []
    for i in range(length):
        t = i / BASE_RATE
        v = 0.0
        for ratio, amp, decay in partials:
            v += amp * math.exp(-t / decay) * math.sin(2 * math.pi * f0 * ratio * t)
        if i < attack:
            v *= i / attack
        if i >= length - fade:
            v *= (length - i) / fade
        wave.append(v)
    return wave


def breath_wave():
    # Filtered noise with a slow swell, its end blended into its start so it loops.
    length = 16384
    blend = 2048
    state = 0x2545F491
    raw = []
    low1 = low2 = 0.0
    k = 0.09  # two one-pole low passes: most energy below about 300 Hz at C-4
    for _ in range(length + blend):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        white = state / 0x3FFFFFFF - 1.0
        low1 += k * (white - low1)
        low2 += k * (low1 - low2)
        raw.append(low2)
    wave = raw[:length]
    for i in range(blend):
        w = i / blend
        wave[i] = raw[length + i] * (1.0 - w) + raw[i] * w
    for i in range(length):
        wave[i] *= 0.75 + 0.25 * math.sin(2 * math.pi * 2 * i / length)
    return wave


class Instrument:
    def __init__(self, name, data, loop=None, volume=64, relnote=0, finetune=0,
                 envelope=None, sustain=None, fadeout=0, vibrato=(0, 0, 0, 0)):
        self.name = name
        self.data = data              # signed 16-bit frames
        self.loop = loop              # (start, length) in frames, or None
        self.volume = volume
        self.relnote = relnote
        self.finetune = finetune
        self.envelope = envelope      # [(tick, level 0..64)], or None
        self.sustain = sustain        # index of the sustain point, or None
        self.fadeout = fadeout
        self.vibrato = vibrato        # type, sweep, depth, rate


def instruments():
    pad = normalise(pad_wave(), 20000)
    bass = normalise(bass_wave(), 24000)
    bell = normalise(bell_wave(), 26000)
    breath = normalise(breath_wave(), 19000)
    return [
        Instrument("pale pad", pad, loop=(0, len(pad)),
                   envelope=[(0, 0), (40, 46), (90, 38), (400, 34)], sustain=2,
                   fadeout=320, vibrato=(0, 80, 2, 3)),
        Instrument("low drone", bass, loop=(0, len(bass)), relnote=24,
                   envelope=[(0, 0), (14, 60), (60, 52)], sustain=2, fadeout=520),
        Instrument("glass", bell, finetune=-6),
        Instrument("breath", breath, loop=(0, len(breath)),
                   envelope=[(0, 0), (50, 34), (110, 26), (200, 0)]),
    ]


PAD, DRONE, GLASS, BREATHING = 1, 2, 3, 4  # instrument numbers as patterns use them


# ---------------------------------------------------------------- composition

# Two chords a pattern: (bass, pad voices). D minor that will not settle.
CHORDS = [
    ("D2", []),                   ("D2", ["F3", "A3", "E4"]),
    ("D2", ["F3", "Bb3", "D4"]),  ("Bb1", ["F3", "A3", "D4"]),
    ("G1", ["F3", "Bb3", "E4"]),  ("A1", ["G3", "C#4", "F4"]),
    ("D2", ["F3", "A3", "C#4"]),  ("D2", ["F3", "A3", "D4"]),
    ("Eb2", ["G3", "Bb3", "D4"]), ("Eb2", ["F3", "C4", "G4"]),
    ("C2", ["E3", "G3", "B3"]),   ("C2", ["Eb3", "G3", "Bb3"]),
    ("Bb1", ["D3", "F3", "A3"]),  ("A1", ["E3", "G3", "C#4"]),
    ("D2", ["F3", "A3", "E4"]),   ("D2", ["F3", "A3", "D4"]),
]

# The glass line, a few notes a pattern: (row, note).
MELODY = [
    [(8, "A4"), (14, "E4"), (40, "D5"), (52, "C#5")],
    [(4, "D5"), (12, "A4"), (36, "Bb4"), (46, "F4")],
    [(6, "E5"), (16, "D5"), (34, "C#5"), (48, "Bb4"), (56, "A4")],
    [(8, "E4"), (12, "F4"), (40, "A4"), (60, "G#4")],
    [(4, "D5"), (10, "G4"), (24, "Bb4"), (44, "F4"), (54, "Db5")],
    [(8, "B4"), (16, "G4"), (20, "E5"), (36, "Eb5"), (44, "D5"), (52, "Bb4")],
    [(6, "A4"), (12, "D5"), (38, "C#5"), (42, "E4"), (56, "G4")],
    [(8, "F4"), (20, "E4"), (28, "D4"), (40, "A4")],
]

BREATHS = {0: [(0, "C3")], 2: [(32, "A2")], 4: [(16, "C3")], 6: [(0, "B2")], 7: [(32, "A2")]}

ECHO_DELAY = 3        # rows
PAD_VOLUME = 30
BASS_VOLUME = 44
BELL_VOLUME = 46
ECHO_VOLUME = 17
BREATH_VOLUME = 36
LAST_PATTERN_RELEASE = 40  # row of the last pattern where everything lets go


def emptypattern():
    return [[None] * CHANNELS for _ in range(ROWS)]


def put(pattern, row, channel, n, instrument=0, volume=None):
    assert pattern[row][channel] is None, (row, channel)
    pattern[row][channel] = (n, instrument, volume)


def compose():
    patterns = [emptypattern() for _ in range(len(CHORDS) // 2)]
    bassvoice = 0
    lastbass = None
    padgroup = None
    for index, (bass, voices) in enumerate(CHORDS):
        pattern = patterns[index // 2]
        row = (index % 2) * (ROWS // 2)
        if bass != lastbass:
            if lastbass is not None:
                put(pattern, row, BASS[bassvoice], KEYOFF)
                bassvoice ^= 1
            put(pattern, row, BASS[bassvoice], note(bass), DRONE, BASS_VOLUME)
            lastbass = bass
        if padgroup is not None:
            for channel in PADS[padgroup]:
                put(pattern, row, channel, KEYOFF)
        padgroup = 0 if padgroup is None else padgroup ^ 1
        for channel, voice in zip(PADS[padgroup], voices):
            put(pattern, row, channel, note(voice), PAD, PAD_VOLUME)

    for number, line in enumerate(MELODY):
        for row, name in line:
            put(patterns[number], row, BELL, note(name), GLASS, BELL_VOLUME)
            if row + ECHO_DELAY < ROWS:
                put(patterns[number], row + ECHO_DELAY, ECHO, note(name), GLASS, ECHO_VOLUME)

    for number, hits in BREATHS.items():
        for row, name in hits:
            put(patterns[number], row, BREATH, note(name), BREATHING, BREATH_VOLUME)

    # The end lets every sustained voice go so the start can come back clean.
    last = patterns[-1]
    for channel in BASS + PADS[0] + PADS[1]:
        if last[LAST_PATTERN_RELEASE][channel] is None:
            last[LAST_PATTERN_RELEASE][channel] = (KEYOFF, 0, None)
    return patterns


# ---------------------------------------------------------------- file format

def text(s, size):
    b = s.encode("ascii")
    assert len(b) <= size
    return b + b"\0" * (size - len(b))


def packpattern(pattern):
    data = bytearray()
    for row in pattern:
        for cell in row:
            if cell is None:
                data.append(0x80)
                continue
            n, instrument, volume = cell
            flags = 0x80 | 0x01
            fields = bytearray([n])
            if instrument:
                flags |= 0x02
                fields.append(instrument)
            if volume is not None:
                flags |= 0x04
                fields.append(0x10 + volume)
            data.append(flags)
            data += fields
    assert len(data) <= 0xFFFF
    return struct.pack("<IBHH", 9, 0, len(pattern), len(data)) + bytes(data)


def envelopebytes(points):
    points = points or []
    assert len(points) <= 12
    out = bytearray()
    for tick, level in points:
        out += struct.pack("<HH", tick, level)
    out += b"\0" * (48 - len(out))
    return bytes(out)


def packinstrument(ins):
    header = bytearray()
    header += text(ins.name, 22)
    header += struct.pack("<BH", 0, 1)           # type, one sample
    header += struct.pack("<I", 40)              # sample header size
    header += bytes(96)                          # every note plays sample 0
    header += envelopebytes(ins.envelope)
    header += envelopebytes(None)                # no panning envelope
    header += struct.pack("<BB", len(ins.envelope or []), 0)
    sustain = ins.sustain if ins.sustain is not None else 0
    header += struct.pack("<BBB", sustain, 0, 0)  # volume sustain, loop start, end
    header += struct.pack("<BBB", 0, 0, 0)        # panning the same
    voltype = 0
    if ins.envelope:
        voltype |= 1
        if ins.sustain is not None:
            voltype |= 2
    header += struct.pack("<BB", voltype, 0)
    vtype, sweep, depth, rate = ins.vibrato
    assert vtype < 4
    header += struct.pack("<BBBB", vtype, sweep, depth, rate)
    header += struct.pack("<H", ins.fadeout)
    header += bytes(22)                          # reserved
    header = struct.pack("<I", 4 + len(header)) + header
    assert len(header) == 263

    frames = len(ins.data)
    loopstart, looplength = ins.loop if ins.loop else (0, 0)
    sampletype = 0x10 | (1 if ins.loop else 0)    # 16-bit, forward loop
    sample = struct.pack("<III", frames * 2, loopstart * 2, looplength * 2)
    sample += struct.pack("<BbBBbB", ins.volume, ins.finetune, sampletype, 128,
                          ins.relnote, 0)
    sample += text(ins.name, 22)
    assert len(sample) == 40

    deltas = bytearray()
    previous = 0
    for v in ins.data:
        deltas += struct.pack("<h", ((v - previous + 0x8000) & 0xFFFF) - 0x8000)
        previous = v
    return bytes(header) + sample + bytes(deltas)


def module():
    patterns = compose()
    ins = instruments()
    order = list(range(len(patterns)))
    out = bytearray()
    out += b"Extended Module: "
    out += text("Vellmora", 20)
    out += b"\x1a"
    out += text("makexm.py", 20)
    out += struct.pack("<H", 0x0104)
    out += struct.pack("<IHHHHHHHH", 276, len(order), 0, CHANNELS, len(patterns),
                       len(ins), 1, SPEED, BPM)
    out += bytes(order) + bytes(256 - len(order))
    for pattern in patterns:
        out += packpattern(pattern)
    for instrument in ins:
        out += packinstrument(instrument)
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "xm", "bg.xm")
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "wb") as f:
        f.write(module())


if __name__ == "__main__":
    main()
