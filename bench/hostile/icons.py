#!/usr/bin/env python3
"""Hostile PNG images inside icons: two builds measured in one run.

    bench/hostile/icons.py BEFORE_BUILD AFTER_BUILD [RUNS]     (default 3)

A build folder holds bin/glint-extract (and bench/page_click_bench when the
bench programs were built); a folder holding the programs themselves will do.
The inputs, written once to bench/out/hostile-icons:

- inflating.ico: one 256 x 256 PNG image of 1.9 MB whose image data inflates
  to 1.9 GiB (its rows, then zeros); inflating.dll: a PE32+ library holding
  it as its one icon group.
- damaged.ico: a 32 x 32 PNG image whose compressed data is damaged, listed
  before a sound 32 x 32 bitmap image of the same icon.
- tinychunks.ico: a 256 x 256 PNG image of 1.8 MB, its data one byte a chunk
  and then 150,000 empty IDAT chunks, its check value garbled.
- manyentries.ico: 60,000 directory entries that all name that one image.

For each build and input: wall time and peak memory (maximum resident set, GNU
time) of `glint-extract FILE 0 OUT.png`, its exit status and what it wrote; and
the median click-to-page-drawn time of page_click_bench (offscreen) when built.
"""
import os
import statistics
import struct
import subprocess
import sys
import tempfile
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, '..', '..'))
OUT = os.path.join(ROOT, 'bench', 'out', 'hostile-icons')
sys.path.insert(0, os.path.join(ROOT, 'bench', 'icons'))
sys.path.insert(0, os.path.join(ROOT, 'tests', 'data', 'icons'))
import make_icons  # noqa: E402
import pe_library  # noqa: E402

INFLATED_BYTES = 19 * 2**30 // 10  # 1.9 GiB


def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


def png(size, idat):
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', idat) + chunk(b'IEND', b''))


def rows(size):
    return b''.join(b'\0' + b''.join(bytes(p) for p in row) for row in make_icons.draw(size, 32))


def inflating_png():
    """A 256 x 256 image whose rows are followed by zeros up to INFLATED_BYTES."""
    raw = rows(256)
    packer = zlib.compressobj(9)
    parts = [packer.compress(raw)]
    zeros = bytes(16 << 20)
    left = INFLATED_BYTES - len(raw)
    while left > 0:
        parts.append(packer.compress(zeros[:min(left, len(zeros))]))
        left -= len(zeros)
    parts.append(packer.flush())
    return png(256, b''.join(parts))


def damaged_png():
    """A 32 x 32 image whose compressed data is cut short and garbled past its zlib header."""
    idat = bytearray(zlib.compress(rows(32), 9))
    for at in range(2, len(idat)):
        idat[at] ^= 0x5A
    return png(32, bytes(idat))


def tiny_chunks_png():
    """The rows' data one byte a chunk, then empty chunks; the zlib check value garbled, so it never decodes."""
    data = zlib.compress(rows(256), 9)
    data = data[:-4] + bytes(4)
    parts = [chunk(b'IHDR', struct.pack('>IIBBBBB', 256, 256, 8, 6, 0, 0, 0))]
    parts += [chunk(b'IDAT', data[at:at + 1]) for at in range(len(data))]
    parts += [chunk(b'IDAT', b'')] * 150000
    return b'\x89PNG\r\n\x1a\n' + b''.join(parts) + chunk(b'IEND', b'')


def entries_naming_one(image, count):
    """An icon file of `count` entries that all name `image`."""
    out = struct.pack('<HHH', 0, 1, count)
    out += struct.pack('<BBBBHHII', 0, 0, 0, 0, 1, 32, len(image), 6 + 16 * count) * count
    return out + image


def write_inputs():
    os.makedirs(OUT, exist_ok=True)
    names = ('inflating.ico', 'inflating.dll', 'damaged.ico', 'tinychunks.ico', 'manyentries.ico')
    paths = {name: os.path.join(OUT, name) for name in names}
    if not all(os.path.exists(p) for p in paths.values()):
        inflating = (0, 32, inflating_png())
        sound = make_icons.image(32, 32)
        with open(paths['inflating.ico'], 'wb') as f:
            f.write(make_icons.ico([inflating]))
        with open(paths['inflating.dll'], 'wb') as f:
            f.write(pe_library.pe_bytes(pe_library.resource_section([[inflating]])))
        with open(paths['damaged.ico'], 'wb') as f:
            f.write(make_icons.ico([(32, 32, damaged_png()), sound]))
        tiny = tiny_chunks_png()
        with open(paths['tinychunks.ico'], 'wb') as f:
            f.write(make_icons.ico([(0, 32, tiny)]))
        with open(paths['manyentries.ico'], 'wb') as f:
            f.write(entries_naming_one(tiny, 60000))
    return paths


