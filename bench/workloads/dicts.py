"""Keyed lookups at a hundred thousand and a million rows (the time should
grow about tenfold): a keyed table indexed by shuffled keys, index-of
between two tables, a keyed table made from two tables, and a dictionary
indexed by symbol keys, each against a CPython dict. Symbols are s1000001,
s1000002, ...; other data are residues modulo the prime 1000003, so both
sides compute on the same values."""
import random

from benchlib import Workload

P = 1_000_003


def symbols(n):
    return [f"s{1000000 + k}" for k in range(1, n + 1)]


def residues(n, factor):
    return [factor * k % P for k in range(1, n + 1)]


def shuffled(n):
    """A permutation of 1..n: the keys in an order of their own."""
    perm = list(range(1, n + 1))
    random.Random(16).shuffle(perm)
    return perm


def workloads(n):
    size = "1e5" if n == 100_000 else "1e6"
    # The driver times with t, d and r: the data take other names.
    zsyms = [f"n<-{n}", "s<-!.,((n,2)#'`s'),+.(n,1)#1000000+!n"]
    syms = symbols(n)

    # kt[keys]: a keyed table of integer keys, indexed by all its keys shuffled.
    def keyed_setup():
        return {k: 2 * k for k in range(1, n + 1)}, shuffled(n)

    def keyed_run(data):
        table, perm = data
        return [table[k] for k in perm], perm

    def keyed_check(r):
        return [sum(1 for v, k in zip(*r) if v == 2 * k), len(r[0])]

    # t!u: row j of u is row rows[j-1] of t, except every tenth, which is missing.
    ta = residues(n, 7919)
    rows = [1 + x % n for x in residues(n, 104729)]
    ua = [ta[m - 1] + (1 if j % 10 == 0 else 0) for j, m in enumerate(rows, 1)]
    ub = [syms[m - 1] for m in rows]
    ztables = zsyms + ["ta<-1000003|7919*!n", "m<-1+n|1000003|104729*!n",
                       "tt<-([] a<-ta; b<-s)", "uu<-([] a<-ta[m]+0=10|!n; b<-s[m])"]

    def rows_run(data):
        t, u = data
        first = {}
        for i, row in enumerate(t, 1):
            first.setdefault(row, i)
        return [first.get(row, n + 1) for row in u]

    def rows_check(r):
        return [sum(1 for p in r if p == n + 1), r[0], r[1], r[9], sum(r)]

    rows_expected = rows_check([n + 1 if j % 10 == 0 else m for j, m in enumerate(rows, 1)])

    # keys:values of two tables: integer, float in [0,1) and symbol keys.
    ki = ta
    kf = [x / P for x in residues(n, 104729)]
    zkeyed = zsyms + ["ki<-1000003|7919*!n", "kf<-(1000003|104729*!n)%1000003",
                      "ka<-([] i<-ki; f<-kf; s<-s)", "kb<-([] v<-!n)"]

    def keys_run(keys):
        table = {}
        for v, key in enumerate(keys, 1):
            if table.setdefault(key, v) != v:
                raise ValueError("repeated key")
        return table

    def keys_check(table):
        return [table[(ki[4], kf[4], syms[4])], table[(ki[-1], kf[-1], syms[-1])]]

    # d[keys]: a dictionary of symbol keys, indexed by all its keys shuffled.
    def dict_setup():
        perm = shuffled(n)
        return {s: k for k, s in enumerate(syms, 1)}, [syms[p - 1] for p in perm], perm

    def dict_run(data):
        table, keys, perm = data
        return [table[k] for k in keys], perm

    def dict_check(r):
        return [len(r[0]), int(r[0][0] == r[1][0]), int(r[0][-1] == r[1][-1])]

    return [
        Workload(f"keyed table by keys ({size} shuffled)", [f"n<-{n}", "kt<-([k<-!n] v<-2*!n)", "p<-n?.n"],
                 "kt[p]", "(+/r[`v]=2*p),#r[`v]", "CPython", keyed_setup, keyed_run,
                 keyed_check, [n, n]),
        Workload(f"table index-of ({size} rows in {size})", ztables, "tt!uu",
                 "(+/r=n+1),r[1 2 10],+/r", "CPython", lambda: (list(zip(ta, syms)), list(zip(ua, ub))),
                 rows_run, rows_check, rows_expected),
        Workload(f"keyed table from tables ({size} rows)", zkeyed, "ka:kb",
                 "(r[(ki[5];kf[5];s[5])])[`v],(r[(ki[n];kf[n];s[n])])[`v]", "CPython",
                 lambda: list(zip(ki, kf, syms)), keys_run, keys_check, [5, n]),
        Workload(f"dictionary by symbol keys ({size})", zsyms + ["dd<-s:!n", "p<-n?.n", "k<-s[p]"],
                 "dd[k]", "(#r),(r[1]=p[1]),r[n]=p[n]", "CPython", dict_setup, dict_run,
                 dict_check, [n, 1, 1]),
    ]


WORKLOADS = workloads(100_000) + workloads(1_000_000)
