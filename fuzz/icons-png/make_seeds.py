#!/usr/bin/env python3
"""Writes the PNG-bearing seeds of fuzz_icons into this folder (a few hundred bytes each).

    fuzz/icons-png/make_seeds.py

Icon files whose PNG images reach every check of the PNG stream: a palette
image with tRNS and text chunks, an interlaced one in two IDAT chunks, a damaged
one listed before a sound bitmap, and a PE32+ library holding a PNG image; and
for the decoder's every path, images of the other depths and colour types with
rows under each filter type. Two hostile files, which cost seconds before the
reader bounded its work and now cost the fuzz timeout nothing: a PNG image of
thousands of empty IDAT chunks, and an icon of hundreds of entries that all
name one PNG image that does not decode (36 and 200 KB). Before the bounds
the second cost fuzz_thumbnail about 3 s, past its timeout.
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
    # Rows of a 5 x 5 image under filter types 0 to 4 in turn.
    def filtered(row_bytes):
        return b''.join(bytes([y]) + bytes((x * 37 + y * 11) % 256 for x in range(row_bytes)) for y in range(5))
    kinds = {'grey2-keyed.ico': (2, 0, [(b'tRNS', b'\x00\x01')], 2),
             'grey16.ico': (16, 0, [], 10),
             'rgb16-keyed.ico': (16, 2, [(b'tRNS', bytes(6))], 30),
             'grey-alpha8.ico': (8, 4, [], 10),
             'rgba16.ico': (16, 6, [], 40),
             'palette4.ico': (4, 3, [(b'PLTE', bytes(range(48))), (b'tRNS', b'\x00\x80')], 3)}
    extra = {name: make_icons.ico([(5, depth, png(5, 5, depth, colour, 0, chunks + [(b'IDAT', zlib.compress(filtered(row), 9))]))])
             for name, (depth, colour, chunks, row) in kinds.items()}
    seeds = {
        **extra,
        'palette.ico': make_icons.ico([(16, 8, palette)]),
        'interlaced.ico': make_icons.ico([(8, 8, interlaced)]),
        'damaged-then-bitmap.ico': make_icons.ico([(32, 32, damaged), make_icons.image(16, 4)]),
        'png.dll': pe_library.pe_bytes(pe_library.resource_section([[(16, 8, palette), (8, 8, interlaced)]])),
    }
    # The data of a 64 x 64 image one byte per chunk, then empty chunks; its check value garbled.
    big_rows = zlib.compress(b''.join(b'\0' + bytes(64 * 4) for _ in range(64)), 9)
    big_rows = big_rows[:-4] + b'\0\0\0\0'
    def tiny(empty):
        return png(64, 64, 8, 6, 0, [(b'IDAT', big_rows[at:at + 1]) for at in range(len(big_rows))]
                   + [(b'IDAT', b'')] * empty)
    seeds['tiny-chunks.ico'] = make_icons.ico([(64, 32, tiny(3000))])
    entries, shared = 1000, tiny(16000)
    many = struct.pack('<HHH', 0, 1, entries) + b''.join(
        struct.pack('<BBBBHHII', 0, 0, 0, 0, 1, 32, len(shared), 6 + 16 * entries) for _ in range(entries))
    seeds['many-entries.ico'] = many + shared
    for name, data in seeds.items():
        with open(os.path.join(HERE, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
