#!/usr/bin/env python3
"""Queries through do against the sqlite3 shell on the same table of a few
thousand rows: filtered columns (commas, OR, IN) and grouped SUM, COUNT, MAX
and MIN. Zem runs in a fresh empty directory with its library directory
unset, so the query prelude cannot come from a file; the table is made in
Zem from formulas and written for sqlite3 as CSV from the same formulas.
A second table of texts, some empty, is written by Python's csv module and
read by both: IN with texts and FIRST of a text column. A third, small one
holds symbols named like its columns or like operators and texts holding
commas, quotes' keywords and OR; both read it from the same rows. Names
that are no column are refused by both. The session keeps []IO 1 and
indexes between the queries."""
import csv
import os
import re
import subprocess
import sys
import tempfile

from tally import Tally

BANNER_END = "CLEAR WS\n\n      "
P = 1_000_003
N = 3000
SYMBOLS = [f"s{j}" for j in range(7)]
U_ROWS = 600


def text_rows():
    for i in range(1, U_ROWS + 1):
        yield ("" if i % 5 == 0 else f"w{(31 * i % P) % 97}", f"g{i % 4}", i)


def rows():
    for i in range(1, N + 1):
        yield ((7919 * i % P) % 50, (104729 * i % P) / P, (15485863 * i % P) % 1000,
               SYMBOLS[(7907 * i % P) % 7])


ZEM_TABLE = [
    f"n<-{N}",
    "kk<-50|1000003|7919*!n",
    "ff<-(1000003|104729*!n)%1000003",
    "qq<-1000|1000003|15485863*!n",
    "ss<-(" + "".join("`" + s for s in SYMBOLS) + ")[1+7|1000003|7907*!n]",
    "t<-([] k<-kk; f<-ff; q<-qq; s<-ss)",
    "u<-[]CSV ('./u.csv';'LSI')",
    "[]PP<-17",
    # Each item on a line of its own, after a mark: no line is wrapped.
    "@.m show x;i", "i<-1", "while (i<=^x) { m,+.x[i] ; i<-i+1 }", "@.",
    # Each text of a list between bars, so that an empty one shows too.
    "@.m showt x;i", "i<-1", "while (i<=^x) { m,'|',(,x[i]),'|' ; i<-i+1 }", "@.",
]

# The third table: k symbols (v, k and j also name columns, + - * %
# operators), n texts with commas, v and j numbers.
W_ROWS = [(k, n, v, v + 4) for k, n, v in
          [("v", "a,b", 1), ("a", "x", 2), ("j", "a,b,c", 3), ("x", "b, a", 4),
           ("+", "OR", 5), ("b", "a,b", 6), ("k", "q,", 7), ("*", "FROM x", 8),
           ("-", "y", 9), ("sum", "z", 10)]]


def zem_text(text):
    return "'" + text.replace("'", "''") + "'"


ZEM_TABLE.append("w<-([] k<-" + "".join("`" + k for k, _, _, _ in W_ROWS) + "; n<-(" +
                 ";".join(zem_text(n) for _, n, _, _ in W_ROWS) + "); v<-" +
                 " ".join(str(v) for _, _, v, _ in W_ROWS) + "; j<-" +
                 " ".join(str(j) for _, _, _, j in W_ROWS) + ")")

