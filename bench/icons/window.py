#!/usr/bin/env python3
"""The icon browser's window and its command-line counter, against their peers.

    bench/icons/window.py [BUILD_DIR] [RUNS]      (default build, 15)

Needs the build's bench programs (page_click_bench, minimal_qt_window,
startup_bench), Xvfb, and icoutils' wrestool for the last figure.

1. Click to page drawn: page_click_bench on the real window (offscreen) for a
   library of 180 icon groups and one of about 10 MB (545 groups), both
   written by pe_library.py; median and worst of 50 clicks, then of the page
   steps of the scroll bar through each file.
2. A folder of 50,000 files: folder_list_bench (offscreen) times until the
   file list shows them all and the longest time the window did not answer
   meanwhile; the files are made in /dev/shm where it exists.
3. Start-up: the time from starting the process to its window being mapped
   on an X server of its own (Xvfb), GlintGatherer against a minimal Qt
   Widgets window (and, to show what text costs, the same with one label),
   RUNS starts each, taken in turn; the ratios of medians.
4. Bulk counting: `glint-extract FILE...` against `wrestool -l --type=14
   FILE...` over the same folder of 2400 PE libraries (1 to 30 groups each) in
   one run each, RUNS runs each in turn; the ratio of median wall times, after
   checking that both find the same number of groups.
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
OUT = os.path.join(ROOT, 'bench', 'out')
sys.path.insert(0, HERE)
import pe_library  # noqa: E402
sys.path.insert(0, os.path.join(HERE, '..'))
from xvfb import start_xvfb  # noqa: E402

FOLDER_FILES = 2400


def library(name, groups, small=False):
    path = os.path.join(OUT, name)
    if not os.path.exists(path):
        pe_library.write_library(groups, path, small)
    return path


def page_clicks(build):
    program = os.path.join(build, 'bench', 'page_click_bench')
    small = os.path.join(ROOT, 'tests', 'data', 'icons', 'depth4.ico')
    files = [library('window-180.dll', 180), library('window-10mb.dll', 545)]
    env = dict(os.environ, QT_QPA_PLATFORM='offscreen')
    run = subprocess.run([program, small, *files], env=env, capture_output=True, text=True, check=True)
    print(run.stdout.strip())


def big_folder(build):
    where = '/dev/shm' if os.path.isdir('/dev/shm') else tempfile.gettempdir()
    env = dict(os.environ, QT_QPA_PLATFORM='offscreen')
    run = subprocess.run([os.path.join(build, 'bench', 'folder_list_bench'), '50000', where], env=env,
                         capture_output=True, text=True, check=True)
    print(run.stdout.strip())


def start_up(build, runs):
    if not shutil.which('Xvfb'):
        print('start-up: Xvfb is not installed, skipped')
        return
    server, display = start_xvfb()
    try:
        env = dict(os.environ, DISPLAY=display)
        run = subprocess.run([os.path.join(build, 'bench', 'startup_bench'), str(runs),
                              os.path.join(build, 'bench', 'minimal_qt_window'),
                              os.path.join(build, 'bench', 'minimal_qt_text_window'),
                              os.path.join(build, 'bin', 'GlintGatherer')],
                             env=env, capture_output=True, text=True, check=True)
        print(run.stdout.strip())
    finally:
        server.terminate()
        server.wait()


def timed(command):
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def bulk_counting(build, runs):
    if not shutil.which('wrestool'):
        print('bulk counting: wrestool (icoutils) is not installed, skipped')
        return
    folder = os.path.join(OUT, 'pe-folder')
    os.makedirs(folder, exist_ok=True)
    files = [library(os.path.join('pe-folder', 'lib%03d.dll' % n), 1 + n % 30, small=True)
             for n in range(FOLDER_FILES)]
    tool = os.path.join(build, 'bin', 'glint-extract')
    ours = subprocess.run([tool, *files], capture_output=True, text=True, check=True).stdout.splitlines()
    theirs = subprocess.run(['wrestool', '-l', '--type=14', *files], capture_output=True, text=True,
                            check=True).stdout.splitlines()
    groups = sum(int(line.split(' ', 1)[0]) for line in ours)
    if len(ours) != len(files) or groups != len(theirs):
        sys.exit('the counts differ: glint-extract %d groups, wrestool %d' % (groups, len(theirs)))
    size = sum(os.path.getsize(f) for f in files)
    ours_times, theirs_times = [], []
    for _ in range(runs):
        ours_times.append(timed([tool, *files]))
        theirs_times.append(timed(['wrestool', '-l', '--type=14', *files]))
    ours_median, theirs_median = statistics.median(ours_times), statistics.median(theirs_times)
    print('bulk counting of %d PE files (%d groups, %d KiB): median glint-extract %.1f ms, wrestool %.1f ms, '
          'ratio %.3f (target <= 0.2); fastest runs %.1f ms and %.1f ms, ratio %.3f'
          % (len(files), groups, size // 1024, ours_median * 1e3, theirs_median * 1e3, ours_median / theirs_median,
             min(ours_times) * 1e3, min(theirs_times) * 1e3, min(ours_times) / min(theirs_times)))


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build'))
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    os.makedirs(OUT, exist_ok=True)
    page_clicks(build)
    big_folder(build)
    start_up(build, runs)
    bulk_counting(build, runs)


if __name__ == '__main__':
    main()
