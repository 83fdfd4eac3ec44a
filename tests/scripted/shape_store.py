#!/usr/bin/env python3
"""Arrays of rank 3 and above keep their trailing axes in the shape-list
store, which has a fixed size (6,553,600 words). The runs of arrays that are
gone are taken again, so a loop that makes ten million rank-3 and rank-4
results (each some twenty words of runs with its assignment) runs to its end,
crossing the store's size many times; the values that live meanwhile, held
in variables, in lists nested in lists, in a dictionary, in a defined
function's locals and in a saved and loaded workspace, keep their shapes; an
array of rank above 2 can be made afterwards; and the resident size of the
process stays flat over the loops: they grow it by less than half its own
size after the warm-up, where keeping the runs, or any value a round, would
grow it by far more.

The sanitizer build runs the same loops with a fifth of the rounds (two
million results), which still take some 28 million words of runs, over four
times the store's size."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from large_items import leaked, resident_kb  # noqa: E402  the resident size, a leak
from tally import Tally  # noqa: E402

MARK = "'ready'"

DEFINE = [
    # Each round makes a rank-3 and a rank-4 result, each assigned.
    "@.r<-loop n;i;a;b", "i<-0", "while (i<n) {", " a<-2 2 2#i", " b<-2 3 2 2#i",
    " i<-i+1", "}", "r<-i", "@.",
    # Each round selects rank-3 results from one fixed array.
    "@.r<-pick n;i;b;c", "i<-0", "while (i<n) {", " b<-k[;;]", " c<-k[1 2;;2 3]", " i<-i+1",
    "}", "r<-i", "@.",
    # A local of rank 4 lives through the loop the function runs.
    "@.r<-inside n;h", "h<-2 1 3 2#!12", "r<-loop n", "r<-h~2 1 3 2#!12", "@.",
    # A statement written for single numbers, run on a rank-3 value each round.
    "@.r<-adds n;i;a", "i<-0;a<-2 2 2#0", "while (i<n) {", " a<-a+1", " i<-i+1", "}",
    "r<-+/,a", "@.",
]
VALUES = ["k<-3 4 5#!60", "l<-(1;(2 2 2#7;'x';0 2 2#0))", "d<-(`p`q):(2 2 2 2#1;3)",
          "e<-0 2 2#0"]
CHECK = ["k~3 4 5#!60", "l~(1;(2 2 2#7;'x';0 2 2#0))", "d~(`p`q):(2 2 2 2#1;3)",
         "e~0 2 2#0", "#2 2 2#5", "#k[;;]"]
CHECK_OUT = ["1", "1", "1", "1", "2 2 2", "3 4 5"]


def sanitized(zem):
    with open(zem, "rb") as f:
        return b"__asan_init" in f.read()


class Zem:
    def __init__(self, zem, cwd):
        env = dict(os.environ)
        # Freed blocks must be reusable at once under the address sanitizer.
        env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":quarantine_size_mb=0"
        self.proc = subprocess.Popen([zem], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, env=env, cwd=cwd)

    def run(self, lines):
        """Feeds the lines; their outputs (prompts and blank lines dropped)."""
        text = "".join(line + "\n" for line in lines) + MARK + "\n"
        self.proc.stdin.write(text.encode())
        self.proc.stdin.flush()
        got = []
        while True:
            out = self.proc.stdout.readline()
            if not out:
                raise AssertionError("zem ended early: " + repr(got[-5:]))
            line = out.decode("latin-1").strip()
            if line.endswith("ready"):
                return got
            if line:
                got.append(line)

    def close(self):
        self.proc.stdin.close()
        self.proc.stdout.read()
        err = self.proc.stderr.read()
        return self.proc.wait(timeout=120), err


def main():
    zem = os.path.abspath(sys.argv[1])
    # Rounds of loop, two results and some 20 words of runs each: ten million
    # results in the normal build.
    rounds = 1000000 if sanitized(zem) else 5000000
    # The warm-up takes more than half the store (5 million words), where the
    # first runs are given back: the store's pages in use are all touched.
    warm = 250000
    tally = Tally()

    def expect(title, got, want):
        tally.check(title, got == want, f"expected {want!r}, got {got!r}")

    with tempfile.TemporaryDirectory(prefix="zs-") as d:
        z = Zem(zem, d)
        try:
            z.run(DEFINE + VALUES)
            expect("the warm-up loop", z.run([f"loop {warm}"])[-1:], [str(warm)])
            before = resident_kb(z.proc.pid)
            expect("the loop of rank-3 and rank-4 results", z.run([f"loop {rounds - warm}"]),
                   [str(rounds - warm)])
            expect("rank-3 selections from one array", z.run([f"pick {rounds // 4}"]),
                   [str(rounds // 4)])
            expect("a local through a loop", z.run([f"inside {rounds // 10}"]), ["1"])
            expect("arithmetic on a rank-3 value", z.run([f"adds {rounds // 4}"]),
                   [str(8 * (rounds // 4))])
            grown = resident_kb(z.proc.pid) - before
            expect("values after the loops", z.run(CHECK), CHECK_OUT)
            z.run([")SAVE 'w.zem'", ")CLEAR", ")LOAD 'w.zem'"])
            expect("a loop after the workspace is loaded", z.run([f"loop {rounds // 10}"]),
                   [str(rounds // 10)])
            expect("values after the workspace is loaded", z.run(CHECK), CHECK_OUT)
        finally:
            code, err = z.close()
    print(f"resident size after the warm-up {before} KB, grown over the loops by {grown} KB")
    tally.check("the resident size stays flat", not leaked(before, grown),
                f"the loops grew the process by {grown} KB")
    tally.check("the process ends soundly",
                code == 0 and b"Sanitizer" not in err and b"runtime error" not in err,
                f"status {code}, stderr {err[-2000:]!r}")
    tally.finish()


if __name__ == "__main__":
    main()
