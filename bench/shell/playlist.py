#!/usr/bin/env python3
"""The playlist window's figures.

    bench/shell/playlist.py [BUILD_DIR] [SECONDS]      (default build, 20)

1. playlist_bench, offscreen, on a 10,000-entry list (links to the demo song,
   each a path of its own): from the model's reset to the first paint of the
   list, against the same rows in a standard item model; and from the reset
   until every row has its tags and length, read on the window's reader
   thread, against reading them one after another without a window.
2. CPU while playing: the real sonorbox playing a folder of those 10,000
   links on SDL's dummy device (real time) on an Xvfb server of its own, with
   the playlist window open against closed ([Playlist] Shown=1 and 0), the
   process's CPU over SECONDS after 3 s of start-up, each way in turn, twice.
"""
import os
import subprocess
import sys
import tempfile
import time

from run import ROOT, SONG, Install, cpu_seconds, start_xvfb

COUNT = 10000


def window_figures(build):
    run = subprocess.run([os.path.join(build, 'bench', 'playlist_bench'), SONG, str(COUNT)],
                         capture_output=True, text=True, check=True)
    print(run.stdout.strip())


def cpu_of_a_start(build, display, folder, shown, seconds):
    install = Install(build, display)
    try:
        with open(os.path.join(install.folder, 'Sonorbox.ini'), 'a') as settings:
            settings.write('[Playlist]\nShown=%d\n' % (1 if shown else 0))
        player = install.start(folder)
        time.sleep(3)  # past the start-up
        before = cpu_seconds(player.pid)
        time.sleep(seconds)
        used = cpu_seconds(player.pid) - before
        player.terminate()
        player.wait()
    finally:
        install.remove()
    return used


def cpu_while_playing(build, seconds):
    server, display = start_xvfb()
    with tempfile.TemporaryDirectory(prefix='playlist-bench-') as folder:
        for i in range(COUNT):
            os.symlink(SONG, os.path.join(folder, 'song %05d.mp3' % i))
        try:
            runs = {True: [], False: []}
            for shown in (True, False, True, False):
                runs[shown].append(cpu_of_a_start(build, display, folder, shown, seconds))
        finally:
            server.terminate()
    opened, closed = min(runs[True]), min(runs[False])
    print('cpu while playing %d entries for %d s: the playlist open %.3f s (%.2f%% of one core; runs %s), closed '
          '%.3f s (%.2f%%; runs %s); open/closed = %.2f'
          % (COUNT, seconds, opened, 100 * opened / seconds, ' '.join('%.2f' % r for r in runs[True]), closed,
             100 * closed / seconds, ' '.join('%.2f' % r for r in runs[False]), opened / closed))


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build'))
    seconds = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    subprocess.run(['cmake', '--build', build, '--target', 'sonorbox', 'playlist_bench'], check=True,
                   stdout=subprocess.DEVNULL)
    window_figures(build)
    cpu_while_playing(build, seconds)


if __name__ == '__main__':
    main()
