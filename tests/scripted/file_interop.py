#!/usr/bin/env python3
"""Tables written by []write are read by other programs with the texts that
were written: Python's csv module (comma and tab layouts), the sqlite3 shell
through .import, xmllint and Python's XML parser, json.tool and json.load.
The cells are awkward on purpose: separators, quotes, CR and LF, & < >,
backslashes, control characters, bytes that are no valid UTF-8, nulls,
negative, tiny and huge floats, texts of any length. A table written as CSV
(or tab-separated text) and read back with []CSV is written again byte for
byte. A lone empty cell is written as Python's csv writer writes it, and a
character-matrix column gives each cell its row of the matrix. A UTF-8
byte-order mark before a file []CSV reads is no part of its first cell. A
[]write that fails, on a name without a table or on a file-size
limit, leaves the old file as it was and nothing beside it; appending to a
full device gives the write error."""
import csv
import io
import json
import math
import os
import resource
import signal
import sqlite3
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

from tally import Tally

BANNER_END = b"CLEAR WS\n\n      "

# Column name, type letter, sqlite type, and the source cells (bytes; the
# table has as many rows as the longest list, shorter ones repeat).
TEXTS = [b"plain", b"a,b", b'say "hi"', b"two\nlines", b"cr\rlf\r\n", b"only\rcr", b"tab\there",
         b"x<y&z>w", b"back\\slash", b"\x01ctl\x1f\x7f", b"caf\xc3\xa9", b"\xe9t\xe9",
         b" blank around ", b"", b"\xef\xbf\xbe", b"\xf0\x9f\x98\x80", b"q" * 10000,
         b"nul\x00inside", b";semi", b"'", b"\\n"]
COLUMNS = [
    ("s", "S", "TEXT", [t for t in TEXTS if len(t) <= 127 and b"\x00" not in t]),
    ("l", "L", "TEXT", TEXTS),
    ("i", "I", "INTEGER", [b"1", b"-5", b"_7", b"", b"9223372036854775807", b"0", b"42"]),
    ("e", "E", "REAL", [b"0.1", b"-2.5", b"", b"1e300", b"-1e-300", b"inf", b"-inf",
                        b"5e-324", b"1.7976931348623157e308", b"_1e_3", b"123456789.125"]),
    ("b", "B", "INTEGER", [b"0", b"1", b""]),
    ("c", "C", "TEXT", [b"x", b",", b'"', b"", b"\n", b"\xe9"]),
    ("d", "D", "TEXT", [b"2015.08.10", b"8/11/15", b"", b"1900.01.01"]),
    ("m", "M", "TEXT", [b"2015.08m", b""]),
    ("z", "Z", "TEXT", [b"2015.08.10T09:05:03.007", b"", b"2100.12.31T23:59:59"]),
    ("u", "U", "TEXT", [b"09:05", b""]),
    ("v", "V", "TEXT", [b"09:05:03", b""]),
    ("t", "T", "TEXT", [b"09:05:03.007", b""]),
]
ROWS = max(len(c[3]) for c in COLUMNS)
LETTERS = "".join(c[1] for c in COLUMNS)


def source_cell(col, r):
    return col[3][r % len(col[3])]


def written_cell(col, r):
    """The text []write gives the cell: numbers as C writes them, booleans 0
    or 1, the first character of a character cell, dates in their literal."""
    name, letter, _, _ = col
    cell = source_cell(col, r)
    if letter == "I":
        return b"" if cell == b"" else str(int(cell.replace(b"_", b"-"))).encode()
    if letter == "B":
        return b"1" if cell == b"1" else b"0"
    if letter == "C":
        return cell[:1] or b" "
    if letter == "D" and cell == b"8/11/15":
        return b"2015.08.11"
    if letter == "Z" and len(cell) == 19:
        return cell + b".000"
    return cell


def float_of(text):
    return float(text.replace("_", "-") if isinstance(text, str) else text.replace(b"_", b"-"))


