"""Queries through do on a table of a million rows, against the sqlite3
command-line shell: a grouped sum over a filter, and a column under two
conditions. The table trades has k (1000 distinct integers), f (floats in
[0,1)) and s (10 distinct symbols), spread evenly by residues modulo the
prime 1000003, so both sides hold the same values: Zem makes them from the
same formulas, sqlite3 imports them from a CSV file written once. Loading is
not timed on either side: Zem times itself with []TS, the sqlite3 shell
(its database in memory) with its own timer."""
import atexit
import os
import shutil
import tempfile

from benchlib import Query

P = 1_000_003
N = 1_000_000


def column_k(i):
    return (7919 * i % P) % 1000


def column_f(i):
    return (104729 * i % P) / P


def column_s(i):
    return f"s{(15485863 * i % P) % 10}"


ROWS = [(column_k(i), column_f(i), column_s(i)) for i in range(1, N + 1)]

ZEM_TABLE = [
    f"n<-{N}",
    "kk<-1000|1000003|7919*!n",
    "ff<-(1000003|104729*!n)%1000003",
    "ss<-(`s0`s1`s2`s3`s4`s5`s6`s7`s8`s9)[1+10|1000003|15485863*!n]",
    "trades<-([] k<-kk; f<-ff; s<-ss)",
    # The first do loads the query prelude: not part of any query's time.
    "w<-do 'EXEC k FROM trades WHERE k<0'",
]

_csv = None


def load_sql():
    """The shell's lines that load the table: from a CSV file written once."""
    global _csv
    if _csv is None:
        folder = tempfile.mkdtemp(prefix="zem-bench-sql-")
        atexit.register(shutil.rmtree, folder, True)
        _csv = os.path.join(folder, "trades.csv")
        with open(_csv, "w") as out:
            out.writelines(f"{k},{f!r},{s}\n" for k, f, s in ROWS)
    return ["CREATE TABLE trades(k INTEGER, f REAL, s TEXT);", ".mode csv",
            f".import {_csv} trades", ".mode list"]


in_s3 = [(k, f) for k, f, s in ROWS if s == "s3"]
sums = {}
for k, f in in_s3:
    sums[k] = sums.get(k, 0.0) + f
picked = [f for k, f in in_s3 if k < 500]

# Each SQL query is wrapped in a count and a sum: its rows are not printed.
WORKLOADS = [
    Query("do: SUM f BY k WHERE s (1e6 rows)", ZEM_TABLE,
          "do 'EXEC total<-SUM f BY k FROM trades WHERE s=`s3'", "(#r),+/r.total", load_sql,
          "SELECT count(*), sum(t) FROM (SELECT k, SUM(f) AS t FROM trades WHERE s='s3' "
          "GROUP BY k);", [len(sums), sum(sums.values())]),
    Query("do: f WHERE s,k<500 (1e6 rows)", ZEM_TABLE,
          "do 'EXEC f FROM trades WHERE s=`s3,k<500'", "(^r),+/r", load_sql,
          "SELECT count(*), sum(f) FROM (SELECT f FROM trades WHERE s='s3' AND k<500);",
          [len(picked), sum(picked)]),
]
