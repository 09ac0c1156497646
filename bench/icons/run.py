#!/usr/bin/env python3
"""Times the icon browser's page load against wrestool's listing of the same file.

    bench/icons/run.py [GROUPS]     (default 180)

Builds a PE32+ library with GROUPS icon groups (tests/data/icons/make_icons.py,
needs mingw-w64), compiles bench/icons/icon_page.cpp against the icon library,
then runs, whole process, `icon_page LIB` (count + first eight icons) and
`wrestool -l --type=14 LIB` under hyperfine and prints the ratio of medians.
Peak memory (maximum resident set) of icon_page is compared on a library of
GROUPS and one of GROUPS/9 groups: it must not grow with the file.
"""
import glob
import json
import os
import shutil
import subprocess
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
OUT = os.path.join(ROOT, 'bench', 'out')
sys.path.insert(0, os.path.join(ROOT, 'tests', 'data', 'icons'))
import make_icons  # noqa: E402


def peak_rss_kib(command):
    """Maximum resident set of one run of `command`, in KiB, as GNU time measures it."""
    run = subprocess.run(['/usr/bin/time', '-f', '%M', *command], stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True, check=True)
    return int(run.stderr.strip().splitlines()[-1])


def main():
    groups = int(sys.argv[1]) if len(sys.argv) > 1 else 180
    for tool in ('hyperfine', 'wrestool', 'x86_64-w64-mingw32-windres', 'g++', '/usr/bin/time'):
        if not shutil.which(tool):
            sys.exit('%s is not installed' % tool)
    os.makedirs(OUT, exist_ok=True)
    big = os.path.join(OUT, 'icons-%d.dll' % groups)
    small = os.path.join(OUT, 'icons-%d.dll' % max(1, groups // 9))
    for path, count in ((big, groups), (small, max(1, groups // 9))):
        if not os.path.exists(path):
            make_icons.library(count, path)
    # Built twice: linked statically, the process is the page load itself; linked
    # dynamically it also carries loading the C++ runtime (about 1.5 ms here).
    page, dynamic = os.path.join(OUT, 'icon_page'), os.path.join(OUT, 'icon_page_dynamic')
    sources = glob.glob(os.path.join(ROOT, 'iconbrowser', 'icons', '*.cpp'))
    for program, flags in ((page, ['-static']), (dynamic, [])):
        subprocess.run(['g++', '-std=c++20', '-O2', *flags,
                        '-I', os.path.join(ROOT, 'iconbrowser', 'icons', 'include'),
                        '-o', program, os.path.join(ROOT, 'bench', 'icons', 'icon_page.cpp'), *sources],
                       check=True)

    print(subprocess.run([page, big], capture_output=True, text=True, check=True).stdout.strip(),
          'in a %d KiB library' % (os.path.getsize(big) // 1024))
    listed = subprocess.run(['wrestool', '-l', '--type=14', big], capture_output=True, text=True, check=True)
    print('wrestool lists %d groups' % len(listed.stdout.splitlines()))

    report = os.path.join(OUT, 'icons-hyperfine.json')
    subprocess.run(['hyperfine', '-N', '--warmup', '3', '--runs', '30', '--export-json', report,
                    '%s %s' % (page, big), '%s %s' % (dynamic, big), 'wrestool -l --type=14 %s' % big],
                   check=True)
    with open(report) as f:
        ours, ours_dynamic, theirs = (r['median'] for r in json.load(f)['results'])
    print('median: icon_page %.2f ms (dynamic %.2f ms), wrestool %.2f ms' % (ours * 1e3, ours_dynamic * 1e3,
                                                                          theirs * 1e3))
    print('icon_page / wrestool = %.3f (target <= 0.2); dynamic: %.3f' % (ours / theirs, ours_dynamic / theirs))

    big_rss, small_rss = peak_rss_kib([page, big]), peak_rss_kib([page, small])
    print('peak memory of icon_page: %d KiB on %d KiB, %d KiB on %d KiB'
          % (big_rss, os.path.getsize(big) // 1024, small_rss, os.path.getsize(small) // 1024))
    print('peak memory of wrestool:  %d KiB on %d KiB, %d KiB on %d KiB'
          % (peak_rss_kib(['wrestool', '-l', '--type=14', big]), os.path.getsize(big) // 1024,
             peak_rss_kib(['wrestool', '-l', '--type=14', small]), os.path.getsize(small) // 1024))


if __name__ == '__main__':
    main()
