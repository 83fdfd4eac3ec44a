#!/usr/bin/env python3
"""The command line: --help prints the usage on stdout and exits 0; every
command line that names no mode rightly (an unknown option, a missing,
non-numeric or out-of-range port, a bad address, a missing script name, two
modes, extra arguments) prints one line of what is wrong and the usage on
stderr, exits 2 and starts nothing: no output (not the server's waiting line),
no file."""
import os
import re
import subprocess
import sys
import tempfile

from tally import Tally

# (arguments, the first line on stderr as a regular expression)
REFUSED = [
    (["-q"], r"zem: unknown option -q"),
    (["--nosuch"], r"zem: unknown option --nosuch"),
    (["-vq"], r"zem: unknown option -q"),
    (["-s"], r"zem: -s needs a port: -s PORT or -s ADDR:PORT"),
    (["-s", "abc"], r"zem: -s abc: the port must be a number from 1 to 65535"),
    (["-s", ""], r"zem: -s : the port must be a number from 1 to 65535"),
    (["-s", "0"], r"zem: -s 0: the port must be a number from 1 to 65535"),
    (["-s", "65536"], r"zem: -s 65536: the port must be a number from 1 to 65535"),
    (["-s", "99999999999999999999"], r"zem: -s 9+: the port must be a number from 1 to 65535"),
    (["-s", "-1"], r"zem: -s -1: the port must be a number from 1 to 65535"),
    (["-s", "80x"], r"zem: -s 80x: the port must be a number from 1 to 65535"),
    (["-s", "127.0.0.1:"], r"zem: -s 127\.0\.0\.1:: the port must be a number from 1 to 65535"),
    (["-s", "127.0.0.1:7x"], r"zem: -s 127\.0\.0\.1:7x: the port must be a number from 1 to 65535"),
    (["-s", "localhost:4000"], r"zem: -s localhost:4000: not an IPv4 or IPv6 address"),
    (["-s", "127.0.0.300:4000"], r"zem: -s 127\.0\.0\.300:4000: not an IPv4 or IPv6 address"),
    (["-s", ":4000"], r"zem: -s :4000: not an IPv4 or IPv6 address"),
    (["-s", "[::1:4000"], r"zem: -s \[::1:4000: not an IPv4 or IPv6 address"),
    (["-bt"], r"zem: -bt needs a script file"),
    (["--bt"], r"zem: -bt needs a script file"),
    (["a.zsf", "b.zsf"], r"zem: extra argument b\.zsf"),
    (["a", "b", "c"], r"zem: extra argument b"),
    (["-bt", "a.zsf", "b.zsf"], r"zem: extra argument b\.zsf"),
    (["-v", "-x"], r"zem: -x cannot be given with -v"),
    (["-v", "job.zsf"], r"zem: extra argument job\.zsf"),
    (["job.zsf", "-v"], r"zem: extra argument -v"),
    (["-s", "4000", "-v"], r"zem: -v cannot be given with -s"),
    (["-s", "4000", "job.zsf"], r"zem: extra argument job\.zsf"),
    (["-h", "-v"], r"zem: -v cannot be given with -h"),
]

# Forms the usage must name, and the warning that goes with the server.
USAGE_NAMES = ["zem FILE", "-bt FILE", "-s PORT", "-s ADDR:PORT", "0.0.0.0", "-v", "-x",
               "--help"]
WARNING = r"Whoever\s+reaches the port runs code as the user of the server\."


def run(zem, args, cwd):
    proc = subprocess.run([zem] + args, cwd=cwd, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=20)
    return proc.stdout.decode(), proc.stderr.decode(), proc.returncode


def main():
    zem = os.path.abspath(sys.argv[1])
    tally = Tally()
    check = tally.check

    with tempfile.TemporaryDirectory(prefix="zc-") as d:
        usage, err, code = run(zem, ["--help"], d)
        check("--help exits 0", code == 0, code)
        check("--help writes nothing on stderr", err == "", err)
        check("--help starts with the usage", usage.startswith("Usage: zem "), usage)
        for name in USAGE_NAMES:
            check(f"usage names {name}", name in usage, usage)
        check("usage warns about the server", re.search(WARNING, usage), usage)
        check("usage tells the batch status", "0 when every line" in usage, usage)
        out, err, code = run(zem, ["-h"], d)
        check("-h is --help", (out, err, code) == (usage, "", 0), (out, err, code))

        for args, first in REFUSED:
            out, err, code = run(zem, args, d)
            name = " ".join(args) or "(none)"
            check(f"{name}: status 2", code == 2, code)
            check(f"{name}: nothing on stdout", out == "", out)
            lines = err.split("\n", 1)
            check(f"{name}: what is wrong", re.fullmatch(first, lines[0]), lines[0])
            check(f"{name}: then the usage", len(lines) == 2 and lines[1] == usage, err)
        check("no file written", os.listdir(d) == [], os.listdir(d))

    tally.finish()


if __name__ == "__main__":
    main()
