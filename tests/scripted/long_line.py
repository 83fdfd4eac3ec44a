#!/usr/bin/env python3
"""An input line longer than the line buffer is refused whole: no piece of it
runs as a line of its own, and the next line runs normally."""
import subprocess
import sys

BANNER_END = b"CLEAR WS\n\n      "


def main():
    zem = sys.argv[1]
    cases = [
        # (input, expected output after the banner)
        (b"x" * 10300 + b"\n",
         b"Error: input line longer than 10239 characters, not run\n      Bye.\n"),
        (b"// " + b"y" * 10236 + b"\n", b"      Bye.\n"),  # exactly fits: a comment
    ]
    passed = failed = 0
    for given, expected in cases:
        out = subprocess.run([zem], input=given, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, timeout=30).stdout
        body = out[out.find(BANNER_END) + len(BANNER_END):]
        if body == expected:
            passed += 1
        else:
            failed += 1
            print(f"FAIL input of {len(given)} bytes: got {body[:300]!r}")
    print(f"{passed} passed, {failed} failed")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
