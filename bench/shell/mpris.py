#!/usr/bin/env python3
"""Figures of the desktop's media controls (MPRIS 2), on a private session bus.

    bench/shell/mpris.py [BUILD_DIR] [SECONDS] [RUNS]      (default build, 20, 5)

1. Heard: the time from a call on the bus (Pause, Seek +10 s, Volume 0.5) to
   the first changed sample on SDL's disk device, which writes at the pace of
   a real one: (the first byte that is no longer the song's as decoded minus
   the device file's length when the call was sent) / 176400 bytes a second.
   The call is sent by dbus-send, whose own start is counted in. Median and
   worst of RUNS calls each.
2. CPU while playing: whole-process CPU time of sonorbox playing the demo song
   with its window shown (Xvfb, SDL's dummy device), SECONDS long, connected
   to the session bus against the same program without a bus, in turn.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

from run import ROOT, SONG, Install, cpu_seconds, start_xvfb

BYTES_PER_SECOND = 176400
PLAYER = 'org.mpris.MediaPlayer2.Player'


def start_bus():
    bus = subprocess.Popen(['dbus-daemon', '--session', '--nofork', '--print-address=1'],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    return bus, bus.stdout.readline().strip()


def send(env, method, *arguments):
    subprocess.run(['dbus-send', '--session', '--print-reply', '--dest=org.mpris.MediaPlayer2.sonorbox',
                    '/org/mpris/MediaPlayer2', method, *arguments], env=env, check=True,
                   stdout=subprocess.DEVNULL)


def on_bus(env):
    names = subprocess.run(['dbus-send', '--session', '--print-reply', '--dest=org.freedesktop.DBus',
                            '/org/freedesktop/DBus', 'org.freedesktop.DBus.ListNames'],
                           env=env, capture_output=True, text=True).stdout
    return 'org.mpris.MediaPlayer2.sonorbox"' in names


def size_of(path):
    try:
        return os.path.getsize(path)
    except OSError:
        return 0


def first_changed(heard, expected, start):
    """The first byte at or after start where heard is no longer the song."""
    skip = next(i for i, b in enumerate(expected) if b) // 4 * 4
    found = heard.find(expected[skip:skip + 65536])
    if found < 0:
        return None
    offset = found - skip
    i = start // 4 * 4
    step = 4096
    while i + step <= len(heard) and i + step - offset <= len(expected):
        if heard[i:i + step] != expected[i - offset:i - offset + step]:
            while heard[i:i + 4] == expected[i - offset:i - offset + 4]:
                i += 4
            return i
        i += step
    return None


def heard_after(build, display, bus_address, expected, call, runs):
    times = []
    for _ in range(runs):
        install = Install(build, display)
        device = os.path.join(install.folder, 'device.raw')
        install.env.update(SDL_AUDIODRIVER='disk', SDL_DISKAUDIOFILE=device, SDL_DISKAUDIODELAY='46',
                           DBUS_SESSION_BUS_ADDRESS=bus_address)
        player = install.start(SONG)
        try:
            deadline = time.monotonic() + 20
            while not on_bus(install.env) or size_of(device) < 4 * BYTES_PER_SECOND:
                if time.monotonic() > deadline:
                    sys.exit('the player did not start on the bus')
                time.sleep(0.1)
            sent_at = size_of(device)
            call(install.env)
            time.sleep(2)
            with open(device, 'rb') as heard:
                changed = first_changed(heard.read(), expected, sent_at)
            if changed is not None:
                times.append((changed - sent_at) * 1000 / BYTES_PER_SECOND)
        finally:
            player.terminate()
            player.wait()
            install.remove()
    return times


def cpu_with_and_without_bus(build, display, bus_address, seconds):
    figures = {}
    for name, address in (('with the session bus', bus_address), ('without a bus', None)):
        install = Install(build, display)
        if address:
            install.env['DBUS_SESSION_BUS_ADDRESS'] = address
        else:
            install.env.pop('DBUS_SESSION_BUS_ADDRESS', None)
        player = install.start(SONG)
        try:
            time.sleep(5)  # past the start-up
            before = cpu_seconds(player.pid)
            time.sleep(seconds)
            figures[name] = cpu_seconds(player.pid) - before
        finally:
            player.terminate()
            player.wait()
            install.remove()
    ours, peer = figures['with the session bus'], figures['without a bus']
    print('cpu while playing %d s: with the session bus %.2f s (%.3f%% of one core); without a bus %.2f s '
          '(%.3f%%); with/without = %.2f' % (seconds, ours, 100 * ours / seconds, peer, 100 * peer / seconds,
                                            ours / peer if peer else float('nan')))


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build'))
    seconds = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    with tempfile.TemporaryDirectory() as folder:
        raw = os.path.join(folder, 'expected.raw')
        subprocess.run([os.path.join(build, 'bin', 'sonorbox-decode'), '--eq', SONG, raw], check=True,
                       stdout=subprocess.DEVNULL)
        with open(raw, 'rb') as decoded:
            expected = decoded.read()
    server, display = start_xvfb()
    bus, address = start_bus()
    try:
        calls = {
            'Pause': lambda env: send(env, PLAYER + '.Pause'),
            'Seek +10 s': lambda env: send(env, PLAYER + '.Seek', 'int64:10000000'),
            'Volume 0.5': lambda env: send(env, 'org.freedesktop.DBus.Properties.Set', 'string:' + PLAYER,
                                           'string:Volume', 'variant:double:0.5'),
        }
        for name, call in calls.items():
            times = heard_after(build, display, address, expected, call, runs)
            if times:
                print('%s heard after: median %.0f ms, worst %.0f ms (%d calls)'
                      % (name, statistics.median(times), max(times), len(times)))
            else:
                print('%s: no change heard' % name)
        cpu_with_and_without_bus(build, display, address, seconds)
    finally:
        bus.terminate()
        server.terminate()


if __name__ == '__main__':
    main()
