#!/usr/bin/env python3
"""Writes PE32+ resource-only libraries of icon groups directly, without a compiler.

    bench/icons/pe_library.py GROUPS PATH [--small]

The layout follows the published PE/COFF format: a DOS header pointing at the PE
header, a PE32+ optional header whose resource directory entry points at the
one section, .rsrc, holding the resource tree (type, name, language) with
RT_ICON (3) and RT_GROUP_ICON (14) entries. Each group holds the images that
make_icons.library uses (16, 32 at 4, 8 and 32 bits, 48 and a 256 PNG), or with
--small only 16 and 32 at 32 bits.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tests', 'data', 'icons'))
import make_icons  # noqa: E402

FULL = [(16, 32), (32, 4), (32, 8), (32, 32), (48, 32), (256, 32)]
SMALL = [(16, 32), (32, 32)]
RT_ICON, RT_GROUP_ICON = 3, 14
SECTION_RVA, FILE_ALIGNMENT, SECTION_ALIGNMENT = 0x1000, 0x200, 0x1000
LANGUAGE = 0x409


def align(value, to):
    return (value + to - 1) // to * to


def resource_section(groups):
    """The .rsrc bytes for `groups`, each a list of (width byte, bits, data)."""
    icons = [img for group in groups for img in group]
    group_blobs, first = [], 1
    for group in groups:
        group_blobs.append(make_icons.group_directory(group, first))
        first += len(group)
    types = [(RT_ICON, [img[2] for img in icons]), (RT_GROUP_ICON, group_blobs)]

    def directory_size(entries):
        return 16 + 8 * entries
    # Directories first: the root, one name directory per type, one language directory per resource.
    offset = directory_size(len(types))
    name_dirs = []
    for _, blobs in types:
        name_dirs.append(offset)
        offset += directory_size(len(blobs))
    language_dirs = []
    for _, blobs in types:
        language_dirs.append([])
        for _ in blobs:
            language_dirs[-1].append(offset)
            offset += directory_size(1)
    data_entries = []
    for _, blobs in types:
        data_entries.append([])
        for _ in blobs:
            data_entries[-1].append(offset)
            offset += 16
    data_at = []
    for _, blobs in types:
        data_at.append([])
        for blob in blobs:
            offset = align(offset, 8)
            data_at[-1].append(offset)
            offset += len(blob)
    out = bytearray(offset)

    def put_directory(at, entries):
        struct.pack_into('<IIHHHH', out, at, 0, 0, 0, 0, 0, len(entries))
        for n, (ident, target) in enumerate(entries):
            struct.pack_into('<II', out, at + 16 + 8 * n, ident, target)
    put_directory(0, [(kind, 0x80000000 | name_dirs[t]) for t, (kind, _) in enumerate(types)])
    for t, (_, blobs) in enumerate(types):
        put_directory(name_dirs[t], [(n + 1, 0x80000000 | language_dirs[t][n]) for n in range(len(blobs))])
        for n, blob in enumerate(blobs):
            put_directory(language_dirs[t][n], [(LANGUAGE, data_entries[t][n])])
            struct.pack_into('<IIII', out, data_entries[t][n], SECTION_RVA + data_at[t][n], len(blob), 0, 0)
            out[data_at[t][n]:data_at[t][n] + len(blob)] = blob
    return bytes(out)


def library_bytes(count, sizes):
    group = [make_icons.image(s, b) for s, b in sizes]
    return pe_bytes(resource_section([group] * count))


def pe_bytes(rsrc):
    """A PE32+ library whose one section is the resource section `rsrc`."""
    raw_size = align(len(rsrc), FILE_ALIGNMENT)
    image_size = SECTION_RVA + align(len(rsrc), SECTION_ALIGNMENT)
    dos = b'MZ'.ljust(0x3C, b'\0') + struct.pack('<I', 0x40)
    coff = struct.pack('<HHIIIHH', 0x8664, 1, 0, 0, 0, 240, 0x2022)
    optional = struct.pack('<HBBIIIIIQIIHHHHHHIIIIHHQQQQII', 0x20B, 14, 0, 0, raw_size, 0, 0, SECTION_RVA,
                           0x180000000, SECTION_ALIGNMENT, FILE_ALIGNMENT, 6, 0, 0, 0, 6, 0, 0, image_size,
                           FILE_ALIGNMENT, 0, 2, 0, 0x100000, 0x1000, 0x100000, 0x1000, 0, 16)
    directories = [(0, 0)] * 16
    directories[2] = (SECTION_RVA, len(rsrc))
    optional += b''.join(struct.pack('<II', *d) for d in directories)
    section = struct.pack('<8sIIIIIIHHI', b'.rsrc', len(rsrc), SECTION_RVA, raw_size, FILE_ALIGNMENT, 0, 0, 0, 0,
                          0x40000040)
    headers = (dos + b'PE\0\0' + coff + optional + section).ljust(FILE_ALIGNMENT, b'\0')
    return headers + rsrc.ljust(raw_size, b'\0')


def write_library(count, path, small=False):
    with open(path, 'wb') as f:
        f.write(library_bytes(count, SMALL if small else FULL))


if __name__ == '__main__':
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    write_library(int(sys.argv[1]), sys.argv[2], small=len(sys.argv) == 4 and sys.argv[3] == '--small')
