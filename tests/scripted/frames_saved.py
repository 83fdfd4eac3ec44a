#!/usr/bin/env python3
"""Workspaces saved after calls that recurse through other functions, and
after values that leave bytes behind in the slots they pass through.

Each session below is run, saved with )SAVE, and loaded by a new process
that lists the workspace and calls its functions again. Two things must
hold: the saved file is byte for byte the file kept beside this test
(frames_saved/NAME.zem, written by the interpreter when every call bound
its names on entry), so the local name entries and parse nodes a file
holds are those of the binding rules; and the new process prints what is
written here.
"""
import os
import subprocess
import sys
import tempfile

from tally import Tally

BANNER_END = "CLEAR WS\n\n      "
HERE = os.path.dirname(os.path.abspath(__file__))

MUTUAL = ["@.z<-od n", "z<-0", "->(n<=0)/0", "z<-n,n", "z<-ev n-1", "z<-5 6", "@.",
          "@.z<-ev n", "z<-od n-1", "@."]
EXECUTE = ["@.z<-f n;t", "t<-n*2", "if (n>0) {z<-!.'g n-1'} else {z<-0}", "z<-z+t+n", "@.",
           "@.z<-g n", "z<-f n", "@."]
EACH = ["@.z<-ev n", "z<-od n-1", "@.", "@.z<-od n",
        "if (n<=0) {z<-0} else {z<-ev n-1}", "@."]

# name: (lines before the save, lines run after the load, what they print)
SESSIONS = {
    "mutual": (MUTUAL + ["od 2"], [")VARS", ")FNS", ")SI", "od 3"],
                '            ev   od\n            5 6\n      '),
    "branch_error": (["@.z<-a n", "z<-n+b n", "@.", "@.z<-b n", "z<-n", "->n*0.5", "@.", "a 3"],
                     [")VARS", ")SI", "n", "->", ")SI", "a 0"],
                     '            b[2] ->n*0.5\na[1] z<-n+b n\n*\n      3\n'
                     '            a[1] z<-n+b n\n*\n      Error: branch format error\n'
                     'b[2]  ->n*0.5\n         ^\n      '),
    "parse_failure": (["@.z<-a n", "z<-n+b n", "@.", "@.z<-b n", "z<-n+(", "@.", "a 3"],
                      [")VARS", ")SI", ")SIC", "a 2"],
                      '      n\n      a[1] z<-n+b n\n*\n            Error: return value required\n'
                      'a[1]  z<-n+b n\n           ^\n      '),
    "suspended": (["@.z<-f n;i", "i<-n", "if (n=0) {i<-'a'+1}", "z<-i", "@.", "f 0",
                   "x<-f 2"],
                  [")VARS", ")SI", "i", "x", "f 5"],
                  "      i   n   x\n      f[3] i<-'a'+1\n*\n      0\n      2\n      5\n      "),
    "complex": (["@.z<-c n", "z<-n*0j1", "@.", "@.z<-d n;k", "k<-n+1", "z<-(c k)+k", "@.",
                 "x<-d 3"],
                [")VARS", "x", "d 1"],
                '      x\n      4j4\n      2j2\n      '),
    "execute": (EXECUTE + ["y<-(f 2)+g 3"], [")VARS", "y", "f 3", "f 20"],
                '      y\n      27\n      18\n      630\n      '),
    # A complex number leaves its imaginary part in the slots it passed
    # through; a single number stored there later must not carry it into
    # the file.
    "leftover": (["x<-1j1+0", "q<-2*3", "x<-1j1+0", "w<-1+2 3", "@.z<-f n", "z<-n",
                  "i<-z+1j1", "k<-n*2", "@.", "f 1"],
                 [")VARS", "q", "w", "k", "i"],
                 '      i   k   q   w   x\n      6\n      3 4\n      2\n      2j1\n      '),
    "each": (EACH + ["y<-od\"(1;1 2)"], [")VARS", "y", "od\"(3;2)"],
                '      y\n      <0\n<0\n      <0\n<0\n      '),
}


# Runs lines in a new process in cwd: its output after the banner. A bad exit
# is added to failures.
def run(zem, lines, cwd, failures):
    text = "".join(line + "\n" for line in lines)
    proc = subprocess.run([zem], input=text.encode("latin-1"), cwd=cwd, capture_output=True,
                          timeout=120)
    err = proc.stderr.decode("latin-1")
    if proc.returncode != 0 or "Sanitizer" in err or "runtime error" in err:
        failures.append(f"exit status {proc.returncode}\n{err[:3000]}")
    out = proc.stdout.decode("latin-1")
    return out[out.find(BANNER_END) + len(BANNER_END):]


# The failures of one session, a text each.
def check(zem, name, before, after, expected):
    failures = []
    with tempfile.TemporaryDirectory() as d:
        run(zem, before + [")SAVE 'w.zem'"], d, failures)
        with open(os.path.join(d, "w.zem"), "rb") as f:
            saved = f.read()
        with open(os.path.join(HERE, "frames_saved", name + ".zem"), "rb") as f:
            kept = f.read()
        if saved != kept:
            at = next((i for i in range(min(len(saved), len(kept))) if saved[i] != kept[i]),
                      min(len(saved), len(kept)))
            failures.append(f"the saved file differs from the kept one at byte {at} "
                            f"({len(saved)} and {len(kept)} bytes)")
        out = run(zem, [")LOAD 'w.zem'"] + after, d, failures)
        out = out[out.find("\n") + 1:]  # past the line that says when it was saved
        if not out.endswith("Bye.\n") or out[:-len("Bye.\n")] != expected:
            failures.append(f"after )LOAD\nexpected:\n{expected}Bye.\ngot:\n{out}")
    return failures


def main():
    zem = os.path.abspath(sys.argv[1])
    tally = Tally()
    for name, (before, after, expected) in SESSIONS.items():
        failures = check(zem, name, before, after, expected)
        tally.check(name, not failures, "\n".join(failures))
    tally.finish()


if __name__ == "__main__":
    main()
