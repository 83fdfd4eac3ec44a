#!/usr/bin/env python3
"""[]CSV refuses files written by Python's csv module with a line of its
own before the error: the file's line number (a quoted cell holding line
ends counts its lines), the column by its header name (c0, c1, ... without
a header; its place when the header has no such cell) and what was
expected. Each case runs in a fresh directory."""
import csv
import os
import subprocess
import sys
import tempfile

from tally import Tally

BANNER_END = "CLEAR WS\n\n      "
HEAD = ["sym", "qty", "flag", "day"]

# (title, rows written, type letters, header flag or None, the line printed
# before the error, the error)
CASES = [
    ("a date that does not exist",
     [HEAD, ["a", 1, 1, "1/15/24"], ["b", 2, 0, "2/30/24"]], "SIBD", None,
     'line 3, column day: "2/30/24", expected a date as m/d/yy or yyyy.mm.dd',
     "date or time value error"),
    ("a date in a form not read",
     [HEAD, ["a", 1, 1, "2026-01-15"]], "SIBD", None,
     'line 2, column day: "2026-01-15", expected a date as m/d/yy or yyyy.mm.dd',
     "date or time value error"),
    ("a cell holding line ends moves the lines after it",
     [HEAD, ["two\nlines\nhere", 1, 1, "1/15/24"], ["c", 3, 2, "1/16/24"]], "SIBD", None,
     'line 5, column flag: "2", expected 0, 1 or an empty cell', "domain error"),
    ("a short row",
     [HEAD, ["a", 1, 1, "1/15/24"], ["b", 2]], "SIBD", None,
     "line 3, column flag: no cell, expected 4 cells as on line 1", "domain error"),
    ("a long row",
     [HEAD, ["a", 1, 1, "1/15/24", "extra"]], "SIBD", None,
     "line 2, column 5: a cell too many, expected 4 cells as on line 1", "domain error"),
    ("no header: the columns are c0, c1, ...",
     [["a", 1, 1, "1/15/24"], ["b", 2, 1, "13/1/24"]], "SIBD", "false",
     'line 2, column c3: "13/1/24", expected a date as m/d/yy or yyyy.mm.dd',
     "date or time value error"),
    ("a month, a datetime and a time",
     [["m", "z", "t"], ["2024.01m", "2024.01.15T09:30:00", "09:30:00.000"],
      ["2024.01m", "2024-01-15 09:30", "09:30:00.000"]], "MZT", None,
     'line 3, column z: "2024-01-15 09:30", expected a datetime as 2024.01.15T09:30:00 or '
     "2024.01.15T09:30:00.000", "date or time value error"),
    ("fewer type letters than cells",
     [HEAD, ["a", 1, 1, "1/15/24"]], "SIB", None,
     "line 1: 4 cells, expected 3 as the type letters SIB give", "csv argument error"),
]


def run(zem, d, line):
    proc = subprocess.run([zem], input=f")DIR .\n{line}\n".encode(), cwd=d,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    out = proc.stdout.decode("latin-1")
    return out[out.find(BANNER_END) + len(BANNER_END):], proc


def main():
    zem = os.path.abspath(sys.argv[1])
    tally = Tally()
    for title, rows, letters, header, message, error in CASES:
        with tempfile.TemporaryDirectory(prefix="zc-") as d:
            with open(os.path.join(d, "f.csv"), "w", newline="") as f:
                csv.writer(f).writerows(rows)
            args = f"'f';'{letters}'" + (f";'{header}'" if header else "")
            line = f"[]CSV ({args})"
            body, proc = run(zem, d, line)
            want = (f"Old path: \n      {message}\nError: {error}\n      {line}\n      ^\n"
                    "      Bye.\n")
            err = proc.stderr.decode("latin-1")
            tally.check(title, body == want and proc.returncode == 0 and "Sanitizer" not in err,
                        f"\n  expected {want!r}\n  got      {body!r}\n  {err[:2000]}")
    tally.finish()


if __name__ == "__main__":
    main()
