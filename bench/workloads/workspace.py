"""Saving, clearing and loading a workspace of 80 MB (and of 8 MB) of floats,
each against cp copying the workspace file: the file is written and read in
one piece, so each should stay near the time of a plain copy, and ten times
the data should take about ten times as long."""
from benchlib import Command


def workspace(n, label):
    make = f"x<-(!{n})%7"
    total = [n * (n + 1) / 14]
    cp = ["cp", "w.zem", "copy.zem"]
    return [
        Command(f")SAVE {label} of floats", [make], [], ")SAVE 'w.zem'", "+/x", "cp", cp, total),
        Command(f")CLEAR {label} of floats", [make, ")SAVE 'w.zem'"], [make], ")CLEAR", "#[]AV",
                "cp", cp, [256]),
        Command(f")LOAD {label} of floats", [make, ")SAVE 'w.zem'", ")CLEAR"], [], ")LOAD 'w.zem'",
                "+/x", "cp", cp, total),
    ]


WORKLOADS = workspace(10_000_000, "80 MB") + workspace(1_000_000, "8 MB")
