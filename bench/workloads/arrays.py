"""Whole-array arithmetic, comparison, reduction, scan and index generation
on ten million elements, against NumPy."""
import numpy as np

from benchlib import Workload

N = 10_000_000
SETUP = ["x<-!10000000", "xf<-x+0.5"]


def data():
    x = np.arange(1, N + 1, dtype=np.int64)
    return {"x": x, "xf": x + 0.5}


def ends(r):
    return [r[0], r[1], r[-1]]


def vector(name, zem, run, expect, check="r[1 2 10000000]", peer_check=ends):
    return Workload(name, SETUP, zem, check, "NumPy", data, run, peer_check, expect)


WORKLOADS = [
    vector("x+x (1e7 integers)", "x+x", lambda d: d["x"] + d["x"], [2, 4, 2 * N]),
    vector("xf*2.5 (1e7 floats)", "xf*2.5", lambda d: d["xf"] * 2.5,
           [1.5 * 2.5, 2.5 * 2.5, (N + 0.5) * 2.5]),
    vector("+/x (1e7 integers)", "+/x", lambda d: np.sum(d["x"]), [N * (N + 1) // 2],
           check="r", peer_check=lambda r: [int(r)]),
    vector("x<5000000 (1e7 integers)", "x<5000000", lambda d: d["x"] < 5000000,
           [4999999, 1, 0], check="(+/r),r[1 10000000]",
           peer_check=lambda r: [int(np.sum(r)), int(r[0]), int(r[-1])]),
    vector("!10000000", "!10000000", lambda d: np.arange(1, N + 1), [N, 1, N],
           check="(^r),r[1 10000000]", peer_check=lambda r: [len(r), r[0], r[-1]]),
    vector("+\\x (1e7 integers)", "+\\x", lambda d: np.cumsum(d["x"]),
           [1, 3, N * (N + 1) // 2]),
]