def same_cell(col, got, want):
    """Floats by value (their texts are the shortest that read back), all
    else by text."""
    if col[1] == "E" and want not in (b"", ""):
        value = float_of(want)
        return float_of(got) == value and math.copysign(1, float_of(got)) == math.copysign(1, value)
    return got == want


def run(zem, lines, cwd, fsize=None):
    def limits():
        if fsize is not None:
            resource.setrlimit(resource.RLIMIT_FSIZE, (fsize, fsize))
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    text = b"".join(line + b"\n" for line in lines)
    proc = subprocess.run([zem], input=text, cwd=cwd, preexec_fn=limits,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
    out = proc.stdout
    return proc.returncode, out[out.find(BANNER_END) + len(BANNER_END):]


TALLY = Tally()


def check(ok, what, detail=""):
    return TALLY.check(what, ok, detail)


def write_source(d):
    with open(os.path.join(d, "src.csv"), "wb") as f:
        f.write(b",".join(c[0].encode() for c in COLUMNS) + b"\n")
        for r in range(ROWS):
            cells = []
            for c in COLUMNS:
                cell = source_cell(c, r)
                cells.append(b'"' + cell.replace(b'"', b'""') + b'"')
            f.write(b",".join(cells) + b"\n")


def expected_rows():
    return [[written_cell(c, r) for c in COLUMNS] for r in range(ROWS)]


def check_delimited(path, sep, what):
    with open(path, newline="", encoding="latin-1") as f:
        rows = list(csv.reader(f, delimiter=sep))
    names = [c[0] for c in COLUMNS]
    check(rows[0] == names, f"{what}: header", str(rows[0]))
    check(len(rows) == ROWS + 1, f"{what}: row count", str(len(rows)))
    for r, want in enumerate(expected_rows()):
        got = rows[r + 1] if r + 1 < len(rows) else []
        for k, c in enumerate(COLUMNS):
            g = got[k] if k < len(got) else None
            w = want[k].decode("latin-1")
            if not check(g is not None and same_cell(c, g, w), f"{what}: row {r} column {c[0]}",
                         f"{g!r} != {w!r}"):
                return


def check_sqlite(d):
    db = os.path.join(d, "t.db")
    schema = "CREATE TABLE t(" + ", ".join(f"{c[0]} {c[2]}" for c in COLUMNS) + ");"
    proc = subprocess.run(["sqlite3", db, schema, ".import --csv --skip 1 t.csv t"], cwd=d,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    check(proc.returncode == 0 and proc.stderr == b"", "sqlite3 .import", proc.stderr.decode("latin-1"))
    con = sqlite3.connect(db)
    con.text_factory = bytes
    rows = con.execute("SELECT * FROM t ORDER BY rowid").fetchall()
    con.close()
    check(len(rows) == ROWS, "sqlite3: row count", str(len(rows)))
    for r, want in enumerate(expected_rows()):
        for k, c in enumerate(COLUMNS):
            got, w = rows[r][k], want[k]
            if b"\x00" in w:
                continue  # the shell reads a text up to its zero byte
            if isinstance(got, (int, float)):
                ok = w != b"" and float(got) == float_of(w)
            else:
                ok = same_cell(c, got, w)
            if not check(ok, f"sqlite3: row {r} column {c[0]}", f"{got!r} != {w!r}"):
                return


def decoded(cell, controls_kept):
    """The text a parser gives for a written cell: valid UTF-8 as it is, a
    byte of no valid UTF-8 as its Latin-1 character, and for XML a control
    it cannot hold (or U+FFFE, U+FFFF) as U+FFFD."""
    out = []
    for ch in cell.decode("utf-8", "surrogateescape"):
        o = ord(ch)
        if 0xDC80 <= o <= 0xDCFF:
            out.append(chr(o - 0xDC00))
        elif not controls_kept and ((o < 0x20 and ch not in "\t\n\r") or o in (0xFFFE, 0xFFFF)):
            out.append("\ufffd")
        else:
            out.append(ch)
    return "".join(out)


def check_xml(d):
    proc = subprocess.run(["xmllint", "--noout", "t.xml"], cwd=d, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=60)
    if not check(proc.returncode == 0 and proc.stderr == b"", "xmllint --noout",
                 proc.stderr.decode("latin-1")):
        return
    rows = list(ET.parse(os.path.join(d, "t.xml")).getroot())
    check(len(rows) == ROWS, "xml: row count", str(len(rows)))
    for r, want in enumerate(expected_rows()):
        cells = list(rows[r])
        check([e.tag for e in cells] == [c[0] for c in COLUMNS], f"xml: row {r} names")
        for k, c in enumerate(COLUMNS):
            got, w = cells[k].text or "", decoded(want[k], False)
            if not check(same_cell(c, got, w), f"xml: row {r} column {c[0]}", f"{got!r} != {w!r}"):
                return


def check_json(d):
    proc = subprocess.run([sys.executable, "-m", "json.tool", "t.json"], cwd=d,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    if not check(proc.returncode == 0, "json.tool", proc.stderr.decode("latin-1")):
        return
    with open(os.path.join(d, "t.json"), encoding="utf-8") as f:
        rows = json.load(f)["zem"]
    check(len(rows) == ROWS, "json: row count", str(len(rows)))
    for r, want in enumerate(expected_rows()):
        check(list(rows[r]) == [c[0] for c in COLUMNS], f"json: row {r} names")
        for k, c in enumerate(COLUMNS):
            got, w = rows[r][c[0]], decoded(want[k], True)
            if not check(same_cell(c, got, w), f"json: row {r} column {c[0]}", f"{got!r} != {w!r}"):
                return


def awkward_names(zem, d):
    """Column names that are no XML names, or hold quotes and separators."""
    with open(os.path.join(d, "n.csv"), "wb") as f:
        f.write(b'"a b","1x","q""uote","c,d","<&>"\n1,2,3,4,5\n')
    status, out = run(zem, [b"n<-[]CSV ('./n.csv';'IIIII')", b"[]write './n.csv'",
                            b"[]write './n.xml'", b"[]write './n.json'"], d)
    check(status == 0 and b"Error" not in out, "awkward names: written", out.decode("latin-1"))
    with open(os.path.join(d, "n.csv"), newline="") as f:
        check(next(csv.reader(f)) == ["a b", "1x", 'q"uote', "c,d", "<&>"], "awkward names: csv")
    proc = subprocess.run(["xmllint", "--noout", "n.xml"], cwd=d, stderr=subprocess.PIPE)
    check(proc.returncode == 0, "awkward names: xmllint", proc.stderr.decode("latin-1"))
    tags = [e.tag for e in ET.parse(os.path.join(d, "n.xml")).getroot()[0]]
    check(tags == ["a_b", "_1x", "q_uote", "c_d", "____"], "awkward names: xml tags", str(tags))
    with open(os.path.join(d, "n.json")) as f:
        check(list(json.load(f)["zem"][0]) == ["a b", "1x", 'q"uote', "c,d", "<&>"],
              "awkward names: json")


def one_column_empty_cells(zem, d):
    """A one-column table with empty cells (an integer null, an empty text,
    the empty symbol): Python's csv reader reads one field, empty, for each,
    and the file is what Python's csv writer writes for the same rows. Only
    a row that would be an empty line is quoted: beside a second column an
    empty cell stays unquoted. []CSV reads the cells back as nulls."""
    tables = [(b"i<-([] a<-1 0n 3)", "i", [["a"], ["1"], [""], ["3"]]),
              (b"l<-([] a<-('x';'';'y z'))", "l", [["a"], ["x"], [""], ["y z"]]),
              (b"s<-([] a<-``b)", "s", [["a"], [""], ["b"]]),
              (b"two<-([] a<-1 0n; b<-`p`)", "two", [["a", "b"], ["1", "p"], ["", ""]])]
    lines = [t[0] for t in tables]
    for _, name, _ in tables:
        lines += [f"[]write './{name}.csv'".encode(), f"[]write './{name}.txt'".encode()]
    lines += [b"back<-[]CSV ('./i.csv';'I')", b"back.a~1 0n 3", b"[]write './back.csv'"]
    status, out = run(zem, lines, d)
    check(status == 0 and b"Error" not in out, "empty cells: written", out.decode("latin-1"))
    for _, name, rows in tables:
        for ext, sep in (("csv", ","), ("txt", "\t")):
            path = os.path.join(d, f"{name}.{ext}")
            with open(path, newline="") as f:
                got = list(csv.reader(f, delimiter=sep))
            check(got == rows, f"empty cells: {name}.{ext} read by csv", str(got))
            want = io.StringIO()
            csv.writer(want, delimiter=sep, lineterminator="\n").writerows(rows)
            with open(path, newline="") as f:
                text = f.read()
            check(text == want.getvalue(), f"empty cells: {name}.{ext} as csv writes it",
                  f"{text!r} != {want.getvalue()!r}")
    check(b" 1\n      ./back.csv" in out, "empty cells: []CSV reads the null back", out.decode("latin-1"))
    with open(os.path.join(d, "i.csv"), "rb") as f, open(os.path.join(d, "back.csv"), "rb") as g:
        check(f.read() == g.read(), "empty cells: read back and written again")


def matrix_columns(zem, d):
    """A character-matrix column (CREATE TABLE with a width, or a dictionary
    of a matrix made a table) gives each cell its row of the matrix without
    trailing blanks, in every layout and when appended to a file."""
    texts = ["abcde", "de", "a,b", 'q"t', "<&>", " lead", "it's", ""]
    setup = [b"do 'CREATE TABLE u (m v;''CI'';5)'"]
    for k, t in enumerate(texts):
        quoted = t.replace("'", "''''")
        setup.append(f"do 'INSERT INTO u (''{quoted}'';{k})'".encode())
    setup += [b"[]write './u.csv'", b"[]write './u.txt'", b"[]write './u.xml'",
              b"[]write './u.json'", b"h<-[]open './h.csv'", b"h<<u", b"[]close h",
              b"x<-&.(`m`v):(3 4#'ab  c d e   ';1 2 3)", b"[]write './x.csv'"]
    status, out = run(zem, setup, d)
    check(status == 0 and b"rror" not in out, "matrix columns: written", out.decode("latin-1"))
    rows = [["m", "v"]] + [[t, str(k)] for k, t in enumerate(texts)]
    for name, sep in (("u.csv", ","), ("u.txt", "\t"), ("h.csv", ",")):
        with open(os.path.join(d, name), newline="") as f:
            got = list(csv.reader(f, delimiter=sep))
        check(got == rows, f"matrix columns: {name} read by csv", str(got))
    with open(os.path.join(d, "x.csv"), newline="") as f:
        got = list(csv.reader(f))
    check(got == [["m", "v"], ["ab", "1"], ["c d", "2"], ["e", "3"]], "matrix columns: x.csv",
          str(got))
    proc = subprocess.run(["xmllint", "--noout", "u.xml"], cwd=d, stderr=subprocess.PIPE)
    if check(proc.returncode == 0, "matrix columns: xmllint", proc.stderr.decode("latin-1")):
        got = [[e.text or "" for e in row] for row in ET.parse(os.path.join(d, "u.xml")).getroot()]
        check(got == rows[1:], "matrix columns: xml", str(got))
    with open(os.path.join(d, "u.json")) as f:
        got = [[r["m"], r["v"]] for r in json.load(f)["zem"]]
    check(got == rows[1:], "matrix columns: json", str(got))


def byte_order_mark(zem, d):
    """A file written with a UTF-8 byte-order mark (the utf-8-sig encoding,
    as spreadsheets write it) is read without it: the first column's name,
    or its first cell without a header, is the text after the mark."""
    for name, rows in (("h.csv", [["name", "qty"], ["a", 1], ["b", 2]]), ("n.csv", [[1, 2], [3, 4]])):
        with open(os.path.join(d, name), "w", newline="", encoding="utf-8-sig") as f:
            csv.writer(f).writerows(rows)
    status, out = run(zem, [b"back<-[]CSV ('./h.csv';'SI')", b"[]write './back.csv'",
                            b"u<-[]CSV ('./n.csv';'II';'false')", b"u.c0"], d)
    check(status == 0 and b"Error" not in out and out.endswith(b"1 3\n      Bye.\n"),
          "byte-order mark: read", out.decode("latin-1"))
    if not check(os.path.exists(os.path.join(d, "back.csv")), "byte-order mark: written back"):
        return
    with open(os.path.join(d, "back.csv"), newline="", encoding="utf-8") as f:
        got = list(csv.reader(f))
    check(got == [["name", "qty"], ["a", "1"], ["b", "2"]], "byte-order mark: not in the name", str(got))


def failing_writes(zem, d):
    old = b"old bytes\r\n\x00\xff kept\n"
    for name in ("x.csv", "big.csv"):
        with open(os.path.join(d, name), "wb") as f:
            f.write(old)
    before = sorted(os.listdir(d))
    status, out = run(zem, [b"x<-1 2 3", b"[]write './x.csv'", b"[]write './nothing.csv'",
                            b"big<-([] a<-!200000)", b"[]write './big.csv'"], d, fsize=50000)
    check(status == 0, "failing writes: no crash", str(status))
    check(out.count(b"Error: []write writes a table or a keyed table only") == 1 and out.count(b"Error: value error") == 1
          and out.count(b"Error: writing file error") == 1, "failing writes: their errors",
          out.decode("latin-1"))
    for name in ("x.csv", "big.csv"):
        with open(os.path.join(d, name), "rb") as f:
            check(f.read() == old, f"failing writes: {name} unchanged")
    check(sorted(os.listdir(d)) == before, "failing writes: nothing left beside", str(os.listdir(d)))


def full_device(zem, d):
    if not os.path.exists("/dev/full"):
        return
    status, out = run(zem, [b"h<-[]open '/dev/full'", b"h<<'lost'", b"h<<1 2 3", b"[]close h"], d)
    check(status == 0 and out.count(b"Error: writing file error") == 2 and out.endswith(b"1\n      Bye.\n"),
          "appending to a full device", out.decode("latin-1"))


def main():
    zem = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory(prefix="zi-") as d:
        write_source(d)
        letters = LETTERS.encode()
        status, out = run(zem, [
            b"t<-[]CSV ('./src.csv';'" + letters + b"')",
            b"[]write './t.csv'", b"[]write './t.xml'", b"[]write './t.json'", b"[]write './t.txt'",
            b"t2<-[]CSV ('./t.csv';'" + letters + b"')", b"[]write './t2.csv'",
        ], d)
        check(status == 0 and b"Error" not in out, "import and write", out.decode("latin-1"))
        # []CSV reads only files named .csv: the tab layout is read under that name.
        with open(os.path.join(d, "t.txt"), "rb") as f, open(os.path.join(d, "tab.csv"), "wb") as g:
            g.write(f.read())
        status, out = run(zem, [b"t3<-[]CSV ('./tab.csv';'" + letters + b"';'true';'\t')",
                                b"[]write './t3.csv'"], d)
        check(status == 0 and b"Error" not in out, "tab layout read back", out.decode("latin-1"))
        check_delimited(os.path.join(d, "t.csv"), ",", "csv")
        check_delimited(os.path.join(d, "t.txt"), "\t", "tab layout")
        check_sqlite(d)
        check_xml(d)
        check_json(d)
        with open(os.path.join(d, "t.csv"), "rb") as f:
            first = f.read()
        for again in ("t2.csv", "t3.csv"):
            with open(os.path.join(d, again), "rb") as f:
                check(f.read() == first, f"written, read back and written again: {again}")
    for test in (awkward_names, one_column_empty_cells, matrix_columns, byte_order_mark,
                 failing_writes, full_device):
        with tempfile.TemporaryDirectory(prefix="zi-") as d:
            test(zem, d)
    TALLY.finish()


if __name__ == "__main__":
    main()
