"""Writing a workspace of a million floats (and of a hundred thousand) as a
script file with )OUT and reading it back into a cleared workspace with
)FCOPY, each against cp copying the script file: ten times the data should
take about ten times as long."""
from benchlib import Command


def script(n, label):
    make = f"x<-(!{n})%7"
    total = [n * (n + 1) / 14]
    cp = ["cp", "w.zsf", "copy.zsf"]
    return [
        Command(f")OUT {label} floats", [make], [], ")OUT 'w.zsf'", "+/x", "cp", cp, total),
        Command(f")FCOPY {label} floats", [make, ")OUT 'w.zsf'"], [")CLEAR"], ")FCOPY 'w.zsf'",
                "+/x", "cp", cp, total),
    ]


WORKLOADS = script(1_000_000, "1e6") + script(100_000, "1e5")
