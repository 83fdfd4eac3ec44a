#!/usr/bin/env python3
"""A call that fails at its first line keeps its parse records while it is
suspended and gives them back once cleared, by )SIC or by "->", as a call
that completes does: hundreds of rounds of failing and clearing never fill
a table, in the session and in the same workspace after )SAVE and )LOAD in
a new process. A call left suspended keeps its locals readable meanwhile."""
import os
import subprocess
import sys
import tempfile

from tally import Tally

BANNER_END = "CLEAR WS\n\n"
ROUNDS = 300
# Forty lines of control structures make the parse of each call large.
FAILING = ["@.z<-f n;t"] + ["if (n>0) {z<-n}"] * 40 + ["t<-n*2", "z<-'a'+n", "@."]
OTHER = ["@.z<-g n", "z<-n+1", "@."]


def run(zem, lines, cwd):
    proc = subprocess.run([zem], input="".join(l + "\n" for l in lines).encode(), cwd=cwd,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
    out = proc.stdout.decode("latin-1")
    return out[out.find(BANNER_END) + len(BANNER_END):], proc


def rounds(clear):
    lines = []
    for _ in range(ROUNDS):
        lines += ["f 1", clear]
    return lines


# (title, lines of the first process, lines of a second process after
# )LOAD or None, the results the last lines print, in order)
CASES = [
    ("cleared by )SIC", FAILING + OTHER + rounds(")SIC") + ["g 1"], None, ["2"]),
    ('cleared by "->"', FAILING + OTHER + rounds("->") + ["g 1"], None, ["2"]),
    ("one call left suspended while others fail and are cleared",
     FAILING + OTHER + ["f 5"] + rounds("->") + ["t", "g 1", "->", "g 2"], None,
     ["10", "2", "3"]),
    ("after )SAVE and )LOAD",
     FAILING + OTHER + rounds(")SIC") + [")SAVE 'w.zem'"],
     [")LOAD 'w.zem'"] + rounds(")SIC") + ["g 1"], ["2"]),
]


def results(out):
    """The lines the calls of g and reads of t print: numbers alone."""
    return [l.strip() for l in out.split("\n") if l.strip().isdigit()]


def main():
    zem = os.path.abspath(sys.argv[1])
    tally = Tally()
    for title, first, second, want in CASES:
        with tempfile.TemporaryDirectory(prefix="zf-") as d:
            out, proc = run(zem, first, d)
            procs = [proc]
            if second is not None:
                out, proc = run(zem, second, d)
                procs.append(proc)
            errs = "".join(p.stderr.decode("latin-1") for p in procs)
            bad = [p.returncode for p in procs if p.returncode != 0]
            got = results(out)
            tally.check(title,
                        "table is full" not in out and got == want and not bad
                        and "Sanitizer" not in errs,
                        f"results {got}, expected {want}, status {bad}, "
                        f"table full: {'table is full' in out}\n{errs[:2000]}")
    tally.finish()


if __name__ == "__main__":
    main()
