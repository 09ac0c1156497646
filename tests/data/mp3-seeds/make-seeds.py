#!/usr/bin/env python3
"""Makes the decoder fuzz target's seeds from the MP3 test fixtures in ../mp3.

Each seed is a control byte (the target's choice of equaliser, gapless
trimming and seek) and a few frames of one fixture: enough for the bit
reservoir, header frames, tags and damage to show, small enough that the
target runs thousands of inputs a second. Run from anywhere: make-seeds.py
writes next to itself.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "..", "mp3")

KBPS = {0: [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0],
        1: [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0]}
RATES = {3: [44100, 48000, 32000], 2: [22050, 24000, 16000], 0: [11025, 12000, 8000]}


def frames(name, count, skip=0):
    """The bytes of frames skip .. skip+count-1 of a fixture (ID3v2 excluded)."""
    data = open(os.path.join(FIXTURES, name), "rb").read()
    at = 0
    if data[:3] == b"ID3":
        size = (data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9]
        at = 10 + size
    cuts = []
    while at + 4 <= len(data) and len(cuts) < skip + count:
        h = struct.unpack(">I", data[at:at + 4])[0]
        if h >> 21 != 0x7FF:
            break
        version = (h >> 19) & 3
        lsf = 0 if version == 3 else 1
        size = 144000 * KBPS[lsf][(h >> 12) & 15] // (RATES[version][(h >> 10) & 3] << lsf) + ((h >> 9) & 1)
        cuts.append(data[at:at + size])
        at += size
    return b"".join(cuts[skip:])


def tagged(audio):
    """An APEv2 tag with header, a Lyrics3 v2 tag and an ID3v1 tag, each
    holding a frame-header word."""
    items = b"\x05\x00\x00\x00\x00\x00\x00\x00Title\x00\xff\xfb\x90\x64\x00"
    ape = lambda flags: (b"APETAGEX" + struct.pack("<IIII", 2000, len(items) + 32, 1, flags) + bytes(8))
    lyrics = b"LYRICSBEGIN" + b"LYR00004\xff\xfb\x90\x64"
    lyrics += b"%06d" % len(lyrics) + b"LYRICS200"
    id3v1 = b"TAG" + b"\xff\xfb\x90\x64" + bytes(121)
    return audio + ape(0xA0000000) + items + ape(0x80000000) + lyrics + id3v1


def damaged(audio):
    """Every 97th byte flipped: damage in headers, side information and
    main data alike."""
    out = bytearray(audio)
    for i in range(50, len(out), 97):
        out[i] ^= 0x5A
    return bytes(out)


def mixed_versions():
    """MPEG-1 frames with 13-byte MPEG-2 frames among them."""
    tiny = b"\xff\xf3\x10\xc4" + bytes(9)
    return frames("joint-128.mp3", 2, skip=10) + tiny * 20 + frames("joint-128.mp3", 2, skip=12)


SEEDS = {
    # control byte bits: 1 equaliser, 2 gapless, 4 seek after the third frame
    # (bits 3..7 its fraction)
    "joint-128": (0x00, frames("joint-128.mp3", 4, skip=10)),
    "stereo-128-eq": (0x01, frames("stereo-128.mp3", 4, skip=10)),
    "mono-64": (0x00, frames("mono-64.mp3", 5, skip=10)),
    "dual-128": (0x00, frames("dual-128.mp3", 4, skip=10)),
    "crc-128": (0x00, frames("crc-128.mp3", 4, skip=10)),
    "rate48k": (0x00, frames("rate48k-128.mp3", 4, skip=10)),
    "rate32k": (0x00, frames("rate32k-128.mp3", 4, skip=10)),
    "mpeg2-64": (0x00, frames("mpeg2-64.mp3", 4, skip=10)),
    "intensity": (0x00, frames("varied-is.mp3", 4, skip=30)),
    "v0-loud": (0x00, frames("varied-v0.mp3", 4, skip=30)),
    "xing-gapless": (0x02, frames("varied-v2.mp3", 5)),
    "info-seek": (0x02 | 0x04 | (16 << 3), frames("varied-cbr-128.mp3", 6)),
    "xing-toc-seek": (0x04 | (24 << 3), frames("varied-v5.mp3", 6)),
    "tags": (0x00, tagged(frames("joint-128.mp3", 3, skip=10))),
    "damaged": (0x00, damaged(frames("varied-v0.mp3", 4, skip=40))),
    "mixed-versions": (0x00, mixed_versions()),
}


def main():
    for name, (control, data) in SEEDS.items():
        with open(os.path.join(HERE, name + ".bin"), "wb") as f:
            f.write(bytes([control]) + data)


if __name__ == "__main__":
    main()
