#!/usr/bin/env python3
"""Draws the icon fixtures of tests/data/icons and builds the containers that hold them.

    make_icons.py [OUTDIR]          icon files, NE icon library, damaged variants;
                                    with mingw-w64 installed, also the PE32/PE32+ files
    make_icons.py --library N PATH  a PE32+ library with N icon groups (for bench/)

Every image is the same picture: a transparent block in the top-left corner,
then red (top left), green (top right), blue (bottom left) and a fourth colour
(bottom right) that tells which image of an icon was chosen: it depends on the
size, and at 32 x 32 on the bit depth. 32-bit images draw the blue quarter at
half alpha. Only the Python standard library is used.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

RED, GREEN, BLUE = (255, 0, 0), (0, 255, 0), (0, 0, 255)
BLACK, WHITE = (0, 0, 0), (255, 255, 255)
# The bottom-right colour: at 32 x 32 by bit depth, otherwise by size.
MARK_32 = {1: WHITE, 4: (255, 255, 0), 8: (0, 255, 255), 24: (255, 0, 255), 32: (255, 128, 0)}
MARK_SIZE = {16: (128, 128, 128), 48: (0, 0, 128), 256: (128, 0, 128)}
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def mark(size, bpp):
    return MARK_32[bpp] if size == 32 else MARK_SIZE[size]


def draw(size, bpp):
    """Rows from the top of (r, g, b, a)."""
    half, quarter = size // 2, size // 4
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            if x < quarter and y < quarter:
                row.append((0, 0, 0, 0))
                continue
            colour = (RED if x < half else GREEN) if y < half else (BLUE if x < half else mark(size, bpp))
            if bpp == 1:  # two colours only: the bottom-right quarter white, the rest black
                colour = WHITE if colour == mark(size, bpp) else BLACK
            alpha = 128 if bpp == 32 and colour == BLUE else 255
            row.append(colour + (alpha,))
        rows.append(row)
    return rows


def palette_for(bpp):
    if bpp == 1:
        return [BLACK, WHITE]
    if bpp == 4:
        return VGA
    # A short 8-bit palette (fewer entries than 256, as the header's colour count allows).
    return [BLACK, RED, GREEN, BLUE, MARK_32[8], MARK_SIZE[16], MARK_SIZE[48], WHITE]


def dib(size, bpp):
    """A BITMAPINFOHEADER image with its AND mask, as stored in icon files and resources."""
    rows = draw(size, bpp)
    palette = palette_for(bpp) if bpp <= 8 else []
    stride = (size * bpp + 31) // 32 * 4
    mask_stride = (size + 31) // 32 * 4
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0,
                         (stride + mask_stride) * size, 0, 0, len(palette) if bpp == 8 else 0, 0)
    pal = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in palette)
    pixels, masks = b'', b''
    for row in reversed(rows):  # bottom-up
        if bpp <= 8:
            indices = [palette.index(p[:3]) if p[3] else 0 for p in row]
            bits = ''.join(format(i, '0%db' % bpp) for i in indices)
            bits += '0' * (stride * 8 - len(bits))
            line = int(bits, 2).to_bytes(stride, 'big')
        elif bpp == 24:
            line = b''.join(bytes((b, g, r)) for r, g, b, a in row).ljust(stride, b'\0')
        else:
            line = b''.join(bytes((b, g, r, a)) for r, g, b, a in row)
        pixels += line
        mbits = ''.join('1' if p[3] == 0 else '0' for p in row)
        mbits += '0' * (mask_stride * 8 - len(mbits))
        masks += int(mbits, 2).to_bytes(mask_stride, 'big')
    return header + pal + pixels + masks


def png(size):
    rows = draw(size, 32)
    raw = b''.join(b'\0' + b''.join(bytes(p) for p in row) for row in rows)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def image(size, bpp):
    """(width byte, bit count, data) of one icon image; 256 x 256 images are PNG-compressed."""
    return (size % 256, bpp, png(size) if size == 256 else dib(size, bpp))


def ico(images):
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for side, bpp, data in images:
        out += struct.pack('<BBBBHHII', side, side, 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    return out + b''.join(data for _, _, data in images)


def group_directory(images, first_id):
    out = struct.pack('<HHH', 0, 1, len(images))
    for n, (side, bpp, data) in enumerate(images):
        out += struct.pack('<BBBBHHIH', side, side, 0, 0, 1, bpp, len(data), first_id + n)
    return out


ICONS = {
    'depth1.ico': [(16, 1), (32, 1)],
    'depth4.ico': [(16, 4), (32, 4)],
    'depth8.ico': [(16, 8), (32, 8)],
    'depth24.ico': [(16, 24), (32, 24)],
    'depth32.ico': [(16, 32), (32, 32)],
    'mixed.ico': [(32, 4), (32, 32), (32, 8), (16, 32)],  # not in order of preference
    'scaled.ico': [(16, 8), (48, 8)],
    'png256.ico': [(256, 32)],
}
# Groups of the PE fixtures, in resource-directory order (names sort before numbers).
PE_GROUPS = [('APPICON', 'mixed.ico'), ('1', 'depth1.ico'), ('2', 'scaled.ico')]
# Groups of the NE icon library; the third has only a 16 x 16 image, so it is scaled up.
NE_GROUPS = [[(16, 4), (32, 4)], [(16, 8), (32, 8)], [(16, 24)]]
# Nine groups for the icon browser's paging: eight at 8 bits, the ninth at 32 bits.
NINE_GROUPS = [[(32, 8)]] * 8 + [[(32, 32)]]


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def icl(groups):
    """A 16-bit NE icon library: a DOS stub pointing at an NE header whose resource
    table lists the icon groups (type 14) and their icons (type 3)."""
    shift = 4
    icons, grouped = [], []
    for images in groups:
        grouped.append(group_directory([image(s, b) for s, b in images], len(icons) + 1))
        icons += [image(s, b)[2] for s, b in images]
    table_size = 2 + 8 + 12 * len(groups) + 8 + 12 * len(icons) + 2 + 1
    resident = b'\x05ICONS\0\0\0'
    data_start = (0x80 + table_size + len(resident) + 15) // 16 * 16
    blobs, names, offset = b'', [], data_start
    for blob in grouped + icons:
        names.append((offset >> shift, (len(blob) + 15) >> shift))
        padded = blob.ljust((len(blob) + 15) // 16 * 16, b'\0')
        blobs += padded
        offset += len(padded)
    table = struct.pack('<H', shift) + struct.pack('<HHI', 0x800E, len(groups), 0)
    for n in range(len(groups)):
        table += struct.pack('<HHHHHH', names[n][0], names[n][1], 0x1030, 0x8000 | (n + 1), 0, 0)
    table += struct.pack('<HHI', 0x8003, len(icons), 0)
    for n in range(len(icons)):
        o, length = names[len(groups) + n]
        table += struct.pack('<HHHHHH', o, length, 0x1010, 0x8000 | (n + 1), 0, 0)
    table += b'\0\0\0'  # end of types, then an empty list of names
    dos = b'MZ'.ljust(0x3C, b'\0') + struct.pack('<I', 0x40)
    ne = bytearray(64)
    ne[0:2] = b'NE'
    struct.pack_into('<HH', ne, 0x24, 0x40, 0x40 + len(table))
    head = dos + bytes(ne) + table + resident
    return head.ljust(data_start, b'\0') + blobs


def pe_resource_layout(data):
    """File offset of the resource root, and the section table (va, raw size, raw offset)."""
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    sections, optional_size = struct.unpack_from('<HxxxxxxxxxxxxH', data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from('<H', data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    rva = struct.unpack_from('<I', data, directories + 16)[0]
    table = []
    for n in range(sections):
        at = optional + optional_size + 40 * n
        table.append(struct.unpack_from('<III', data, at + 12))
    for va, size, raw in table:
        if va <= rva < va + size:
            return raw + rva - va, table
    raise ValueError('no resource section')


def directory_entries(data, root, offset):
    named, ids = struct.unpack_from('<HH', data, root + offset + 12)
    return [(root + offset + 16 + 8 * n,) + struct.unpack_from('<II', data, root + offset + 16 + 8 * n)
            for n in range(named + ids)]


def type_directory(data, root, type_id):
    for _, name, target in directory_entries(data, root, 0):
        if name == type_id:
            return target & 0x7FFFFFFF
    raise ValueError('no resource type %d' % type_id)


def looping(data):
    """The groups' name directory made to point back: the first group at the root,
    and the second group's language entry at its own name directory."""
    data = bytearray(data)
    root, _ = pe_resource_layout(data)
    groups = directory_entries(data, root, type_directory(data, root, 14))
    struct.pack_into('<I', data, groups[0][0] + 4, 0x80000000)
    second = groups[1][2] & 0x7FFFFFFF
    language = directory_entries(data, root, second)[0][0]
    struct.pack_into('<I', data, language + 4, 0x80000000 | second)
    return bytes(data)


