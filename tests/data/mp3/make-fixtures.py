#!/usr/bin/env python3
"""Makes the MP3 fixtures of the decoder and player tests.

Each fixture is one second of two steady tones, 440 Hz on the left and 1000 Hz
on the right (a single-channel file carries 440 Hz), synthesised here and
encoded with lame. Run from anywhere: make-fixtures.py writes next to itself.
"""
import math
import os
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


if __name__ == "__main__":
    main()
