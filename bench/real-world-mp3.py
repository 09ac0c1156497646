#!/usr/bin/env python3
"""Lengths, gapless sample counts and sample differences of sonorbox-decode
against ffprobe and ffmpeg on lame files of every kind.

Makes a 60-second stereo song from our demo song (decoded by sonorbox-decode,
repeated), encodes it with lame as CBR 128, VBR -V 0/2/5 and ABR 160, each with
and without the Xing/Info header frame and LAME tag (-t), and prints for each:
the length sonorbox-decode --info reports and where it comes from, ffprobe's
duration, the sample frames decoded by us and by ffmpeg (both trim the
encoder's delay and padding when the tag names them), and the largest
difference between the two decodes. Then the same comparison for the
two-channel frames of the ISO stream l3-he_mode (intensity and mid/side) and
for tests/data/mp3/varied-is.mp3 (lame joint stereo with the intensity bit set).

Usage: bench/real-world-mp3.py [BUILD_DIR]   (default: build)
"""
import array
import os
import re
import subprocess
import sys
import tempfile
import wave

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LAYER3_KBPS = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0]


def pcm(data):
    samples = array.array("h")
    samples.frombytes(data[: len(data) // 2 * 2])
    return samples


def ours(decoder, path, *options):
    return pcm(subprocess.run([decoder, *options, path, "-"], capture_output=True, check=True).stdout)


def ffmpeg(path, *options):
    return pcm(subprocess.run(["ffmpeg", "-v", "error", "-threads", "1", "-i", path, *options, "-f", "s16le",
                               "-acodec", "pcm_s16le", "-"], capture_output=True, check=True).stdout)


def largest_difference(a, b, pairs=None):
    """Largest sample difference over the common length, or over the given
    (start, end) sample ranges."""
    ranges = pairs if pairs is not None else [(0, min(len(a), len(b)))]
    worst = 0
    for start, end in ranges:
        for x, y in zip(a[start:end], b[start:end]):
            worst = max(worst, abs(x - y))
    return worst


def info_length(decoder, path):
    text = subprocess.run([decoder, "--info", path], capture_output=True, text=True, check=True).stdout
    match = re.search(r"Length:\s+([\d.]+) s \(([^)]+)\)", text)
    return float(match.group(1)), match.group(2)


def ffprobe_seconds(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path],
                         capture_output=True, text=True, check=True).stdout
    return float(out.strip())


def frame_modes(path):
    data = open(path, "rb").read()
    return [(data[p + 3] >> 6) & 3 for p in frame_offsets(data)]


def frame_offsets(data):
    offsets, p = [], 0
    while p + 4 <= len(data):
        h = int.from_bytes(data[p:p + 4], "big")
        if h >> 21 != 0x7FF or LAYER3_KBPS[(h >> 12) & 15] == 0:
            break
        offsets.append(p)
        p += 144000 * LAYER3_KBPS[(h >> 12) & 15] // 44100 + ((h >> 9) & 1)
    return offsets


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    decoder = os.path.join(build, "bin", "sonorbox-decode")
    with tempfile.TemporaryDirectory() as scratch:
        song = ours(decoder, os.path.join(ROOT, "media", "demo.mp3"))
        sixty = (song * (60 * 44100 * 2 // len(song) + 1))[: 60 * 44100 * 2]
        raw = os.path.join(scratch, "song.wav")
        with wave.open(raw, "wb") as w:
            w.setnchannels(2)
            w.setsampwidth(2)
            w.setframerate(44100)
            w.writeframes(sixty.tobytes())
        print(f"{'file':<22} {'ours s':>8} {'source':<13} {'ffprobe s':>9} {'input':>8} {'ours':>8} "
              f"{'ffmpeg':>8} {'max diff':>8}")
        for label, options in [("cbr-128", ["-b", "128"]), ("v0", ["-V", "0"]), ("v2", ["-V", "2"]),
                               ("v5", ["-V", "5"]), ("abr-160", ["--abr", "160"])]:
            for tag in (True, False):
                name = label + ("" if tag else "-notag")
                mp3 = os.path.join(scratch, name + ".mp3")
                subprocess.run(["lame", "--quiet", "-m", "j",
                                *options, *([] if tag else ["-t"]), raw, mp3], check=True)
                seconds, source = info_length(decoder, mp3)
                a = ours(decoder, mp3)
                b = ffmpeg(mp3)
                print(f"{name:<22} {seconds:>8.1f} {source:<13} {ffprobe_seconds(mp3):>9.2f} {60 * 44100:>8} "
                      f"{len(a) // 2:>8} {len(b) // 2:>8} {largest_difference(a, b):>8}")

        vectors = os.path.join(ROOT, "..", "shared", "vectors", "l3-he_mode.bit")
        if os.path.exists(vectors):
            # The stream opens with single-channel frames, and sonorbox-decode
            # writes the first frame's channel count; so both decoders get
            # the stream from its first two-channel frame on. The first two
            # frames of that cut are left out: their main data points back
            # into frames that are no longer there.
            data = open(vectors, "rb").read()
            modes = frame_modes(vectors)
            first = modes.index(next(m for m in modes if m != 3))
            offset = frame_offsets(data)[first]
            cut = os.path.join(scratch, "he_mode-stereo.bit")
            open(cut, "wb").write(data[offset:])
            a = ours(decoder, cut, "--keep-all")
            b = ffmpeg(cut, "-ac", "2")
            rest = modes[first:]
            # Frames whose main data is missing give nothing here and silence
            # there: the outputs are aligned by whole frames first.
            shift = (len(b) - len(a)) // 2304
            worst = 0
            counted = 0
            for f, m in enumerate(rest):
                k = f - shift
                if m == 3 or f < 4 or k < 0 or 2304 * (k + 1) > len(a):
                    continue
                counted += 1
                worst = max(worst, max(abs(x - y) for x, y in zip(a[2304 * k:2304 * (k + 1)],
                                                                  b[2304 * f:2304 * (f + 1)])))
            print(f"l3-he_mode two-channel frames ({counted}, from its first two-channel frame on): max diff {worst}")
        intensity = os.path.join(ROOT, "tests", "data", "mp3", "varied-is.mp3")
        a = ours(decoder, intensity)
        b = ffmpeg(intensity)
        print(f"varied-is.mp3 (intensity bit set): {len(a) // 2} and {len(b) // 2} sample frames, "
              f"max diff {largest_difference(a, b)}")


if __name__ == "__main__":
    main()
