#!/usr/bin/env python3
"""Writes the PNG-bearing seeds of fuzz_icons into this folder (a few hundred bytes each).

    fuzz/icons-png/make_seeds.py

Icon files whose PNG images reach every check of the PNG stream: a palette
image with tRNS and text chunks, an interlaced one in two IDAT chunks, a damaged
one listed before a sound bitmap, and a PE32+ library holding a PNG image.
"""
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, '..', '..'))
sys.path.insert(0, os.path.join(ROOT, 'tests', 'data', 'icons'))
sys.path.insert(0, os.path.join(ROOT, 'bench', 'icons'))
import make_icons  # noqa: E402
import pe_library  # noqa: E402


def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


def png(width, height, depth, colour, interlace, chunks):
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, depth, colour, 0, 0, interlace))
            + b''.join(chunk(k, d) for k, d in chunks) + chunk(b'IEND', b''))


def main():
    palette_rows = b''.join(b'\0' + bytes(x % 3 for x in range(16)) for _ in range(16))
    palette = png(16, 16, 8, 3, 0, [(b'tEXt', b'Comment\0seed'), (b'PLTE', bytes([255, 0, 0, 0, 255, 0, 0, 0, 255])),
                                    (b'tRNS', b'\xff\x80'), (b'IDAT', zlib.compress(palette_rows, 9))])
    # Adam7 passes of an 8 x 8 grey image: 1x1, 1x1, 2x1, 2x2, 4x2, 4x4, 8x4 pixels.
    passes = [(1, 1), (1, 1), (2, 1), (2, 2), (4, 2), (4, 4), (8, 4)]
    interlaced_rows = b''.join(b''.join(b'\0' + bytes(range(w)) for _ in range(h)) for w, h in passes)
    data = zlib.compress(interlaced_rows, 9)
    interlaced = png(8, 8, 8, 0, 1, [(b'IDAT', data[:10]), (b'IDAT', data[10:])])
    rows = b''.join(b'\0' + b'\x00\xff\x00\xff' * 32 for _ in range(32))
    damaged = png(32, 32, 8, 6, 0, [(b'IDAT', zlib.compress(rows, 9)[:2] + bytes(40))])
    seeds = {
        'palette.ico': make_icons.ico([(16, 8, palette)]),
        'interlaced.ico': make_icons.ico([(8, 8, interlaced)]),
        'damaged-then-bitmap.ico': make_icons.ico([(32, 32, damaged), make_icons.image(16, 4)]),
        'png.dll': pe_library.pe_bytes(pe_library.resource_section([[(16, 8, palette), (8, 8, interlaced)]])),
    }
    for name, data in seeds.items():
        with open(os.path.join(HERE, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
