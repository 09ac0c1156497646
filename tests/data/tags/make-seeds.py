#!/usr/bin/env python3
"""Writes the seed files of the song tag fuzz target into this folder: an
ID3v2.2 tag in ISO-8859-1, an unsynchronised ID3v2.3 tag in UTF-16, an ID3v2.4
tag with an extended header, a frame unsynchronised on its own with a data
length, UTF-16BE and UTF-8 texts and an ID3v1 tag behind the audio, and a file
with only an ID3v1 tag in Windows-1252. Each tag is followed by one silent
frame's worth of bytes. Python 3 standard library only."""
import os


def syncsafe(v):
    return bytes([(v >> 21) & 127, (v >> 14) & 127, (v >> 7) & 127, v & 127])


def unsync(b):
    out = bytearray()
    for i, x in enumerate(b):
        out.append(x)
        following = b[i + 1] if i + 1 < len(b) else 0
        if x == 0xFF and (following == 0 or following >= 0xE0):
            out.append(0)
    return bytes(out)


def frame(version, ident, data, fmt=0):
    if version == 2:
        return ident.encode() + len(data).to_bytes(3, 'big') + data
    size = syncsafe(len(data)) if version == 4 else len(data).to_bytes(4, 'big')
    return ident.encode() + size + bytes([0, fmt]) + data


def tag(version, body, flags=0):
    return b'ID3' + bytes([version, 0, flags]) + syncsafe(len(body)) + body


def v1(title, artist, album):
    field = lambda s: s.ljust(30, b'\0')
    return (b'TAG' + field(title) + field(artist) + field(album)).ljust(128, b'\0')


def utf16_le_marked(s):
    return b'\xff\xfe' + s.encode('utf-16-le')


AUDIO = b'\xff\xfb\x90\x64' + bytes(413)
here = os.path.dirname(os.path.abspath(__file__))
seeds = {
    'v22-latin1.mp3': tag(2, frame(2, 'TT2', b'\0Caf\xe9') + frame(2, 'TP1', b'\0Band') +
                          frame(2, 'TAL', b'\0Record') + bytes(32)) + AUDIO,
    'v23-unsynchronised-utf16.mp3': tag(3, unsync(
        frame(3, 'TIT2', b'\1' + utf16_le_marked('\u00ff\u00ff song')) +
        frame(3, 'TPE1', b'\1' + utf16_le_marked('Band')) +
        frame(3, 'TALB', b'\1\xfe\xff' + 'Record'.encode('utf-16-be'))), 0x80) + AUDIO,
    'v24-extended-frame-unsync.mp3': None,
    'v1-windows1252.mp3': AUDIO + v1(b'  Caf\xe9 \x80 ', b'Band', b'Record'),
}
title = unsync(b'\3' + 'T\u00eftle \u266a'.encode())
seeds['v24-extended-frame-unsync.mp3'] = tag(
    4, syncsafe(6) + b'\x01\x00' + frame(4, 'TIT2', syncsafe(len(title)) + title, 0x03) +
    frame(4, 'TPE1', b'\2' + 'B\u00e4nd'.encode('utf-16-be')) + frame(4, 'TALB', b'\3First\0Second') + bytes(16),
    0x40) + AUDIO + v1(b'Old', b'Old Band', b'Old Record')
for name, data in seeds.items():
    with open(os.path.join(here, name), 'wb') as f:
        f.write(data)
