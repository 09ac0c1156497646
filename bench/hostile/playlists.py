#!/usr/bin/env python3
"""Hostile playlists, before and after: time and peak memory of loading each
list as the player does (bench/playlist_load_bench of each build), with the
entries and message boxes that came of it.

usage: bench/hostile/playlists.py BEFORE_BUILD AFTER_BUILD [TIMEOUT_SECONDS]

Each run is capped at TIMEOUT_SECONDS (default 10) of wall time and 4 GiB of
address space, so a list that blocks or eats memory ends as "timeout" or
"out of memory" instead of taking the machine with it. Needs GNU time.
"""
import os
import re
import resource
import subprocess
import sys
import tempfile


def write(folder, name, data):
    path = os.path.join(folder, name)
    with open(path, "wb") as file:
        file.write(data)
    return path


def make_cases(folder):
    cases = []
    # Six lists of 60 bytes, each naming the next ten times: a million entries.
    for i in range(5):
        write(folder, f"{i}.m3u", f"{i + 1}.m3u\n".encode() * 10)
    write(folder, "5.m3u", b"a.mp3\n" * 10)
    cases.append(("fan-out, 6 lists of 60 bytes", os.path.join(folder, "0.m3u")))

    lines = b"".join(b"gone%d.m3u\n" % i for i in range(100000))
    cases.append(("100,000 unreadable lists", write(folder, "unreadable.m3u", lines)))

    os.mkfifo(os.path.join(folder, "pipe.m3u"))
    cases.append(("a list naming a FIFO list", write(folder, "fifo.m3u", b"pipe.m3u\na.mp3\n")))

    cases.append(("a NUL line naming /dev/zero", write(folder, "nul.m3u", b"/dev/zero\0.m3u\na.mp3\n")))

    endless = os.path.join(folder, "endless.m3u")
    with open(endless, "wb") as file:
        piece = b"x" * (1 << 20)
        for _ in range(512):
            file.write(piece)
    cases.append(("a 512 MiB line without end", endless))

    # The costliest load within the bounds: missing lists with names as long
    # as an entry may be, in "./" steps, each a long walk for the file system.
    steps = (4096 - len(folder) - len("/x.m3u")) // 2
    name = (b"./" * steps) + b"x.m3u\n"
    cases.append(("missing lists of 4 KiB names", write(folder, "longnames.m3u", name * 10000)))
    return cases


def limit_memory():
    resource.setrlimit(resource.RLIMIT_AS, (4 << 30, 4 << 30))


def run(build, path, timeout):
    program = os.path.join(build, "bench", "playlist_load_bench")
    command = ["/usr/bin/time", "-v", program, path]
    try:
        done = subprocess.run(command, capture_output=True, text=True, errors="replace", timeout=timeout,
                              preexec_fn=limit_memory)
    except subprocess.TimeoutExpired:
        return f"timeout ({timeout} s)", "-", "blocked or still reading"
    wall = re.search(r"Elapsed \(wall clock\) time.*: (?:(\d+):)?(\d+):([\d.]+)", done.stderr)
    rss = re.search(r"Maximum resident set size \(kbytes\): (\d+)", done.stderr)
    seconds = 0.0
    if wall:
        seconds = int(wall.group(1) or 0) * 3600 + int(wall.group(2)) * 60 + float(wall.group(3))
    memory = f"{int(rss.group(1)) / 1024:.1f} MiB" if rss else "?"
    if done.returncode != 0:
        what = "out of memory" if "bad_alloc" in done.stderr else f"exit {done.returncode}"
        return f"{seconds:.2f} s", memory, what
    outcome = re.search(r"entries (\d+) messages (\d+)", done.stdout)
    result = f"{outcome.group(1)} entries, {outcome.group(2)} messages" if outcome else done.stdout.strip()
    return f"{seconds:.2f} s", memory, result


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    before, after = sys.argv[1], sys.argv[2]
    timeout = float(sys.argv[3]) if len(sys.argv) > 3 else 10.0
    with tempfile.TemporaryDirectory() as folder:
        rows = []
        for label, path in make_cases(folder):
            for build_name, build in (("before", before), ("after", after)):
                rows.append((label, build_name) + run(build, path, timeout))
    widths = [max(len(str(row[i])) for row in rows) for i in range(5)]
    header = ("list", "build", "wall", "peak RSS", "outcome")
    widths = [max(w, len(h)) for w, h in zip(widths, header)]
    for row in [header] + rows:
        print("  ".join(str(cell).ljust(width) for cell, width in zip(row, widths)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
