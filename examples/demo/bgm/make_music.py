#!/usr/bin/env python3
"""Writes the demo game's background music as standard MIDI files.

    python3 make_music.py        # writes beach.mid and lighthouse.mid here

Each song is eight bars that end exactly on a bar line, so that the engine,
which loops a song from its last event back to its start, plays it without a
gap. Standard library only; the output is the same on every run.
"""

import os
import struct

DIVISION = 480  # ticks per quarter note


def var_len(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def track_chunk(events, end_tick):
    """events: (tick, bytes) pairs; an end-of-track event goes at end_tick."""
    data = bytearray()
    now = 0
    # Note-offs before note-ons at the same tick, so repeated notes sound.
    for tick, message in sorted(events, key=lambda e: (e[0], e[1][0] & 0xF0 != 0x80)):
        data += var_len(tick - now) + message
        now = tick
    data += var_len(end_tick - now) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def meta(kind, payload):
    return bytes([0xFF, kind]) + var_len(len(payload)) + payload


def setup(channel, program, volume, pan, reverb):
    return [
        (0, bytes([0xC0 | channel, program])),
        (0, bytes([0xB0 | channel, 7, volume])),
        (0, bytes([0xB0 | channel, 10, pan])),
        (0, bytes([0xB0 | channel, 91, reverb])),
    ]


def notes(channel, phrase, velocity, start=0):
    """phrase: (note or None for a rest, length in beats) pairs."""
    events = []
    tick = start
    for note, beats in phrase:
        length = int(beats * DIVISION)
        if note is not None:
            events.append((tick, bytes([0x90 | channel, note, velocity])))
            events.append((tick + length - 10, bytes([0x80 | channel, note, 64])))
        tick += length
    return events


def write_song(path, name, bpm, beats_per_bar, parts):
    bars = 8
    end = bars * beats_per_bar * DIVISION
    tempo = round(60_000_000 / bpm)
    conductor = [
        (0, meta(0x03, name.encode("ascii"))),
        (0, meta(0x51, tempo.to_bytes(3, "big"))),
        (0, meta(0x58, bytes([beats_per_bar, 2, 24, 8]))),
    ]
    chunks = [track_chunk(conductor, end)] + [track_chunk(p, end) for p in parts]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(chunks), DIVISION)
    with open(path, "wb") as f:
        f.write(header + b"".join(chunks))


def arpeggio(channel, chords, beats_per_bar, velocity):
    phrase = []
    for chord in chords:
        steps = beats_per_bar * 2
        for i in range(steps):
            phrase.append((chord[[0, 1, 2, 1][i % 4]] if len(chord) > 2 else chord[0], 0.5))
    return notes(channel, phrase, velocity)


def beach():
    # C major, 4/4: harp arpeggios, a plucked bass and a flute tune.
    chords = [[60, 64, 67], [57, 60, 64], [53, 57, 60], [55, 59, 62],
              [60, 64, 67], [57, 60, 64], [50, 53, 57], [55, 59, 62]]
    bass = [(c[0] - 24, 2) for c in chords for _ in range(2)]
    tune = [(76, 1), (79, 1), (76, 1), (74, 1), (72, 2), (69, 2),
            (69, 1), (72, 1), (77, 1.5), (76, 0.5), (74, 3), (None, 1),
            (76, 1), (79, 1), (84, 1), (83, 1), (81, 2), (76, 2),
            (77, 1), (76, 1), (74, 1), (72, 1), (74, 2), (71, 1), (None, 1)]
    return [
        setup(0, 46, 90, 40, 60) + arpeggio(0, chords, 4, 70),
        setup(1, 32, 100, 64, 30) + notes(1, bass, 90),
        setup(2, 73, 96, 88, 70) + notes(2, tune, 84),
    ]


def lighthouse():
    # A minor, 3/4: held strings, a celesta tune and a cello line.
    chords = [[57, 60, 64], [53, 57, 60], [48, 52, 55], [55, 59, 62],
              [57, 60, 64], [50, 53, 57], [52, 56, 59], [57, 60, 64]]
    pad = []
    for bar, chord in enumerate(chords):
        for note in chord:
            pad += notes(0, [(note, 3)], 60, start=bar * 3 * DIVISION)
    cello = [(c[0] - 12, 3) for c in chords]
    tune = [(69, 1.5), (72, 0.5), (76, 1), (77, 2), (76, 1), (76, 1), (74, 1), (72, 1), (74, 3),
            (72, 1.5), (71, 0.5), (69, 1), (74, 1), (77, 1), (81, 1), (80, 2), (71, 1), (69, 3)]
    return [
        setup(0, 48, 80, 64, 90) + pad,
        setup(1, 8, 100, 50, 80) + notes(1, tune, 90),
        setup(2, 42, 90, 80, 70) + notes(2, cello, 80),
    ]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write_song(os.path.join(here, "beach.mid"), "Shiomi Beach", 88, 4, beach())
    write_song(os.path.join(here, "lighthouse.mid"), "The Lighthouse", 72, 3, lighthouse())


if __name__ == "__main__":
    main()
