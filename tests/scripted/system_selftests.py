#!/usr/bin/env python3
""")PT writes its complex-arithmetic check to standard error; )OPEN writes
its file in the working directory."""
import os
import subprocess
import sys
import tempfile

BANNER_END = b"CLEAR WS\n\n      "


def main():
    zem = os.path.abspath(sys.argv[1])
    failed = []
    with tempfile.TemporaryDirectory() as d:
        proc = subprocess.run([zem], input=b")PT\n)OPEN\n", cwd=d, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=60)
        out = proc.stdout[proc.stdout.find(BANNER_END) + len(BANNER_END):]
        if out != b"            Bye.\n":
            failed.append(f"standard output: {out!r}")
        if proc.stderr != b"Debug[src/ecmd:1511] 0.00000000000000000\n":
            failed.append(f"standard error: {proc.stderr!r}")
        try:
            with open(os.path.join(d, "zem_open.dat"), "rb") as f:
                if f.read() != b"America":
                    failed.append("zem_open.dat holds something else")
        except OSError as e:
            failed.append(f"zem_open.dat: {e}")
    for f in failed:
        print("FAIL " + f)
    print(f"{len(failed)} failed")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
