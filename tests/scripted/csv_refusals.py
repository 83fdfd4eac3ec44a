#!/usr/bin/env python3
"""[]CSV refuses files written by Python's csv module with a line of its
own before the error: the file's line number (a quoted cell holding line
ends counts its lines), the column by its header name (c0, c1, ... without
a header; its place when the header has no such cell) and what was
expected; type letters it does not know are named. Each case runs in a
fresh directory."""
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
    ("an integer cell beyond 64 bits",
     [["n", "x"], [1, 2.5], ["9223372036854775808", 1]], "IE", None,
     'line 3, column n: "9223372036854775808", expected an integer from '
     "-9223372036854775807 to 9223372036854775807", "domain error"),
    ("the integer null's -2^63 is beyond too",
     [["n", "x"], ["-9223372036854775808", 1]], "IE", None,
     'line 2, column n: "-9223372036854775808", expected an integer from '
     "-9223372036854775807 to 9223372036854775807", "domain error"),
] + [
    # A cell of an integer or float column that is not a number of that
    # kind, whole: no prefix of it is read.
    (f"{'an integer' if col == 'n' else 'a float'} cell {cell!r}",
     [["n", "x"], [1, 2.5], [2, 1], [cell, 3] if col == "n" else [3, cell]], "IE", None,
     f'line 4, column {col}: "{cell}", expected {"an integer" if col == "n" else "a number"}',
     "domain error")
    for col, cells in (("n", ["12abc", "zz", "1e3", "0x1f", "1.5", "n/a", "1,234", "--1"]),
                       ("x", ["1.5.5", "abc", "1e", "--1", "0x1f", "n/a", "1,234", "1e_"]))
    for cell in cells
] + [
    # The line blamed for a wrong number of cells is the one that disagrees
    # with the type letters, or, when no line agrees with them, with the
    # most lines.
    ("a first line shorter than the type letters and the lines after it",
     [[1, 2], [3, 4, 5, 6], [7, 8, 9, 10]], "IIII", "false",
     "line 1, column c2: no cell, expected 4 cells as the type letters IIII give", "domain error"),
    ("a header longer than the type letters and the lines after it",
     [["a", "b", "c"], [1, 2], [3, 4]], "II", None,
     "line 1, column c: a cell too many, expected 2 cells as the type letters II give",
     "domain error"),
    ("no line as long as the type letters: the most lines' count",
     [[1, 2], [3, 4, 5], [6, 7, 8], [9]], "IIII", "false",
     "line 1, column c2: no cell, expected 3 cells as on line 2", "domain error"),
    ("one cell expected",
     [["a"], [1, 2]], "I", None,
     "line 2, column 2: a cell too many, expected 1 cell as on line 1", "domain error"),
    ("one cell on every line, two type letters",
     [["a"], [1]], "II", None,
     "line 1: 1 cell, expected 2 as the type letters II give", "csv argument error"),
    ("a letter that names no type",
     [["a", "b"], [1, 2]], "IX", None,
     "[]CSV type letters are B I E C S L M D Z U V T, not X", "csv argument error"),
    ("complex numbers have no letter",
     [["a"], [1]], "Q", None,
     "[]CSV type letters are B I E C S L M D Z U V T, not Q", "csv argument error"),
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
