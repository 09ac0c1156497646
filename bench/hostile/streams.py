#!/usr/bin/env python3
"""Hostile MPEG streams through sonorbox-decode, two builds in one command.

Each input is made in a scratch folder, decoded to raw PCM by each build's
sonorbox-decode under GNU time, and reported as wall time, peak memory, exit
status, output bytes and the first line of standard error:

- mixed-versions: 1 MB of 13-byte single-channel MPEG-2 frames behind ten
  MPEG-1 frames
- random: 1 MB of seeded random bytes, an empty file, and twenty frame
  headers whose frames cannot be decoded
- ape-tag: a song followed by an APEv2 tag whose items hold frame-header words
- fifo: a FIFO with no writer (stopped after TIMEOUT seconds: status "timeout")

Usage: bench/hostile/streams.py BEFORE_BUILD AFTER_BUILD [TIMEOUT]
   (a build is a folder holding bin/sonorbox-decode, or that program itself)
"""
import os
import random
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SONG = os.path.join(ROOT, "tests", "data", "mp3", "joint-128.mp3")


def decoder_of(build):
    path = os.path.join(build, "bin", "sonorbox-decode")
    return path if os.path.isfile(path) else build


def silent_mono_frames(count):
    """MPEG-1 frames, 128 kbit/s, 44.1 kHz, single channel, all-zero bodies."""
    return (b"\xff\xfb\x90\xc4" + bytes(413)) * count


def ape_tag():
    # A frame-header word whose "side information" switches windows with
    # block type 0, which is corrupt, as a binary item may hold it.
    items = b"Cover Art (Front)\x00" + b"\xff\xfb\x90\x64" + bytes(6) + b"\x04" + bytes(971)
    def frame(flags):
        fields = [2000, len(items) + 32, 1, flags]
        return b"APETAGEX" + b"".join(v.to_bytes(4, "little") for v in fields) + bytes(8)
    return frame(0xA0000000) + items + frame(0x80000000)


def make_inputs(scratch):
    inputs = {}
    def write(name, data):
        path = os.path.join(scratch, name)
        with open(path, "wb") as f:
            f.write(data)
        inputs[name] = path
    tiny = b"\xff\xf3\x10\xc4" + bytes(9)
    write("mixed-versions.mp3", silent_mono_frames(10) + tiny * ((1 << 20) // len(tiny)))
    write("random.bin", random.Random(11).randbytes(1 << 20))
    write("empty.mp3", b"")
    # Mono frames whose side information asks for 288 big values in no bits.
    side = bytes.fromhex("0000000241a40084200000483480108400")
    write("headers-only.mp3", (b"\xff\xfb\x90\xc4" + side + bytes(413 - len(side))) * 20)
    write("ape-tag.mp3", open(SONG, "rb").read() + ape_tag())
    fifo = os.path.join(scratch, "fifo.mp3")
    os.mkfifo(fifo)
    inputs["fifo.mp3"] = fifo
    return inputs


def measure(decoder, source, output, timeout):
    """(seconds, peak KiB or None, status, output bytes, first error line)"""
    stats = output + ".time"
    command = ["/usr/bin/time", "-f", "%M", "-o", stats, decoder, source, output]
    start = time.perf_counter()
    # A session of its own, so that a timeout ends the decoder under time too.
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                               start_new_session=True)
    try:
        _, err = process.communicate(timeout=timeout)
        status = str(process.returncode)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        _, err = process.communicate()
        status = "timeout"
    seconds = time.perf_counter() - start
    peak = None
    if os.path.exists(stats):
        lines = open(stats).read().split()
        peak = int(lines[-1]) if lines and lines[-1].isdigit() else None
        os.remove(stats)
    size = os.path.getsize(output) if os.path.exists(output) else 0
    if os.path.exists(output):
        os.remove(output)
    message = next((l for l in err.splitlines() if l.startswith("sonorbox-decode")), "")
    return seconds, peak, status, size, message


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    builds = {"before": decoder_of(sys.argv[1]), "after": decoder_of(sys.argv[2])}
    timeout = float(sys.argv[3]) if len(sys.argv) > 3 else 5.0
    with tempfile.TemporaryDirectory() as scratch:
        inputs = make_inputs(scratch)
        print(f"{'input':<20} {'build':<7} {'wall s':>7} {'peak MiB':>9} {'status':>8} {'output bytes':>13}  message")
        for name, path in inputs.items():
            for label, decoder in builds.items():
                seconds, peak, status, size, message = measure(decoder, path, os.path.join(scratch, "out.raw"), timeout)
                peak_text = f"{peak / 1024:.1f}" if peak is not None else "-"
                message = message.replace(scratch + "/", "")
                print(f"{name:<20} {label:<7} {seconds:7.3f} {peak_text:>9} {status:>8} {size:13d}  {message}")


if __name__ == "__main__":
    main()