# (title, do statement, the Zem texts printed, sqlite3 query, kind):
# kind "rows" compares the values in order, "groups" the key -> value pairs,
# "text groups" the key -> text pairs. A printed name after a bar is a list
# of texts, each shown between bars.
CASES = [
    ("symbol and number conditions joined by a comma",
     "EXEC f FROM t WHERE s=`s3,k<20", ["r"],
     "SELECT f FROM t WHERE s='s3' AND k<20 ORDER BY rowid;", "rows"),
    ("two conditions joined by OR",
     "EXEC q FROM t WHERE k=7 OR q>=990", ["r"],
     "SELECT q FROM t WHERE k=7 OR q>=990 ORDER BY rowid;", "rows"),
    ("IN, ~= and <=", "EXEC q FROM t WHERE k IN 1 2 3,s~=`s0,f<=0.5", ["r"],
     "SELECT q FROM t WHERE k IN (1,2,3) AND s<>'s0' AND f<=0.5 ORDER BY rowid;", "rows"),
    ("arithmetic in a condition", "EXEC k FROM t WHERE q+k>1000", ["r"],
     "SELECT k FROM t WHERE q+k>1000 ORDER BY rowid;", "rows"),
    ("SUM by group over a filter",
     "EXEC total<-SUM f BY k FROM t WHERE s=`s3", ["r.k", "r.total"],
     "SELECT k, SUM(f) FROM t WHERE s='s3' GROUP BY k;", "groups"),
    ("COUNT by group", "EXEC c<-COUNT q BY s FROM t WHERE q>500", ["r.s", "r.c"],
     "SELECT s, COUNT(q) FROM t WHERE q>500 GROUP BY s;", "groups"),
    ("MAX by group", "EXEC m<-MAX q BY k FROM t WHERE s IN `s1`s2", ["r.k", "r.m"],
     "SELECT k, MAX(q) FROM t WHERE s IN ('s1','s2') GROUP BY k;", "groups"),
    ("MIN by group", "EXEC m<-MIN f BY s FROM t WHERE k>=25", ["r.s", "r.m"],
     "SELECT s, MIN(f) FROM t WHERE k>=25 GROUP BY s;", "groups"),
    ("IN with texts, an empty one first",
     "EXEC v FROM u WHERE n IN ('''';''w5'';''w17'')", ["r"],
     "SELECT v FROM u WHERE n IN ('','w5','w17') ORDER BY rowid;", "rows"),
    ("IN with texts, an empty one last, after a comma",
     "EXEC v FROM u WHERE g=`g2,n IN (''w5'';''w17'';''w40'';'''')", ["r"],
     "SELECT v FROM u WHERE g='g2' AND n IN ('w5','w17','w40','') ORDER BY rowid;", "rows"),
    ("FIRST of a text column, one group",
     "EXEC f<-FIRST n BY g FROM u WHERE g=`g1,v>300", ["r.g", "|r.f"],
     "SELECT g, n FROM u WHERE rowid=(SELECT MIN(rowid) FROM u WHERE g='g1' AND v>300);",
     "text groups"),
    ("FIRST of a text column, one group whose first text is empty",
     "EXEC f<-FIRST n BY g FROM u WHERE g=`g0,v>=300", ["r.g", "|r.f"],
     "SELECT g, n FROM u WHERE rowid=(SELECT MIN(rowid) FROM u WHERE g='g0' AND v>=300);",
     "text groups"),
    ("FIRST of a text column, four groups", "EXEC f<-FIRST n BY g FROM u", ["r.g", "|r.f"],
     "SELECT g, n FROM u WHERE rowid IN (SELECT MIN(rowid) FROM u GROUP BY g);",
     "text groups"),
    ("a backquoted symbol named like a column", "EXEC v FROM w WHERE k=`v", ["r"],
     "SELECT v FROM w WHERE k='v' ORDER BY rowid;", "rows"),
    ("IN symbols, one named like a column", "EXEC v FROM w WHERE k IN (`a;`x;`k)", ["r"],
     "SELECT v FROM w WHERE k IN ('a','x','k') ORDER BY rowid;", "rows"),
    ("IN three symbols, the first an operator", "EXEC v FROM w WHERE k IN (`+;`a;`b)", ["r"],
     "SELECT v FROM w WHERE k IN ('+','a','b') ORDER BY rowid;", "rows"),
    # A backquoted symbol is a literal, operator signs too, even where the
    # other items name columns.
    ("IN an operator symbol and two symbols named like columns",
     "EXEC v FROM w WHERE k IN (`+;`j;`v)", ["r"],
     "SELECT v FROM w WHERE k IN ('+','j','v') ORDER BY rowid;", "rows"),
    ("= an operator symbol", "EXEC v FROM w WHERE k=`+", ["r"],
     "SELECT v FROM w WHERE k='+' ORDER BY rowid;", "rows"),
    ("~= an operator symbol", "EXEC v FROM w WHERE k~=`-", ["r"],
     "SELECT v FROM w WHERE k<>'-' ORDER BY rowid;", "rows"),
    ("IN a symbol vector holding an operator", "EXEC v FROM w WHERE k IN `a`-`j", ["r"],
     "SELECT v FROM w WHERE k IN ('a','-','j') ORDER BY rowid;", "rows"),
    ("IN a symbol vector holding an operator and a column's name twice",
     "EXEC v FROM w WHERE k IN `x`*`j`x", ["r"],
     "SELECT v FROM w WHERE k IN ('x','*','j','x') ORDER BY rowid;", "rows"),
    ("an operator symbol on the left", "EXEC v FROM w WHERE `-=k", ["r"],
     "SELECT v FROM w WHERE '-'=k ORDER BY rowid;", "rows"),
    ("an unquoted operator between columns stays arithmetic", "EXEC v FROM w WHERE j=v+4",
     ["r"], "SELECT v FROM w WHERE j=v+4 ORDER BY rowid;", "rows"),
    ("an unquoted operator between a column and a number", "EXEC v FROM w WHERE v>12-v",
     ["r"], "SELECT v FROM w WHERE v>12-v ORDER BY rowid;", "rows"),
    ("a text with a comma", "EXEC v FROM w WHERE n=''a,b''", ["r"],
     "SELECT v FROM w WHERE n='a,b' ORDER BY rowid;", "rows"),
    ("IN texts with commas, then a comma", "EXEC v FROM w WHERE n IN (''a,b,c'';''q,''),v>1",
     ["r"], "SELECT v FROM w WHERE n IN ('a,b,c','q,') AND v>1 ORDER BY rowid;", "rows"),
    ("texts holding OR and FROM, joined by OR",
     "EXEC v FROM w WHERE n=''OR'' OR n=''FROM x''", ["r"],
     "SELECT v FROM w WHERE n='OR' OR n='FROM x' ORDER BY rowid;", "rows"),
    ("BY a name that is no column", "EXEC s<-SUM v BY nosuch FROM w", [],
     "SELECT nosuch, SUM(v) FROM w GROUP BY nosuch;", "refused"),
    ("a selected name that is no column", "EXEC nosuch FROM w", [],
     "SELECT nosuch FROM w;", "refused"),
    ("an aggregate of a name that is no column", "EXEC s<-SUM nosuch BY k FROM w", [],
     "SELECT k, SUM(nosuch) FROM w GROUP BY k;", "refused"),
    ("a condition on a name that is no column", "EXEC v FROM w WHERE nosuch=1", [],
     "SELECT v FROM w WHERE nosuch=1;", "refused"),
]


