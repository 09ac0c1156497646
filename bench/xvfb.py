"""The benchmarks' way to an X server of their own.

start_xvfb() starts Xvfb on a display number it picks itself (-displayfd:
no race with servers starting beside it) and returns the server's process
and its DISPLAY value; the caller ends the server (terminate, wait).
"""

import os
import select
import subprocess
import sys


def start_xvfb(screen='1024x768x24'):
    read, write = os.pipe()
    server = subprocess.Popen(['Xvfb', '-displayfd', str(write), '-screen', '0', screen, '-nolisten', 'tcp',
                               '-noreset'],
                              pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as number:
        # The server writes its number once it listens; it ending closes the pipe.
        ready, _, _ = select.select([number], [], [], 30)
        display = number.readline().strip() if ready else ''
    if not display.isdigit():
        server.kill()
        server.wait()
        sys.exit('Xvfb did not start')
    return server, ':' + display
