#!/usr/bin/env python3
""")PT writes its complex-arithmetic check to standard error; )OPEN writes
its file in the working directory."""
import os
import subprocess
import sys
import tempfile

from tally import Tally

BANNER_END = b"CLEAR WS\n\n      "


def main():
    zem = os.path.abspath(sys.argv[1])
    tally = Tally()
    with tempfile.TemporaryDirectory() as d:
        proc = subprocess.run([zem], input=b")PT\n)OPEN\n", cwd=d, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=60)
        out = proc.stdout[proc.stdout.find(BANNER_END) + len(BANNER_END):]
        tally.check("standard output", out == b"            Bye.\n", out)
        tally.check("standard error",
                    proc.stderr == b"Debug[src/ecmd:1511] 0.00000000000000000\n", proc.stderr)
        try:
            with open(os.path.join(d, "zem_open.dat"), "rb") as f:
                tally.check("zem_open.dat holds America", f.read() == b"America")
        except OSError as e:
            tally.fail("zem_open.dat", str(e))
    tally.finish()


if __name__ == "__main__":
    main()