def absurd_pe(data):
    """The first group's best image moved to an address no section holds, and the
    resource section's raw size made huge."""
    data = bytearray(data)
    root, sections = pe_resource_layout(data)
    icons = directory_entries(data, root, type_directory(data, root, 3))
    for entry, name, target in icons:
        if name == 2:  # windres numbers the icons in file order: mixed.ico's second image is 32x32x32
            language = directory_entries(data, root, target & 0x7FFFFFFF)[0]
            struct.pack_into('<I', data, root + language[2], 0xFFFFFF00)
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    optional_size = struct.unpack_from('<H', data, pe + 20)[0]
    for n, (va, size, raw) in enumerate(sections):
        if raw <= root < raw + size:
            struct.pack_into('<I', data, pe + 24 + optional_size + 40 * n + 16, 0xFFFFFF00)
    return bytes(data)


def absurd_ico():
    """65535 images declared, three present: one past the end of the file, one whose
    header claims a 100000-pixel width, and a sound 16 x 16 one with a huge size."""
    good = dib(16, 8)
    huge = bytearray(dib(32, 8))
    struct.pack_into('<i', huge, 4, 100000)
    out = struct.pack('<HHH', 0, 1, 65535)
    offset = 6 + 16 * 3
    out += struct.pack('<BBBBHHII', 32, 32, 0, 0, 1, 32, 4096, 0x7FFFFFF0)
    out += struct.pack('<BBBBHHII', 32, 32, 0, 0, 1, 8, 0xFFFFFFFF, offset)
    out += struct.pack('<BBBBHHII', 16, 16, 0, 0, 1, 8, 0xFFFFFFFF, offset + len(huge))
    return out + bytes(huge) + good


