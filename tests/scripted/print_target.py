#!/usr/bin/env python3
"""A value of more than 64 KiB assigned to the print target []<- is printed
whole and then read by the rest of its statement: the statement must read
the value itself, not memory the printing gave back. Each case runs its
lines in a fresh interpreter; the printed value, the results after it and a
clean end (no report of the address sanitizer) are checked. The printouts
run to hundreds of lines, so they are checked here rather than in a
transcript."""
import os
import subprocess
import sys

from tally import Tally

BANNER_END = "CLEAR WS\n\n"
NUMBERS = [str(i) for i in range(1, 10001)]
LETTERS = "abcdefghij" * 7000
AS = "a" * 70000


def numbers_then(*after):
    return NUMBERS + list(after)


CASES = [
    # (title, lines, the last words expected on standard output: the printed
    # value, then what follows it; for a text, the text and the start of the
    # message that follows it)
    ("a reduction of the printed value", ["+/[]<-!10000"], numbers_then("50005000")),
    ("a scalar function of the printed value, assigned", ["y<-1+[]<-!10000", "+/y", "y[1 10000]"],
     numbers_then("50015000", "2", "10001")),
    ("the printed value as an item of a list", ["x<-(!10000;[]<-!10000)", "#x", "+/x[2]"],
     numbers_then("2", "50005000")),
    ("the printed value as the last value of an executed text", ["+/!.'[]<-!10000'"],
     numbers_then("50005000")),
    ("the printed value as a function's result",
     ["@.z<-f y", "z<-[]<-!y", "@.", "+/f 10000"], numbers_then("50005000")),
    ("a text read by a reserved function", ["[]get []<-70000#'abcdefghij'", "'next'"],
     ("".join(LETTERS), "Error: path error")),
    ("a text read by like", ["(70000#'a') like []<-70000#'a'", "'next'"], (AS, "Error:")),
]


def run(zem, lines):
    env = dict(os.environ)
    # Under the sanitizer only reads of freed memory matter here, not what
    # the process still holds when it ends.
    env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
    text = "".join(line + "\n" for line in lines)
    proc = subprocess.run([zem], input=text.encode(), stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, env=env, timeout=120)
    out = proc.stdout.decode(errors="replace")
    err = proc.stderr.decode(errors="replace")
    return proc.returncode, out[out.find(BANNER_END) + len(BANNER_END):], err


def check(want, code, out, err):
    if code != 0 or "Sanitizer" in err:
        return f"ended with {code}: {err.strip()[:300]}"
    words = out.split()
    if words[-1:] != ["Bye."]:
        return "no Bye. at the end"
    words = words[:-1]
    if isinstance(want, tuple):
        text, after = want
        # The text is printed in lines behind the indent: its words joined.
        joined = "".join(w for w in words if set(w) <= set(text))
        if joined != text:
            return f"the printed text has {len(joined)} characters, not {len(text)}"
        if after not in out or "next" not in words:
            return f"no {after!r} and no next line after the text"
        return None
    return None if words[-len(want):] == want else f"got ... {' '.join(words)[-200:]}"


def main():
    zem = sys.argv[1]
    tally = Tally()
    for title, lines, want in CASES:
        problem = check(want, *run(zem, lines))
        tally.check(title, not problem, problem)
    tally.finish()


if __name__ == "__main__":
    main()
