"""Table catenation, enumerations and LIKE at a hundred thousand rows and at
a million (the time should grow about tenfold), each against CPython: t,t
(an integer and a symbol column), a keyed table gaining as many new keys as
it has, an enumeration of a million symbols over a domain of a hundred
thousand, and texts like '%ab%' on strings of 10 to 20 letters. Symbols are
s1000001, s1000002, ...; other data are residues modulo small numbers, so
both sides compute on the same values."""
import re

from benchlib import Workload

LETTERS = "abcdefghijklmnopqrstuvwxyz"
DOMAIN = 100_000


def symbols(n):
    return [f"s{1000000 + k}" for k in range(1, n + 1)]


def zem_symbols(name, n):
    return f"{name}<-!.,(({n},2)#'`s'),+.({n},1)#1000000+!{n}"


def size_of(n):
    return {100_000: "1e5", 1_000_000: "1e6"}[n]


def texts(n):
    """The strings Zem cuts: lengths 10 + 7919 i mod 11, letters 104729 j mod 26."""
    lengths = [10 + 7919 * i % 11 for i in range(1, n + 1)]
    total = sum(lengths)
    chars = "".join(LETTERS[104729 * j % 26] for j in range(1, total + 1))
    out, at = [], 0
    for m in lengths:
        out.append(chars[at:at + m])
        at += m
    return out


def like_workload(n):
    pattern = re.compile(r".*ab.*", re.S)
    strings = texts(n)
    expect = [sum(1 for s in strings if pattern.fullmatch(s)), n]
    setup = [f"n<-{n}", "L<-10+11|7919*!n", f"c<-'{LETTERS}'[1+26|104729*!+/L]", "x<-L||c"]
    return Workload(f"like '%ab%' ({size_of(n)} strings)", setup, "x like '%ab%'",
                    "(+/r),^r", "CPython", lambda: strings,
                    lambda data: [bool(pattern.fullmatch(s)) for s in data],
                    lambda r: [sum(r), len(r)], expect)


def workloads(n):
    size = size_of(n)
    repeat = 10 if n == 100_000 else 1  # the clock counts milliseconds
    dom = symbols(DOMAIN)
    picks = [1 + 7919 * i % DOMAIN for i in range(1, n + 1)]  # 1-origin domain positions
    zpicks = [zem_symbols("s", DOMAIN), f"n<-{n}", f"v<-s[1+{DOMAIN}|7919*!n]"]

    # `s:v: each symbol's position in the domain.
    def enum_setup():
        return {sym: k for k, sym in enumerate(dom)}, [dom[p - 1] for p in picks]

    def enum_run(data):
        where, values = data
        return [where[sym] for sym in values], values

    def enum_check(r):
        positions, values = r
        return [sum(1 for p, sym in zip(positions, values) if dom[p] == sym), len(positions)]

    # t,t: the rows twice.
    def rows_setup():
        return list(zip(range(1, n + 1), (dom[p - 1] for p in picks)))

    def rows_check(rows):
        return [sum(a for a, _ in rows), len(rows)]

    # kt,nk: n new keys, each checked to be new, then added.
    def keyed_setup():
        return {k: 2 * k for k in range(1, n + 1)}, [(n + k, k) for k in range(1, n + 1)]

    def keyed_run(data):
        table, new = data
        table = dict(table)
        for k, v in new:
            if k in table:
                raise ValueError("key present")
            table[k] = v
        return table

    def keyed_check(table):
        return [sum(table.values()), len(table)]

    return [
        Workload(f"enumeration of symbols ({size} over 1e5)", zpicks, "`s:v",
                 "(+/(value r)=v),^r", "CPython", enum_setup, enum_run, enum_check, [n, n],
                 repeat),
        Workload(f"table catenation t,t ({size} rows)", zpicks + ["tt<-([] a<-!n; b<-v)"],
                 "tt,tt", "(+/r[`a]),^r[`b]", "CPython", rows_setup,
                 lambda rows: rows + rows, rows_check, [n * (n + 1), 2 * n], repeat),
        Workload(f"keyed table gaining keys ({size} new)",
                 [f"n<-{n}", "kt<-([k<-!n] v<-2*!n)", "nk<-([k<-n+!n] v<-!n)"], "kt,nk",
                 "(+/(value r)[`v]),^(key r)[`k]", "CPython", keyed_setup, keyed_run,
                 keyed_check, [n * (n + 1) + n * (n + 1) // 2, 2 * n]),
    ]


WORKLOADS = (workloads(100_000) + workloads(1_000_000) + [like_workload(100_000),
                                                            like_workload(1_000_000)])
