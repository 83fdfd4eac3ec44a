#!/usr/bin/env python3
"""Lists whose items hold more than 64 KiB give those items' memory back:
each line below, run again and again, leaves the resident size of the
process flat.

A leak is told from a process settling by its size, measured against the
process's own resident size after a warm-up of the same line (its baseline):
the measured rounds must grow it by less than half its baseline, and there
are enough of them that a line keeping one large item a round would grow it
by at least twice its baseline."""
import os
import subprocess
import sys

from tally import Tally

MARK = "'ready'"
WARM_ROUNDS = 100
MIN_ROUNDS = 1000
ITEM_KB = 64  # the least a round that kept its large item would keep

FUNCTION = ["@.z<-big y", "z<-(!8200;y)", "@."]
CASES = [
    # (title, set-up lines, the repeated line)
    ("a list typed at the prompt", [], "#(!8200;1)"),
    ("catenation to a variable, then the variable replaced", [],
     "x<-!8200;x<-x,(1;2);x<-0"),
    ("a list assigned, then replaced", [], "x<-(!8200;1);x<-0"),
    ("indexed assignment of a list item", ["l<-(1;2)"], "l[1]<-(!8200;3);l[2]<-0"),
    ("each over large items", [], "#1 2 3 +\" (!8200;!8200;!8200)"),
    ("catenation of two temporary lists", [], "#(!8200;1),(!8200;2)"),
    ("a function result", FUNCTION, "#big 1"),
    ("each of a defined function", ["{pair:(!8200;y)}"], "#pair\" 1 2 3"),
    ("group with large groups", [], "#>.20000#1 2"),
    ("a list beside an assignment in the same line", [], "#(x<-1),(!8200;2)"),
]
# The measure itself: a line that keeps its large item every round is
# judged a leak.
KEEPS = ("a line keeping its item, judged a leak", ["kept<-20000#(0;0)", "n<-0"],
         "n<-n+1;kept[n]<-(!8200;1)")


def leaked(baseline_kb, grown_kb):
    """Whether growth over rounds that follow a warm-up is a leak: half the
    process's own resident size after the warm-up, or more."""
    return 2 * grown_kb >= baseline_kb


def rounds_for(baseline_kb):
    """Rounds enough for one kept item a round to grow the process by twice
    its baseline."""
    return max(MIN_ROUNDS, -(-2 * baseline_kb // ITEM_KB))


def resident_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise AssertionError("no VmRSS")


class Zem:
    def __init__(self, zem):
        env = dict(os.environ)
        # Freed blocks must be reusable at once under the address sanitizer.
        env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":quarantine_size_mb=0"
        self.proc = subprocess.Popen([zem], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, env=env)

    def run(self, lines):
        """Feeds the lines and waits until the interpreter has run them all."""
        text = "".join(line + "\n" for line in lines) + MARK + "\n"
        self.proc.stdin.write(text.encode())
        self.proc.stdin.flush()
        while True:
            out = self.proc.stdout.readline()
            if not out:
                raise AssertionError("zem ended early")
            if out.rstrip(b"\n").endswith(b"ready"):
                return

    def close(self):
        self.proc.stdin.close()
        self.proc.stdout.read()
        self.proc.wait(timeout=60)


def main():
    zem = sys.argv[1]
    tally = Tally()
    for title, setup, line in CASES + [KEEPS]:
        z = Zem(zem)
        try:
            z.run(setup + [line] * WARM_ROUNDS)
            before = resident_kb(z.proc.pid)
            rounds = rounds_for(before)
            z.run([line] * rounds)
            grown = resident_kb(z.proc.pid) - before
        finally:
            z.close()
        tally.check(title, leaked(before, grown) == (line == KEEPS[2]),
                    f"{line!r} run {rounds} times grew the process from {before} KB by {grown} KB")
    tally.finish()


if __name__ == "__main__":
    main()
