#!/usr/bin/env python3
"""Hostile playlists, before and after: time and peak memory of loading each
list as the player does (bench/playlist_load_bench of each build), with the
entries and message boxes that came of it.

usage: bench/hostile/playlists.py BEFORE_BUILD AFTER_BUILD [TIMEOUT_SECONDS]

Each run is capped at TIMEOUT_SECONDS (default 10) of wall time and 4 GiB of
address space, so a list that blocks or eats memory is killed or runs out of
memory instead of taking the machine with it. Peak memory is GNU time's
"Maximum resident set size", or for a load killed at the limit its peak
resident set read just before. Needs GNU time.
"""
import os
import re
import resource
import subprocess
import sys
import signal
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


def high_water_mark(pid):
    """Peak resident memory in KiB of the running process pid."""
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def run(build, path, timeout):
    """Wall time, peak resident memory and outcome of one load under GNU time;
    a load still running at the time limit is measured and then killed."""
    program = os.path.join(build, "bench", "playlist_load_bench")
    command = ["/usr/bin/time", "-v", program, path]
    timer = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, errors="replace",
                             preexec_fn=limit_memory, start_new_session=True)
    try:
        out, err = timer.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        with open(f"/proc/{timer.pid}/task/{timer.pid}/children") as children:
            load = int(children.read().split()[0])
        peak = high_water_mark(load)
        os.killpg(timer.pid, signal.SIGKILL)
        timer.communicate()
        return f">{timeout:.0f} s", f"{peak / 1024:.1f} MiB", "killed at the time limit: blocked or still reading"
    wall = re.search(r"Elapsed \(wall clock\) time.*: (?:(\d+):)?(\d+):([\d.]+)", err)
    rss = re.search(r"Maximum resident set size \(kbytes\): (\d+)", err)
    seconds = int(wall.group(1) or 0) * 3600 + int(wall.group(2)) * 60 + float(wall.group(3)) if wall else 0.0
    memory = f"{int(rss.group(1)) / 1024:.1f} MiB" if rss else "?"
    if timer.returncode != 0:
        what = "out of memory" if "bad_alloc" in err else f"exit {timer.returncode}"
        return f"{seconds:.2f} s", memory, what
    outcome = re.search(r"entries (\d+) messages (\d+)", out)
    result = f"{outcome.group(1)} entries, {outcome.group(2)} messages" if outcome else out.strip()
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
