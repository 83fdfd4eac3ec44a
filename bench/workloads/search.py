"""Grade, index-of and membership on a million integers, against NumPy. The
data are the residues 7919*k and 104729*k modulo the prime 1000003, for k
from 1 to a million: distinct, well mixed, and the same on both sides."""
import numpy as np

from benchlib import Workload

N = 1_000_000
P = 1_000_003
SETUP = ["g<-1000003|7919*!1000000", "h<-1000003|104729*!1000000"]
G = [7919 * k % P for k in range(1, N + 1)]
H = [104729 * k % P for k in range(1, N + 1)]


def data():
    return {"g": np.array(G, dtype=np.int64), "h": np.array(H, dtype=np.int64)}


def index_of(d):
    """Origin-1 position in g of each element of h; N+1 when absent."""
    g, h = d["g"], d["h"]
    order = np.argsort(g, kind="stable")
    at = np.minimum(np.searchsorted(g[order], h), len(g) - 1)
    return np.where(g[order[at]] == h, order[at] + 1, len(g) + 1)


def expected_grade():
    order = sorted(range(N), key=G.__getitem__)
    return [order[0] + 1, order[1] + 1, order[-1] + 1]


def expected_index_of():
    first = {}
    for i, v in enumerate(G):
        first.setdefault(v, i + 1)
    r = [first.get(v, N + 1) for v in H]
    return [sum(1 for p in r if p == N + 1), r[0], r[1], r[-1]]


def expected_membership():
    present = set(G)
    r = [v in present for v in H]
    return [sum(r), int(r[0]), int(r[-1])]


WORKLOADS = [
    Workload("grade up (1e6 integers)", SETUP, "<g", "r[1 2 1000000]", "NumPy", data,
             lambda d: np.argsort(d["g"], kind="stable") + 1,
             lambda r: [r[0], r[1], r[-1]], expected_grade()),
    Workload("index-of (1e6 in 1e6)", SETUP, "g!h", "(+/r=1000001),r[1 2 1000000]", "NumPy",
             data, index_of, lambda r: [int(np.sum(r == N + 1)), r[0], r[1], r[-1]],
             expected_index_of()),
    Workload("membership (1e6 in 1e6)", SETUP, "h?g", "(+/r),r[1 1000000]", "NumPy", data,
             lambda d: np.isin(d["h"], d["g"]),
             lambda r: [int(np.sum(r)), int(r[0]), int(r[-1])], expected_membership()),
]
