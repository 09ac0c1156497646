#!/usr/bin/env python3
"""Figures of the player's window, against peers measured in the same run.

    bench/shell/run.py [BUILD_DIR] [SECONDS] [RUNS]      (default build, 60, 21)

1. Shape: the time to compute the default face's window shape (shape_bench),
   against removing its transparent pixels one by one.
2. CPU while playing: sonorbox playing the demo song with its window shown on
   an X server of its own (Xvfb), against the playback engine alone
   (playback_bench) on the same song for the same time; both on SDL's dummy
   device, which takes audio in real time and discards it.
3. Hand-off: a second start with a path, from its start until it ends (the
   running player has then taken the path over); median and worst of 20.
4. Start-up: from the start of the process to the main window mapped (after
   the start-up picture), against a minimal Qt Widgets program showing one
   empty window (bench/icons' startup_bench and minimal_qt_window), RUNS
   starts each in turn; the ratio of the medians.
5. Memory: peak resident memory of sonorbox after 10 s of playing, against
   the minimal window's once shown.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, '..', '..'))
SONG = os.path.join(ROOT, 'media', 'demo.mp3')
SKIN = os.path.join(ROOT, 'skins', 'Default', 'Skin.ini')
TICKS = os.sysconf('SC_CLK_TCK')

sys.path.insert(0, os.path.join(HERE, '..'))
from xvfb import start_xvfb  # noqa: E402,F401 (mpris.py takes it from here too)


def cpu_seconds(pid):
    with open('/proc/%d/stat' % pid) as stat:
        fields = stat.read().rsplit(')', 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


class Install:
    """sonorbox in a folder of its own, with its settings file on the default skin."""

    def __init__(self, build, display):
        self.folder = tempfile.mkdtemp(prefix='sonorbox-bench-')
        self.program = os.path.join(self.folder, 'sonorbox')
        shutil.copy(os.path.join(build, 'bin', 'sonorbox'), self.program)
        with open(os.path.join(self.folder, 'Sonorbox.ini'), 'w') as settings:
            settings.write('[Sonorbox]\nskin=%s\n' % SKIN)
        runtime = os.path.join(self.folder, 'runtime')
        os.mkdir(runtime, 0o700)
        self.env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM='xcb', SDL_AUDIODRIVER='dummy',
                        XDG_RUNTIME_DIR=runtime)

    def start(self, *arguments):
        return subprocess.Popen([self.program, *arguments], env=self.env, stderr=subprocess.DEVNULL)

    def remove(self):
        shutil.rmtree(self.folder, ignore_errors=True)


def shape(build):
    program = os.path.join(build, 'bench', 'shape_bench')
    if not os.path.exists(program):
        print('shape: shape_bench not built (needs libbenchmark-dev), skipped')
        return
    run = subprocess.run([program, os.path.dirname(SKIN), '--benchmark_repetitions=5',
                          '--benchmark_report_aggregates_only=true'], capture_output=True, text=True, check=True)
    medians = {}
    for line in run.stdout.splitlines():
        parts = line.split()
        if len(parts) > 3 and parts[0].endswith('_median'):
            medians[parts[0][:-len('_median')]] = float(parts[1])
    ours, peer = medians['BM_OurShape'], medians['BM_PixelByPixel']
    print('shape of the default face: %.1f us; pixel by pixel %.1f us; ours/peer = %.2f' % (ours, peer, ours / peer))


def cpu_while_playing(build, display, seconds):
    install = Install(build, display)
    try:
        player = install.start(SONG)
        time.sleep(5)  # past the start-up
        before = cpu_seconds(player.pid)
        time.sleep(seconds)
        window = cpu_seconds(player.pid) - before
        player.terminate()
        player.wait()
    finally:
        install.remove()
    engine = subprocess.run([os.path.join(build, 'bench', 'playback_bench'), 'cpu', SONG, str(seconds)],
                            env=dict(os.environ, SDL_AUDIODRIVER='dummy'), capture_output=True, text=True,
                            check=True).stdout
    alone = float(engine.split()[1])
    print('cpu while playing %d s: with the window %.3f s (%.3f%% of one core); engine alone %.3f s; '
          'window/engine = %.2f (goal at most 1.5 and under 1%% of one core)'
          % (seconds, window, 100 * window / seconds, alone, window / alone))


def hand_off(build, display, count=20):
    install = Install(build, display)
    try:
        player = install.start(SONG)
        time.sleep(3)
        other = os.path.join(ROOT, 'tests', 'data', 'mp3', 'stereo-128.mp3')
        times = []
        for i in range(count):
            start = time.monotonic()
            subprocess.run([install.program, other if i % 2 == 0 else SONG], env=install.env,
                           stderr=subprocess.DEVNULL, check=True)
            times.append((time.monotonic() - start) * 1000)
        player.terminate()
        player.wait()
    finally:
        install.remove()
    print('hand-off over %d second starts: median %.1f ms, worst %.1f ms' % (count, statistics.median(times), max(times)))


def start_up(build, display, runs):
    run = subprocess.run([os.path.join(build, 'bench', 'startup_bench'), str(runs),
                          os.path.join(build, 'bench', 'minimal_qt_window'),
                          os.path.join(build, 'bin', 'sonorbox') + '@Sonorbox 0.82a'],
                         env=dict(os.environ, DISPLAY=display), capture_output=True, text=True, check=True)
    print(run.stdout.strip() + ' (goal at most 1.3)')


def peak_memory_kib(pid):
    with open('/proc/%d/status' % pid) as status:
        for line in status:
            if line.startswith('VmHWM:'):
                return int(line.split()[1])
    return 0


def memory(build, display):
    install = Install(build, display)
    try:
        player = install.start(SONG)
        time.sleep(10)
        ours = peak_memory_kib(player.pid)
        player.terminate()
        player.wait()
        minimal = subprocess.Popen([os.path.join(build, 'bench', 'minimal_qt_window')], env=install.env)
        time.sleep(3)
        peer = peak_memory_kib(minimal.pid)
        minimal.terminate()
        minimal.wait()
    finally:
        install.remove()
    print('peak memory: sonorbox after 10 s of playing %.1f MiB; minimal Qt window %.1f MiB; %.1f MiB more '
          '(goal at most 10 MiB more)' % (ours / 1024, peer / 1024, (ours - peer) / 1024))


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build'))
    seconds = int(sys.argv[2]) if len(sys.argv) > 2 else 60
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 21
    subprocess.run(['cmake', '--build', build, '--target', 'sonorbox', 'playback_bench', 'shape_bench',
                    'startup_bench', 'minimal_qt_window'],
                   check=True, stdout=subprocess.DEVNULL)
    shape(build)
    if not shutil.which('Xvfb'):
        print('window figures: Xvfb is not installed, skipped')
        return
    server, display = start_xvfb()
    try:
        start_up(build, display, runs)
        memory(build, display)
        hand_off(build, display)
        cpu_while_playing(build, display, seconds)
    finally:
        server.terminate()


if __name__ == '__main__':
    main()
