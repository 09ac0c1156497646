#!/usr/bin/env python3
"""Decoding speed and memory of sonorbox-decode against ffmpeg and madplay.

Makes two 5-minute stereo files from our synthesised demo song (decoded by
sonorbox-decode, repeated to 5 minutes, encoded with lame at 128 and 320
kbit/s), then times whole-process decoding to raw PCM, alternating the
decoders, and prints the median times, their ratios and the peak memory.

Usage: bench/decode-speed.py [BUILD_DIR] [RUNS]   (defaults: build, 7)
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import wave

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def run_timed(command):
    """Runs a command; returns its wall-clock seconds."""
    start = time.perf_counter()
    result = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit(f"failed: {' '.join(command)}")
    return elapsed


def peak_memory_kib(command):
    """Peak resident memory of a command, as GNU time reports it (the
    resource usage of a forked child would include the forking interpreter)."""
    result = subprocess.run(["/usr/bin/time", "-f", "%M", *command], stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True, check=True)
    return int(result.stderr.strip().splitlines()[-1])


def make_inputs(decoder, scratch):
    demo = os.path.join(ROOT, "media", "demo.mp3")
    demo_wav = os.path.join(scratch, "demo.wav")
    subprocess.run([decoder, demo, demo_wav], check=True)
    with wave.open(demo_wav, "rb") as w:
        params = w.getparams()
        audio = w.readframes(w.getnframes())
    long_wav = os.path.join(scratch, "long.wav")
    seconds = len(audio) / (params.framerate * params.nchannels * params.sampwidth)
    with wave.open(long_wav, "wb") as w:
        w.setparams(params)
        for _ in range(int(300 / seconds) + 1):
            w.writeframes(audio)
    files = {}
    for bitrate in (128, 320):
        path = os.path.join(scratch, f"long-{bitrate}.mp3")
        subprocess.run(["lame", "--quiet", "-b", str(bitrate), "-m", "j", long_wav, path], check=True)
        files[bitrate] = path
    return files


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    decoder = os.path.join(build, "bin", "sonorbox-decode")
    if not os.access(decoder, os.X_OK):
        sys.exit(f"build sonorbox-decode first ({decoder} is missing)")
    if shutil.which("lame") is None:
        sys.exit("lame is needed to make the benchmark files")

    with tempfile.TemporaryDirectory() as scratch:
        files = make_inputs(decoder, scratch)
        out = os.path.join(scratch, "out.raw")
        for bitrate, mp3 in files.items():
            commands = {"sonorbox-decode": [decoder, mp3, out]}
            if shutil.which("ffmpeg"):
                commands["ffmpeg"] = ["ffmpeg", "-v", "error", "-threads", "1", "-i", mp3,
                                      "-f", "s16le", "-y", out]
            if shutil.which("madplay"):
                commands["madplay"] = ["madplay", "-Q", "-o", f"raw:{out}", mp3]
            times = {name: [] for name in commands}
            for _ in range(runs):
                for name, command in commands.items():
                    times[name].append(run_timed(command))
            peaks = {name: peak_memory_kib(command) if os.access("/usr/bin/time", os.X_OK) else 0
                     for name, command in commands.items()}
            ours = statistics.median(times["sonorbox-decode"])
            print(f"{bitrate} kbit/s, 5 minutes, median of {runs} runs:")
            for name in commands:
                median = statistics.median(times[name])
                ratio = f"  ratio ours/{name} {ours / median:.2f}" if name != "sonorbox-decode" else ""
                print(f"  {name:16} {median:6.3f} s  peak {peaks[name] / 1024:6.1f} MiB{ratio}")


if __name__ == "__main__":
    main()