def program(build, *names):
    for name in names:
        for where in (os.path.join(build, name), os.path.join(build, 'bin', name),
                      os.path.join(build, 'bench', name)):
            if os.path.exists(where):
                return where
    return None


def timed(command, env=None):
    """(median wall seconds, peak KiB, exit status, stdout) over RUNS runs."""
    walls, peaks, status, out = [], [], 0, ''
    for _ in range(RUNS):
        started = time.perf_counter()
        run = subprocess.run(['/usr/bin/time', '-f', '%M', *command], capture_output=True, text=True, env=env)
        walls.append(time.perf_counter() - started)
        lines = run.stderr.strip().splitlines()
        peaks.append(int(lines[-1]))
        said = [line for line in lines[:-1] if not line.startswith('Command exited with non-zero status')]
        status, out = run.returncode, ' '.join([run.stdout.strip(), *said]).strip()
    return statistics.median(walls), max(peaks), status, out


def describe(picture):
    """What glint-extract wrote: nothing, or its size and the colour of its bottom-right quarter."""
    if not os.path.exists(picture):
        return 'nothing written'
    check = subprocess.run(['python3', '-c', PIXEL, picture], capture_output=True, text=True)
    return check.stdout.strip() or 'written'


# Reads the PNG that glint-extract wrote with zlib alone: its size and pixel (28, 28).
PIXEL = r'''
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
at, idat = 8, b''
while at < len(data):
    length, kind = struct.unpack('>I4s', data[at:at + 8])
    body = data[at + 8:at + 8 + length]
    if kind == b'IHDR': w, h, depth, colour = struct.unpack('>IIBB', body[:10])
    if kind == b'IDAT': idat += body
    at += 12 + length
raw, channels = zlib.decompress(idat), {6: 4, 2: 3}[colour]
stride, prev, rows = w * channels, bytearray(w * channels), []
for y in range(h):
    kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    for x in range(stride):
        a = line[x - channels] if x >= channels else 0
        b, c = prev[x], prev[x - channels] if x >= channels else 0
        p = a + b - c
        pred = [0, a, b, (a + b) // 2, a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c)
                else b if abs(p - b) <= abs(p - c) else c][kind]
        line[x] = (line[x] + pred) & 255
    rows.append(line)
    prev = line
px = rows[28][28 * channels:29 * channels]
print('%dx%d, pixel (28,28) = #%s' % (w, h, bytes(px).hex()))
'''


def main():
    global RUNS
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    builds = {'before': sys.argv[1], 'after': sys.argv[2]}
    RUNS = int(sys.argv[3]) if len(sys.argv) == 4 else 3
    inputs = write_inputs()
    small = os.path.join(ROOT, 'tests', 'data', 'icons', 'depth4.ico')
    print('inputs: %s' % ', '.join('%s %d KiB' % (n, os.path.getsize(p) // 1024) for n, p in inputs.items()))
    print('%-7s %-14s %-28s %10s %10s  %s' % ('build', 'input', 'command', 'wall ms', 'peak KiB', 'result'))
    with tempfile.TemporaryDirectory() as work:
        for label, build in builds.items():
            extract = program(build, 'glint-extract')
            page = program(build, 'page_click_bench')
            for name, path in inputs.items():
                picture = os.path.join(work, '%s-%s.png' % (label, name))
                wall, peak, status, out = timed([extract, path, '0', picture])
                result = 'exit %d: %s' % (status, describe(picture)) + ('; ' + out.strip() if out.strip() else '')
                print('%-7s %-14s %-28s %10.1f %10d  %s' % (label, name, 'glint-extract FILE 0 OUT', wall * 1e3,
                                                            peak, result))
                thumbnail = os.path.join(work, '%s-%s-thumbnail.png' % (label, name))
                wall, peak, status, out = timed([extract, '--thumbnail', '128', path, thumbnail])
                print('%-7s %-14s %-28s %10.1f %10d  exit %d' % (label, name, '--thumbnail 128 FILE OUT', wall * 1e3,
                                                                 peak, status))
                if page:
                    env = dict(os.environ, QT_QPA_PLATFORM='offscreen')
                    wall, peak, status, out = timed([page, small, path, '--runs', '3'], env=env)
                    median = out.split('median ')[1].split(',')[0] if 'median ' in out else out.strip()
                    print('%-7s %-14s %-28s %10s %10d  exit %d, whole process %.0f ms' % (
                        label, name, 'page click to drawn', median.replace(' ms', ''), peak, status, wall * 1e3))


if __name__ == '__main__':
    main()