def build_pe(outdir, work, groups, bits, kind, name):
    """Links a resource-only PE32 (bits 32) or PE32+ (bits 64) executable or library."""
    prefix = 'i686-w64-mingw32-' if bits == 32 else 'x86_64-w64-mingw32-'
    rc = os.path.join(work, 'icons.rc')
    with open(rc, 'w') as f:
        for group, path in groups:
            f.write('%s ICON "%s"\n' % (group, os.path.abspath(path)))
    res = os.path.join(work, 'icons%d.o' % bits)
    subprocess.run([prefix + 'windres', rc, '-O', 'coff', '-o', res], check=True)
    stub = os.path.join(work, 'stub.c')
    with open(stub, 'w') as f:
        f.write('int start(void) { return 0; }\n')
    flags = ['-shared'] if kind == 'dll' else []
    entry = '_start' if bits == 32 else 'start'
    subprocess.run([prefix + 'gcc', '-nostdlib', '-s', '-O2', '-Wl,--no-insert-timestamp',
                    '-Wl,--disable-auto-image-base', '-Wl,-e,' + entry, *flags, '-o',
                    os.path.join(outdir, name), stub, res], check=True)


def library(count, path):
    """A PE32+ library with `count` icon groups, each of 16x16, 32x32 at 4, 8 and 32 bits,
    48x48 and 256x256 images, as an application's icon library would hold them."""
    with tempfile.TemporaryDirectory() as work:
        sizes = [(16, 32), (32, 4), (32, 8), (32, 32), (48, 32), (256, 32)]
        shared = os.path.join(work, 'group.ico')
        write(shared, ico([image(s, b) for s, b in sizes]))
        build_pe(work, work, [(str(n + 1), shared) for n in range(count)], 64, 'dll', 'lib.dll')
        shutil.copy(os.path.join(work, 'lib.dll'), path)


def main(outdir):
    for name, images in ICONS.items():
        write(os.path.join(outdir, name), ico([image(s, b) for s, b in images]))
    depth32 = ico([image(s, b) for s, b in ICONS['depth32.ico']])
    write(os.path.join(outdir, 'truncated.ico'), depth32[:len(depth32) - 2000])
    write(os.path.join(outdir, 'header-only.ico'), depth32[:4])
    write(os.path.join(outdir, 'absurd.ico'), absurd_ico())

    library_bytes = icl(NE_GROUPS)
    write(os.path.join(outdir, 'icons.icl'), library_bytes)
    # Cut inside the resource table, just after the second group's entry.
    write(os.path.join(outdir, 'truncated.icl'), library_bytes[:0x80 + 2 + 8 + 12 * 2])
    bad_shift = bytearray(library_bytes)
    struct.pack_into('<H', bad_shift, 0x80, 40)
    write(os.path.join(outdir, 'bad-shift.icl'), bytes(bad_shift))
    write(os.path.join(outdir, 'nine.icl'), icl(NINE_GROUPS))

    if not shutil.which('x86_64-w64-mingw32-windres'):
        print('mingw-w64 not installed: PE fixtures left as they are')
        return
    with tempfile.TemporaryDirectory() as work:
        groups = [(g, os.path.join(outdir, f)) for g, f in PE_GROUPS]
        for bits in (32, 64):
            for kind in ('exe', 'dll'):
                build_pe(outdir, work, groups, bits, kind, 'icons%d.%s' % (bits, kind))
    with open(os.path.join(outdir, 'icons32.dll'), 'rb') as f:
        write(os.path.join(outdir, 'loop.dll'), looping(f.read()))
    with open(os.path.join(outdir, 'icons64.exe'), 'rb') as f:
        pe = f.read()
    write(os.path.join(outdir, 'absurd.exe'), absurd_pe(pe))
    root, _ = pe_resource_layout(pe)
    write(os.path.join(outdir, 'truncated.exe'), pe[:root + 0x200])


if __name__ == '__main__':
    if len(sys.argv) == 4 and sys.argv[1] == '--library':
        library(int(sys.argv[2]), sys.argv[3])
    else:
        main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
