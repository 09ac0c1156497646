#!/usr/bin/env python3
"""Synthesises the bundled demo song and encodes it with lame.

A 28-second piece in C major at 96 beats per minute: a four-chord pad, a bass line,
a plucked melody and a small drum kit (kick, snare, hi-hat), mixed in stereo.
Everything is made from sine waves and a seeded noise source, so the result is the
same on every run. Usage: make-demo-song.py OUTPUT.mp3 (lame must be installed).
"""
import math
import os
import random
import struct
import subprocess
import sys
import tempfile
import wave

RATE = 44100
BPM = 96
BEAT = 60.0 / BPM
BARS = 11
LENGTH = BARS * 4 * BEAT + 0.5  # a little tail for the last chord to ring out

frames = int(LENGTH * RATE)
left = [0.0] * frames
right = [0.0] * frames


def midi_hz(note):
    return 440.0 * 2.0 ** ((note - 69) / 12.0)


def add(start, samples, pan):
    """Mixes mono samples in at a start time (seconds); pan -1 left .. 1 right."""
    gl = math.cos((pan + 1) * math.pi / 4)
    gr = math.sin((pan + 1) * math.pi / 4)
    first = int(start * RATE)
    for i, s in enumerate(samples):
        n = first + i
        if n >= frames:
            break
        left[n] += s * gl
        right[n] += s * gr


def tone(freq, seconds, harmonics, attack, decay):
    """An additive tone: harmonics is a list of (multiple, level)."""
    count = int(seconds * RATE)
    out = [0.0] * count
    for multiple, level in harmonics:
        step = 2 * math.pi * freq * multiple / RATE
        for i in range(count):
            out[i] += level * math.sin(step * i)
    for i in range(count):
        t = i / RATE
        env = min(1.0, t / attack) * math.exp(-t * decay)
        release = min(1.0, (count - i) / (0.02 * RATE))
        out[i] *= env * release
    return out


def kick():
    count = int(0.35 * RATE)
    out, phase = [], 0.0
    for i in range(count):
        t = i / RATE
        freq = 45 + 110 * math.exp(-t * 30)
        phase += 2 * math.pi * freq / RATE
        out.append(0.9 * math.sin(phase) * math.exp(-t * 9))
    return out


def noise_burst(seconds, decay, level, rng, tone_hz=0.0):
    count = int(seconds * RATE)
    out, last = [], 0.0
    for i in range(count):
        t = i / RATE
        white = rng.uniform(-1, 1)
        bright = white - last  # a first difference tilts the noise toward the highs
        last = white
        body = 0.5 * math.sin(2 * math.pi * tone_hz * t) if tone_hz else 0.0
        out.append(level * (bright * 0.6 + body) * math.exp(-t * decay))
    return out


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-demo-song.py OUTPUT.mp3")
    rng = random.Random(1977)

    # C, G, Am, F; the last bar resolves to C.
    chords = [[60, 64, 67], [55, 59, 62, 67], [57, 60, 64], [53, 57, 60, 65]]
    roots = [36, 43, 45, 41]
    pad_harmonics = [(1, 0.5), (2, 0.18), (3, 0.08), (4, 0.03)]
    for bar in range(BARS):
        chord = chords[bar % 4] if bar < BARS - 1 else [48, 60, 64, 67]
        root = roots[bar % 4] if bar < BARS - 1 else 36
        start = bar * 4 * BEAT
        hold = 4 * BEAT + (0.5 if bar == BARS - 1 else 0.05)
        for k, note in enumerate(chord):
            add(start, tone(midi_hz(note), hold, pad_harmonics, 0.08, 0.35),
                -0.5 + k / max(1, len(chord) - 1))
        for beat in range(4):
            bass_note = root if beat % 2 == 0 else root + 7
            add(start + beat * BEAT,
                tone(midi_hz(bass_note), BEAT * 0.9, [(1, 0.9), (2, 0.3)], 0.005, 2.5), 0.0)

    # The melody: (beat offset in the bar, length in beats, note), one phrase a bar.
    phrases = [
        [(0, 1, 76), (1, 0.5, 79), (1.5, 0.5, 77), (2, 1, 76), (3, 1, 72)],
        [(0, 1.5, 74), (1.5, 0.5, 71), (2, 1, 74), (3, 1, 79)],
        [(0, 1, 72), (1, 0.5, 76), (1.5, 0.5, 74), (2, 1.5, 72), (3.5, 0.5, 71)],
        [(0, 1, 69), (1, 1, 72), (2, 0.5, 77), (2.5, 0.5, 76), (3, 1, 74)],
    ]
    pluck = [(1, 0.6), (2, 0.25), (3, 0.12), (5, 0.05)]
    for bar in range(2, BARS - 1):
        for offset, beats, note in phrases[bar % 4]:
            add(bar * 4 * BEAT + offset * BEAT,
                tone(midi_hz(note), beats * BEAT, pluck, 0.004, 3.0), 0.3)
    add((BARS - 1) * 4 * BEAT, tone(midi_hz(72), 3 * BEAT, pluck, 0.004, 1.5), 0.3)

    kick_sound = kick()
    for bar in range(1, BARS - 1):
        start = bar * 4 * BEAT
        for beat in range(4):
            t = start + beat * BEAT
            if beat in (0, 2):
                add(t, kick_sound, 0.0)
            else:
                add(t, noise_burst(0.2, 18, 0.35, rng, tone_hz=190), -0.1)
            for half in (0, 0.5):
                add(t + half * BEAT, noise_burst(0.05, 60, 0.12, rng), 0.45)
    add((BARS - 1) * 4 * BEAT, kick_sound, 0.0)

    peak = max(max(abs(s) for s in left), max(abs(s) for s in right))
    scale = 0.85 * 32767 / peak
    with tempfile.TemporaryDirectory() as scratch:
        wav_path = os.path.join(scratch, "demo.wav")
        with wave.open(wav_path, "wb") as w:
            w.setnchannels(2)
            w.setsampwidth(2)
            w.setframerate(RATE)
            w.writeframes(b"".join(struct.pack("<hh", round(l * scale), round(r * scale))
                                   for l, r in zip(left, right)))
        subprocess.run(["lame", "--quiet", "-b", "128", "-m", "j", "--resample", "44.1",
                        "--tt", "Morning Steps", "--ta", "Sonorbox", wav_path, sys.argv[1]],
                       check=True)


if __name__ == "__main__":
    main()
