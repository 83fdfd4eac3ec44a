#!/usr/bin/env python3
"""Lists whose items hold more than 64 KiB give those items' memory back:
each line below, run 1,000 times, leaves the resident size of the process
flat. A line that kept its large item would grow it by about 64 MB."""
import os
import subprocess
import sys

MARK = "'ready'"
ROUNDS = 1000
# Growth allowed over the measured rounds: room for the value arena filling
# up (a few hundred bytes a round), a tenth of the 64 KiB a round that kept
# its item would add.
BUDGET_KB = ROUNDS * 64 // 10

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
    failed = passed = 0
    for title, setup, line in CASES:
        z = Zem(zem)
        try:
            z.run(setup + [line] * (ROUNDS // 10))   # warm-up
            before = resident_kb(z.proc.pid)
            z.run([line] * ROUNDS)
            grown = resident_kb(z.proc.pid) - before
        finally:
            z.close()
        if grown < BUDGET_KB:
            passed += 1
        else:
            failed += 1
            print(f"FAIL {title}: {line!r} grew the process by {grown} KB")
    print(f"{passed} passed, {failed} failed")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