def zem_values(zem, directory):
    lines = list(ZEM_TABLE)
    for n, (_, statement, shown, _, kind) in enumerate(CASES):
        if kind == "refused":
            # the mark, then the refusal's message
            lines += [f"'={n}.0'", f"do '{statement}'", ")SIC"]
            continue
        # a statement that fails leaves no value of an earlier one behind
        lines += ["r<-''", f"r<-do '{statement}'"]
        lines += [f"'={n}.{j} ' showt {s[1:]}" if s.startswith("|") else
                  f"'={n}.{j} ' show {s}" for j, s in enumerate(shown)]
    out = subprocess.run([zem], input="".join(l + "\n" for l in lines), cwd=directory,
                         text=True, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                         timeout=120)
    body = out.stdout[out.stdout.find(BANNER_END) + len(BANNER_END):]
    found = {}
    # A mark may follow prompts printed without a line end.
    for n, j, value in re.findall(r"=(\d+)\.(\d+) (\S+)", body):
        items = found.setdefault(int(n), [[] for _ in CASES[int(n)][2]])
        items[int(j)].append(value)
    for n, name in re.findall(r"=(\d+)\.0\n *column not found: (\S+)\n"
                              r"error in `do statement\n", body):
        found[int(n)] = [name]
    return found, body, out.stderr


def sqlite_values(directory):
    table = os.path.join(directory, "t.csv")
    with open(table, "w") as f:
        f.writelines(f"{k},{x!r},{q},{s}\n" for k, x, q, s in rows())
    script = ["CREATE TABLE t(k INTEGER, f REAL, q INTEGER, s TEXT);",
              "CREATE TABLE u(n TEXT, g TEXT, v INTEGER);",
              "CREATE TABLE w(k TEXT, n TEXT, v INTEGER, j INTEGER);", ".mode csv",
              f".import {table} t", f".import --skip 1 {os.path.join(directory, 'u.csv')} u",
              f".import {os.path.join(directory, 'w.csv')} w", ".mode list"]
    answers = []
    for _, _, _, sql, kind in CASES:
        out = subprocess.run(["sqlite3", ":memory:"], input="\n".join(script + [sql]) + "\n",
                             text=True, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                             timeout=120, check=kind != "refused")
        if kind == "refused":
            # the name sqlite3 reports as no column
            answers.append(re.findall(r"no such column: (\S+)", out.stdout))
            continue
        answers.append([line.split("|") for line in out.stdout.splitlines() if line])
    return answers


def write_texts(directory):
    with open(os.path.join(directory, "u.csv"), "w", newline="") as f:
        out = csv.writer(f)
        out.writerow(["n", "g", "v"])
        out.writerows(text_rows())
    with open(os.path.join(directory, "w.csv"), "w", newline="") as f:
        csv.writer(f).writerows(W_ROWS)


def number(text):
    return float(text.replace("_", "-"))


def close(a, b):
    return abs(a - b) <= 1e-9 * max(1.0, abs(a), abs(b))


def same(kind, zem, sql):
    if kind == "refused":
        return zem == sql
    if kind == "rows":
        got = [number(x) for x in zem[0]] if zem else []
        want = [float(r[0]) for r in sql]
        return len(got) == len(want) and all(close(a, b) for a, b in zip(got, want))
    keys, values = zem
    if len(keys) != len(values) or len(keys) != len(sql):
        return False
    if kind == "text groups":
        return dict(zip(keys, (v[1:-1] for v in values))) == dict(map(tuple, sql))
    got = dict(zip(keys, (number(v) for v in values)))
    return all(k in got and close(got[k], float(v)) for k, v in sql)


def main():
    zem = os.path.abspath(sys.argv[1])
    tally = Tally()
    with tempfile.TemporaryDirectory(prefix="zq-") as d:
        write_texts(d)
        found, body, err = zem_values(zem, d)
        answers = sqlite_values(d)
        tally.check("Zem reported no problem", "Sanitizer" not in err and "Error" not in body,
                    f"\n  output {body[:2000]!r}\n  stderr {err[:2000]!r}")
        for n, (title, statement, _, _, kind) in enumerate(CASES):
            zem_rows = found.get(n, [])
            sql_rows = answers[n]
            tally.check(title, sql_rows and same(kind, zem_rows, sql_rows),
                        f"do '{statement}'\n  Zem     {str(zem_rows)[:600]}\n"
                        f"  sqlite3 {str(sql_rows)[:600]}")
    tally.finish()


if __name__ == "__main__":
    main()
