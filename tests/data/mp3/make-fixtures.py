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
zero part of its side channel reads as intensity positions. The "loud-"
fixtures (a tone of each band in turn, and a limited, bright mix) decode to
peaks of -0.3 dBFS, for the equaliser's headroom.
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

# -0.3 dBFS: the peak of the loud fixtures, as mastered songs often have it.
LOUD_PEAK = 32767 * 10 ** (-0.3 / 20)
SINE_HZ = (60, 250, 1000, 3000, 6000, 10000, 14000, 16000)
SINE_SECONDS = 0.25


def loud_sines():
    """One quarter of a second of each tone of SINE_HZ in turn, the same on
    both channels, each faded in and out over 10 ms; peaks of 1."""
    rate = 44100
    per_tone = int(rate * SINE_SECONDS)
    fade = int(rate * 0.01)
    left = []
    for hz in SINE_HZ:
        for n in range(per_tone):
            ramp = min(1.0, n / fade, (per_tone - 1 - n) / fade)
            left.append(ramp * math.sin(2 * math.pi * hz * n / rate))
    return left, list(left)


# The lines of the spectrum (of 576) whose gains the equaliser's sliders set,
# as decoder/Equaliser.h has them; the first and last stand in for the ends
# that no steady tone reaches well (the lowest line's 0 to 38 Hz, and the top
# line, above what lame codes).
BAND_LINES = (2, 5, 10, 20, 30, 50, 100, 150, 200, 300, 400, 470)
BAND_SECONDS = 0.3


def band_sines():
    """A tone at the middle of each band's line in turn, BAND_SECONDS each,
    faded in and out over 10 ms, at half of full scale, the same on both
    channels: for the equaliser's gains measured band by band."""
    rate = 44100
    per_tone = int(rate * BAND_SECONDS)
    fade = int(rate * 0.01)
    left = []
    for line in BAND_LINES:
        hz = (line + 0.5) * rate / 1152
        for n in range(per_tone):
            ramp = min(1.0, n / fade, (per_tone - 1 - n) / fade)
            left.append(0.5 * ramp * math.sin(2 * math.pi * hz * n / rate))
    return left, list(left)


def write_band_sines(scratch):
    wav = os.path.join(scratch, "bands.wav")
    left, right = band_sines()
    write_stereo(wav, left, right, 32767)
    subprocess.run(["lame", "--quiet", "-b", "320", "-m", "s", "--lowpass", "20", wav,
                    os.path.join(HERE, "band-sines.mp3")], check=True)


def loud_mix(seconds=2.0):
    """A loud, bright mix like a mastered pop song: kick, snare and hi-hat,
    a bass line, a sawtooth chord pad with harmonics up to 12 kHz, driven into
    a soft limiter (tanh); peaks of 1. Seeded."""
    rng = random.Random(23)
    rate = 44100
    frames = int(rate * seconds)
    chords = ((262, 330, 392), (220, 262, 330), (175, 220, 262), (196, 247, 294))
    bass = (65.4, 55.0, 43.7, 49.0)
    left, right = [], []
    noise_prev = 0.0
    for n in range(frames):
        t = n / rate
        beat = t % 0.5
        bar = int(t / 0.5) % 4
        kick = math.exp(-beat * 18) * math.sin(2 * math.pi * (50 + 90 * math.exp(-beat * 30)) * beat)
        noise = rng.uniform(-1, 1)
        snare_t = (t - 0.25) % 0.5
        snare = math.exp(-snare_t * 25) * (0.6 * noise + 0.4 * math.sin(2 * math.pi * 190 * snare_t))
        hat_t = t % 0.125
        hat = math.exp(-hat_t * 90) * (noise - noise_prev)  # a difference: the top of the spectrum
        noise_prev = noise
        low = sum(math.sin(2 * math.pi * k * bass[bar] * t) / k for k in (1, 2, 3))
        pad_l = pad_r = 0.0
        for i, f in enumerate(chords[bar]):
            for k in range(1, int(12000 / f) + 1):
                h = math.sin(2 * math.pi * k * f * t + i) / k
                pad_l += h
                pad_r += h if k % 2 else -h
        left.append(math.tanh(2.5 * (0.9 * kick + 0.5 * snare + 0.35 * hat + 0.5 * low + 0.12 * pad_l)))
        right.append(math.tanh(2.5 * (0.9 * kick + 0.5 * snare + 0.45 * hat + 0.5 * low + 0.12 * pad_r)))
    peak = max(max(abs(v) for v in left), max(abs(v) for v in right))
    return [v / peak for v in left], [v / peak for v in right]


def write_stereo(path, left, right, peak):
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(44100)
        w.writeframes(b"".join(struct.pack("<hh", round(peak * a), round(peak * b)) for a, b in zip(left, right)))


def decoded_peak(mp3, scratch):
    """The largest sample magnitude of lame's own decode of mp3 (32768 when it clips)."""
    raw = os.path.join(scratch, "decoded.raw")
    subprocess.run(["lame", "--quiet", "--decode", "-t", mp3, raw], check=True)
    return max(abs(v) for (v,) in struct.iter_unpack("<h", open(raw, "rb").read()))


def encode_loud(signal, options, target, scratch):
    """Encodes signal so that its decode, not its input, peaks at LOUD_PEAK
    (within 0.1 dB): coding a dense, limited mix adds overshoot (the mix
    limited to -0.3 dBFS decodes with clipped samples), and the equaliser's
    tests want songs that play loud but unclipped without the equaliser."""
    left, right = signal
    wav = os.path.join(scratch, "loud.wav")
    peak = LOUD_PEAK
    for _ in range(20):
        write_stereo(wav, left, right, peak)
        subprocess.run(["lame", "--quiet", *options, wav, target], check=True)
        decoded = decoded_peak(target, scratch)
        if abs(decoded - LOUD_PEAK) < 0.012 * LOUD_PEAK:
            return
        peak *= LOUD_PEAK / decoded
    raise SystemExit(f"{target}: the decoded peak did not settle at -0.3 dBFS")


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
        encode_loud(loud_sines(), ["-b", "192", "-m", "s"], os.path.join(HERE, "loud-sines.mp3"), scratch)
        encode_loud(loud_mix(), ["-b", "192", "-m", "j"], os.path.join(HERE, "loud-mix.mp3"), scratch)
        write_band_sines(scratch)
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
