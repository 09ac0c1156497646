#!/usr/bin/env python3
"""Makes the MP3 fixtures of the decoder and player tests.

Each fixture is one second of two steady tones, 440 Hz on the left and 1000 Hz
on the right (a single-channel file carries 440 Hz), synthesised here and
encoded with lame. The "varied-" fixtures are 88977 sample frames (a little
over two seconds, not a whole number of frames) of a signal whose loudness and
bandwidth change every half second, so that a variable bitrate really varies:
they cover header frames, lengths, seeking and gapless trimming. The "-is"
fixture is a joint-stereo one with the intensity bit set in every joint-stereo
header: lame writes no intensity stereo, but such a stream is valid, and the
zero part of its side channel reads as intensity positions.
Run from anywhere: make-fixtures.py writes next to itself.
"""
import math
import os
import random
import struct
import subprocess
import tempfile
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
LEFT_HZ, RIGHT_HZ = 440.0, 1000.0


def write_tones(path, rate, channels, seconds=1.0):
    frames = int(rate * seconds)
    with wave.open(path, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(2)
        w.setframerate(rate)
        data = bytearray()
        for n in range(frames):
            left = round(12000 * math.sin(2 * math.pi * LEFT_HZ * n / rate))
            data += struct.pack("<h", left)
            if channels == 2:
                right = round(12000 * math.sin(2 * math.pi * RIGHT_HZ * n / rate))
                data += struct.pack("<h", right)
        w.writeframes(bytes(data))


VARIED_FRAMES = 88977


def write_varied(path):
    """Half-second sections: a soft low tone; loud bright noise with a sweep;
    a chord; silence with a click; the tone again. Seeded, so the same bytes
    come out each time."""
    rng = random.Random(10)
    rate = 44100
    data = bytearray()
    for n in range(VARIED_FRAMES):
        t = n / rate
        section = int(t * 2) % 5
        if section == 0 or section == 4:
            left = 2000 * math.sin(2 * math.pi * 220 * t)
            right = 2000 * math.sin(2 * math.pi * 330 * t)
        elif section == 1:
            sweep = 6000 * math.sin(2 * math.pi * (1000 + 8000 * (t - 0.5)) * t)
            left = sweep + rng.uniform(-9000, 9000)
            right = 0.5 * sweep + rng.uniform(-9000, 9000)
        elif section == 2:
            left = sum(3000 * math.sin(2 * math.pi * f * t) for f in (262, 330, 392, 3136))
            right = sum(3000 * math.sin(2 * math.pi * f * t) for f in (196, 247, 294, 4699))
        else:
            left = right = 20000.0 if n % 11025 == 0 else 0.0
        data += struct.pack("<hh", round(left), round(right))
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(bytes(data))


VARIED = {
    "varied-cbr-128.mp3": ["-b", "128", "-m", "j"],
    "varied-cbr-128-notag.mp3": ["-b", "128", "-m", "j", "-t"],
    "varied-v0.mp3": ["-V", "0", "-m", "j"],
    "varied-v2.mp3": ["-V", "2", "-m", "j"],
    "varied-v5.mp3": ["-V", "5", "-m", "j"],
    "varied-v2-notag.mp3": ["-V", "2", "-m", "j", "-t"],
    "varied-abr-160.mp3": ["--abr", "160", "-m", "j"],
}

LAYER3_KBPS = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0]


def set_intensity_bit(source, target):
    """Copies an MPEG-1 44.1 kHz stream, setting the intensity bit of the mode
    extension in every joint-stereo frame header."""
    data = bytearray(open(source, "rb").read())
    p = 0
    while p + 4 <= len(data):
        h = int.from_bytes(data[p:p + 4], "big")
        if h >> 21 != 0x7FF or LAYER3_KBPS[(h >> 12) & 15] == 0:
            break
        if (h >> 6) & 3 == 1:
            data[p + 3] |= 0x10
        p += 144000 * LAYER3_KBPS[(h >> 12) & 15] // 44100 + ((h >> 9) & 1)
    open(target, "wb").write(bytes(data))


