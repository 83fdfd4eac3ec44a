#!/usr/bin/env python3
"""Input lines byte by byte. A line longer than the line buffer is refused
whole: no piece of it runs as a line of its own, and the next line runs
normally. A zero byte inside a line reads as a blank: it cuts nothing."""
import subprocess
import sys

from tally import Tally

BANNER_END = b"CLEAR WS\n\n      "


def main():
    zem = sys.argv[1]
    cases = [
        # (input, expected output after the banner)
        (b"x" * 10300 + b"\n",
         b"Error: input line longer than 10239 characters, not run\n      Bye.\n"),
        (b"// " + b"y" * 10236 + b"\n", b"      Bye.\n"),  # exactly fits: a comment
        (b"1 2 3\x00 4\n", b"1 2 3 4\n      Bye.\n"),
        (b"'a\x00b'\n\x00\x00\n", b"a b\n            Bye.\n"),
        (b"@.z<-f y\nz<-y\x00+1\n@.\nf 1\n",
         b"[ 0]  z<-f y\n[ 1]  [ 2]        2\n      Bye.\n"),
    ]
    tally = Tally()
    for given, expected in cases:
        out = subprocess.run([zem], input=given, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, timeout=30).stdout
        body = out[out.find(BANNER_END) + len(BANNER_END):]
        tally.check(f"input of {len(given)} bytes", body == expected, f"got {body[:300]!r}")
    tally.finish()


if __name__ == "__main__":
    main()
