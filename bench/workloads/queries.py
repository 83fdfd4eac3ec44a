"""Queries through do on a table of a million rows, against the sqlite3
command-line shell: a grouped sum over a filter, and a column under two
conditions. The table trades has k (1000 distinct integers), f (floats in
[0,1)) and s (10 distinct symbols), uniform from a fixed seed, written once
as a CSV file that Zem loads with []CSV and sqlite3 with .import. Loading is
not timed on either side: Zem times itself with []TS, the sqlite3 shell
(its database in memory) with its own timer."""
import atexit
import os
import random
import shutil
import tempfile

from benchlib import Prepared, Query

N = 1_000_000
ROOT = tempfile.mkdtemp(prefix="zem-bench-queries-")
atexit.register(shutil.rmtree, ROOT, True)
CSV = os.path.join(ROOT, "trades.csv")
_rows = []


def rows():
    """The rows, made once; the CSV file is written with them."""
    if not _rows:
        r = random.Random(2121)
        _rows.extend((r.randrange(1000), r.random(), f"s{r.randrange(10)}") for _ in range(N))
        with open(CSV, "w") as f:
            f.write("k,f,s\n")
            f.writelines(f"{k},{x!r},{s}\n" for k, x, s in _rows)
    return _rows


ZEM_TABLE = Prepared(rows, [
    f"trades<-[]CSV ('{CSV}';'IES')",
    # The first do loads the query prelude: not part of any query's time.
    "w<-do 'EXEC k FROM trades WHERE k<0'",
])


def load_sql():
    rows()
    return ["CREATE TABLE trades(k INTEGER, f REAL, s TEXT);",
            f".import --csv --skip 1 {CSV} trades", ".mode list"]


def grouped():
    sums = {}
    for k, f, s in rows():
        if s == "s3":
            sums[k] = sums.get(k, 0.0) + f
    return [len(sums), sum(sums.values())]


def picked():
    fs = [f for k, f, s in rows() if s == "s3" and k < 500]
    return [len(fs), sum(fs)]


# Each SQL query is wrapped in a count and a sum: its rows are not printed.
WORKLOADS = [
    Query("do: SUM f BY k WHERE s (1e6 rows)", ZEM_TABLE,
          "do 'EXEC total<-SUM f BY k FROM trades WHERE s=`s3'", "(#r),+/r.total", load_sql,
          "SELECT count(*), sum(t) FROM (SELECT k, SUM(f) AS t FROM trades WHERE s='s3' "
          "GROUP BY k);", grouped),
    Query("do: f WHERE s,k<500 (1e6 rows)", ZEM_TABLE,
          "do 'EXEC f FROM trades WHERE s=`s3,k<500'", "(^r),+/r", load_sql,
          "SELECT count(*), sum(f) FROM (SELECT f FROM trades WHERE s='s3' AND k<500);",
          picked),
]