# name: (sample rate, channels, lame options)
FIXTURES = {
    "stereo-128.mp3": (44100, 2, ["-b", "128", "-m", "s"]),
    "joint-128.mp3": (44100, 2, ["-b", "128", "-m", "j"]),
    "crc-128.mp3": (44100, 2, ["-b", "128", "-m", "j", "-p"]),
    "dual-128.mp3": (44100, 2, ["-b", "128", "-m", "d"]),
    "mono-64.mp3": (44100, 1, ["-b", "64", "-m", "m"]),
    "rate32k-128.mp3": (32000, 2, ["-b", "128", "-m", "j"]),
    "rate48k-128.mp3": (48000, 2, ["-b", "128", "-m", "j"]),
    "mpeg2-64.mp3": (22050, 2, ["-b", "64", "-m", "j"]),
    "vbr-v2.mp3": (44100, 2, ["-V", "2", "-m", "j"]),
}


def main():
    with tempfile.TemporaryDirectory() as scratch:
        for name, (rate, channels, options) in FIXTURES.items():
            wav = os.path.join(scratch, f"{rate}-{channels}.wav")
            if not os.path.exists(wav):
                write_tones(wav, rate, channels)
            subprocess.run(["lame", "--quiet", "--resample", str(rate / 1000), *options,
                            wav, os.path.join(HERE, name)], check=True)
        varied = os.path.join(scratch, "varied.wav")
        write_varied(varied)
        for name, options in VARIED.items():
            subprocess.run(["lame", "--quiet", *options, varied, os.path.join(HERE, name)], check=True)
        set_intensity_bit(os.path.join(HERE, "varied-cbr-128.mp3"), os.path.join(HERE, "varied-is.mp3"))
    write_list_songs()
    write_header_frame_seeds()


# A list of three 10-second songs, told apart by their tones, for the tests
# of requests made while the next song is decoded ahead: name: (left, right).
LIST_SONGS = {
    "list-a.mp3": (330.0, 495.0),
    "list-b.mp3": (523.0, 784.0),
    "list-c.mp3": (698.0, 1047.0),
}


def write_song(path, tones, seed, seconds=10.0):
    """Two tones under seeded noise: steady tones alone repeat whole frames
    (a shift of 6.4 s holds whole cycles and whole frames), and a place in
    the song could not be told from another."""
    rng = random.Random(seed)
    rate = 44100
    data = bytearray()
    for n in range(int(rate * seconds)):
        t = n / rate
        left = 9000 * math.sin(2 * math.pi * tones[0] * t) + rng.uniform(-2000, 2000)
        right = 9000 * math.sin(2 * math.pi * tones[1] * t) + rng.uniform(-2000, 2000)
        data += struct.pack("<hh", round(left), round(right))
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(bytes(data))


def write_list_songs():
    with tempfile.TemporaryDirectory() as scratch:
        for seed, (name, tones) in enumerate(LIST_SONGS.items()):
            wav = os.path.join(scratch, name + ".wav")
            write_song(wav, tones, seed)
            subprocess.run(["lame", "--quiet", "--resample", "44.1", "-b", "48", "-m", "j", wav, os.path.join(HERE, name)],
                           check=True)


def write_header_frame_seeds():
    """The first frame's body of three fixtures after a control byte 0, as the
    header-frame fuzz target reads its input."""
    seeds = os.path.join(HERE, "..", "header-frames")
    os.makedirs(seeds, exist_ok=True)
    for name in ("varied-v2.mp3", "varied-cbr-128.mp3", "joint-128.mp3"):
        data = open(os.path.join(HERE, name), "rb").read()
        h = int.from_bytes(data[:4], "big")
        size = 144000 * LAYER3_KBPS[(h >> 12) & 15] // 44100 + ((h >> 9) & 1)
        with open(os.path.join(seeds, name.replace(".mp3", ".bin")), "wb") as out:
            out.write(b"\0" + data[4:size])


if __name__ == "__main__":
    main()
