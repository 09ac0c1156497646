#!/usr/bin/env python3
"""Request-to-heard latency of the listener's requests on the real player.

    bench/shell/requests.py [BUILD_DIR] [RUNS]      (default build, 5)

The player plays the list of tests/data/mp3/list-a.mp3, list-b.mp3 and
list-c.mp3 (10 s each) on an X server of its own (Xvfb), with SDL's disk
device at a real device's pace and a private session bus. Each request is made
6 s into A, when A's end and B's start are queued ahead of what is heard:
Next and Previous (MPRIS), Right (+5 s, past A's end: B from its start, by
xdotool), MPRIS Seek +2 s and SetPosition 2 s, and a hand-off of list-c.mp3
by a second start (its own start counted in). For each: (the first byte heard
that is no longer A's continuation minus the device file's length when the
request was sent) / 176400 bytes a second, and the wall time from the request
until the device was handed that sample (it writes each buffer of 2048 sample
frames, 46 ms, as it takes it), median and worst of RUNS; and whether what is
heard from the first changed sample on is what the request asked for (the
song asked for from its start, or the song heard at the place sought: no
sample of a song passed over).
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

from mpris import PLAYER, BYTES_PER_SECOND, on_bus, send, size_of, start_bus, start_xvfb
from run import ROOT, Install

SONGS = [os.path.join(ROOT, 'tests', 'data', 'mp3', 'list-%s.mp3' % name) for name in 'abc']
# A block a tenth of a second into a song finds where it is heard from its
# start: its first samples after a change carry the last song's history.
PROBE_AT = 4410 * 4
PROBE_LENGTH = 16384


def song_start(heard, expected, after=0):
    found = heard.find(expected[PROBE_AT:PROBE_AT + PROBE_LENGTH], after + PROBE_AT)
    return None if found < 0 else found - PROBE_AT


def first_changed(heard, expected, start, sent_at):
    """The first byte from sent_at on where heard is no longer expected,
    which was heard from byte start on."""
    i = max(sent_at, start) // 4 * 4
    while i - start + 4 <= len(expected) and i + 4 <= len(heard):
        if heard[i:i + 4] != expected[i - start:i - start + 4]:
            return i
        i += 4
    return None


def track_id(env):
    reply = subprocess.run(['dbus-send', '--session', '--print-reply', '--dest=org.mpris.MediaPlayer2.sonorbox',
                            '/org/mpris/MediaPlayer2', 'org.freedesktop.DBus.Properties.Get',
                            'string:' + PLAYER, 'string:Metadata'], env=env, capture_output=True, text=True).stdout
    marker = 'object path "'
    at = reply.find(marker)
    return reply[at + len(marker):reply.index('"', at + len(marker))] if at >= 0 else None


def window_of(env):
    found = subprocess.run(['xdotool', 'search', '--onlyvisible', '--name', '^Sonorbox 0.82a$'], env=env,
                           capture_output=True, text=True).stdout.split()
    return found[0] if found else None


def requests(install):
    env = install.env
    hand_over = lambda: subprocess.Popen([install.program, SONGS[2]], env=env, stderr=subprocess.DEVNULL)
    # name: (how it is made, what is heard from the change on: (song, seconds into it))
    return {
        'Next': (lambda: send(env, PLAYER + '.Next'), (1, 0.0)),
        'Previous': (lambda: send(env, PLAYER + '.Previous'), (2, 0.0)),
        'Right past the end': (lambda: subprocess.run(['xdotool', 'windowfocus', '--sync', window_of(env), 'key',
                                                       'Right'], env=env, check=True), (1, 0.0)),
        'MPRIS Seek +2 s': (lambda: send(env, PLAYER + '.Seek', 'int64:2000000'), (0, '+2')),
        'MPRIS SetPosition 2 s': (lambda: send(env, PLAYER + '.SetPosition', 'objpath:' + track_id(env),
                                               'int64:2000000'), (0, 2.0)),
        'hand-off (second start)': (hand_over, (2, 0.0)),
    }


REQUESTS = ['Next', 'Previous', 'Right past the end', 'MPRIS Seek +2 s', 'MPRIS SetPosition 2 s',
            'hand-off (second start)']


def heard_as_asked(heard, decoded, changed, wanted, heard_at):
    """Whether heard, from the change on, is song wanted[0] from about
    wanted[1] s on (within a block: the seek lands on a frame; '+2': 2 s
    after heard_at, the seconds of A heard at the request)."""
    song, seconds = wanted
    if seconds == '+2':
        seconds = heard_at + 2.0
    expected = decoded[song]
    if seconds == 0.0:
        start = song_start(heard, expected, max(changed - PROBE_AT, 0))
        return start is not None and abs(start - changed) <= 2 * 16384
    # A seek enters a stream without a table of contents by its frame size:
    # in one of small frames it lands a few frames late.
    aim = int(seconds * BYTES_PER_SECOND) // 4 * 4
    for late in range(0, int(0.7 * BYTES_PER_SECOND), 4608):
        probe = aim + late + PROBE_AT
        found = heard.find(expected[probe:probe + PROBE_LENGTH], changed)
        if found >= 0 and abs((found - PROBE_AT - late) - changed) <= 2 * 16384 + int(0.7 * BYTES_PER_SECOND):
            return True
    return False


def measure(build, display, bus_address, decoded, name, runs):
    times, wall, right = [], [], 0
    for _ in range(runs):
        install = Install(build, display)
        with open(os.path.join(install.folder, 'Sonorbox.ini'), 'a') as settings:
            settings.write('[Position]\nx=40\ny=30\n')
        listed = os.path.join(install.folder, 'Three songs.m3u')
        with open(listed, 'w') as songs:
            songs.write(''.join(song + '\n' for song in SONGS))
        device = os.path.join(install.folder, 'device.raw')
        install.env.update(SDL_AUDIODRIVER='disk', SDL_DISKAUDIOFILE=device, SDL_DISKAUDIODELAY='46',
                           DBUS_SESSION_BUS_ADDRESS=bus_address)
        player = install.start(listed)
        others = []
        try:
            deadline = time.monotonic() + 30
            while not on_bus(install.env) or size_of(device) < 6 * BYTES_PER_SECOND + PROBE_AT:
                if time.monotonic() > deadline:
                    sys.exit('the player did not start')
                time.sleep(0.02)
            with open(device, 'rb') as heard:
                start = song_start(heard.read(), decoded[0])
            if start is None:
                sys.exit('song A was not heard')
            while size_of(device) < start + 6 * BYTES_PER_SECOND:
                time.sleep(0.005)
            make, wanted = requests(install)[name]
            sent_at = size_of(device)
            sent_time = time.monotonic()
            made = make()
            if isinstance(made, subprocess.Popen):
                others.append(made)
            # When each length of the device file was first seen.
            grown = []
            while time.monotonic() < sent_time + 2:
                grown.append((time.monotonic(), size_of(device)))
                time.sleep(0.001)
            with open(device, 'rb') as heard:
                heard = heard.read()
            changed = first_changed(heard, decoded[0], start, sent_at)
            if changed is None:
                continue
            times.append((changed - sent_at) * 1000 / BYTES_PER_SECOND)
            written = next((t for t, size in grown if size > changed), None)
            if written is not None:
                wall.append((written - sent_time) * 1000)
            right += heard_as_asked(heard, decoded, changed, wanted, (sent_at - start) / BYTES_PER_SECOND)
        finally:
            for process in others:
                process.wait()
            player.terminate()
            player.wait()
            install.remove()
    return times, wall, right


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build'))
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    decoded = []
    with tempfile.TemporaryDirectory() as folder:
        for song in SONGS:
            raw = os.path.join(folder, 'expected.raw')
            subprocess.run([os.path.join(build, 'bin', 'sonorbox-decode'), '--eq', song, raw], check=True,
                           stdout=subprocess.DEVNULL)
            with open(raw, 'rb') as pcm:
                decoded.append(pcm.read())
    server, display = start_xvfb()
    bus, address = start_bus()
    try:
        for name in REQUESTS:
            times, wall, right = measure(build, display, address, decoded, name, runs)
            if times and wall:
                print('%s, 6 s into A: first changed sample at the device length at the request + median %.0f ms, '
                      'worst %.0f ms of audio; written to the device median %.0f ms, worst %.0f ms after the '
                      'request; heard as asked %d of %d' % (name, statistics.median(times), max(times),
                                                            statistics.median(wall), max(wall), right, len(times)))
            else:
                print('%s: no change heard' % name)
    finally:
        bus.terminate()
        server.terminate()


if __name__ == '__main__':
    main()
